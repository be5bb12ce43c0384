#include "sii_text_writer.h"

#include "byte_reader.h"

#include <array>
#include <string>

namespace siicodec {

namespace {

// How a byte is written in a string value: bare words may stand without quotes; inside quotes
// the game escapes everything outside printable ASCII as \xNN; quote and backslash get a
// backslash so that the value cannot end early for a reader that honours escapes.
enum ByteClass : uint8_t { BareChar, QuotedChar, BackslashEscape, HexEscape };

constexpr std::array<uint8_t, 256> MakeByteClasses()
{
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')
            t[c] = BareChar;
        else if (c == '"' || c == '\\')
            t[c] = BackslashEscape;
        else if (c < 0x20 || c >= 0x7F)
            t[c] = HexEscape;
        else
            t[c] = QuotedChar;
    }
    return t;
}
constexpr std::array<uint8_t, 256> kByteClass = MakeByteClasses();

// Token alphabet by base-38 digit; digit 0 is no character.
constexpr char kTokenChars[] = "?0123456789abcdefghijklmnopqrstuvwxyz_";

} // namespace

char *SiiTextWriter::QuotedOrBare(char *p, std::string_view s)
{
    const auto *b = reinterpret_cast<const uint8_t *>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    while (i < n && kByteClass[b[i]] == BareChar)
        ++i;
    if (i == n && n != 0) {
        std::memcpy(p, b, n);
        return p + n;
    }
    *p++ = '"';
    std::memcpy(p, b, i);
    p += i;
    for (; i < n; ++i) {
        const uint8_t c = b[i];
        switch (kByteClass[c]) {
        case BareChar:
        case QuotedChar:
            *p++ = static_cast<char>(c);
            break;
        case BackslashEscape:
            *p++ = '\\';
            *p++ = static_cast<char>(c);
            break;
        default:
            *p++ = '\\';
            *p++ = 'x';
            *p++ = fmt::kHexLower[c >> 4];
            *p++ = fmt::kHexLower[c & 0xF];
            break;
        }
    }
    *p++ = '"';
    return p;
}

// Tokens are base 38 with the first character least significant. Bit 63 belongs to the game.
char *SiiTextWriter::DecodeToken(char *p, uint64_t v)
{
    while (v != 0) {
        const unsigned digit = static_cast<unsigned>(v % 38);
        v /= 38;
        if (digit == 0)
            Fail(Status::Damaged, "the binary save holds a name that is not a valid token");
        *p++ = kTokenChars[digit];
    }
    return p;
}

char *SiiTextWriter::StandaloneToken(char *p, uint64_t v)
{
    char *end = TokenChars(p, v);
    if (end != p)
        return end;
    *p++ = '"';
    *p++ = '"';
    return p;
}

char *SiiTextWriter::Id(char *p, IdRef id)
{
    if (id.parts == 0) {
        std::memcpy(p, "null", 4);
        return p + 4;
    }
    if (id.parts == 255) {
        const uint64_t v = ByteReader::LoadU64(id.data);
        std::memcpy(p, "_nameless", 9);
        p += 9;
        if (FFormatVersion == 1 && (v >> 32) == 0) {
            // The oldest format wrote two upper-case groups of four digits.
            *p++ = '.';
            p = fmt::HexFixed(p, v >> 16, 4, fmt::kHexUpper);
            *p++ = '.';
            return fmt::HexFixed(p, v & 0xFFFF, 4, fmt::kHexUpper);
        }
        int groups = 1;
        while (groups < 4 && (v >> (16 * groups)) != 0)
            ++groups;
        *p++ = '.';
        p = fmt::HexTrimmed(p, (v >> (16 * (groups - 1))) & 0xFFFF);
        for (int g = groups - 2; g >= 0; --g) {
            *p++ = '.';
            p = fmt::HexFixed(p, (v >> (16 * g)) & 0xFFFF, 4);
        }
        return p;
    }
    for (unsigned i = 0; i < id.parts; ++i) {
        if (i)
            *p++ = '.';
        p = TokenChars(p, ByteReader::LoadU64(id.data + 8 * i));
    }
    return p;
}

void SiiTextWriter::TooLarge() const
{
    Fail(Status::Unsupported,
         "the text would be larger than " + std::to_string(FOut.Limit() >> 20) + " MiB, which no real save comes near");
}

} // namespace siicodec
