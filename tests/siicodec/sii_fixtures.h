#pragma once
// Builders for test inputs: a small binary SII writer, the encrypted container around a payload
// (zlib, PKCS#7 padding, AES-256-CBC with the game's key, 56-byte header) and 3nK scrambling.
// Shared by the tests, the decode benchmark and the fuzz seed generator.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace siifixtures {

using Bytes = std::vector<uint8_t>;

struct FieldDecl {
    uint32_t type;
    std::string name;
    std::vector<std::pair<uint32_t, std::string>> ordinals = {}; // types 0x37/0x38 only
};

// Encodes a token ("cargo", "apples") as the game stores it.
uint64_t Token(std::string_view text);

class BsiiWriter {
public:
    explicit BsiiWriter(uint32_t version = 3);

    BsiiWriter &Structure(uint32_t id, std::string_view className, const std::vector<FieldDecl> &fields);
    BsiiWriter &Unit(uint32_t structureId) { return U32(structureId); }
    BsiiWriter &End();

    BsiiWriter &U8(uint8_t v);
    BsiiWriter &U16(uint16_t v);
    BsiiWriter &U32(uint32_t v);
    BsiiWriter &U64(uint64_t v);
    BsiiWriter &F32(float v);
    BsiiWriter &Str(std::string_view s);
    BsiiWriter &Raw(const Bytes &b);
    BsiiWriter &IdNull() { return U8(0); }
    BsiiWriter &IdNameless(uint64_t v) { return U8(255).U64(v); }
    BsiiWriter &IdNamed(std::string_view dotted); // "company.volatile.a.b"

    const Bytes &Data() const { return FData; }
    Bytes Take() { return std::move(FData); }
    size_t Size() const { return FData.size(); }

private:
    Bytes FData;
};

struct ContainerOptions {
    int64_t sizeFieldDelta = 0; // added to the true unpacked size in the header
    bool badPadding = false;
    bool corruptZlib = false;
    size_t dropCipherBytes = 0; // cut from the end of the ciphertext
    bool rawZlib = false;       // payload is already the zlib stream: encrypt it as it is
    uint8_t ivSeed = 7;
};

Bytes MakeContainer(const Bytes &payload, const ContainerOptions &options = {});
Bytes Make3nK(std::string_view text, uint8_t seed);
Bytes ToBytes(std::string_view s);

// A binary save with every value type the decoder knows, one unit per structure, for the
// truncation tests and as a fuzzing seed.
Bytes AllTypesSample(uint32_t version);

} // namespace siifixtures
