// Where the game keeps its profiles on this computer.
//
// Windows: Documents/Euro Truck Simulator 2/. Linux: the native game's folder in the user's data
// folder, the Documents folder inside Steam's Proton prefix of the game in every Steam library, and
// the Steam Cloud copies (Steam/userdata/<id>/227300/remote/). All folders are found from
// QStandardPaths and the home folder; the program reads no variables of its own.
#pragma once

#include <QString>
#include <QStringList>

namespace kvn {

inline constexpr const char *GameFolderName = "Euro Truck Simulator 2";
inline constexpr const char *GameSteamAppId = "227300";

// Every place the game may keep its per-user folder, in a fixed order; each ends in "/".
// Places that do not exist are included; the caller tests them.
QStringList GameFolderCandidates();

// The Steam installations below the home folder and every library their libraryfolders.vdf lists,
// without duplicates, each ending in "/".
QStringList SteamLibraryFolders();

// The "path" values of a libraryfolders.vdf text. Bounded: a malformed or huge text gives what could
// be read, never more than a few hundred entries.
QStringList ParseSteamLibraryPaths(const QByteArray &Vdf);

} // namespace kvn
