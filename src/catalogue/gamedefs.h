// The game world as the game's own definition files describe it (def/ in the game's archives):
// countries, cities, companies, cargos and trailer definitions, and from them the same catalogue
// structures the compiled-in data gives.
#pragma once

#include "archives/gamefilesource.h"
#include "catalogue/cargos.h"
#include "catalogue/gamedefsreader.h"
#include "catalogue/trailers.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kvn {

struct TGameCountry {
    QString Token; // "germany"
    QString Name;  // as written, often a "@@key@@" of the locale
    QString Code;  // "DE"
};

struct TGameCity {
    QString Token; // "berlin"
    QString Name;
    QString CountryToken; // lower case
};

struct TGameCompany {
    QString Token; // "posped"
    QString Name;
    QStringList Cities;  // sorted, no duplicates
    QStringList CargoIn; // cargo names without "cargo.", sorted, no duplicates
    QStringList CargoOut;
};

struct TGameCargo {
    QString Token; // "cargo.glass", as the compiled data and the save name it
    QString Name;
    double Fragility = 1; // the game gives no default; a missing value marks the most delicate loads
    bool Valuable = false;
    bool Overweight = false;
    std::int32_t AdrClass = 0;
    QStringList Groups;
    double Volume = 1;
    double Mass = 0;
    double RewardPerKm = 0;
    std::int32_t MinimumDistance = 0;
    std::int32_t MaximumDistance = -1; // -1: no limit
    QStringList BodyTypes;
};

struct TGameTrailer {
    QString Token; // "trailer_def.scs.box.single_3.dryvan", as a job offer names it
    std::int32_t GrossWeightLimit = 0;
    std::int32_t ChassisMass = 0;
    std::int32_t BodyMass = 0;
    double Length = 0;
    std::int32_t Axles = 0;
    double Volume = 100;
    QString BodyType;
    QString ChainType;
    QStringList CountryValidity; // lower case, sorted, no duplicates
};

// Everything read, each list sorted by token; when a unit name appears twice, the later one wins.
struct TGameDefinitions {
    std::vector<TGameCountry> Countries;
    std::vector<TGameCity> Cities;
    std::vector<TGameCompany> Companies;
    std::vector<TGameCargo> Cargos;
    std::vector<TGameTrailer> Trailers;
    std::vector<TDefProblem> Problems;
};

// Reads def/ the way the game assembles it: the list files def/city*.sii, def/country*.sii,
// def/company*.sii and def/cargo*.sii with what they include, every company's in/, out/ and
// editor/ folder, and the trailer definitions below def/vehicle/trailer_defs/.
TGameDefinitions ReadGameDefinitions(const archives::IGameFileSource &Files, const TDefReadLimits &Limits = {});

// Reading the game's definitions is where a load spends its time: it can be followed and stopped.
struct TDefReadControl {
    // Top-level files read of the files to read (included files count with the file that includes
    // them); Done only grows and ends at Total.
    std::function<void(int Done, int Total)> Progress;
    const std::atomic_bool *Stop = nullptr; // looked at before each file
};

// The same, or nothing when stopped.
std::optional<TGameDefinitions> ReadGameDefinitions(const archives::IGameFileSource &Files,
                                                    const TDefReadLimits &Limits, const TDefReadControl &Control);

// Builds the records from units already read (any order, any classes; others are ignored).
TGameDefinitions GameDefinitionsFromUnits(const std::vector<TDefUnit> &Units);

// The country as the compiled city list shows it: the token with its first letter raised,
// two-letter tokens all in capitals ("UK").
QString CountryDisplayName(const QString &Token);

// "city;Country" lines, sorted by city, as the compiled Countries resource holds them.
QStringList CountryLinesOf(const TGameDefinitions &Defs);
// The catalogue's records, in token order, as the compiled loaders build them.
void BuildTrailerDefinitions(const TGameDefinitions &Defs, TTrailerDefinitionDataList &List);
void BuildCargos(const TGameDefinitions &Defs, TCargoInfoList &List);

} // namespace kvn
