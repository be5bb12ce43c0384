// Feeds arbitrary bytes through encoding detection, every decoder and the INI parser, and checks
// that what the parser writes reads back to the same thing and that the lossless codecs round-trip.
#include "shared/encoding.h"
#include "shared/inidocument.h"

#include <cstdint>
#include <cstdlib>

using namespace kvn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size));
    const TTextEncoding detected = DetectBytesEncoding(bytes, TTextEncoding::Utf8);
    if (!bytes.isEmpty() && detected == TTextEncoding::Ansi && IsWellFormedUtf8(bytes))
        std::abort();

    for (const TTextEncoding enc :
         {TTextEncoding::Ansi, TTextEncoding::Utf8, TTextEncoding::Utf16LE, TTextEncoding::Utf16BE, TTextEncoding::Utf7}) {
        // Text decoded from any bytes must survive its own codec: Latin-1 maps bytes one to one, UTF-8 decoding
        // yields only valid UTF-16, and UTF-16 and UTF-7 carry every code unit, lone surrogates included.
        const QString text = DecodeText(bytes, enc);
        if (DecodeText(EncodeText(text, enc, true), enc) != text)
            std::abort();
    }

    const QString text = DecodeText(bytes, detected);
    TIniDocument document;
    document.Parse(text);
    const QString written = document.ToText();
    TIniDocument again;
    again.Parse(written);
    if (again.ToText() != written || again.SectionNames() != document.SectionNames())
        std::abort();
    for (const QString &section : document.SectionNames()) {
        for (const QString &ident : document.EntryNames(section)) {
            QString a, b;
            if (!document.Find(section, ident, a) || !again.Find(section, ident, b) || a != b)
                std::abort();
        }
    }
    return 0;
}
