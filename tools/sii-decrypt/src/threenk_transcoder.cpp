#include "threenk_transcoder.h"

#include <array>

namespace siicodec {

namespace {

constexpr std::array<uint8_t, 256> MakeKeyStream()
{
    std::array<uint8_t, 256> k{};
    for (unsigned i = 0; i < 256; ++i)
        k[i] = static_cast<uint8_t>((((i << 2) ^ ~i) << 3) ^ i);
    return k;
}
constexpr std::array<uint8_t, 256> kKeyStream = MakeKeyStream();

} // namespace

void ThreeNkTranscoder::Transcode(std::span<const uint8_t> body, uint8_t seed, uint8_t *out)
{
    uint8_t index = seed;
    for (size_t j = 0; j < body.size(); ++j)
        out[j] = body[j] ^ kKeyStream[index++];
}

} // namespace siicodec
