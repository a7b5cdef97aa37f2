#include "skin/un7z_blocks.h"

#include <cstdint>

#include "7zCrc.h"
#include "Lzma2Dec.h"
#include "LzmaDec.h"
#include "skin/un7z_filter.h"

namespace utility::un7z {
namespace {

constexpr UInt32 kMethodCopy = 0;
constexpr UInt32 kMethodLzma2 = 0x21;
constexpr UInt32 kMethodLzma = 0x30101;
constexpr size_t kLookAhead = 1 << 18;
constexpr size_t kMinDictionary = 1 << 12;

bool isMainCoder(const CSzCoderInfo& coder) {
  return coder.NumStreams == 1 && (coder.MethodID == kMethodCopy || coder.MethodID == kMethodLzma ||
                                   coder.MethodID == kMethodLzma2);
}

// The last stage before the caller's sink: counts the block's bytes and, when
// the archive stores the block's CRC-32, computes it.
class CheckedSink final : public ByteSink {
 public:
  CheckedSink(ByteSink& next, bool withCrc) : next_(next), withCrc_(withCrc) {}
  size_t take(const uint8_t* data, size_t size) override {
    size_t taken = next_.take(data, size);
    if (withCrc_) crc_ = CrcUpdate(crc_, data, taken);
    total_ += taken;
    return taken;
  }
  UInt32 crc() const { return CRC_GET_DIGEST(crc_); }
  UInt64 total() const { return total_; }

 private:
  ByteSink& next_;
  bool withCrc_;
  UInt32 crc_ = CRC_INIT_VAL;
  UInt64 total_ = 0;
};

SRes offer(ByteSink& out, const Byte* data, size_t size) {
  return size == 0 || out.take(data, size) == size ? SZ_OK : SZ_ERROR_OUTPUT_EOF;
}

SRes streamCopy(ILookInStreamPtr in, UInt64 packSize, UInt64 unpackSize, ByteSink& out) {
  if (packSize != unpackSize) return SZ_ERROR_DATA;
  while (packSize > 0) {
    const void* data = nullptr;
    size_t look = packSize < kPieceSize ? (size_t)packSize : kPieceSize;
    RINOK(ILookInStream_Look(in, &data, &look))
    if (look == 0) return SZ_ERROR_INPUT_EOF;
    RINOK(offer(out, static_cast<const Byte*>(data), look))
    packSize -= look;
    RINOK(ILookInStream_Skip(in, look))
  }
  return SZ_OK;
}

// A ring dictionary no larger than the block (a block smaller than the
// dictionary never wraps) and no larger than the coder's dictionary.
SizeT dictionaryBufferSize(UInt32 dictionary, UInt64 unpackSize) {
  UInt64 size = dictionary < unpackSize ? dictionary : unpackSize;
  if (size < kMinDictionary) size = kMinDictionary;
  return (SizeT)size;
}

// Runs an LZMA or LZMA2 decoder over a ring dictionary, handing each decoded
// stretch to `out` before the dictionary wraps over it. `step` is one call of
// the decoder's DecodeToDic; `lz` is its dictionary state.
template <typename Step>
SRes runDictionaryDecoder(CLzmaDec& lz, Step step, ILookInStreamPtr in, UInt64 inLeft,
                          UInt64 outLeft, ByteSink& out) {
  for (;;) {
    if (lz.dicPos == lz.dicBufSize) lz.dicPos = 0;
    SizeT start = lz.dicPos;
    SizeT room = lz.dicBufSize - start < kPieceSize ? lz.dicBufSize - start : kPieceSize;
    ELzmaFinishMode finish = LZMA_FINISH_ANY;
    if (outLeft <= room) {
      room = (SizeT)outLeft;
      finish = LZMA_FINISH_END;
    }
    const void* inBuf = nullptr;
    size_t look = inLeft < kLookAhead ? (size_t)inLeft : kLookAhead;
    RINOK(ILookInStream_Look(in, &inBuf, &look))
    SizeT inDone = look;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    SRes res = step(start + room, static_cast<const Byte*>(inBuf), &inDone, finish, &status);
    inLeft -= inDone;
    RINOK(ILookInStream_Skip(in, inDone))
    SizeT produced = lz.dicPos - start;
    outLeft -= produced;
    RINOK(offer(out, lz.dic + start, produced))
    if (res != SZ_OK) return res;
    if (status == LZMA_STATUS_FINISHED_WITH_MARK)
      return outLeft == 0 && inLeft == 0 ? SZ_OK : SZ_ERROR_DATA;
    if (outLeft == 0 && inLeft == 0 && status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK)
      return SZ_OK;
    if (inDone == 0 && produced == 0)
      return look == 0 && inLeft > 0 ? SZ_ERROR_INPUT_EOF : SZ_ERROR_DATA;
  }
}

SRes streamLzma(const Byte* props, unsigned propsSize, ILookInStreamPtr in, UInt64 packSize,
                UInt64 unpackSize, ISzAllocPtr alloc, ByteSink& out) {
  CLzmaDec dec;
  LzmaDec_CONSTRUCT(&dec);
  RINOK(LzmaDec_AllocateProbs(&dec, props, propsSize, alloc));
  dec.dicBufSize = dictionaryBufferSize(dec.prop.dicSize, unpackSize);
  dec.dic = static_cast<Byte*>(ISzAlloc_Alloc(alloc, dec.dicBufSize));
  SRes res = SZ_ERROR_MEM;
  if (dec.dic) {
    LzmaDec_Init(&dec);
    auto step = [&dec](SizeT limit, const Byte* src, SizeT* srcLen, ELzmaFinishMode finish,
                       ELzmaStatus* status) {
      return LzmaDec_DecodeToDic(&dec, limit, src, srcLen, finish, status);
    };
    res = runDictionaryDecoder(dec, step, in, packSize, unpackSize, out);
    ISzAlloc_Free(alloc, dec.dic);
  }
  LzmaDec_FreeProbs(&dec, alloc);
  return res;
}

UInt32 lzma2Dictionary(Byte prop) {
  return prop >= 40 ? 0xFFFFFFFF : ((UInt32)2 | (prop & 1)) << (prop / 2 + 11);
}

SRes streamLzma2(const Byte* props, unsigned propsSize, ILookInStreamPtr in, UInt64 packSize,
                 UInt64 unpackSize, ISzAllocPtr alloc, ByteSink& out) {
  if (propsSize != 1) return SZ_ERROR_DATA;
  CLzma2Dec dec;
  Lzma2Dec_CONSTRUCT(&dec);
  RINOK(Lzma2Dec_AllocateProbs(&dec, props[0], alloc));
  CLzmaDec& lz = dec.decoder;
  lz.dicBufSize = dictionaryBufferSize(lzma2Dictionary(props[0]), unpackSize);
  lz.dic = static_cast<Byte*>(ISzAlloc_Alloc(alloc, lz.dicBufSize));
  SRes res = SZ_ERROR_MEM;
  if (lz.dic) {
    Lzma2Dec_Init(&dec);
    auto step = [&dec](SizeT limit, const Byte* src, SizeT* srcLen, ELzmaFinishMode finish,
                       ELzmaStatus* status) {
      return Lzma2Dec_DecodeToDic(&dec, limit, src, srcLen, finish, status);
    };
    res = runDictionaryDecoder(lz, step, in, packSize, unpackSize, out);
    ISzAlloc_Free(alloc, lz.dic);
  }
  Lzma2Dec_FreeProbs(&dec, alloc);
  return res;
}

SRes streamMain(const CSzCoderInfo& coder, const Byte* coderData, ILookInStreamPtr in,
                UInt64 packSize, UInt64 unpackSize, ISzAllocPtr alloc, ByteSink& out) {
  const Byte* props = coderData + coder.PropsOffset;
  switch (coder.MethodID) {
    case kMethodCopy:
      return streamCopy(in, packSize, unpackSize, out);
    case kMethodLzma:
      return streamLzma(props, coder.PropsSize, in, packSize, unpackSize, alloc, out);
    case kMethodLzma2:
      return streamLzma2(props, coder.PropsSize, in, packSize, unpackSize, alloc, out);
    default:
      return SZ_ERROR_UNSUPPORTED;
  }
}

// Copy, LZMA or LZMA2 reading the block's one pack stream, then the filter if
// there is one; the block's CRC is checked when the archive stores it.
SRes streamBlock(const CSzArEx& db, UInt32 index, const CSzFolder& folder, const Byte* coderData,
                 ILookInStreamPtr in, ISzAllocPtr alloc, ByteSink& sink) {
  const CSzAr& ar = db.db;
  const UInt64* pack = ar.PackPositions + ar.FoStartPackStreamIndex[index];
  UInt64 unpackSize = SzAr_GetFolderUnpackSize(&ar, index);
  RINOK(LookInStream_SeekTo(in, db.dataPos + pack[0]))
  bool hasCrc = SzBitWithVals_Check(&ar.FolderCRCs, index);
  CheckedSink checked(sink, hasCrc);
  FilterStage filter(checked);
  ByteSink* head = &checked;
  if (folder.NumCoders == 2) {
    const CSzCoderInfo& coder = folder.Coders[1];
    RINOK(filter.init(coder.MethodID, coderData + coder.PropsOffset, coder.PropsSize))
    head = &filter;
  }
  RINOK(streamMain(folder.Coders[0], coderData, in, pack[1] - pack[0], unpackSize, alloc, *head))
  if (head == &filter && !filter.flush()) return SZ_ERROR_OUTPUT_EOF;
  if (checked.total() != unpackSize) return SZ_ERROR_DATA;
  if (hasCrc && checked.crc() != ar.FolderCRCs.Vals[index]) return SZ_ERROR_CRC;
  return SZ_OK;
}

// Any other chain: the SDK decodes the block into one buffer (checking its CRC),
// which goes to the sink in one piece.
SRes decodeWholeBlock(const CSzArEx& db, UInt32 index, ILookInStreamPtr in, ISzAllocPtr alloc,
                      ByteSink& sink) {
  UInt64 size = SzAr_GetFolderUnpackSize(&db.db, index);
  if (size > SIZE_MAX) return SZ_ERROR_MEM;
  Byte* buffer = static_cast<Byte*>(ISzAlloc_Alloc(alloc, (size_t)size));
  if (!buffer && size != 0) return SZ_ERROR_MEM;
  SRes res = SzAr_DecodeFolder(&db.db, index, in, db.dataPos, buffer, (size_t)size, alloc);
  if (res == SZ_OK) res = offer(sink, buffer, (size_t)size);
  ISzAlloc_Free(alloc, buffer);
  return res;
}

SRes decodeBlock(const CSzArEx& db, UInt32 index, ILookInStreamPtr in, ISzAllocPtr alloc,
                 ByteSink& sink) {
  const CSzAr& ar = db.db;
  const Byte* coderData = ar.CodersData + ar.FoCodersOffsets[index];
  CSzData sd = {coderData, ar.FoCodersOffsets[index + 1] - ar.FoCodersOffsets[index]};
  CSzFolder folder;
  RINOK(SzGetNextFolderItem(&folder, &sd))
  if (sd.Size != 0 || folder.UnpackStream != ar.FoToMainUnpackSizeIndex[index])
    return SZ_ERROR_FAIL;
  if (isStreamedChain(folder)) return streamBlock(db, index, folder, coderData, in, alloc, sink);
  return decodeWholeBlock(db, index, in, alloc, sink);
}

}  // namespace

bool isStreamedChain(const CSzFolder& folder) {
  if (folder.NumPackStreams != 1 || folder.PackStreams[0] != 0) return false;
  if (!isMainCoder(folder.Coders[0])) return false;
  if (folder.NumCoders == 1) return folder.NumBonds == 0;
  if (folder.NumCoders != 2 || folder.NumBonds != 1) return false;
  const CSzCoderInfo& filter = folder.Coders[1];
  return filter.NumStreams == 1 && isStreamedFilter(filter.MethodID) &&
         folder.Bonds[0].InIndex == 1 && folder.Bonds[0].OutIndex == 0;
}

SRes decodeBlocks(const CSzArEx& db, ILookInStreamPtr stream, ISzAllocPtr alloc, ByteSink& sink) {
  for (UInt32 i = 0; i < db.db.NumFolders; i++) RINOK(decodeBlock(db, i, stream, alloc, sink))
  return SZ_OK;
}

}  // namespace utility::un7z
