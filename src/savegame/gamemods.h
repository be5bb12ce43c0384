// The mods a profile has switched on and where their files are: the profile's "active_mods" list,
// the player's mod folder, the Steam Workshop folders, and for each mod the parts of it the game
// mounts (its versions.sii slot for this game version, "base/" and "dlc_*/" parts, its manifest's
// compatible versions).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kvn {

namespace archives {
class IGameFileSource;
}

struct TActiveMod {
    QString Package;     // "promods-map-v260" or "mod_workshop_package.00000000C5D284B9"
    QString DisplayName; // as the mod manager shows it
};

// The profile's active mods in the order the profile lists them: the first has the lowest priority
// (the bottom of the game's mod manager). Bounded to a few thousand entries; malformed lines are
// passed over.
std::vector<TActiveMod> ParseActiveMods(const QStringList &ProfileLines);

// The Steam Workshop item number of a workshop package ("…00000000C5D284B9" -> "3318908089");
// empty for a local mod or a malformed name.
QString WorkshopItemId(const QString &Package);

// Where one mod's package is: "<mod folder>/<package>.scs", ".zip" or a folder of that name for a
// local mod; "<library>/steamapps/workshop/content/227300/<item>/" for a workshop mod. Empty when
// it is in none of them.
QString FindModPackage(const TActiveMod &Mod, const QStringList &ModFolders, const QStringList &SteamLibraries);

// Why a mod that was found is not mounted, for a text in the player's language.
struct TModRefusal {
    enum class TKind : std::uint8_t { None, OtherGameVersion, VersionPackageMissing };
    TKind Kind = TKind::None;
    QString Detail; // the versions the mod is made for ("1.49.*, 1.50.*"), or the missing package
};

// Inside a workshop item: the package of the versions.sii slot that fits GameVersion (the first
// slot whose compatible_versions match, else the first slot without any). The item itself when it
// has no versions.sii. Empty with a reason when no slot fits.
QString ChooseWorkshopVersion(const QString &ItemFolder, const QString &GameVersion, QString *Reason = nullptr,
                              TModRefusal *Refusal = nullptr);

// The folders of a mod package the game mounts, in priority order ("" is the whole package):
// "base/" and each "dlc_<name>/" of an installed DLC when the package is split so, else the
// package itself. Empty with a reason when the manifest's compatible_versions exclude GameVersion
// (mods without a manifest or without that list are taken).
QStringList ModMountFolders(const archives::IGameFileSource &Package, const QString &GameVersion,
                            const QStringList &InstalledDlcs, QString *Reason = nullptr,
                            TModRefusal *Refusal = nullptr);

} // namespace kvn
