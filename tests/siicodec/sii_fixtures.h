#pragma once
// Builders for test inputs: the encrypted container around a payload
// (zlib, PKCS#7 padding, AES-256-CBC with the game's key, 56-byte header) and 3nK scrambling.
// Shared by the tests, the decode benchmark and the fuzz seed generator.
#include "siicodec/encoder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace siifixtures {

using Bytes = std::vector<uint8_t>;

// The binary writer is the library's own; the fixtures only add inputs no writer should make.
using FieldDecl = siicodec::FieldDecl;
using BsiiWriter = siicodec::BsiiWriter;

// Encodes a token ("cargo", "apples") as the game stores it; throws on a character outside 0-9 a-z _.
uint64_t Token(std::string_view text);

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

// The worked example of the format notes: 214 bytes of version 3, and its text as the original
// Windows tool writes it (no line break after the final brace).
Bytes WorkedExample();
extern const char *const kWorkedExampleText;

// The class of AllTypesSample: one attribute of every value type the decoder knows.
std::vector<FieldDecl> AllTypesFields();
// A binary save with every value type the decoder knows, one unit per structure, for the
// truncation tests and as a fuzzing seed.
Bytes AllTypesSample(uint32_t version);

} // namespace siifixtures
