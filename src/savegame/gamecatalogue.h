// The catalogue read from the player's own game: base and DLC archives, then the loaded profile's
// active mods, kept in a cache file so that a start with an unchanged game reads no archive.
#pragma once

#include "catalogue/gamedefs.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kvn {

namespace archives {
class IGameFileSource;
}

// The stages of a load, for a text such as "Reading the game's definitions: 120 of 900".
enum class TCatalogueStage : std::uint8_t { OpeningArchives, ReadingDefinitions };

struct TGameCatalogueRequest {
    QString InstallFolder;
    QString ProfileFolder;      // empty: no mods
    QStringList ModFolders;     // "<documents>/Euro Truck Simulator 2/mod"; the one beside the profile is added
    QStringList SteamLibraries; // for workshop mods
    QString CachePath;          // empty: no cache
    // The whole load, mounting and reading: Total stays the same during one load, Done only grows and
    // ends at Total when definitions are returned (from the cache too).
    std::function<void(int Done, int Total)> Progress;
    // The same load by stage, in that stage's own units (archives, then definition files).
    std::function<void(TCatalogueStage Stage, int Done, int Total)> StageProgress;
    const std::atomic_bool *Stop = nullptr; // honoured between archives and between definition files
};

// Why a source was passed over, for a text in the player's language.
enum class TSkipCode : std::uint8_t {
    Other,              // only Reason says why
    DamagedArchive,     // the archive does not open; Detail is the reader's message
    ModNotFound,        // neither in a mod folder nor in the Steam Workshop
    ModForOtherVersion, // Detail: the game versions the mod names ("1.49.*")
    ModVersionMissing,  // a workshop item lacks the package of its fitting version; Detail: that package
    ProfileUnreadable,  // profile.sii could not be read, so no mod is used; Detail: why
};

struct TSkippedSource {
    QString Name;
    QString Reason; // in English, for the command line and logs
    TSkipCode Code = TSkipCode::Other;
    QString Detail{}; // initialised here so that {Name, Reason} stays a complete initialiser
};

// Why the loader gave nothing.
enum class TCatalogueFailure : std::uint8_t {
    None,
    FolderMissing,         // the install folder does not exist
    NotAGameFolder,        // the folder has no "def.scs"
    DefinitionsUnreadable, // "def.scs" does not open; FailureDetail is the reader's message
    NoCities,              // the archives open but define no city: no job could be offered from them
    Stopped,
};

// What the definition read had trouble with (files that could not be read or parsed).
struct TDefinitionProblemSummary {
    int Count = 0;
    QStringList First; // "file:line: detail", in English, at most a few
};

// A mod package as it was mounted: its file or folder and the parts of it in use ("" the whole).
struct TMountedMod {
    QString Path;
    QStringList Parts;
};

struct TGameCatalogueReport {
    QString GameVersion;
    QStringList ArchivesRead;
    QStringList ModsMounted;              // "<package> (<part>)"
    std::vector<TMountedMod> ModPackages; // lowest priority first
    std::vector<TSkippedSource> Skipped;
    bool FromCache = false;
    bool Stopped = false;
    TCatalogueFailure FailureCode = TCatalogueFailure::None;
    QString Failure;       // in English; empty when definitions were returned
    QString FailureDetail; // the archive reader's message, where there is one
    TDefinitionProblemSummary DefinitionProblems;
};

// The definitions of the game in Request.InstallFolder; nothing, with Report.Failure saying why,
// when the folder is not a game whose "def.scs" opens and defines cities, or when stopped. A
// damaged archive or mod is skipped and named in Report.
std::optional<TGameDefinitions> LoadGameCatalogue(const TGameCatalogueRequest &Request, TGameCatalogueReport &Report);

// The game's locale files as the game sees them: "locale.scs", then every DLC archive, then the mods
// of Report in their order, later ones winning. Archives that do not open are passed over.
std::unique_ptr<archives::IGameFileSource> OpenLocaleSources(const QString &InstallFolder,
                                                             const TGameCatalogueReport &Report);

// The packages of the mods the profile in ProfileFolder has active, lowest priority first; empty when
// it has none, or when its profile.sii cannot be read (Reason then says why).
QStringList ProfileActiveModPackages(const QString &ProfileFolder, QString *Reason = nullptr);

// The number of problems and the first few, each as "file:line: detail".
TDefinitionProblemSummary SummariseProblems(const std::vector<TDefProblem> &Problems);

} // namespace kvn
