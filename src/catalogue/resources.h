// The catalogue compiled into the program: reading a resource as text, descrambling,
// splitting into catalogue lines, and the database information (DBInfo).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kvn {

inline constexpr char16_t kDescrambleAlphabet[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz+/";
inline const QString kCatalogueKey = QStringLiteral("vKe7wTnRzDqaHmLc");

// The text of a compiled-in resource, found regardless of case; UTF-8, CR LF after every line.
// Empty when there is no such resource.
QString LoadResourceText(const QString &ResName);

// Returns the plain text, an empty string, or the failure value U+0001 (a bad key, an odd count).
QString DescrambleText(const QString &Input, const QString &Key);

// The trimmed lines of a resource, descrambled first when Scrambled. A failed descrambling
// gives no lines at all. Lines are trimmed; empty lines are kept for the loader to skip.
QStringList CatalogueLines(const QString &ResName, bool Scrambled);

struct TDatabaseInfo {
    std::int64_t LastUpdated = 0;
    std::int32_t TrailerLineCount = 0;
    std::int32_t CargoLineCount = 0;
    std::int32_t DistanceLineCount = 0;
    std::int32_t DistanceKmTotal = 0;
};

// Fills Info from DBInfo text; leaves it untouched unless there are exactly six lines and
// lines 2 to 6 are all integers.
void ReadDatabaseInfoText(const QString &Text, TDatabaseInfo &Info);
void ReadDatabaseInfo(TDatabaseInfo &Info);

// The game version the catalogue was built for, e.g. "1.58".
QString CatalogueGameVersion();

} // namespace kvn
