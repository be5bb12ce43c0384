#pragma once
// AES-256-CBC on whole 16-byte blocks, without padding (the container's padding is checked by hand,
// so that a bad one gets its own message). One implementation is compiled in, chosen at build time:
// the system's own cipher API on Windows (CNG), OpenSSL elsewhere; Windows has no OpenSSL to rely on.
#include <cstdint>
#include <span>

namespace siicodec {

class Aes256Cbc {
public:
    static constexpr size_t kBlock = 16;

    // `in` must be a whole number of blocks and `out` exactly as long. False when the cipher
    // could not run (no memory, no provider) or the lengths are wrong; `out` is then unusable.
    static bool Decrypt(std::span<const uint8_t, 32> key, std::span<const uint8_t, 16> iv, std::span<const uint8_t> in,
                        std::span<uint8_t> out);
    static bool Encrypt(std::span<const uint8_t, 32> key, std::span<const uint8_t, 16> iv, std::span<const uint8_t> in,
                        std::span<uint8_t> out);

    // The name of the implementation compiled in, for diagnostics and tests.
    static const char *Backend();
};

} // namespace siicodec
