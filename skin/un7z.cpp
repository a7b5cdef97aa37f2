#include "skin/un7z.h"

#include "7zAlloc.h"
#include "7zCrc.h"
#include "skin/un7z_blocks.h"
#include "skin/un7z_input.h"
#include "skin/un7z_writer.h"

namespace utility::un7z {
namespace {

const ISzAlloc kHeapAlloc = {SzAlloc, SzFree};

// The SDK's CRC table is process-wide: built once, before first use, then only read.
void ensureCrcTable() {
  static const bool made = (CrcGenerateTable(), true);
  (void)made;
}

int mapDecoderResult(SRes res) {
  switch (res) {
    case SZ_OK:
      return kOk;
    case SZ_ERROR_DATA:
      return kDataError;
    case SZ_ERROR_MEM:
      return kMemError;
    case SZ_ERROR_UNSUPPORTED:
      return kUnsupported;
    case SZ_ERROR_PARAM:
      return kParamError;
    case SZ_ERROR_CRC:
      return kCrcError;
    case SZ_ERROR_INPUT_EOF:
      return kInputEof;
    case SZ_ERROR_OUTPUT_EOF:
      return kOutputEof;
    case SZ_ERROR_READ:
      return kReadError;
    case SZ_ERROR_WRITE:
      return kWriteError;
    case SZ_ERROR_PROGRESS:
      return kProgressError;
    case SZ_ERROR_FAIL:
      return kFail;
    case SZ_ERROR_THREAD:
      return kThreadError;
    case SZ_ERROR_ARCHIVE:
      return kArchiveError;
    case SZ_ERROR_NO_ARCHIVE:
      return kNoArchive;
    default:
      return kUnknownError;
  }
}

// The archive opened over the caller's bytes, freed on every way out.
class OpenArchive {
 public:
  OpenArchive(const void* data, uint32_t size) {
    ensureCrcTable();
    initMemoryInStream(stream_, data, size);
    SzArEx_Init(&db_);
    result_ = SzArEx_Open(&db_, &stream_.vt, &kHeapAlloc, &kHeapAlloc);
  }
  ~OpenArchive() { SzArEx_Free(&db_, &kHeapAlloc); }
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;

  SRes result() const { return result_; }
  const CSzArEx& db() const { return db_; }
  SRes decodeInto(ByteSink& writer) { return decodeBlocks(db_, &stream_.vt, &kHeapAlloc, writer); }

 private:
  MemoryInStream stream_;
  CSzArEx db_;
  SRes result_;
};

// The writer's error wins over the decoder failure it causes.
int runResult(int writerError, SRes decoderResult) {
  return writerError != kOk ? writerError : mapDecoderResult(decoderResult);
}

}  // namespace

int extractToFolder(const void* archive, uint32_t size, const std::wstring& folder,
                    std::vector<std::wstring>* createdFiles) {
  OpenArchive open(archive, size);
  if (open.result() != SZ_OK) return mapDecoderResult(open.result());
  FolderWriter writer(open.db(), folder, createdFiles);
  SRes res = open.decodeInto(writer);
  if (res == SZ_OK) writer.finish();
  return runResult(writer.error(), res);
}

int extractToCallback(const void* archive, uint32_t size, EntryCallback callback) {
  OpenArchive open(archive, size);
  if (open.result() != SZ_OK) return mapDecoderResult(open.result());
  CallbackWriter writer(open.db(), callback);
  SRes res = open.decodeInto(writer);
  return runResult(writer.error(), res);
}

}  // namespace utility::un7z
