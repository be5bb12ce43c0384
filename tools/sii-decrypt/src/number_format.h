#pragma once
// Hand-written number formatting into a raw buffer: the text writer spends most of its time here.
#include <cmath>
#include <cstdint>
#include <cstring>

namespace siicodec::fmt {

inline constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                      "8081828384858687888990919293949596979899";

inline int DecimalDigits(uint64_t v)
{
    int n = 1;
    for (;;) {
        if (v < 10)
            return n;
        if (v < 100)
            return n + 1;
        if (v < 1000)
            return n + 2;
        if (v < 10000)
            return n + 3;
        v /= 10000;
        n += 4;
    }
}

// Longest output: 20 digits.
inline char *U64(char *p, uint64_t v)
{
    int n = DecimalDigits(v);
    char *end = p + n;
    char *q = end;
    while (v >= 100) {
        unsigned pair = static_cast<unsigned>(v % 100) * 2;
        v /= 100;
        *--q = kDigitPairs[pair + 1];
        *--q = kDigitPairs[pair];
    }
    if (v >= 10) {
        unsigned pair = static_cast<unsigned>(v) * 2;
        *--q = kDigitPairs[pair + 1];
        *--q = kDigitPairs[pair];
    } else {
        *--q = static_cast<char>('0' + v);
    }
    return end;
}

// Longest output: 20 characters.
inline char *I64(char *p, int64_t v)
{
    if (v < 0) {
        *p++ = '-';
        return U64(p, uint64_t(0) - static_cast<uint64_t>(v));
    }
    return U64(p, static_cast<uint64_t>(v));
}

inline constexpr char kHexLower[] = "0123456789abcdef";
inline constexpr char kHexUpper[] = "0123456789ABCDEF";

// Exactly `digits` hex digits of v (most significant first).
inline char *HexFixed(char *p, uint64_t v, int digits, const char *alphabet = kHexLower)
{
    for (int i = digits - 1; i >= 0; --i)
        p[digits - 1 - i] = alphabet[(v >> (4 * i)) & 0xF];
    return p + digits;
}

// Hex digits of v without leading zeros ("0" for zero).
inline char *HexTrimmed(char *p, uint64_t v)
{
    int digits = 1;
    while (digits < 16 && (v >> (4 * digits)) != 0)
        ++digits;
    return HexFixed(p, v, digits);
}

inline constexpr size_t kFloatMax = 21;

// The game's float notation: whole numbers below 1e7 in plain decimal, everything else (fractions,
// large values, NaN, infinities) as '&' and the IEEE bit pattern, so that no value loses bits.
inline char *Float(char *p, float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    if (std::isfinite(x) && x < 1e7f && x >= -0x1p63f && x == std::trunc(x)) {
        if (x == 0.0f) {
            if (bits >> 31)
                *p++ = '-';
            *p++ = '0';
            return p;
        }
        return I64(p, static_cast<int64_t>(x));
    }
    *p++ = '&';
    return HexFixed(p, bits, 8);
}

} // namespace siicodec::fmt
