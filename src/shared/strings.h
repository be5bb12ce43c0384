// Small stateless text, number and date helpers used across the program.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kvn {

// Splits S at every Separator, left to right without overlap; empty fields are kept.
// An empty S gives no fields at all.
QStringList Explode(const QString &Separator, const QString &S);

// First character upper-cased, the rest unchanged ("bRNO" -> "BRNO", "berlin" -> "Berlin").
QString UpperFirst(const QString &S);

// A to Z lowered, every other character unchanged. The game's tokens (cities, countries) are
// ASCII; lowering them with the user's locale would make a Turkish "Istanbul" the dotless
// "ıstanbul", which is no token of the game.
QString AsciiLower(const QString &S);

// Reads "1.5" and "1,5" alike: the first "," or "." is turned into the user's decimal separator.
double StrToFloatLocaleFree(const QString &S, double Default);

enum TReplaceFlags : unsigned {
    rfReplaceAll = 1,
    rfIgnoreCase = 2,
    rfReplaceAllAlt = 4,
};
QString ReplaceString(const QString &S, const QString &OldPattern, const QString &NewPattern, unsigned Flags);

// Date-time values count days since 1899-12-30; no time-zone conversion either way.
double UnixToDateTimeValue(std::int64_t Seconds);
std::int64_t DateTimeToUnixValue(double DateTime);

// Part/Whole*100 rounded half up; 0 when either is 0 or less.
std::int8_t Percentage(long double Part, long double Whole);

// Trims every character up to U+0020 from both ends (the classic Trim, not just whitespace).
QString TrimControl(const QString &S);

} // namespace kvn
