#pragma once
// Bounded little-endian reader over a byte span: every read checks the bytes that remain first.
#include "decode_failure.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace siicodec {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data)
        : FBegin(data.data()), FPos(data.data()), FEnd(data.data() + data.size())
    {
    }

    size_t Remaining() const { return static_cast<size_t>(FEnd - FPos); }
    size_t Offset() const { return static_cast<size_t>(FPos - FBegin); }

    void Need(size_t bytes) const
    {
        if (Remaining() < bytes)
            CutOff();
    }
    // Guards an element count before any loop or allocation sized by it.
    void NeedElements(uint64_t count, size_t minElementBytes) const
    {
        if (count > Remaining() / minElementBytes)
            CutOff();
    }

    uint8_t U8()
    {
        Need(1);
        return *FPos++;
    }
    uint32_t U32()
    {
        Need(4);
        uint32_t v = LoadU32(FPos);
        FPos += 4;
        return v;
    }
    uint64_t U64()
    {
        Need(8);
        uint64_t v = LoadU64(FPos);
        FPos += 8;
        return v;
    }
    // Returns a pointer to `bytes` bytes and steps over them.
    const uint8_t *Take(size_t bytes)
    {
        Need(bytes);
        const uint8_t *p = FPos;
        FPos += bytes;
        return p;
    }
    std::string_view String()
    {
        uint32_t length = U32();
        const uint8_t *p = Take(length);
        return {reinterpret_cast<const char *>(p), length};
    }

    // Unchecked little-endian loads for callers that already called Need; compilers turn the
    // shifts into one load on little-endian machines.
    static uint32_t LoadU32(const uint8_t *p)
    {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    static uint64_t LoadU64(const uint8_t *p) { return uint64_t(LoadU32(p)) | uint64_t(LoadU32(p + 4)) << 32; }
    static float LoadF32(const uint8_t *p)
    {
        uint32_t bits = LoadU32(p);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }

private:
    [[noreturn]] void CutOff() const
    {
        Fail(Status::Damaged, "the binary save is cut off or damaged near byte " + std::to_string(Offset()));
    }

    const uint8_t *FBegin;
    const uint8_t *FPos;
    const uint8_t *FEnd;
};

} // namespace siicodec
