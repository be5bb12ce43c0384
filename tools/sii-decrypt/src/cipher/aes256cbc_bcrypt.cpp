// The Windows cipher: CNG (bcrypt.dll), part of every Windows since Vista, so the decrypter
// needs no library beside it.
#include "siicodec/aes256cbc.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// bcrypt.h needs windows.h first
#include <bcrypt.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace siicodec {

namespace {

class AlgorithmHandle {
public:
    AlgorithmHandle()
    {
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, BCRYPT_AES_ALGORITHM, nullptr, 0)))
            handle_ = nullptr;
    }
    ~AlgorithmHandle()
    {
        if (handle_)
            BCryptCloseAlgorithmProvider(handle_, 0);
    }
    AlgorithmHandle(const AlgorithmHandle &) = delete;
    AlgorithmHandle &operator=(const AlgorithmHandle &) = delete;
    BCRYPT_ALG_HANDLE Get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class KeyHandle {
public:
    ~KeyHandle()
    {
        if (handle_)
            BCryptDestroyKey(handle_);
    }
    BCRYPT_KEY_HANDLE *Out() { return &handle_; }
    BCRYPT_KEY_HANDLE Get() const { return handle_; }

private:
    BCRYPT_KEY_HANDLE handle_ = nullptr;
};

bool Run(bool encrypt, std::span<const uint8_t, 32> key, std::span<const uint8_t, 16> iv, std::span<const uint8_t> in,
         std::span<uint8_t> out)
{
    if (in.size() % Aes256Cbc::kBlock != 0 || out.size() != in.size() || in.size() > ULONG_MAX)
        return false;
    if (in.empty())
        return true;
    AlgorithmHandle algorithm;
    if (!algorithm.Get())
        return false;
    auto *mode = const_cast<wchar_t *>(BCRYPT_CHAIN_MODE_CBC);
    if (!BCRYPT_SUCCESS(BCryptSetProperty(algorithm.Get(), BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                                          ULONG(sizeof(BCRYPT_CHAIN_MODE_CBC)), 0)))
        return false;
    KeyHandle keyHandle;
    if (!BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(algorithm.Get(), keyHandle.Out(), nullptr, 0,
                                                   const_cast<PUCHAR>(key.data()), ULONG(key.size()), 0)))
        return false;
    // CNG writes the chaining state back into the IV buffer, so it gets its own copy.
    uint8_t chain[16];
    std::copy(iv.begin(), iv.end(), chain);
    ULONG written = 0;
    const NTSTATUS status =
        encrypt ? BCryptEncrypt(keyHandle.Get(), const_cast<PUCHAR>(in.data()), ULONG(in.size()), nullptr, chain,
                                ULONG(sizeof chain), out.data(), ULONG(out.size()), &written, 0)
                : BCryptDecrypt(keyHandle.Get(), const_cast<PUCHAR>(in.data()), ULONG(in.size()), nullptr, chain,
                                ULONG(sizeof chain), out.data(), ULONG(out.size()), &written, 0);
    return BCRYPT_SUCCESS(status) && written == in.size();
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
    return "Windows CNG";
}

} // namespace siicodec
