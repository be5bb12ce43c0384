#include "sii_fixtures.h"

#include "siicodec/siicodec.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace siifixtures {

uint64_t Token(std::string_view text)
{
    uint64_t v = 0;
    uint64_t scale = 1;
    for (char c : text) {
        uint64_t d = 0;
        if (c >= '0' && c <= '9')
            d = uint64_t(c - '0') + 1;
        else if (c >= 'a' && c <= 'z')
            d = uint64_t(c - 'a') + 11;
        else if (c == '_')
            d = 37;
        else
            throw std::invalid_argument("not a token character");
        v += d * scale;
        scale *= 38;
    }
    return v;
}

BsiiWriter::BsiiWriter(uint32_t version)
{
    Raw({'B', 'S', 'I', 'I'});
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

BsiiWriter &BsiiWriter::End()
{
    return U32(0).U8(0);
}

BsiiWriter &BsiiWriter::U8(uint8_t v)
{
    FData.push_back(v);
    return *this;
}
BsiiWriter &BsiiWriter::U16(uint16_t v)
{
    return U8(uint8_t(v)).U8(uint8_t(v >> 8));
}
BsiiWriter &BsiiWriter::U32(uint32_t v)
{
    return U16(uint16_t(v)).U16(uint16_t(v >> 16));
}
BsiiWriter &BsiiWriter::U64(uint64_t v)
{
    return U32(uint32_t(v)).U32(uint32_t(v >> 32));
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
BsiiWriter &BsiiWriter::Raw(const Bytes &b)
{
    FData.insert(FData.end(), b.begin(), b.end());
    return *this;
}
BsiiWriter &BsiiWriter::IdNamed(std::string_view dotted)
{
    std::vector<uint64_t> parts;
    size_t start = 0;
    for (;;) {
        size_t dot = dotted.find('.', start);
        parts.push_back(Token(dotted.substr(start, dot == std::string_view::npos ? dotted.npos : dot - start)));
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    U8(static_cast<uint8_t>(parts.size()));
    for (uint64_t p : parts)
        U64(p);
    return *this;
}

Bytes ToBytes(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

Bytes MakeContainer(const Bytes &payload, const ContainerOptions &options)
{
    Bytes packed;
    if (options.rawZlib) {
        packed = payload;
    } else {
        uLongf packedSize = compressBound(static_cast<uLong>(payload.size()));
        packed.resize(packedSize);
        if (compress2(packed.data(), &packedSize, payload.data(), static_cast<uLong>(payload.size()), 6) != Z_OK)
            throw std::runtime_error("compress2 failed");
        packed.resize(packedSize);
        if (options.corruptZlib && packed.size() > 8)
            for (size_t i = 2; i < packed.size() - 4; i += 3)
                packed[i] ^= 0x5A;
    }
    uint8_t pad = static_cast<uint8_t>(16 - packed.size() % 16);
    packed.insert(packed.end(), pad, options.badPadding ? uint8_t(pad ^ 0x20) : pad);

    uint8_t iv[16];
    for (int i = 0; i < 16; ++i)
        iv[i] = static_cast<uint8_t>(options.ivSeed * 31 + i);
    Bytes cipher(packed.size() + 16);
    int written = 0;
    int finalWritten = 0;
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, siicodec::ContainerKey().data(), iv);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_EncryptUpdate(ctx, cipher.data(), &written, packed.data(), static_cast<int>(packed.size()));
    EVP_EncryptFinal_ex(ctx, cipher.data() + written, &finalWritten);
    EVP_CIPHER_CTX_free(ctx);
    cipher.resize(static_cast<size_t>(written + finalWritten));
    cipher.resize(cipher.size() - std::min(options.dropCipherBytes, cipher.size()));

    Bytes out = {'S', 'c', 's', 'C'};
    out.insert(out.end(), 32, 0xAB); // HMAC: never checked
    out.insert(out.end(), iv, iv + 16);
    const uint32_t size = static_cast<uint32_t>(int64_t(payload.size()) + options.sizeFieldDelta);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(size >> (8 * i)));
    out.insert(out.end(), cipher.begin(), cipher.end());
    return out;
}

Bytes Make3nK(std::string_view text, uint8_t seed)
{
    Bytes out = {0x33, 0x6E, 0x4B, 0x01, 0x00, seed};
    uint8_t index = seed;
    for (char c : text) {
        const uint8_t key = static_cast<uint8_t>((((index << 2) ^ ~index) << 3) ^ index);
        out.push_back(static_cast<uint8_t>(c) ^ key);
        ++index;
    }
    return out;
}

Bytes AllTypesSample(uint32_t version)
{
    const std::vector<std::pair<uint32_t, std::string>> ordinals = {{2, "adr"}, {1, "balanced"}, {7, "eco mode"}};
    BsiiWriter w(version);
    w.Structure(1, "all_types", {{0x01, "s"},     {0x02, "sa"},          {0x03, "t"},
                                 {0x04, "ta"},    {0x05, "f"},           {0x06, "fa"},
                                 {0x07, "f2"},    {0x08, "f2a"},         {0x09, "f3"},
                                 {0x0A, "f3a"},   {0x11, "i3"},          {0x12, "i3a"},
                                 {0x17, "q"},     {0x18, "qa"},          {0x19, "p"},
                                 {0x1A, "pa"},    {0x25, "i"},           {0x26, "ia"},
                                 {0x27, "u"},     {0x28, "ua"},          {0x29, "h"},
                                 {0x2A, "ha"},    {0x2B, "uh"},          {0x2C, "uha"},
                                 {0x2F, "u2"},    {0x31, "l"},           {0x32, "la"},
                                 {0x33, "ul"},    {0x34, "ula"},         {0x35, "b"},
                                 {0x36, "ba"},    {0x37, "o", ordinals}, {0x38, "oa", ordinals},
                                 {0x39, "id"},    {0x3A, "ida"},         {0x3B, "link"},
                                 {0x3C, "linka"}, {0x3D, "ref"},         {0x3E, "refa"}});
    const int placementFloats = version == 1 ? 7 : 8;
    auto placement = [&](float x) {
        w.F32(x).F32(2).F32(-3);
        if (version != 1)
            w.F32(8669105);
        w.F32(1).F32(0).F32(0.5f).F32(0);
    };
    (void)placementFloats;
    w.Unit(1).IdNamed("unit.one");
    w.Str("My \"Company\"").U32(2).Str("a").Str("Z\xc3\xbcrich");
    w.U64(Token("cargo")).U32(2).U64(0).U64(Token("apples"));
    w.F32(0.5f).U32(2).F32(1e7f).F32(-0.0f);
    w.F32(1).F32(2).U32(1).F32(3).F32(4);
    w.F32(1).F32(2).F32(3).U32(1).F32(4).F32(5).F32(6);
    w.U32(uint32_t(-3)).U32(14926).U32(7).U32(1).U32(1).U32(2).U32(3);
    w.F32(1).F32(0).F32(0).F32(0).U32(1).F32(0.5f).F32(0.5f).F32(0.5f).F32(0.5f);
    placement(-365.517f);
    w.U32(2);
    placement(0);
    placement(10);
    w.U32(uint32_t(-5)).U32(2).U32(uint32_t(INT32_MIN)).U32(INT32_MAX);
    w.U32(0xFFFFFFFF).U32(2).U32(0).U32(0xFFFFFFFE);
    w.U16(uint16_t(-2)).U32(1).U16(0x8000);
    w.U16(0xFFFF).U32(2).U16(0).U16(0xFFFE);
    w.U32(0xFFFFFFFF);
    w.U64(uint64_t(INT64_MIN)).U32(1).U64(42);
    w.U64(~uint64_t(0)).U32(2).U64(0x00000000FFFFFFFFull).U64(0xFFFFFFFF00000000ull);
    w.U8(1).U32(3).U8(0).U8(1).U8(2);
    w.U32(7).U32(2).U32(1).U32(2);
    w.IdNameless(0x28211A9F520ull).U32(2).IdNull().IdNamed("a.b");
    w.IdNamed("company.volatile.euroacres.verona").U32(1).IdNameless(0);
    w.IdNamed("cargo.apples").U32(0);
    w.Unit(1).IdNameless(0xFFFF);
    // A second unit with every array empty where the layout allows it.
    w.Str("").U32(0).U64(0).U32(0).F32(0).U32(0).F32(0).F32(0).U32(0).F32(0).F32(0).F32(0).U32(0);
    w.U32(0).U32(0).U32(0).U32(0).F32(1).F32(0).F32(0).F32(0).U32(0);
    placement(0);
    w.U32(0).U32(0).U32(0).U32(0).U32(0).U16(0).U32(0).U16(0).U32(0).U32(0).U64(0).U32(0).U64(0).U32(0);
    w.U8(0).U32(0).U32(1).U32(0).IdNull().U32(0).IdNull().U32(0).IdNull().U32(0);
    return w.End().Take();
}

} // namespace siifixtures
