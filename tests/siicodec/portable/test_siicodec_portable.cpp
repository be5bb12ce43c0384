// The cipher compiled into siicodec (OpenSSL on Linux, CNG on Windows) and the encrypted container
// through the whole library. Plain C++ without Qt, so that the Windows build runs it too.
#include "sii_fixtures.h"
#include "siicodec/aes256cbc.h"
#include "siicodec/siicodec.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace siifixtures;
using siicodec::Aes256Cbc;
using siicodec::Status;

namespace {

int failures = 0;

#define CHECK(condition)                                                                                               \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                         \
            ++failures;                                                                                                \
        }                                                                                                              \
    } while (0)

Bytes FromHex(const char *hex)
{
    Bytes out;
    for (const char *p = hex; p[0] && p[1]; p += 2)
        out.push_back(uint8_t(std::stoi(std::string(p, 2), nullptr, 16)));
    return out;
}

// NIST SP 800-38A, F.2.5 and F.2.6 (CBC-AES256): both directions must agree with the standard,
// so that a file encrypted by one build decrypts in the other.
void CipherMatchesTheStandard()
{
    const Bytes key = FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    const Bytes iv = FromHex("000102030405060708090a0b0c0d0e0f");
    const Bytes plain = FromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                                "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
    const Bytes cipher = FromHex("f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                                 "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");
    const std::span<const uint8_t, 32> k(key.data(), 32);
    const std::span<const uint8_t, 16> v(iv.data(), 16);
    Bytes out(plain.size());
    CHECK(Aes256Cbc::Encrypt(k, v, plain, out));
    CHECK(out == cipher);
    Bytes back(cipher.size());
    CHECK(Aes256Cbc::Decrypt(k, v, cipher, back));
    CHECK(back == plain);
    // The IV is not changed by the call (CNG updates its own copy).
    CHECK(iv == FromHex("000102030405060708090a0b0c0d0e0f"));

    // Lengths the cipher must refuse rather than read or write past a buffer.
    Bytes part(plain.begin(), plain.begin() + 20);
    Bytes partOut(part.size());
    CHECK(!Aes256Cbc::Decrypt(k, v, part, partOut));
    Bytes shortOut(plain.size() - 16);
    CHECK(!Aes256Cbc::Encrypt(k, v, plain, shortOut));
}

void ContainerThroughTheLibrary()
{
    siicodec::TextBuffer text;
    CHECK(siicodec::ConvertToText(MakeContainer(WorkedExample()), text).Ok());
    CHECK(std::string(text.Data(), text.Size()) == std::string(kWorkedExampleText) + "\r\n");

    // The library's own encrypter and decrypter round-trip a payload of several thousand blocks.
    for (uint32_t version : {1u, 2u, 3u}) {
        const Bytes binary = AllTypesSample(version);
        std::vector<uint8_t> file;
        const uint8_t ivBytes[16] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};
        CHECK(siicodec::EncryptContainer(binary, std::span<const uint8_t, 16>(ivBytes), file).Ok());
        std::vector<uint8_t> payload;
        CHECK(siicodec::DecryptContainer(file, payload).Ok());
        CHECK(payload == binary);
    }

    struct Refused {
        const char *name;
        Bytes file;
        Status status;
    };
    const Bytes job = AllTypesSample(3);
    const Bytes whole = MakeContainer(job);
    const Refused refused[] = {
        {"bad padding", MakeContainer(job, {.badPadding = true}), Status::Damaged},
        {"corrupt zlib", MakeContainer(job, {.corruptZlib = true}), Status::Damaged},
        {"cut inside a block", MakeContainer(job, {.dropCipherBytes = 5}), Status::Damaged},
        {"cut by whole blocks", MakeContainer(job, {.dropCipherBytes = 32}), Status::Damaged},
        {"size field too large", MakeContainer(job, {.sizeFieldDelta = 1}), Status::Damaged},
        {"header only", Bytes(whole.begin(), whole.begin() + 56), Status::Damaged},
        {"shorter than the header", Bytes(whole.begin(), whole.begin() + 40), Status::TooShort},
    };
    for (const Refused &r : refused) {
        const siicodec::Result result = siicodec::ConvertToText(r.file, text);
        if (result.status != r.status) {
            std::fprintf(stderr, "%s: status %d, expected %d (%s)\n", r.name, int(result.status), int(r.status),
                         result.message.c_str());
            ++failures;
        }
    }
}

} // namespace

int main()
{
    std::printf("cipher: %s\n", Aes256Cbc::Backend());
    CipherMatchesTheStandard();
    ContainerThroughTheLibrary();
    std::printf(failures ? "%d check(s) failed\n" : "all checks passed\n", failures);
    return failures ? 1 : 0;
}
