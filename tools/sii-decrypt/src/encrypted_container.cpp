#include "encrypted_container.h"

#include "byte_reader.h"
#include "decode_failure.h"

#include "siicodec/aes256cbc.h"

#include <zlib.h>

#include <algorithm>

namespace siicodec {

namespace {

constexpr uint8_t kKey[32] = {0x2a, 0x5f, 0xcb, 0x17, 0x91, 0xd2, 0x2f, 0xb6, 0x02, 0x45, 0xb3,
                              0xd8, 0x36, 0x9e, 0xd0, 0xb2, 0xc2, 0x73, 0x71, 0x56, 0x3f, 0xbf,
                              0x1f, 0x3c, 0x9e, 0xdf, 0x6b, 0x11, 0x82, 0x5a, 0x5d, 0x0a};
constexpr size_t kIvOffset = 36;
constexpr size_t kSizeOffset = 52;
constexpr size_t kBlock = 16;
constexpr size_t kTrustedInflateRatio = 16;

} // namespace

std::span<const uint8_t, 32> EncryptedContainer::Key()
{
    return std::span<const uint8_t, 32>(kKey);
}

void EncryptedContainer::Open(std::span<const uint8_t> file, std::vector<uint8_t> &payload, const Options &options)
{
    if (file.size() < kHeaderSize)
        Fail(Status::TooShort, "the encrypted file is too short to hold its header");
    std::vector<uint8_t> plain;
    Decrypt(file, plain);
    Inflate(plain, ByteReader::LoadU32(file.data() + kSizeOffset), payload, options);
}

void EncryptedContainer::Decrypt(std::span<const uint8_t> file, std::vector<uint8_t> &plain)
{
    const std::span<const uint8_t> cipher = file.subspan(kHeaderSize);
    if (cipher.empty() || cipher.size() % kBlock != 0)
        Fail(Status::Damaged, "the encrypted file is cut off (its data is not a whole number of cipher blocks)");
    if (cipher.size() > size_t(INT32_MAX) - kBlock)
        Fail(Status::Unsupported, "the encrypted file is too large");

    plain.resize(cipher.size());
    if (!Aes256Cbc::Decrypt(Key(), file.subspan<kIvOffset, 16>(), cipher, plain))
        Fail(Status::Damaged, "the encrypted file could not be decrypted");

    const uint8_t pad = plain.empty() ? 0 : plain.back();
    bool padOk = pad >= 1 && pad <= kBlock && pad <= plain.size();
    for (size_t i = 0; padOk && i < pad; ++i)
        padOk = plain[plain.size() - 1 - i] == pad;
    if (!padOk)
        Fail(Status::Damaged, "the encrypted file is damaged or was not written by the game (bad padding)");
    plain.resize(plain.size() - pad);
}

void EncryptedContainer::Inflate(std::span<const uint8_t> compressed, uint32_t sizeHint, std::vector<uint8_t> &payload,
                                 const Options &options)
{
    const size_t cap = options.maxPayloadBytes;
    // The size field only guides the first allocation; it never decides it alone: a damaged
    // header must not make us allocate far more than the data can unpack to. Saves pack about
    // 1:4, so a bound of 16 times the packed size plus a little needs no regrowing in practice.
    size_t initial = std::min<size_t>({sizeHint, cap, compressed.size() * kTrustedInflateRatio + 65536});
    payload.clear();
    payload.resize(std::max<size_t>(initial, 64));

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        Fail(Status::Damaged, "the packed data could not be unpacked (out of memory)");
    struct End {
        z_stream *zs;
        ~End() { inflateEnd(zs); }
    } end{&zs};

    size_t produced = 0;
    size_t consumed = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (produced == payload.size()) {
            if (payload.size() >= cap)
                Fail(Status::Unsupported, "the encrypted file unpacks to more than " + std::to_string(cap >> 20) +
                                              " MiB, which no real save comes near");
            payload.resize(std::min(cap, payload.size() * 2));
        }
        const size_t inChunk = std::min<size_t>(compressed.size() - consumed, UINT32_MAX);
        const size_t outChunk = std::min<size_t>(payload.size() - produced, UINT32_MAX);
        zs.next_in = const_cast<Bytef *>(compressed.data() + consumed);
        zs.avail_in = static_cast<uInt>(inChunk);
        zs.next_out = payload.data() + produced;
        zs.avail_out = static_cast<uInt>(outChunk);
        rc = inflate(&zs, Z_NO_FLUSH);
        consumed += inChunk - zs.avail_in;
        produced += outChunk - zs.avail_out;
        if (rc == Z_STREAM_END)
            break;
        if (rc == Z_BUF_ERROR && zs.avail_out != 0)
            Fail(Status::Damaged, "the packed data in the encrypted file is cut off");
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            Fail(Status::Damaged, "the packed data in the encrypted file is damaged");
    }
    payload.resize(produced);
    if (produced != sizeHint)
        Fail(Status::Damaged, "the encrypted file is damaged (it unpacks to " + std::to_string(produced) +
                                  " bytes, its header says " + std::to_string(sizeHint) + ")");
}

} // namespace siicodec
