#include "skin/un7z_filter.h"

#include <cstring>
#include <new>

#include "Bra.h"
#include "CpuArch.h"

namespace utility::un7z {
namespace {

// Bytes filtered per round; the buffer has room for a converter's held bytes
// (fewer than 16) on top.
constexpr size_t kRound = 1 << 20;
constexpr size_t kBufferSize = kRound + 64;

// The start address a converter's properties give (4 bytes), 0 without them.
bool readStartPc(const Byte* props, unsigned propsSize, UInt32 alignMask, UInt32& pc) {
  pc = 0;
  if (propsSize == 0) return true;
  if (propsSize != 4) return false;
  pc = GetUi32(props);
  return (pc & alignMask) == 0;
}

}  // namespace

bool isStreamedFilter(UInt32 method) {
  switch (method) {
    case kMethodDelta:
    case kMethodX86:
    case kMethodPpc:
    case kMethodIa64:
    case kMethodArm:
    case kMethodArmThumb:
    case kMethodSparc:
    case kMethodArm64:
    case kMethodRiscv:
      return true;
    default:
      return false;
  }
}

SRes FilterStage::init(UInt32 method, const Byte* props, unsigned propsSize) {
  method_ = method;
  if (method == kMethodDelta) {
    if (propsSize != 1) return SZ_ERROR_UNSUPPORTED;
    delta_ = (unsigned)props[0] + 1;
    Delta_Init(deltaState_);
  } else if (method == kMethodArm64) {
    if (!readStartPc(props, propsSize, 3, pc_)) return SZ_ERROR_UNSUPPORTED;
  } else if (method == kMethodRiscv) {
    if (!readStartPc(props, propsSize, 1, pc_)) return SZ_ERROR_UNSUPPORTED;
  } else if (isStreamedFilter(method)) {
    // As the SDK's whole-block decoder: these take no properties.
    if (propsSize != 0) return SZ_ERROR_UNSUPPORTED;
    x86State_ = Z7_BRANCH_CONV_ST_X86_STATE_INIT_VAL;
  } else {
    return SZ_ERROR_UNSUPPORTED;
  }
  buffer_.reset(new (std::nothrow) Byte[kBufferSize]);
  return buffer_ ? SZ_OK : SZ_ERROR_MEM;
}

// Converts in place and returns how many leading bytes are final.
size_t FilterStage::convert(Byte* data, size_t size) {
  Byte* end = data + size;
  switch (method_) {
    case kMethodDelta:
      Delta_Decode(deltaState_, delta_, data, size);
      break;
    case kMethodX86:
      end = z7_BranchConvSt_X86_Dec(data, size, pc_, &x86State_);
      break;
    case kMethodPpc:
      end = z7_BranchConv_PPC_Dec(data, size, pc_);
      break;
    case kMethodIa64:
      end = z7_BranchConv_IA64_Dec(data, size, pc_);
      break;
    case kMethodArm:
      end = z7_BranchConv_ARM_Dec(data, size, pc_);
      break;
    case kMethodArmThumb:
      end = z7_BranchConv_ARMT_Dec(data, size, pc_);
      break;
    case kMethodSparc:
      end = z7_BranchConv_SPARC_Dec(data, size, pc_);
      break;
    case kMethodArm64:
      end = z7_BranchConv_ARM64_Dec(data, size, pc_);
      break;
    case kMethodRiscv:
      end = z7_BranchConv_RISCV_Dec(data, size, pc_);
      break;
  }
  size_t done = (size_t)(end - data);
  pc_ += (UInt32)done;
  return done;
}

size_t FilterStage::take(const uint8_t* data, size_t size) {
  size_t taken = 0;
  while (taken < size) {
    size_t room = kBufferSize - held_;
    size_t chunk = size - taken < room ? size - taken : room;
    memcpy(buffer_.get() + held_, data + taken, chunk);
    taken += chunk;
    size_t filled = held_ + chunk;
    size_t done = convert(buffer_.get(), filled);
    if (done && next_.take(buffer_.get(), done) != done) return 0;
    held_ = filled - done;
    memmove(buffer_.get(), buffer_.get() + done, held_);
  }
  return taken;
}

bool FilterStage::flush() {
  size_t held = held_;
  held_ = 0;
  return held == 0 || next_.take(buffer_.get(), held) == held;
}

}  // namespace utility::un7z
