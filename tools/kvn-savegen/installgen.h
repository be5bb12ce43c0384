// A synthetic installed game and mod, consistent with the compiled-in catalogue: the game's archives
// (def.scs with a def/ tree of every country, city, cargo and trailer definition the program knows,
// version.scs, locale.scs with German names for a few cities) and a mod package that adds one cargo.
// The same call gives the same bytes.
#pragma once

#include "archivewriter.h"

#include <QString>
#include <utility>
#include <vector>

namespace kvn::savegen {

// A def/ tree as the game lays it out, written from the compiled data: multi-file lists with
// suffixes, one .sui per city, country and cargo, trailer definitions in nested folders, with the
// notations a real tree mixes (omitted defaults, &hex floats, comments, one-line units). Cities are
// named by locale keys ("@@koln@@"), every fifth by its token written out.
std::vector<archives::testing::TTestFile> CompiledDefTree();

// The German names locale.scs gives, city token -> name; each of these cities is named by its key.
const std::vector<std::pair<QString, QString>> &GermanCityNames();

// The version the generated game reports: the compiled catalogue's with a build number ("1.58.1.5").
QString GeneratedGameVersion();

// Writes Folder/def.scs, version.scs and locale.scs (HashFS v2); false with Error when a file or the
// folder cannot be written.
bool WriteInstalledGame(const QString &Folder, QString *Error = nullptr);

// The cargo the generated mod adds (without "cargo."): a token the compiled catalogue lacks, carried
// on the curtainside trailers the compiled ones are.
inline constexpr const char *ModCargoName = "tundra_tea";
inline constexpr double ModCargoVolume = 1;

// Whether Name can name a mod package: letters, digits, '_' and '-', at most 64 of them.
bool IsModPackageName(const QString &Name);

// Writes "<ModFolder>/<Name>.scs" (ZIP, as mods are packed): a manifest for the generated game's
// version and a def/ list adding ModCargoName.
bool WriteModPackage(const QString &ModFolder, const QString &Name, QString *Error = nullptr);

// The profile.sii value listing the mod: "<package>|<name shown in the mod manager>".
QString ActiveModEntry(const QString &Name);

} // namespace kvn::savegen
