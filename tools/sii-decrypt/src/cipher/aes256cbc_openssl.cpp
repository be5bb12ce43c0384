#include "siicodec/aes256cbc.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>

namespace siicodec {

namespace {

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX *ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

bool Run(bool encrypt, std::span<const uint8_t, 32> key, std::span<const uint8_t, 16> iv, std::span<const uint8_t> in,
         std::span<uint8_t> out)
{
    if (in.size() % Aes256Cbc::kBlock != 0 || out.size() != in.size() || in.size() > size_t(INT_MAX))
        return false;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> ctx(EVP_CIPHER_CTX_new());
    int written = 0;
    int finalWritten = 0;
    const bool ok =
        ctx && EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, key.data(), iv.data(), encrypt ? 1 : 0) == 1 &&
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
        EVP_CipherUpdate(ctx.get(), out.data(), &written, in.data(), static_cast<int>(in.size())) == 1 &&
        EVP_CipherFinal_ex(ctx.get(), out.data() + written, &finalWritten) == 1;
    return ok && size_t(written) + size_t(finalWritten) == in.size();
}

} // namespace

bool Aes256Cbc::Decrypt(std::span<const uint8_t, 32> key, std::span<const uint8_t, 16> iv, std::span<const uint8_t> in,
                        std::span<uint8_t> out)
{
    return Run(false, key, iv, in, out);
}

bool Aes256Cbc::Encrypt(std::span<const uint8_t, 32> key, std::span<const uint8_t, 16> iv, std::span<const uint8_t> in,
                        std::span<uint8_t> out)
{
    return Run(true, key, iv, in, out);
}

const char *Aes256Cbc::Backend()
{
    return "OpenSSL";
}

} // namespace siicodec
