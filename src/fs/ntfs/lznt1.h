#pragma once
// LZNT1, the compression of NTFS compressed attributes. A compression unit holds chunks
// one after another; each chunk starts with a 16-bit header:
//   bits 0-11  chunk size - 3 (the size includes the header)
//   bit 15     1 = compressed, 0 = stored (the data follows as literal bytes)
// A header of 0 ends the unit. A compressed chunk is a sequence of flag bytes, each
// governing eight items: a clear bit is one literal byte, a set bit a 16-bit
// back-reference whose split between displacement (high bits) and length - 3 (low bits)
// depends on how much of the chunk's 4096 bytes of output exist: the displacement has
// 4 bits up to position 16 and one bit more each time the position passes 32, 64, ...

#include <cstddef>
#include <cstdint>
#include <span>

namespace lazarine {

inline constexpr size_t kLznt1ChunkSize = 4096;

// Decodes `input` into `output`; output stops at its capacity. A chunk that runs past the
// input, or a back-reference before the chunk's start, ends the decoding. Returns the
// bytes produced.
size_t DecompressUnit(std::span<const uint8_t> input, std::span<uint8_t> output);

}  // namespace lazarine
