// The one filter of a streamed 7z block (Delta or a branch converter), applied
// to the main decoder's output piece by piece with its state carried across
// pieces, so the result equals filtering the whole block at once.
#pragma once
#include <memory>

#include "7zTypes.h"
#include "Delta.h"
#include "skin/un7z_sink.h"

namespace utility::un7z {

// 7z method ids of the filters streamed here.
inline constexpr UInt32 kMethodDelta = 3;
inline constexpr UInt32 kMethodX86 = 0x3030103;
inline constexpr UInt32 kMethodPpc = 0x3030205;
inline constexpr UInt32 kMethodIa64 = 0x3030401;
inline constexpr UInt32 kMethodArm = 0x3030501;
inline constexpr UInt32 kMethodArmThumb = 0x3030701;
inline constexpr UInt32 kMethodSparc = 0x3030805;
inline constexpr UInt32 kMethodArm64 = 0xa;
inline constexpr UInt32 kMethodRiscv = 0xb;

bool isStreamedFilter(UInt32 method);

class FilterStage final : public ByteSink {
 public:
  explicit FilterStage(ByteSink& next) : next_(next) {}
  // SZ_OK, SZ_ERROR_UNSUPPORTED for a method or properties not handled here,
  // SZ_ERROR_MEM when the work buffer cannot be had.
  SRes init(UInt32 method, const Byte* props, unsigned propsSize);
  // Filters the bytes and passes every finished one on; a converter keeps the
  // few last bytes it cannot judge yet until more arrive or flush is called.
  size_t take(const uint8_t* data, size_t size) override;
  // Passes on the bytes still held (unconverted, as the whole-block filter
  // leaves them). False when the next stage refused them.
  bool flush();

 private:
  size_t convert(Byte* data, size_t size);

  ByteSink& next_;
  UInt32 method_ = 0;
  UInt32 pc_ = 0;
  UInt32 x86State_ = 0;
  unsigned delta_ = 0;
  Byte deltaState_[DELTA_STATE_SIZE] = {};
  std::unique_ptr<Byte[]> buffer_;
  size_t held_ = 0;  // bytes at the buffer's start waiting for more input
};

}  // namespace utility::un7z
