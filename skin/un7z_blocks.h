// Decoding a 7z archive's blocks ("folders") in order into one ByteSink.
// Blocks whose coder chain is Copy, LZMA or LZMA2, optionally followed by one
// filter (Delta or a branch converter), are streamed: they reach the sink in
// pieces of at most kPieceSize bytes while they are decoded, so a solid block
// is never held whole. Any other chain (for example BCJ2) is decoded whole by
// the SDK into one buffer of the block's size and handed over in one piece.
#pragma once
#include <cstddef>

#include "7z.h"
#include "skin/un7z_sink.h"

namespace utility::un7z {

inline constexpr size_t kPieceSize = 1 << 20;

// True when the block's coder chain is streamed.
bool isStreamedChain(const CSzFolder& folder);

// Decodes every block of the opened archive in order. SZ_ERROR_OUTPUT_EOF when
// the sink took fewer bytes than offered; a block's stored CRC is checked.
SRes decodeBlocks(const CSzArEx& db, ILookInStreamPtr stream, ISzAllocPtr alloc, ByteSink& sink);

}  // namespace utility::un7z
