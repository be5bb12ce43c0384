// Encrypted container. Random bytes almost never survive AES padding, so the first byte picks
// what the rest is: 0 = the whole file as it is; 1 = the decrypted bytes (encrypted here with the
// game's key, so zlib and the size field get fuzzed); 2 = the payload (packed and encrypted here,
// so the dispatch to the inner forms gets fuzzed).
#include "fuzz_common.h"

#include "siicodec/aes256cbc.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Encrypt(std::vector<uint8_t> plain, uint32_t sizeField)
{
    const uint8_t pad = uint8_t(16 - plain.size() % 16);
    plain.insert(plain.end(), pad, pad);
    std::vector<uint8_t> out = {'S', 'c', 's', 'C'};
    out.resize(56, 0x11);
    for (int i = 0; i < 4; ++i)
        out[52 + i] = uint8_t(sizeField >> (8 * i));
    const size_t header = out.size();
    out.resize(header + plain.size());
    siicodec::Aes256Cbc::Encrypt(siicodec::ContainerKey(), std::span<const uint8_t, 16>(out.data() + 36, 16), plain,
                                 std::span<uint8_t>(out).subspan(header));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > (1 << 20))
        return 0;
    const uint8_t mode = data[0] % 3;
    std::vector<uint8_t> rest(data + 1, data + size);
    std::vector<uint8_t> file;
    if (mode == 0) {
        file = std::move(rest);
    } else if (mode == 1) {
        // The size field comes from the first four bytes, the zlib stream from the rest.
        uint32_t sizeField = 0;
        if (rest.size() >= 4) {
            std::memcpy(&sizeField, rest.data(), 4);
            rest.erase(rest.begin(), rest.begin() + 4);
        }
        file = Encrypt(rest, sizeField);
    } else {
        uLongf packedSize = compressBound(uLong(rest.size()));
        std::vector<uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, rest.data(), uLong(rest.size()), 1) != Z_OK)
            return 0;
        packed.resize(packedSize);
        file = Encrypt(packed, uint32_t(rest.size()));
    }
    siicodec::TextBuffer text;
    const siicodec::Result r = siicodec::ConvertToText(file, text, FuzzOptions());
    CheckResult(r, text, false);
    return 0;
}
