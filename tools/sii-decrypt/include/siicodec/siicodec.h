#pragma once
// siicodec: turns the stored forms of the game's SII files (encrypted container, binary units,
// 3nK-scrambled text) into plain SII text. Plain C++, no Qt; failure is always a Result.
#include "siicodec/text_buffer.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace siicodec {

enum class Form {
    Encrypted,    // "ScsC": AES-256-CBC over a zlib stream
    Binary,       // "BSII": binary units
    PlainText,    // "SiiN", optionally after a UTF-8 byte-order mark
    Scrambled3nK, // "3nK\x01": XOR-scrambled text
    Unknown,
    TooShort, // fewer bytes than the form's header needs
};

// The numeric values are the decrypter program's exit codes.
enum class Status : int {
    Converted = 0,
    AlreadyPlain = 1,
    UnknownForm = 10,
    TooShort = 11,
    Unsupported = 12, // format version, value type, nesting or size we do not handle
    Damaged = 13,     // bad padding, bad zlib data, cut-off or inconsistent binary data
    CannotWrite = 14,
    CannotRead = 15,
};

struct Result {
    Status status = Status::Converted;
    std::string message; // one sentence a player understands; empty on success

    bool Ok() const { return status == Status::Converted; }
};

struct Options {
    // Neither the unpacked payload nor the produced text may grow past these.
    size_t maxPayloadBytes = size_t(1) << 30;
    size_t maxTextBytes = size_t(1) << 30;
    // The game ends its own text files with a line break after the final brace; the original
    // Windows decrypter did not. Both load in the game.
    bool finalLineBreak = true;
};

// Looks at the first bytes only.
Form DetectForm(std::span<const uint8_t> data);

// Converts any stored form into SII text in `text`. A plain-text input gives AlreadyPlain and
// copies the bytes unchanged. A text payload inside an encrypted container is copied unchanged.
// On failure `text` holds no usable content.
Result ConvertToText(std::span<const uint8_t> data, TextBuffer &text, const Options &options = {});

// The pieces, for tools, tests and the benchmark.
// Decrypts and unpacks an encrypted container into its payload (which is not interpreted).
Result DecryptContainer(std::span<const uint8_t> data, std::vector<uint8_t> &payload, const Options &options = {});
// Decodes a binary SII buffer ("BSII") into text.
Result DecodeBinary(std::span<const uint8_t> data, TextBuffer &text, const Options &options = {});
// Walks a binary SII buffer with every check but writes no text (to time decoding apart from writing).
Result WalkBinary(std::span<const uint8_t> data);
// Descrambles a 3nK buffer into text.
Result Descramble3nK(std::span<const uint8_t> data, TextBuffer &text, const Options &options = {});

// The key of the encrypted container, for tools and test fixtures that build one.
std::span<const uint8_t, 32> ContainerKey();

} // namespace siicodec
