// The block decoder below utility::un7z: streamed chains arrive in bounded
// pieces, others in one piece, and the in-memory stream behaves as a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "7z.h"
#include "7zAlloc.h"
#include "7zCrc.h"
#include "skin/un7z_blocks.h"
#include "skin/un7z_input.h"
#include "tests/skin/skin_test_files.h"

using namespace utility::un7z;

namespace {

const ISzAlloc kAlloc = {SzAlloc, SzFree};

// Counts the pieces it gets; refuses everything after `limit` bytes.
class RecordingSink final : public ByteSink {
 public:
  size_t take(const uint8_t*, size_t size) override {
    if (total + size > limit) return 0;
    pieces++;
    largest = std::max(largest, size);
    total += size;
    return size;
  }
  size_t limit = SIZE_MAX;
  size_t pieces = 0;
  size_t largest = 0;
  size_t total = 0;
};

class OpenedArchive {
 public:
  explicit OpenedArchive(const std::wstring& name) : bytes_(skin_test::archive(name)) {
    CrcGenerateTable();
    initMemoryInStream(stream_, bytes_.data(), (uint32_t)bytes_.size());
    SzArEx_Init(&db_);
    result_ = SzArEx_Open(&db_, &stream_.vt, &kAlloc, &kAlloc);
  }
  ~OpenedArchive() { SzArEx_Free(&db_, &kAlloc); }
  SRes result() const { return result_; }
  SRes decode(ByteSink& sink) { return decodeBlocks(db_, &stream_.vt, &kAlloc, sink); }
  UInt64 unpackedSize() const { return db_.UnpackPositions[db_.NumFiles]; }
  bool firstBlockStreamed() const {
    const CSzAr& ar = db_.db;
    CSzData sd = {ar.CodersData, ar.FoCodersOffsets[1]};
    CSzFolder folder;
    return SzGetNextFolderItem(&folder, &sd) == SZ_OK && isStreamedChain(folder);
  }

 private:
  std::string bytes_;
  MemoryInStream stream_;
  CSzArEx db_;
  SRes result_;
};

}  // namespace

TEST(Un7zBlocks, SolidLzma2BlockArrivesInBoundedPieces) {
  OpenedArchive archive(L"fixture_skin.7z");
  ASSERT_EQ(SZ_OK, archive.result());
  EXPECT_TRUE(archive.firstBlockStreamed());
  RecordingSink sink;
  EXPECT_EQ(SZ_OK, archive.decode(sink));
  EXPECT_EQ(archive.unpackedSize(), sink.total);
  EXPECT_LE(sink.largest, kPieceSize);
  EXPECT_GE(sink.pieces, 4u);  // more than 3 MiB in one block
}

TEST(Un7zBlocks, StreamedChainsArriveInPieces) {
  for (const wchar_t* name :
       {L"lzma.7z", L"delta.7z", L"bcj_lzma2.7z", L"copy.7z", L"filter_arm.7z", L"filter_ia64.7z",
        L"filter_armt.7z", L"filter_sparc.7z", L"filter_ppc.7z", L"filter_arm64.7z",
        L"filter_riscv.7z"}) {
    OpenedArchive archive(name);
    ASSERT_EQ(SZ_OK, archive.result());
    EXPECT_TRUE(archive.firstBlockStreamed());
    RecordingSink sink;
    EXPECT_EQ(SZ_OK, archive.decode(sink));
    EXPECT_EQ(archive.unpackedSize(), sink.total);
    EXPECT_LE(sink.largest, kPieceSize);
    EXPECT_GE(sink.pieces, 2u);
  }
}

TEST(Un7zBlocks, Bcj2BlockIsDecodedWholeAndHandedOverInOnePiece) {
  OpenedArchive archive(L"bcj2.7z");
  ASSERT_EQ(SZ_OK, archive.result());
  EXPECT_FALSE(archive.firstBlockStreamed());
  RecordingSink sink;
  EXPECT_EQ(SZ_OK, archive.decode(sink));
  EXPECT_EQ(1u, sink.pieces);
  EXPECT_EQ(archive.unpackedSize(), sink.total);
}

TEST(Un7zBlocks, SinkThatStopsTakingEndsDecodingWithOutputEof) {
  OpenedArchive archive(L"fixture_skin.7z");
  ASSERT_EQ(SZ_OK, archive.result());
  RecordingSink sink;
  sink.limit = 100000;
  EXPECT_EQ(SZ_ERROR_OUTPUT_EOF, archive.decode(sink));
  EXPECT_LE(sink.total, sink.limit);
}

TEST(Un7zInput, SeeksFromStartCurrentAndEndAndReadsAtMostWhatIsLeft) {
  const char data[] = "0123456789";
  MemoryInStream stream;
  initMemoryInStream(stream, data, 10);
  ILookInStreamPtr p = &stream.vt;
  Int64 pos = -3;
  ASSERT_EQ(SZ_OK, ILookInStream_Seek(p, &pos, SZ_SEEK_END));
  EXPECT_EQ(7, pos);
  char buffer[8] = {};
  size_t size = sizeof(buffer);
  ASSERT_EQ(SZ_OK, ILookInStream_Read(p, buffer, &size));
  EXPECT_EQ(3u, size);
  EXPECT_EQ(std::string("789"), std::string(buffer, size));
  pos = -8;
  ASSERT_EQ(SZ_OK, ILookInStream_Seek(p, &pos, SZ_SEEK_CUR));
  EXPECT_EQ(2, pos);
  const void* look = nullptr;
  size = 100;
  ASSERT_EQ(SZ_OK, ILookInStream_Look(p, &look, &size));
  EXPECT_EQ(8u, size);
  EXPECT_EQ('2', *static_cast<const char*>(look));
  pos = -1;
  EXPECT_NE(SZ_OK, ILookInStream_Seek(p, &pos, SZ_SEEK_SET));
  pos = 20;
  ASSERT_EQ(SZ_OK, ILookInStream_Seek(p, &pos, SZ_SEEK_SET));
  size = 4;
  ASSERT_EQ(SZ_OK, ILookInStream_Read(p, buffer, &size));
  EXPECT_EQ(0u, size);
}
