// What a load of the game's catalogue did, in the player's language: why a source was passed
// over, why nothing was read, what the definition read had trouble with, and how far it has got.
// The report keeps its own English for the command line and logs.
#pragma once

#include "savegame/gamecatalogue.h"

#include <QString>
#include <QStringList>

namespace kvn {

class TLanguageTexts;

// "mymod: made for another game version (1.49.*)".
QString SkippedSourceText(const TSkippedSource &Source, const TLanguageTexts &Texts);

// One line per skipped source, in the order the loader met them.
QStringList SkippedSourceLines(const TGameCatalogueReport &Report, const TLanguageTexts &Texts);

// Why nothing was read from the game in InstallFolder; empty when definitions were returned.
QString CatalogueFailureText(const TGameCatalogueReport &Report, const QString &InstallFolder,
                             const TLanguageTexts &Texts);

// How many definition files could not be read, with the first of them; empty when none.
QString DefinitionProblemsText(const TGameCatalogueReport &Report, const TLanguageTexts &Texts);

// "Reading the game's definitions: 120 of 900 files".
QString CatalogueStageText(TCatalogueStage Stage, int Done, int Total, const TLanguageTexts &Texts);

} // namespace kvn
