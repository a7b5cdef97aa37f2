// The archive bytes offered to the LZMA SDK as a seekable look-ahead stream
// with a 32-bit position. Looks hand out pointers into the caller's bytes, so
// nothing is copied; reads return at most the bytes left.
#pragma once
#include <cstdint>

#include "7zTypes.h"

namespace utility::un7z {

struct MemoryInStream {
  ILookInStream vt;  // first, so the SDK's interface pointer is this object
  const Byte* data;
  uint32_t size;
  uint32_t pos;
};

// Sets the stream over `size` bytes at `data`, positioned at the start.
void initMemoryInStream(MemoryInStream& stream, const void* data, uint32_t size);

}  // namespace utility::un7z
