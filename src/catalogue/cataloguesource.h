// Where the program's catalogue came from: the compiled data, the player's installed game, or the
// cache of an earlier read of that game. The window's caption and the database information name it.
#pragma once

#include <QString>
#include <QStringList>

namespace kvn {

enum class TCatalogueOrigin { Compiled, Game, Cache };

struct TCatalogueSource {
    TCatalogueOrigin Origin = TCatalogueOrigin::Compiled;
    // The game's version as the install names it, or the version the compiled data was built for.
    QString GameVersion;
    QString InstallFolder; // empty for the compiled data unless a game was found and could not be read
    int ArchiveCount = 0;
    int ModCount = 0;
    // The active mods of the profile the lists were read for, lowest priority first; empty: the game
    // alone. A profile with other mods has the game read again.
    QStringList ActiveMods;
    // The archives and mods that could not be read: their names, and one "name: reason" each.
    QStringList SkippedNames;
    QStringList Skipped;
    // Why the folder the player named holds no game, or why a game that was found gave no catalogue.
    QString Failure;

    bool FromGame() const { return Origin != TCatalogueOrigin::Compiled; }
};

} // namespace kvn
