#pragma once
// The "ScsC" container: a 56-byte header (magic, HMAC, IV, unpacked size) and AES-256-CBC
// ciphertext of a zlib stream with PKCS#7 padding.
#include "siicodec/siicodec.h"

#include <cstdint>
#include <span>
#include <vector>

namespace siicodec {

class EncryptedContainer {
public:
    static constexpr uint32_t kMagic = 0x43736353; // "ScsC"
    static constexpr size_t kHeaderSize = 56;

    // Decrypts and unpacks into `payload`; throws DecodeFailure.
    static void Open(std::span<const uint8_t> file, std::vector<uint8_t> &payload, const Options &options);

    static std::span<const uint8_t, 32> Key();

private:
    static void Decrypt(std::span<const uint8_t> file, std::vector<uint8_t> &plain);
    static void Inflate(std::span<const uint8_t> compressed, uint32_t sizeHint, std::vector<uint8_t> &payload,
                        const Options &options);
};

} // namespace siicodec
