#include "sii_fixtures.h"

#include "siicodec/aes256cbc.h"
#include "siicodec/siicodec.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace siifixtures {

uint64_t Token(std::string_view text)
{
    uint64_t v = 0;
    if (!siicodec::EncodeToken(text, v))
        throw std::invalid_argument("not a token");
    return v;
}

Bytes ToBytes(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

// The worked example of the format notes: 214 bytes of version 3.
Bytes WorkedExample()
{
    const std::string_view hex =
        "42534949030000000000000001010000000900000064656d6f5f756e69740100000006000000746172676574270000000f0000"
        "0065787069726174696f6e5f74696d65050000000a00000066696c6c5f726174696f3d00000005000000636172676f03000000"
        "0d000000636f6d70616e795f747275636b3600000005000000666c6167730000000001000000ff20f5a911820200001100000"
        "06e6f72645f63726f776e2e6f726562726fffffffff0000003f0207462a0300000000ef34e68a00000000000000000000000002"
        "00000001000000000000";
    Bytes b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        b.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return b;
}

const char *const kWorkedExampleText = "SiiNunit\r\n{\r\ndemo_unit : _nameless.282.11a9.f520 {\r\n"
                                       " target: \"nord_crown.orebro\"\r\n expiration_time: nil\r\n"
                                       " fill_ratio: &3f000000\r\n cargo: cargo.apples\r\n company_truck: \"\"\r\n"
                                       " flags: 2\r\n flags[0]: true\r\n flags[1]: false\r\n}\r\n\r\n}";

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
    Bytes cipher(packed.size());
    if (!siicodec::Aes256Cbc::Encrypt(siicodec::ContainerKey(), std::span<const uint8_t, 16>(iv), packed, cipher))
        throw std::runtime_error("the cipher failed");
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

std::vector<FieldDecl> AllTypesFields()
{
    const std::vector<std::pair<uint32_t, std::string>> ordinals = {{2, "adr"}, {1, "balanced"}, {7, "eco mode"}};
    return {{0x01, "s"},     {0x02, "sa"},          {0x03, "t"},
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
            {0x3C, "linka"}, {0x3D, "ref"},         {0x3E, "refa"}};
}

Bytes AllTypesSample(uint32_t version)
{
    BsiiWriter w(version);
    w.Structure(1, "all_types", AllTypesFields());
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
