#pragma once
// Writes SII text in the game's own conventions: "SiiNunit", one-space indentation, arrays as a
// count line and item lines, CR LF line ends. Every line makes room once and then stores bytes
// through a raw pointer; the value formatters never check space themselves.
#include "bsii_layout.h"
#include "decode_failure.h"
#include "number_format.h"
#include "siicodec/text_buffer.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace siicodec {

class SiiTextWriter {
public:
    SiiTextWriter(TextBuffer &out, uint32_t formatVersion, bool finalLineBreak)
        : FOut(out), FFormatVersion(formatVersion), FFinalLineBreak(finalLineBreak)
    {
    }

    void Begin() { Raw("SiiNunit\r\n{\r\n"); }
    void End() { Raw(FFinalLineBreak ? std::string_view("}\r\n") : std::string_view("}")); }

    void UnitBegin(const StructureLayout &s, IdRef id)
    {
        char *p = Room(s.className.size() + IdMax(id) + 8);
        p = Copy(p, s.className);
        p = Copy(p, " : ");
        p = Id(p, id);
        p = Copy(p, " {\r\n");
        FOut.Commit(p);
    }
    void UnitEnd() { Raw("}\r\n\r\n"); }

    void Count(const FieldLayout &f, uint32_t count)
    {
        char *p = Head(f, {}, 20);
        EndLine(fmt::U64(p, count));
    }
    void String(const FieldLayout &f, ItemPos pos, std::string_view s)
    {
        char *p = Head(f, pos, 4 * s.size() + 2);
        EndLine(QuotedOrBare(p, s));
    }
    void Token(const FieldLayout &f, ItemPos pos, uint64_t v)
    {
        char *p = Head(f, pos, 20);
        EndLine(StandaloneToken(p, v));
    }
    void Float(const FieldLayout &f, ItemPos pos, float v)
    {
        char *p = Head(f, pos, fmt::kFloatMax);
        EndLine(fmt::Float(p, v));
    }
    // "(a, b)" or "(a, b, c)"
    void FloatTuple(const FieldLayout &f, ItemPos pos, const float *v, int n)
    {
        char *p = Head(f, pos, 4 * (fmt::kFloatMax + 2) + 2);
        *p++ = '(';
        for (int i = 0; i < n; ++i) {
            if (i) {
                *p++ = ',';
                *p++ = ' ';
            }
            p = fmt::Float(p, v[i]);
        }
        *p++ = ')';
        EndLine(p);
    }
    // "(w; x, y, z)"
    void Quaternion(const FieldLayout &f, ItemPos pos, const float *wxyz)
    {
        char *p = Head(f, pos, 4 * (fmt::kFloatMax + 2) + 2);
        EndLine(QuaternionText(p, wxyz));
    }
    // "(x, y, z) (w; qx, qy, qz)"
    void Placement(const FieldLayout &f, ItemPos pos, const float *xyz_wxyz)
    {
        char *p = Head(f, pos, 7 * (fmt::kFloatMax + 2) + 6);
        *p++ = '(';
        for (int i = 0; i < 3; ++i) {
            if (i) {
                *p++ = ',';
                *p++ = ' ';
            }
            p = fmt::Float(p, xyz_wxyz[i]);
        }
        *p++ = ')';
        *p++ = ' ';
        EndLine(QuaternionText(p, xyz_wxyz + 3));
    }
    void Int3(const FieldLayout &f, ItemPos pos, const int32_t *v)
    {
        char *p = Head(f, pos, 3 * 13 + 2);
        *p++ = '(';
        p = fmt::I64(p, v[0]);
        p = Copy(p, ", ");
        p = fmt::I64(p, v[1]);
        p = Copy(p, ", ");
        p = fmt::I64(p, v[2]);
        *p++ = ')';
        EndLine(p);
    }
    void Signed(const FieldLayout &f, ItemPos pos, int64_t v)
    {
        char *p = Head(f, pos, 20);
        EndLine(fmt::I64(p, v));
    }
    void Unsigned(const FieldLayout &f, ItemPos pos, uint64_t v)
    {
        char *p = Head(f, pos, 20);
        EndLine(fmt::U64(p, v));
    }
    void Nil(const FieldLayout &f, ItemPos pos)
    {
        char *p = Head(f, pos, 3);
        EndLine(Copy(p, "nil"));
    }
    void Bool(const FieldLayout &f, ItemPos pos, bool v)
    {
        char *p = Head(f, pos, 5);
        EndLine(Copy(p, v ? std::string_view("true") : std::string_view("false")));
    }
    void Id(const FieldLayout &f, ItemPos pos, IdRef id)
    {
        char *p = Head(f, pos, IdMax(id));
        EndLine(Id(p, id));
    }

    // Value formatters, public for tests of single values.
    static char *QuotedOrBare(char *p, std::string_view s);
    char *StandaloneToken(char *p, uint64_t v);
    char *Id(char *p, IdRef id);

private:
    // Token text is copied 16 bytes at a time, hence the slack.
    static size_t IdMax(IdRef id) { return id.parts == 255 ? 32 : size_t(id.parts) * 14 + 20; }
    static char *Copy(char *p, std::string_view s)
    {
        std::memcpy(p, s.data(), s.size());
        return p + s.size();
    }
    // Saves repeat the same few hundred tokens ("company", "volatile", city names) millions of
    // times; a small direct-mapped cache spares the base-38 divisions.
    char *TokenChars(char *p, uint64_t v)
    {
        v &= ~(uint64_t(1) << 63);
        TokenCacheEntry &e = FTokenCache[(v * 0x9E3779B97F4A7C15ull) >> (64 - kTokenCacheBits)];
        if (e.key != v) {
            char text[16] = {};
            const auto length = static_cast<uint8_t>(DecodeToken(text, v) - text);
            std::memcpy(e.text, text, sizeof text);
            e.length = length;
            e.key = v;
        }
        std::memcpy(p, e.text, sizeof e.text);
        return p + e.length;
    }
    static char *DecodeToken(char *p, uint64_t v);
    static char *QuaternionText(char *p, const float *wxyz)
    {
        *p++ = '(';
        p = fmt::Float(p, wxyz[0]);
        *p++ = ';';
        for (int i = 1; i < 4; ++i) {
            *p++ = i == 1 ? ' ' : ',';
            if (i > 1)
                *p++ = ' ';
            p = fmt::Float(p, wxyz[i]);
        }
        *p++ = ')';
        return p;
    }

    char *Room(size_t bytes)
    {
        char *p = FOut.Room(bytes);
        if (!p)
            TooLarge();
        return p;
    }
    // " name: " or " name[i]: ", with room for the value and the line end behind it.
    char *Head(const FieldLayout &f, ItemPos pos, size_t valueMax)
    {
        char *p = Room(f.name.size() + 16 + valueMax);
        *p++ = ' ';
        p = Copy(p, f.name);
        if (pos.item) {
            *p++ = '[';
            p = fmt::U64(p, pos.index);
            *p++ = ']';
        }
        *p++ = ':';
        *p++ = ' ';
        return p;
    }
    void EndLine(char *p)
    {
        *p++ = '\r';
        *p++ = '\n';
        FOut.Commit(p);
    }
    void Raw(std::string_view s) { FOut.Commit(Copy(Room(s.size()), s)); }
    [[noreturn]] void TooLarge() const;

    static constexpr int kTokenCacheBits = 9;
    struct TokenCacheEntry {
        uint64_t key = 0; // token 0 is the empty text, which a zeroed entry already holds
        uint8_t length = 0;
        char text[16] = {};
    };
    std::vector<TokenCacheEntry> FTokenCache = std::vector<TokenCacheEntry>(size_t(1) << kTokenCacheBits);

    TextBuffer &FOut;
    uint32_t FFormatVersion;
    bool FFinalLineBreak;
};

} // namespace siicodec
