// Text encodings of the program's own files: detection from a byte-order mark or the content,
// and decoding/encoding that gives back the very same bytes for text read and written unchanged.
#pragma once

#include <QByteArray>
#include <QString>

namespace kvn {

// Ansi is the 8-bit code page of files without a byte-order mark that are not UTF-8; we use
// Latin-1 for it on every platform because it maps each byte to one character and back.
enum class TTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE, Utf7 };

// The encoding of a file, from its first bytes or, failing that, from whether its whole content is
// well-formed UTF-8 (then Utf8, otherwise Ansi). A missing, unreadable or empty file gives Default.
// The file is read in chunks, so its size does not matter.
TTextEncoding DetectFileEncoding(const QString &FileName, TTextEncoding Default);

// The same rules applied to bytes already in memory; empty bytes give Default.
TTextEncoding DetectBytesEncoding(const QByteArray &Bytes, TTextEncoding Default);

// Structural UTF-8 check: lead bytes C2-F4 with the right number of 80-BF continuation bytes.
// A sequence cut off at the very end still counts as well-formed (files are sometimes truncated
// mid-character and should not be demoted to Ansi for it). Over-long three-byte forms and encoded
// surrogates are not looked for. Empty bytes are not well-formed.
bool IsWellFormedUtf8(const QByteArray &Bytes);

// Incremental form of IsWellFormedUtf8 for data that arrives in chunks.
class TUtf8FormChecker {
public:
    // Feeds the next chunk; returns false once the data so far cannot be well-formed.
    bool Feed(const char *Data, qsizetype Size);
    bool IsWellFormed() const { return FValid && FSeenAny; }

private:
    int FPending = 0;
    bool FValid = true;
    bool FSeenAny = false;
};

// The byte-order mark written in front of text in Enc: EF BB BF, FF FE, FE FF; none for Ansi.
// UTF-7 has no byte-order mark of its own, but its signature "+/v8-" (U+FEFF, closed with "-")
// is returned so that a UTF-7 file written back is still recognised as UTF-7 when read again.
QByteArray TByteOrderMark(TTextEncoding Enc);

// Decodes Bytes as Enc; a leading byte-order mark of Enc is skipped. Malformed input never fails:
// bytes that do not decode become U+FFFD (UTF-8, a dangling UTF-16 byte) or are taken as they are.
QString DecodeText(const QByteArray &Bytes, TTextEncoding Enc);

// Encodes Text in Enc, with Enc's byte-order mark in front when WithBom is true. Ansi cannot hold
// characters above U+00FF: they become "?" (check with CanEncodeLosslessly first).
QByteArray EncodeText(const QString &Text, TTextEncoding Enc, bool WithBom);

// Whether EncodeText(Text, Enc, ...) keeps every character.
bool CanEncodeLosslessly(const QString &Text, TTextEncoding Enc);

} // namespace kvn
