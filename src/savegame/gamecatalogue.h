// The catalogue read from the player's own game: base and DLC archives, then the loaded profile's
// active mods, kept in a cache file so that a start with an unchanged game reads no archive.
#pragma once

#include "catalogue/gamedefs.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace kvn {

struct TGameCatalogueRequest {
    QString InstallFolder;
    QString ProfileFolder;      // empty: no mods
    QStringList ModFolders;     // "<documents>/Euro Truck Simulator 2/mod"
    QStringList SteamLibraries; // for workshop mods
    QString CachePath;          // empty: no cache
    std::function<void(int Done, int Total)> Progress;
    const std::atomic_bool *Stop = nullptr;
};

struct TSkippedSource {
    QString Name;
    QString Reason;
};

struct TGameCatalogueReport {
    QString GameVersion;
    QStringList ArchivesRead;
    QStringList ModsMounted; // "<package> (<part>)"
    std::vector<TSkippedSource> Skipped;
    bool FromCache = false;
    bool Stopped = false;
};

// The definitions of the game in Request.InstallFolder; nothing when it has no definition archive
// that opens, or when stopped. A damaged archive or mod is skipped and named in Report.
std::optional<TGameDefinitions> LoadGameCatalogue(const TGameCatalogueRequest &Request, TGameCatalogueReport &Report);

} // namespace kvn
