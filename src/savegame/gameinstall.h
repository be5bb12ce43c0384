// The installed game: where it is, which of its archives hold the definitions the catalogue is
// read from, and which version it is. The game lives in
// "<Steam library>/steamapps/common/Euro Truck Simulator 2/" or in a folder the player names.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kvn {

// The archive the game cannot start without; a folder with it is taken for an installed game.
inline constexpr const char *GameDefinitionArchive = "def.scs";

// Folders that may hold the game, each ending in "/": the player's own choice first (when given),
// then the game's folder in every Steam library. Places that do not exist are included.
QStringList GameInstallCandidates(const QString &PlayerFolder, const QStringList &SteamLibraries);

// The first candidate that holds the game's definition archive; empty when none does.
QString FindGameInstall(const QStringList &Candidates);

// The archives that carry definitions and their names, lowest priority first: the base archives
// that exist, then every "dlc_*.scs" by name. DLCs only add files of their own, so their order
// among themselves does not change what is read.
QStringList DefinitionArchives(const QString &InstallFolder);

// The DLCs the install has, by the names their mod parts use ("dlc_east" for "dlc_east.scs").
QStringList InstalledDlcs(const QString &InstallFolder);

struct TGameVersion {
    QString Application; // "eut2" for this game
    QString Version;     // as the game writes it, e.g. "1.58.1.5"
    bool Known() const { return !Version.isEmpty(); }
};

// The game and version named by the text of "version.sii" (unit fs_pack_set). Bounded: reads at
// most the first few hundred lines and nothing beyond the file's own bytes.
TGameVersion ParseGameVersion(const QByteArray &VersionSii);

// Whether Version matches one pattern of a mod's compatible_versions ("1.58.*", "1.5*", "1.58").
// A pattern without "*" matches that version and every build of it ("1.58" matches "1.58.1.5").
bool VersionMatches(const QString &Pattern, const QString &Version);

} // namespace kvn
