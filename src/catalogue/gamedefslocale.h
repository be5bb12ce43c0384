// Display names in the player's language from the game's locale files (locale/<language>/local*.sii,
// usually 3nK-scrambled): the `localization_db` units pair each key[] with a val[].
#pragma once

#include "archives/gamefilesource.h"
#include "catalogue/gamedefsreader.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace kvn {

// The language folders below locale/ ("de_de", "en_us", ...), sorted.
QStringList LocaleFolders(const archives::IGameFileSource &Files);

// The folder for a two-letter language code ("de" -> "de_de"): the folder named like the code, or
// the first that starts with it and "_"; empty when there is none.
QString LocaleFolderForLanguage(const QStringList &Folders, const QString &LanguageCode);

// Key -> text of one language folder. "local.sii" is read first, then the other local*.sii files
// in name order, so that their entries override it. Problems, when given, receives what could not
// be read.
QHash<QString, QString> ReadLocaleNames(const archives::IGameFileSource &Files, const QString &Folder,
                                        std::vector<TDefProblem> *Problems = nullptr);

// The names of localization_db units already read; later entries replace earlier ones.
QHash<QString, QString> LocaleNamesFromUnits(const std::vector<TDefUnit> &Units);

// A definition's text with every "@@key@@" replaced by its name; unknown keys stay as written.
QString ResolveLocalised(const QString &Text, const QHash<QString, QString> &Names);

} // namespace kvn
