// The writing side: binary SII from text and a class table, and the encrypted container.
#include "siicodec/encoder.h"

#include "decode_failure.h"
#include "siicodec/aes256cbc.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_map>

namespace siicodec {

namespace {

int TokenDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0' + 1;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 11;
    if (c == '_')
        return 37;
    return 0;
}

} // namespace

bool EncodeToken(std::string_view text, uint64_t &value)
{
    value = 0;
    if (text.size() > 12)
        return false;
    uint64_t scale = 1;
    for (char c : text) {
        const int d = TokenDigit(c);
        if (d == 0)
            return false;
        value += uint64_t(d) * scale;
        scale *= 38;
    }
    return true;
}

BsiiWriter::BsiiWriter(uint32_t version) : FVersion(version)
{
    FData = {'B', 'S', 'I', 'I'};
    U32(version);
}

BsiiWriter &BsiiWriter::Structure(uint32_t id, std::string_view className, const std::vector<FieldDecl> &fields)
{
    U32(0).U8(1).U32(id).Str(className);
    for (const FieldDecl &f : fields) {
        U32(f.type).Str(f.name);
        if (f.type == 0x37 || f.type == 0x38) {
            U32(static_cast<uint32_t>(f.ordinals.size()));
            for (const auto &[value, text] : f.ordinals)
                U32(value).Str(text);
        }
    }
    return U32(0);
}

BsiiWriter &BsiiWriter::F32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return U32(bits);
}

BsiiWriter &BsiiWriter::Str(std::string_view s)
{
    U32(static_cast<uint32_t>(s.size()));
    FData.insert(FData.end(), s.begin(), s.end());
    return *this;
}

BsiiWriter &BsiiWriter::Raw(std::span<const uint8_t> b)
{
    FData.insert(FData.end(), b.begin(), b.end());
    return *this;
}

BsiiWriter &BsiiWriter::IdNamed(std::string_view dotted)
{
    uint64_t parts[254];
    size_t count = 0;
    size_t start = 0;
    for (;;) {
        const size_t dot = dotted.find('.', start);
        const std::string_view part = dotted.substr(start, dot == std::string_view::npos ? dotted.npos : dot - start);
        if (count == 254 || !EncodeToken(part, parts[count])) {
            FOk = false;
            return IdNull();
        }
        ++count;
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    U8(static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i)
        U64(parts[i]);
    return *this;
}

BsiiWriter &BsiiWriter::Placement(const float xyz[3], const float wxyz[4])
{
    if (FVersion == 1) {
        for (int i = 0; i < 3; ++i)
            F32(xyz[i]);
        for (int i = 0; i < 4; ++i)
            F32(wxyz[i]);
        return *this;
    }
    // The cell nearest to the position leaves an offset of at most 256 units, which a float holds
    // exactly whenever the position itself is at least that large, so x' + cell * 512 == x again.
    auto cell = [](float v) {
        if (!std::isfinite(v))
            return 0;
        const double c = std::nearbyint(double(v) / 512.0);
        return int(std::clamp(c, -2048.0, 2047.0));
    };
    const int cx = cell(xyz[0]);
    const int cz = cell(xyz[2]);
    const int32_t k = (cx + 2048) | ((cz + 2048) << 12);
    F32(float(double(xyz[0]) - cx * 512.0)).F32(xyz[1]).F32(float(double(xyz[2]) - cz * 512.0));
    F32(float(k));
    for (int i = 0; i < 4; ++i)
        F32(wxyz[i]);
    return *this;
}

namespace {

// A piece of the input in quotes for an error message. Built by appending: GCC 12 at -O3 warns
// falsely (-Wrestrict) on the same text made with operator+ from a temporary.
std::string Quoted(std::string_view Text)
{
    std::string quoted;
    quoted.reserve(Text.size() + 2);
    quoted += '\'';
    quoted.append(Text);
    quoted += '\'';
    return quoted;
}

// Reads the text line by line and writes each value in the binary layout of its declared type.
class TextEncoder {
public:
    TextEncoder(std::string_view text, const std::vector<ClassDecl> &classes, uint32_t version)
        : FText(text), FClasses(classes), FOut(version)
    {
    }

    std::vector<uint8_t> Run()
    {
        for (size_t i = 0; i < FClasses.size(); ++i) {
            const ClassDecl &c = FClasses[i];
            for (const FieldDecl &f : c.fields)
                if (!KnownType(f.type))
                    Fail(Status::Unsupported,
                         "the class table declares an unknown value type for '" + c.className + "." + f.name + "'");
            FIndex.emplace(c.className, uint32_t(i + 1));
            FOut.Structure(uint32_t(i + 1), c.className, c.fields);
        }
        if (NextContentLine() != "SiiNunit" || NextContentLine() != "{")
            Fail(Status::UnknownForm, "the text does not start with 'SiiNunit' and '{'");
        for (;;) {
            const std::string_view line = NextContentLine();
            if (line == "}")
                break;
            Unit(line);
        }
        if (!NextContentLine().empty() || !AtEnd())
            Error("text after the final '}'");
        FOut.End();
        return FOut.Take();
    }

private:
    static bool KnownType(uint32_t t)
    {
        return (t >= 0x01 && t <= 0x0A) || t == 0x11 || t == 0x12 || (t >= 0x17 && t <= 0x1A) ||
               (t >= 0x25 && t <= 0x2C) || t == 0x2F || (t >= 0x31 && t <= 0x3E);
    }
    static bool IsArray(uint32_t t)
    {
        switch (t) {
        case 0x02:
        case 0x04:
        case 0x06:
        case 0x08:
        case 0x0A:
        case 0x12:
        case 0x18:
        case 0x1A:
        case 0x26:
        case 0x28:
        case 0x2A:
        case 0x2C:
        case 0x32:
        case 0x34:
        case 0x36:
        case 0x38:
        case 0x3A:
        case 0x3C:
        case 0x3E:
            return true;
        default:
            return false;
        }
    }

    [[noreturn]] void Error(const std::string &what) const
    {
        Fail(Status::Damaged, "line " + std::to_string(FLine) + ": " + what);
    }

    bool AtEnd() const { return FPos >= FText.size(); }

    static std::string_view Trim(std::string_view s)
    {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
            s.remove_suffix(1);
        return s;
    }

    // The next line, trimmed; empty at the end of the text.
    std::string_view NextLine()
    {
        if (AtEnd())
            return {};
        size_t end = FText.find('\n', FPos);
        if (end == std::string_view::npos)
            end = FText.size();
        const std::string_view line = FText.substr(FPos, end - FPos);
        FPos = end + 1;
        ++FLine;
        return Trim(line);
    }
    std::string_view NextContentLine()
    {
        std::string_view line;
        while (line.empty() && !AtEnd())
            line = NextLine();
        return line;
    }

    void Unit(std::string_view header)
    {
        const size_t colon = header.find(':');
        if (colon == std::string_view::npos || header.size() < 2 || header.back() != '{')
            Error("a unit header 'class : name {' was expected");
        const std::string_view className = Trim(header.substr(0, colon));
        const std::string_view name = Trim(header.substr(colon + 1, header.size() - colon - 2));
        const auto it = FIndex.find(className);
        if (it == FIndex.end())
            Fail(Status::Unsupported,
                 "line " + std::to_string(FLine) + ": unit class '" + std::string(className) + "' is not declared");
        const ClassDecl &c = FClasses[it->second - 1];
        FOut.Unit(it->second);
        Id(name);
        for (const FieldDecl &f : c.fields)
            Field(c, f);
        if (NextContentLine() != "}")
            Error("'}' was expected after the last attribute of '" + c.className + "'");
    }

    // "name: value" for `expectedName`; returns the value.
    std::string_view Attribute(const ClassDecl &c, std::string_view expectedName)
    {
        const std::string_view line = NextContentLine();
        const size_t colon = line.find(": ");
        const std::string_view name = colon == std::string_view::npos ? std::string_view() : line.substr(0, colon);
        if (name != expectedName)
            Error("attribute '" + std::string(expectedName) + "' of '" + c.className + "' was expected, not '" +
                  std::string(line.substr(0, 80)) + "'");
        return Trim(line.substr(colon + 2));
    }

    void Field(const ClassDecl &c, const FieldDecl &f)
    {
        const std::string_view value = Attribute(c, f.name);
        if (!IsArray(f.type))
            return Value(f, f.type, value);
        uint32_t count = 0;
        if (!Number(value, count))
            Error("the item count of '" + f.name + "' is not a number");
        FOut.U32(count);
        const uint32_t itemType = f.type - 1;
        for (uint32_t i = 0; i < count; ++i)
            Value(f, itemType, Attribute(c, f.name + '[' + std::to_string(i) + ']'));
    }

    template <class T> static bool Number(std::string_view s, T &v)
    {
        const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        return r.ec == std::errc() && r.ptr == s.data() + s.size();
    }

    template <class T> T Integer(std::string_view s, T max = std::numeric_limits<T>::max())
    {
        T v{};
        if (!Number(s, v) || v > max)
            Error(Quoted(s.substr(0, 40)) + " is not a storable number here");
        return v;
    }

    float Float(std::string_view s)
    {
        if (!s.empty() && s.front() == '&') {
            uint32_t bits = 0;
            const auto r = std::from_chars(s.data() + 1, s.data() + s.size(), bits, 16);
            if (s.size() != 9 || r.ec != std::errc() || r.ptr != s.data() + s.size())
                Error(Quoted(s.substr(0, 40)) + " is not a float in '&' form");
            float v;
            std::memcpy(&v, &bits, 4);
            return v;
        }
        float v = 0;
        if (!Number(s, v))
            Error(Quoted(s.substr(0, 40)) + " is not a number");
        return v;
    }

    // Splits "(a, b) (c; d)" into its numbers after checking its layout against `shape`, in which
    // 'n' stands for one number ("(n, n) (n; n)" without the spaces).
    std::vector<std::string_view> Tuple(std::string_view s, std::string_view shape)
    {
        std::string layout;
        std::vector<std::string_view> parts;
        size_t start = std::string_view::npos;
        for (size_t i = 0; i <= s.size(); ++i) {
            const char c = i < s.size() ? s[i] : ' ';
            const bool separator = c == '(' || c == ')' || c == ',' || c == ';' || c == ' ';
            if (separator && start != std::string_view::npos) {
                parts.push_back(s.substr(start, i - start));
                layout += 'n';
                start = std::string_view::npos;
            } else if (!separator && start == std::string_view::npos) {
                start = i;
            }
            if (separator && c != ' ')
                layout += c;
        }
        if (layout != shape)
            Error(Quoted(s.substr(0, 80)) + " does not have the form " + std::string(shape));
        return parts;
    }

    std::string Text(std::string_view s)
    {
        if (s.empty())
            Error("a value is missing");
        if (s.front() != '"')
            return std::string(s);
        if (s.size() < 2 || s.back() != '"')
            Error("a quoted text does not end with '\"'");
        std::string out;
        const std::string_view inner = s.substr(1, s.size() - 2);
        for (size_t i = 0; i < inner.size(); ++i) {
            const char c = inner[i];
            if (c == '"')
                Error("a quoted text holds a bare '\"'");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i + 1 >= inner.size())
                Error("a quoted text ends in '\\'");
            const char e = inner[++i];
            if (e == '"' || e == '\\') {
                out += e;
            } else if (e == 'x' && i + 2 < inner.size()) {
                uint8_t byte = 0;
                const auto r = std::from_chars(inner.data() + i + 1, inner.data() + i + 3, byte, 16);
                if (r.ec != std::errc() || r.ptr != inner.data() + i + 3)
                    Error("a '\\x' escape needs two hex digits");
                out += char(byte);
                i += 2;
            } else {
                Error("unknown escape in a quoted text");
            }
        }
        return out;
    }

    uint64_t Token(std::string_view s)
    {
        const std::string text = Text(s);
        uint64_t v = 0;
        if (!EncodeToken(text, v))
            Error(Quoted(text.substr(0, 40)) + " is not a token (at most 12 of 0-9, a-z, _)");
        return v;
    }

    void Id(std::string_view s)
    {
        if (s == "null") {
            FOut.IdNull();
            return;
        }
        constexpr std::string_view nameless = "_nameless.";
        if (s.starts_with(nameless)) {
            uint64_t v = 0;
            std::string_view rest = s.substr(nameless.size());
            for (int group = 0;; ++group) {
                const size_t dot = rest.find('.');
                const std::string_view digits = rest.substr(0, dot);
                uint16_t g = 0;
                const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), g, 16);
                if (group >= 4 || digits.empty() || digits.size() > 4 || (group > 0 && digits.size() != 4) ||
                    r.ec != std::errc() || r.ptr != digits.data() + digits.size())
                    Error(Quoted(s.substr(0, 60)) + " is not a nameless unit name");
                v = (v << 16) | g;
                if (dot == std::string_view::npos)
                    break;
                rest = rest.substr(dot + 1);
            }
            FOut.IdNameless(v);
            return;
        }
        FOut.IdNamed(s);
        if (!FOut.Ok())
            Error(Quoted(s.substr(0, 60)) + " is not a unit name of tokens");
    }

    void Value(const FieldDecl &f, uint32_t type, std::string_view s)
    {
        switch (type) {
        case 0x01:
            FOut.Str(Text(s));
            return;
        case 0x03:
            FOut.U64(Token(s));
            return;
        case 0x05:
            FOut.F32(Float(s));
            return;
        case 0x07:
        case 0x09: {
            const int n = type == 0x07 ? 2 : 3;
            for (std::string_view p : Tuple(s, n == 2 ? "(n,n)" : "(n,n,n)"))
                FOut.F32(Float(p));
            return;
        }
        case 0x11:
            for (std::string_view p : Tuple(s, "(n,n,n)"))
                FOut.U32(uint32_t(Integer<int32_t>(p)));
            return;
        case 0x17:
            for (std::string_view p : Tuple(s, "(n;n,n,n)"))
                FOut.F32(Float(p));
            return;
        case 0x19: {
            const std::vector<std::string_view> p = Tuple(s, "(n,n,n)(n;n,n,n)");
            const float xyz[3] = {Float(p[0]), Float(p[1]), Float(p[2])};
            const float wxyz[4] = {Float(p[3]), Float(p[4]), Float(p[5]), Float(p[6])};
            FOut.Placement(xyz, wxyz);
            return;
        }
        case 0x25:
            FOut.U32(uint32_t(Integer<int32_t>(s)));
            return;
        case 0x27:
            // The all-ones value is how nil is stored, so as a number it would come back as nil.
            FOut.U32(s == "nil" ? 0xFFFFFFFFu : Integer<uint32_t>(s, 0xFFFFFFFEu));
            return;
        case 0x29:
            FOut.U16(uint16_t(Integer<int16_t>(s)));
            return;
        case 0x2B:
            FOut.U16(s == "nil" ? uint16_t(0xFFFF) : Integer<uint16_t>(s, 0xFFFE));
            return;
        case 0x2F:
            FOut.U32(Integer<uint32_t>(s));
            return;
        case 0x31:
            FOut.U64(uint64_t(Integer<int64_t>(s)));
            return;
        case 0x33:
            FOut.U64(s == "nil" ? ~uint64_t(0) : Integer<uint64_t>(s, ~uint64_t(0) - 1));
            return;
        case 0x35:
            if (s != "true" && s != "false")
                Error(Quoted(s.substr(0, 40)) + " is not true or false");
            FOut.U8(s == "true" ? 1 : 0);
            return;
        case 0x37: {
            const std::string text = Text(s);
            for (const auto &[value, name] : f.ordinals)
                if (name == text) {
                    FOut.U32(value);
                    return;
                }
            Error(Quoted(text.substr(0, 40)) + " is not one of the values of '" + f.name + "'");
        }
        case 0x39:
        case 0x3B:
        case 0x3D:
            Id(s);
            return;
        default:
            Error("attribute '" + f.name + "' has a type the encoder does not write");
        }
    }

    std::string_view FText;
    const std::vector<ClassDecl> &FClasses;
    BsiiWriter FOut;
    std::unordered_map<std::string_view, uint32_t> FIndex;
    size_t FPos = 0;
    int FLine = 0;
};

} // namespace

Result EncodeBinary(std::string_view text, const std::vector<ClassDecl> &classes, std::vector<uint8_t> &binary,
                    uint32_t version)
{
    binary.clear();
    if (version < 1 || version > 3)
        return {Status::Unsupported, "binary format version " + std::to_string(version) + " is not supported"};
    try {
        binary = TextEncoder(text, classes, version).Run();
        return {};
    } catch (const DecodeFailure &f) {
        return {f.status, f.message};
    } catch (const std::bad_alloc &) {
        return {Status::Unsupported, "there is not enough memory to encode the text"};
    }
}

Result EncryptContainer(std::span<const uint8_t> payload, std::span<const uint8_t, 16> iv, std::vector<uint8_t> &file)
{
    file.clear();
    if (payload.size() > 0xFFFFFFFFu)
        return {Status::Unsupported, "the payload is too large for the container"};
    uLongf packedSize = compressBound(uLong(payload.size()));
    std::vector<uint8_t> packed(packedSize + 16);
    if (compress2(packed.data(), &packedSize, payload.data(), uLong(payload.size()), 6) != Z_OK)
        return {Status::Unsupported, "the payload could not be compressed"};
    const size_t pad = 16 - packedSize % 16;
    packed.resize(packedSize + pad);
    std::memset(packed.data() + packedSize, int(pad), pad);

    // Magic, a 32-byte authentication field that no reader checks, the IV, the unpacked size.
    file.assign({'S', 'c', 's', 'C'});
    file.resize(36, 0);
    file.insert(file.end(), iv.begin(), iv.end());
    const uint32_t size = uint32_t(payload.size());
    for (int i = 0; i < 4; ++i)
        file.push_back(uint8_t(size >> (8 * i)));
    const size_t header = file.size();
    file.resize(header + packed.size());
    const bool ok = Aes256Cbc::Encrypt(ContainerKey(), iv, packed, std::span<uint8_t>(file).subspan(header));
    if (!ok) {
        file.clear();
        return {Status::Unsupported, "the payload could not be encrypted"};
    }
    return {};
}

} // namespace siicodec
