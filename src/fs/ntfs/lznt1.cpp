#include "fs/ntfs/lznt1.h"

#include <algorithm>
#include <cstring>

#include "disk/bytes.h"

namespace lazarine {

namespace {
// Decodes one compressed chunk body into out[o...], advancing o; false when the chunk is
// corrupt (what was decoded before the fault stays).
bool decodeChunk(std::span<const uint8_t> body, std::span<uint8_t> out, size_t& o) {
    const size_t outStart = o;
    const size_t outLimit = std::min(out.size(), outStart + kLznt1ChunkSize);
    size_t in = 0;
    while (in < body.size()) {
        const uint8_t flags = body[in++];
        for (int bit = 0; bit < 8 && in < body.size(); ++bit) {
            if (o >= outLimit) return true;
            if (!(flags & (1u << bit))) {
                out[o++] = body[in++];
                continue;
            }
            if (in + 2 > body.size()) return false;
            const uint16_t token = le16(body.data() + in);
            in += 2;
            const size_t pos = o - outStart;
            unsigned lengthBits = 12;
            for (size_t i = pos == 0 ? 0 : pos - 1; i >= 0x10; i >>= 1) --lengthBits;
            const size_t length = (token & ((1u << lengthBits) - 1)) + 3;
            const size_t displacement = (static_cast<size_t>(token) >> lengthBits) + 1;
            if (displacement > pos) return false;
            for (size_t k = 0; k < length && o < outLimit; ++k, ++o) out[o] = out[o - displacement];
        }
    }
    return true;
}
}  // namespace

size_t DecompressUnit(std::span<const uint8_t> input, std::span<uint8_t> output) {
    size_t in = 0;
    size_t out = 0;
    while (in + 2 <= input.size() && out < output.size()) {
        const uint16_t header = le16(input.data() + in);
        if (header == 0) break;
        const size_t chunkSize = (header & 0x0FFF) + 3;
        if (in + chunkSize > input.size()) break;
        std::span<const uint8_t> body = input.subspan(in + 2, chunkSize - 2);
        if (!(header & 0x8000)) {
            const size_t n = std::min(body.size(), output.size() - out);
            std::memcpy(output.data() + out, body.data(), n);
            out += n;
        } else {
            if (!decodeChunk(body, output, out)) break;
        }
        in += chunkSize;
    }
    return out;
}

}  // namespace lazarine
