// Plain SII text: reading a file into lines, encoding lines back in the file's own form, and the few
// line operations every reader shares. SII files are never parsed into a tree; they are lists of
// lines searched by prefixes of trimmed lines. Edits and the one write of game.sii are the save
// document's (savedocument.h).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <atomic>
#include <cstdint>
#include <vector>

namespace kvn {

enum class TSiiEncoding : std::uint8_t { Latin1, Utf8, Utf16LE, Utf16BE };
enum class TSiiLineEnd : std::uint8_t { None, CrLf, Lf, Cr };

// Everything needed to write a file back exactly as it was read: a file read and written without
// edits comes back byte for byte (the player's save must not change behind their back).
struct TSiiTextForm {
    TSiiEncoding Encoding = TSiiEncoding::Latin1;
    bool HasByteOrderMark = false;
    TSiiLineEnd LineEnd = TSiiLineEnd::CrLf; // the file's (first) line end; new lines get it too
    bool FinalLineEnd = true;                // the last line carries a line end
    // One entry per line, only when the file mixes line ends; empty otherwise.
    std::vector<TSiiLineEnd> MixedLineEnds;
    // The bytes from the first NUL on: not text, but kept so that nothing of the file is lost.
    QByteArray Tail;
};

enum class TSiiReadStatus : std::uint8_t { Ok, CannotOpen, TooLarge };

// Saves far beyond anything the game writes are refused instead of exhausting memory.
inline constexpr qint64 MaxSiiFileSize = qint64(1) << 30;

struct TSiiReadResult {
    TSiiReadStatus Status = TSiiReadStatus::CannotOpen;
    bool ok() const { return Status == TSiiReadStatus::Ok; }
};

// Reads FileName into Lines. A byte-order mark selects UTF-8 or UTF-16; without one the bytes are
// Latin-1. Lines end at CR LF, LF or a lone CR; a NUL ends the text.
TSiiReadResult ReadSiiFile(const QString &FileName, QStringList &Lines, TSiiTextForm &Form);
// The same for bytes already in memory (tests, fuzzing, the decoder's output).
void ReadSiiBytes(const QByteArray &Bytes, QStringList &Lines, TSiiTextForm &Form);

// Encodes Lines in Form; unedited lines give back the bytes that were read.
QByteArray EncodeSiiLines(const QStringList &Lines, const TSiiTextForm &Form);

// True when the text of the file begins with "SiiNunit" (case-sensitive, after any byte-order mark).
bool IsPlainSiiText(const QString &FileName);
bool IsPlainSiiBytes(const QByteArray &Head);

// Characters up to U+0020 count as blanks at both ends of a line.
QStringView TrimmedView(QStringView Line);
// The trimmed Line begins with Prefix (case-sensitive).
bool TrimmedStartsWith(QStringView Line, QStringView Prefix);

// A termination request for the learner's scans; null means "never asked".
using TStopFlag = const std::atomic<bool> *;

// Smallest index >= Start whose trimmed line begins with Prefix; -1 when none, when Start is out of
// range, or as soon as Stop is set. The search does not stop at the end of a unit.
int FindLineFrom(const QStringList &Lines, QStringView Prefix, int Start, TStopFlag Stop = nullptr);
// The first line at or after Start whose trimmed text begins with "}".
int FindUnitEnd(const QStringList &Lines, int Start);

// The value of an attribute line: the text between the first and second colon (or the end), trimmed.
QString SiiLineValue(QStringView Line);
// Removes one pair of enclosing double quotes.
QString Unquote(const QString &Value);

// A text value of the save as the player wrote it: each run of "\xNN" escapes is read as the
// UTF-8 bytes it stands for ("K\xc3\xb6gel" is "Kögel"), and control characters the game keeps
// in names ("\x0e\x0eMastodonte") are dropped. A backslash not followed by "x" and two hex digits
// stays as it is; bytes that are not UTF-8 show as U+FFFD. Only for showing: what is written back
// keeps the escapes.
QString ShownSiiText(const QString &Value);

// Value of the first line at or after Start that begins with Key, when that line lies below Limit.
QString ReadUnitValue(const QStringList &Lines, QStringView Key, int Start, int Limit);

// Integer reading with a caller's default, the way every reader of the save needs it.
int ToIntDefault(QStringView Text, int Default);

} // namespace kvn
