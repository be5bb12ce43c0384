#pragma once
// "3nK" scrambled text: a 6-byte header (magic, one unused byte, seed) and the text XOR-ed with a
// fixed 256-byte key stream that starts at the seed. The operation is its own inverse.
#include <cstdint>
#include <span>

namespace siicodec {

class ThreeNkTranscoder {
public:
    static constexpr uint32_t kMagic = 0x014B6E33; // "3nK" + 0x01
    static constexpr size_t kHeaderSize = 6;

    // XORs `body` into `out` (same length) for the given seed; used both ways.
    static void Transcode(std::span<const uint8_t> body, uint8_t seed, uint8_t *out);
};

} // namespace siicodec
