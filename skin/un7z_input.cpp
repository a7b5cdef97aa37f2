#include "skin/un7z_input.h"

#include <cstring>

namespace utility::un7z {
namespace {

MemoryInStream& self(ILookInStreamPtr p) {
  return *const_cast<MemoryInStream*>(reinterpret_cast<const MemoryInStream*>(p));
}

size_t bytesLeft(const MemoryInStream& s) { return s.pos < s.size ? s.size - s.pos : 0; }

SRes look(ILookInStreamPtr p, const void** buf, size_t* size) {
  MemoryInStream& s = self(p);
  if (*size > bytesLeft(s)) *size = bytesLeft(s);
  *buf = s.data + s.pos;
  return SZ_OK;
}

SRes skip(ILookInStreamPtr p, size_t offset) {
  MemoryInStream& s = self(p);
  if (offset > bytesLeft(s)) return SZ_ERROR_PARAM;
  s.pos += (uint32_t)offset;
  return SZ_OK;
}

SRes read(ILookInStreamPtr p, void* buf, size_t* size) {
  MemoryInStream& s = self(p);
  if (*size > bytesLeft(s)) *size = bytesLeft(s);
  if (*size) memcpy(buf, s.data + s.pos, *size);
  s.pos += (uint32_t)*size;
  return SZ_OK;
}

// Positions beyond the end are allowed (later reads return nothing); negative
// ones and positions that do not fit 32 bits are refused.
SRes seek(ILookInStreamPtr p, Int64* pos, ESzSeek origin) {
  MemoryInStream& s = self(p);
  Int64 base = origin == SZ_SEEK_SET ? 0 : origin == SZ_SEEK_CUR ? (Int64)s.pos : (Int64)s.size;
  Int64 target = base + *pos;
  if (target < 0 || target > (Int64)UINT32_MAX) return SZ_ERROR_READ;
  s.pos = (uint32_t)target;
  *pos = target;
  return SZ_OK;
}

}  // namespace

void initMemoryInStream(MemoryInStream& stream, const void* data, uint32_t size) {
  stream.vt.Look = look;
  stream.vt.Skip = skip;
  stream.vt.Read = read;
  stream.vt.Seek = seek;
  stream.data = static_cast<const Byte*>(data);
  stream.size = data ? size : 0;
  stream.pos = 0;
}

}  // namespace utility::un7z
