// The catalogue the program runs with: read from the player's installed game when one is found,
// from the compiled data otherwise, and what it was read from.
#pragma once

#include "catalogue/catalogue.h"
#include "savegame/gamecatalogue.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace kvn {

class TLanguageTexts;

// Beside the program's other files in the user files folder; one game's read at a time.
inline constexpr const char *GameCatalogueCacheFileName = "game-catalogue.cache";

struct TProgramCatalogueRequest {
    QString PlayerGameFolder;   // the folder named in the options; empty: none
    QStringList SteamLibraries; // searched after the player's folder
    QString CachePath;          // empty: no cache
    std::function<void(TCatalogueStage Stage, int Done, int Total)> Progress;
    const std::atomic_bool *Stop = nullptr;
    // The language the skipped sources and a failure are told in; none: the loader's English.
    const TLanguageTexts *Texts = nullptr;
    QString LanguageCode; // "de": the city names from the game's locale in that language
    // A profile's mods: the player's mod folders ("<documents>/Euro Truck Simulator 2/mod").
    QStringList ModFolders;
};

// Fills the trailer and cargo lists, the city list and the source of Catalogue. A game that is not
// found, has no readable definition archive or whose read was stopped leaves the compiled data in
// use; the archives that could not be read are named in the source either way.
void LoadProgramCatalogue(TCatalogue &Catalogue, const TProgramCatalogueRequest &Request);

// What reading the game again for a profile's mods did.
struct TProfileModsResult {
    bool Replaced = false;    // the lists were read again: with the profile's mods, or without any
    QStringList SkippedNames; // mods and archives that could not be used, unless the lists in use named them
    QString Failure;          // why the read gave nothing; the lists in use stay
};

// A catalogue read from the installed game is read again for the profile in ProfileFolder when it has
// active mods, on top of the game, or when the lists were read with mods and it has none, with the
// game alone. Each profile's mods have a cache of their own beside Request.CachePath,
// so that loading the profile again reads no archive. The compiled data is left as it is.
TProfileModsResult UseProfileMods(TCatalogue &Catalogue, const TProgramCatalogueRequest &Request,
                                  const QString &ProfileFolder);

// The compiled data, as the program used it before it read games.
void UseCompiledCatalogue(TCatalogue &Catalogue);

// The game's definitions in place of the compiled trailers, cargos and cities.
void UseGameDefinitions(TCatalogueSource &Source, TCatalogue &Catalogue, const TGameDefinitions &Defs);

// "city;<token>;<name>" for every city of Defs whose name is known: written out, or a locale key
// that the language's folder in Locale (see OpenLocaleSources) resolves.
QStringList GameCityNameLines(const archives::IGameFileSource &Locale, const TGameDefinitions &Defs,
                              const QString &LanguageCode);

// One line for each source the loader skipped (Texts: in the player's language, else the loader's
// English), and the names alone.
QStringList SkippedLines(const TGameCatalogueReport &Report, const TLanguageTexts *Texts);
QStringList SkippedNames(const TGameCatalogueReport &Report);

} // namespace kvn
