// The public entry points: recognise the form, run the matching class, and turn every failure
// into a Result.
#include "siicodec/siicodec.h"

#include "bsii_reader.h"
#include "encrypted_container.h"
#include "sii_text_writer.h"
#include "threenk_transcoder.h"

#include <cstring>
#include <new>

namespace siicodec {

namespace bsii {

std::string TypeName(uint32_t type)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(type));
    return buf;
}

bool IsKnownType(uint32_t type)
{
    switch (type) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x07:
    case 0x08:
    case 0x09:
    case 0x0A:
    case 0x11:
    case 0x12:
    case 0x17:
    case 0x18:
    case 0x19:
    case 0x1A:
    case 0x25:
    case 0x26:
    case 0x27:
    case 0x28:
    case 0x29:
    case 0x2A:
    case 0x2B:
    case 0x2C:
    case 0x2F:
    case 0x31:
    case 0x32:
    case 0x33:
    case 0x34:
    case 0x35:
    case 0x36:
    case 0x37:
    case 0x38:
    case 0x39:
    case 0x3A:
    case 0x3B:
    case 0x3C:
    case 0x3D:
    case 0x3E:
        return true;
    default:
        return false;
    }
}

} // namespace bsii

namespace {

constexpr uint32_t kPlainMagic = 0x4E696953; // "SiiN"
constexpr uint8_t kUtf8Bom[3] = {0xEF, 0xBB, 0xBF};

uint32_t Magic(std::span<const uint8_t> data)
{
    return ByteReader::LoadU32(data.data());
}

void CopyText(std::span<const uint8_t> data, TextBuffer &text)
{
    char *p = text.Room(data.size());
    if (!p)
        Fail(Status::Unsupported, "the file is too large");
    if (!data.empty())
        std::memcpy(p, data.data(), data.size());
    text.Commit(p + data.size());
}

void DecodeBinaryInto(std::span<const uint8_t> data, TextBuffer &text, const Options &options)
{
    // Text is about three times the size of the binary form; starting there saves most regrowing.
    text.Reserve(data.size() / 2 * 7 + 64);
    SiiTextWriter writer(text, BsiiReader<SiiTextWriter>::PeekVersion(data), options.finalLineBreak);
    BsiiReader<SiiTextWriter> reader(data, writer);
    reader.Run();
}

void DescrambleInto(std::span<const uint8_t> data, TextBuffer &text)
{
    const auto body = data.subspan(ThreeNkTranscoder::kHeaderSize);
    char *p = text.Room(body.size());
    if (!p)
        Fail(Status::Unsupported, "the file is too large");
    ThreeNkTranscoder::Transcode(body, data[5], reinterpret_cast<uint8_t *>(p));
    text.Commit(p + body.size());
}

void ConvertPayload(std::span<const uint8_t> payload, TextBuffer &text, const Options &options)
{
    switch (DetectForm(payload)) {
    case Form::PlainText:
        // The game's own text is kept byte for byte.
        return CopyText(payload, text);
    case Form::Binary:
        return DecodeBinaryInto(payload, text, options);
    case Form::Scrambled3nK:
        return DescrambleInto(payload, text);
    case Form::Encrypted:
        Fail(Status::Unsupported, "the encrypted file holds another encrypted file, which the game never writes");
    case Form::TooShort:
        Fail(Status::Damaged, "the encrypted file holds too little data to be a save");
    case Form::Unknown:
        break;
    }
    Fail(Status::UnknownForm, "the encrypted file holds data of an unknown kind");
}

template <class Fn> Result Guard(TextBuffer *text, Fn fn)
{
    try {
        fn();
        return {};
    } catch (const DecodeFailure &f) {
        if (text)
            text->Clear();
        return {f.status, f.message};
    } catch (const std::bad_alloc &) {
        if (text)
            text->Clear();
        return {Status::Unsupported, "there is not enough memory to convert the file"};
    }
}

void Prepare(TextBuffer &text, const Options &options)
{
    text.Clear();
    text.SetLimit(options.maxTextBytes);
}

} // namespace

Form DetectForm(std::span<const uint8_t> data)
{
    if (data.size() >= 7 && std::memcmp(data.data(), kUtf8Bom, 3) == 0 && Magic(data.subspan(3)) == kPlainMagic)
        return Form::PlainText;
    if (data.size() < 4)
        return Form::TooShort;
    switch (Magic(data)) {
    case kPlainMagic:
        return Form::PlainText;
    case EncryptedContainer::kMagic:
        return data.size() < EncryptedContainer::kHeaderSize ? Form::TooShort : Form::Encrypted;
    case bsii::kMagic:
        return data.size() < bsii::kMinimumSize ? Form::TooShort : Form::Binary;
    case ThreeNkTranscoder::kMagic:
        return data.size() < ThreeNkTranscoder::kHeaderSize ? Form::TooShort : Form::Scrambled3nK;
    default:
        return Form::Unknown;
    }
}

Result ConvertToText(std::span<const uint8_t> data, TextBuffer &text, const Options &options)
{
    Prepare(text, options);
    switch (DetectForm(data)) {
    case Form::PlainText: {
        Result r = Guard(&text, [&] { CopyText(data, text); });
        if (r.Ok())
            r = {Status::AlreadyPlain, "the file is already plain text"};
        return r;
    }
    case Form::TooShort:
        return {Status::TooShort, "the file is too short to be a save"};
    case Form::Unknown:
        return {Status::UnknownForm, "the file is not a save in any form this decrypter knows"};
    case Form::Binary:
        return Guard(&text, [&] { DecodeBinaryInto(data, text, options); });
    case Form::Scrambled3nK:
        return Guard(&text, [&] { DescrambleInto(data, text); });
    case Form::Encrypted:
        return Guard(&text, [&] {
            std::vector<uint8_t> payload;
            EncryptedContainer::Open(data, payload, options);
            ConvertPayload(payload, text, options);
        });
    }
    return {Status::UnknownForm, "the file is not a save in any form this decrypter knows"};
}

Result DecryptContainer(std::span<const uint8_t> data, std::vector<uint8_t> &payload, const Options &options)
{
    if (DetectForm(data) != Form::Encrypted)
        return {Status::UnknownForm, "the file is not encrypted"};
    return Guard(nullptr, [&] { EncryptedContainer::Open(data, payload, options); });
}

Result DecodeBinary(std::span<const uint8_t> data, TextBuffer &text, const Options &options)
{
    Prepare(text, options);
    if (DetectForm(data) != Form::Binary)
        return {Status::UnknownForm, "the file is not a binary save"};
    return Guard(&text, [&] { DecodeBinaryInto(data, text, options); });
}

Result WalkBinary(std::span<const uint8_t> data)
{
    if (DetectForm(data) != Form::Binary)
        return {Status::UnknownForm, "the file is not a binary save"};
    return Guard(nullptr, [&] {
        DiscardingSink sink;
        BsiiReader<DiscardingSink> reader(data, sink);
        reader.Run();
    });
}

Result Descramble3nK(std::span<const uint8_t> data, TextBuffer &text, const Options &options)
{
    Prepare(text, options);
    if (DetectForm(data) != Form::Scrambled3nK)
        return {Status::UnknownForm, "the file is not 3nK-scrambled"};
    return Guard(&text, [&] { DescrambleInto(data, text); });
}

std::span<const uint8_t, 32> ContainerKey()
{
    return EncryptedContainer::Key();
}

} // namespace siicodec
