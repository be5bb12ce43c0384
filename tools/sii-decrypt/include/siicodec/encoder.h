#pragma once
// siicodec's writing side: the binary SII form ("BSII") and the encrypted container, as the game
// stores its saves. Used by the save generator and by test fixtures. Plain C++, no Qt; failure is
// a Result (or a flag on the writer), never an exception.
#include "siicodec/siicodec.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace siicodec {

// One attribute of a class layout: value type id as the binary form numbers them (0x01 string,
// 0x27 uint32, 0x3A array of unit references, ...), name, and for the ordinal types 0x37/0x38 the
// table of ordinal values and their texts.
struct FieldDecl {
    uint32_t type;
    std::string name;
    std::vector<std::pair<uint32_t, std::string>> ordinals = {};
};

struct ClassDecl {
    std::string className;
    std::vector<FieldDecl> fields;
};

// Packs a token ("cargo", "apples"): 1 to 12 characters of 0-9, a-z and _, or the empty token.
// Returns false for anything else.
bool EncodeToken(std::string_view text, uint64_t &value);

// Low-level binary SII writer: the caller lays out structure blocks and unit values in order.
// A value that cannot be stored (an invalid token in a unit name) marks the writer failed; the
// bytes are then unusable.
class BsiiWriter {
public:
    explicit BsiiWriter(uint32_t version = 3);

    BsiiWriter &Structure(uint32_t id, std::string_view className, const std::vector<FieldDecl> &fields);
    BsiiWriter &Unit(uint32_t structureId) { return U32(structureId); }
    BsiiWriter &End() { return U32(0).U8(0); }

    BsiiWriter &U8(uint8_t v)
    {
        FData.push_back(v);
        return *this;
    }
    BsiiWriter &U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    BsiiWriter &U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    BsiiWriter &U64(uint64_t v) { return U32(uint32_t(v)).U32(uint32_t(v >> 32)); }
    BsiiWriter &F32(float v);
    BsiiWriter &Str(std::string_view s);
    BsiiWriter &Raw(std::span<const uint8_t> b);
    BsiiWriter &IdNull() { return U8(0); }
    BsiiWriter &IdNameless(uint64_t v) { return U8(255).U64(v); }
    BsiiWriter &IdNamed(std::string_view dotted); // "company.volatile.a.b"
    // Versions 2 and 3 keep x and z as offsets inside a 512-unit grid cell whose position goes
    // into a hidden bias float; this chooses the cell so that decoding gives back x and z exactly.
    BsiiWriter &Placement(const float xyz[3], const float wxyz[4]);

    bool Ok() const { return FOk; }
    uint32_t Version() const { return FVersion; }
    const std::vector<uint8_t> &Data() const { return FData; }
    std::vector<uint8_t> Take() { return std::move(FData); }
    size_t Size() const { return FData.size(); }

private:
    std::vector<uint8_t> FData;
    uint32_t FVersion;
    bool FOk = true;
};

// Turns SII text into the binary form. The text must be laid out the way the game and our
// decoder write it (one attribute per line, arrays as a count line and indexed item lines), and
// every unit's class must be in `classes` with its attributes in declaration order; structure
// blocks are written first, one per class, ids in the order of `classes`. Decoding the result
// gives the same text back. Failures name the line.
Result EncodeBinary(std::string_view text, const std::vector<ClassDecl> &classes, std::vector<uint8_t> &binary,
                    uint32_t version = 3);

// Wraps a payload (binary or text) in the encrypted container the game writes: zlib, PKCS#7,
// AES-256-CBC with the game's key and the given initialisation vector, 56-byte header.
Result EncryptContainer(std::span<const uint8_t> payload, std::span<const uint8_t, 16> iv, std::vector<uint8_t> &file);

} // namespace siicodec
