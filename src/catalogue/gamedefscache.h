// The definitions read from an installed game, kept in a file so that a start with an unchanged
// game (same archives, sizes and times, same mods, same version) does not read the archives again.
#pragma once

#include "catalogue/gamedefs.h"

#include <QString>
#include <optional>

namespace kvn {

// Writes Defs with Key atomically (a temporary file beside Path, renamed over it).
bool WriteGameDefinitionsCache(const QString &Path, const QString &Key, const TGameDefinitions &Defs,
                               QString *Error = nullptr);

// The definitions kept in Path when the file is whole and was written for Key; nothing when it is
// missing, for another key, from another version of the program, or damaged. Bounded by the file's
// size: no count or length in it makes the reader allocate more than the file holds.
std::optional<TGameDefinitions> ReadGameDefinitionsCache(const QString &Path, const QString &Key);
// The same on bytes already in memory (tests, fuzzing).
std::optional<TGameDefinitions> GameDefinitionsFromCacheBytes(const QByteArray &Bytes, const QString &Key);

} // namespace kvn
