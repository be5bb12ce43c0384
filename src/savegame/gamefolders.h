// Where the game keeps its profiles on this computer.
//
// Windows: Documents/Euro Truck Simulator 2/ and the Steam Cloud copies
// (<Steam>/userdata/<id>/227300/remote/) of the Steam folder the registry names (or the default
// install folder) and of every Steam library. Linux: the native game's folder in the user's data
// folder, the Documents folder inside Steam's Proton prefix of the game in every Steam library, and
// the Steam Cloud copies. In each of these the game keeps "profiles/" and, for profiles kept in
// Steam Cloud, "steam_profiles/".
#pragma once

#include <QString>
#include <QStringList>

namespace kvn {

inline constexpr const char *GameFolderName = "Euro Truck Simulator 2";
inline constexpr const char *GameSteamAppId = "227300";

// The folders below a game folder that hold profile folders, in the order they are listed.
inline const QStringList kProfileContainerFolders{QStringLiteral("profiles/"), QStringLiteral("steam_profiles/")};

// What the game's places are worked out from: read from this computer by
// CurrentGameFolderEnvironment(), or made up by tests for either system.
struct TGameFolderEnvironment {
    bool Windows = false;
    QString Documents;      // the user's Documents folder (Windows)
    QString DataFolder;     // the user's data folder, ~/.local/share (Linux)
    QStringList SteamRoots; // the Steam installations, each ending in "/"
};
TGameFolderEnvironment CurrentGameFolderEnvironment();

// Every place the game may keep its per-user folder, in a fixed order; each ends in "/".
// Places that do not exist are included; the caller tests them.
QStringList GameFolderCandidates(const TGameFolderEnvironment &Environment);
QStringList GameFolderCandidates();

// The Steam installations on Windows: the folder the registry names (its "SteamPath"), or the
// default install folder when the registry names none or one that does not exist.
QStringList WindowsSteamRoots(const QString &RegistrySteamPath, const QString &DefaultSteamFolder);

// The Steam installations and every library their libraryfolders.vdf lists that exists, without
// duplicates, each ending in "/". A library entry that points nowhere is left out.
QStringList SteamLibraryFolders(const QStringList &SteamRoots);
QStringList SteamLibraryFolders();

// The "path" values of a libraryfolders.vdf text. Bounded: a malformed or huge text gives what could
// be read, never more than a few hundred entries.
QStringList ParseSteamLibraryPaths(const QByteArray &Vdf);

} // namespace kvn
