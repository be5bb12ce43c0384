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
};

// Fills the trailer and cargo lists, the city list and the source of Catalogue. A game that is not
// found, has no readable definition archive or whose read was stopped leaves the compiled data in
// use; the archives that could not be read are named in the source either way.
void LoadProgramCatalogue(TCatalogue &Catalogue, const TProgramCatalogueRequest &Request);

// The compiled data, as the program used it before it read games.
void UseCompiledCatalogue(TCatalogue &Catalogue);

// The game's definitions in place of the compiled trailers, cargos and cities.
void UseGameDefinitions(TCatalogueSource &Source, TCatalogue &Catalogue, const TGameDefinitions &Defs);

// "city;<token>;<name>" for every city of Defs whose name is known: written out, or a locale key
// that the language's folder in the game's "locale.scs" resolves.
QStringList GameCityNameLines(const QString &InstallFolder, const TGameDefinitions &Defs, const QString &LanguageCode);

// One line for each source the loader skipped (Texts: in the player's language, else the loader's
// English), and the names alone.
QStringList SkippedLines(const TGameCatalogueReport &Report, const TLanguageTexts *Texts);
QStringList SkippedNames(const TGameCatalogueReport &Report);

} // namespace kvn
