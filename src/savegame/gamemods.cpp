#include "savegame/gamemods.h"

#include "archives/gamefilesource.h"
#include "savegame/gamefolders.h"
#include "savegame/gameinstall.h"
#include "savegame/siiattributes.h"
#include "savegame/siitext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kvn {

namespace {

// Far beyond any mod list the game's mod manager lets a player build.
constexpr int kMaxActiveMods = 5000;
// versions.sii and manifest.sii are a few hundred bytes; anything much larger is not one.
constexpr qint64 kMaxSmallSiiFile = 1 << 20;

QString WithSlash(const QString &Folder)
{
    const QString path = QDir::fromNativeSeparators(Folder);
    return path.endsWith(u'/') ? path : path + u'/';
}

QByteArray ReadSmallFile(const QString &Path)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSmallSiiFile)
        return {};
    return file.read(kMaxSmallSiiFile);
}

// A package name found in a folder as "<name>.scs", "<name>.zip" or a folder "<name>".
QString PackageIn(const QString &Folder, const QString &Name)
{
    if (Name.isEmpty() || Name.contains(u'/') || Name.contains(u'\\') || Name == QLatin1String("..") ||
        Name == QLatin1String("."))
        return {};
    const QString base = WithSlash(Folder) + Name;
    for (const char *suffix : {".scs", ".zip"})
        if (QFileInfo(base + QLatin1String(suffix)).isFile())
            return base + QLatin1String(suffix);
    if (QFileInfo(base).isDir())
        return WithSlash(base);
    return {};
}

bool AnyVersionMatches(const QStringList &Patterns, const QString &GameVersion)
{
    for (const QString &pattern : Patterns)
        if (VersionMatches(pattern, GameVersion))
            return true;
    return false;
}

} // namespace

std::vector<TActiveMod> ParseActiveMods(const QStringList &ProfileLines)
{
    std::vector<TActiveMod> mods;
    for (const QString &line : ProfileLines) {
        if (!TrimmedStartsWith(line, u"active_mods["))
            continue;
        if (int(mods.size()) >= kMaxActiveMods)
            break;
        const QString value = Unquote(SiiLineValue(line).trimmed());
        const qsizetype bar = value.indexOf(u'|');
        TActiveMod mod;
        mod.Package = (bar < 0 ? value : value.left(bar)).trimmed();
        mod.DisplayName = bar < 0 ? mod.Package : value.mid(bar + 1).trimmed();
        if (!mod.Package.isEmpty())
            mods.push_back(mod);
    }
    return mods;
}

QString WorkshopItemId(const QString &Package)
{
    static const QString prefix = QStringLiteral("mod_workshop_package.");
    if (!Package.startsWith(prefix))
        return {};
    const QString hex = Package.mid(prefix.size());
    if (hex.isEmpty() || hex.size() > 16)
        return {};
    bool ok = false;
    const qulonglong id = hex.toULongLong(&ok, 16);
    return ok && id != 0 ? QString::number(id) : QString();
}

QString FindModPackage(const TActiveMod &Mod, const QStringList &ModFolders, const QStringList &SteamLibraries)
{
    const QString item = WorkshopItemId(Mod.Package);
    if (!item.isEmpty()) {
        for (const QString &library : SteamLibraries) {
            const QString folder = WithSlash(library) + QStringLiteral("steamapps/workshop/content/") +
                                   QLatin1String(GameSteamAppId) + u'/' + item + u'/';
            if (QFileInfo(folder).isDir())
                return folder;
        }
        return {};
    }
    for (const QString &folder : ModFolders)
        if (const QString found = PackageIn(folder, Mod.Package); !found.isEmpty())
            return found;
    return {};
}

QString ChooseWorkshopVersion(const QString &ItemFolder, const QString &GameVersion, QString *Reason,
                              TModRefusal *Refusal)
{
    const QString folder = WithSlash(ItemFolder);
    const QString versionsFile = folder + QStringLiteral("versions.sii");
    if (!QFileInfo(versionsFile).isFile())
        return folder;
    const std::vector<TSiiAttribute> attributes = ReadSiiAttributes(ReadSmallFile(versionsFile));
    // One slot per unit, in file order.
    struct TSlot {
        QString Name, Package;
        QStringList Patterns;
    };
    std::vector<TSlot> versionSlots;
    for (const TSiiAttribute &a : attributes) {
        if (a.UnitClass != QLatin1String("package_version_info"))
            continue;
        if (versionSlots.empty() || versionSlots.back().Name != a.UnitName)
            versionSlots.push_back({a.UnitName, {}, {}});
        if (a.Key == QLatin1String("package_name"))
            versionSlots.back().Package = a.Value;
        else if (a.Key == QLatin1String("compatible_versions"))
            versionSlots.back().Patterns.append(a.Value);
    }
    const TSlot *chosen = nullptr;
    for (const TSlot &slot : versionSlots)
        if (!slot.Patterns.isEmpty() && AnyVersionMatches(slot.Patterns, GameVersion)) {
            chosen = &slot;
            break;
        }
    if (!chosen)
        for (const TSlot &slot : versionSlots)
            if (slot.Patterns.isEmpty()) {
                chosen = &slot;
                break;
            }
    if (!chosen) {
        if (Reason)
            *Reason = QStringLiteral("no version of it is made for game version %1").arg(GameVersion);
        if (Refusal) {
            QStringList wanted;
            for (const TSlot &slot : versionSlots)
                wanted += slot.Patterns;
            wanted.removeDuplicates();
            *Refusal = {TModRefusal::TKind::OtherGameVersion, wanted.join(QStringLiteral(", "))};
        }
        return {};
    }
    const QString package = PackageIn(folder, chosen->Package);
    if (package.isEmpty() && Reason)
        *Reason = QStringLiteral("its version \"%1\" is missing from \"%2\"")
                      .arg(chosen->Package, QDir::toNativeSeparators(folder));
    if (package.isEmpty() && Refusal)
        *Refusal = {TModRefusal::TKind::VersionPackageMissing, chosen->Package};
    return package;
}

QStringList ModMountFolders(const archives::IGameFileSource &Package, const QString &GameVersion,
                            const QStringList &InstalledDlcs, QString *Reason, TModRefusal *Refusal)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (Package.HasFile("manifest.sii") && Package.ReadFile("manifest.sii", bytes, error) &&
        qint64(bytes.size()) <= kMaxSmallSiiFile) {
        const auto attributes =
            ReadSiiAttributes(QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())));
        const QStringList patterns =
            SiiAttributeValues(attributes, QStringLiteral("mod_package"), QStringLiteral("compatible_versions"));
        if (!patterns.isEmpty() && !GameVersion.isEmpty() && !AnyVersionMatches(patterns, GameVersion)) {
            if (Reason)
                *Reason = QStringLiteral("it is made for game version %1, not %2")
                              .arg(patterns.join(QStringLiteral(", ")), GameVersion);
            if (Refusal)
                *Refusal = {TModRefusal::TKind::OtherGameVersion, patterns.join(QStringLiteral(", "))};
            return {};
        }
    }
    std::vector<archives::TFolderEntry> root;
    if (!Package.ListFolder("", root))
        return {QString()};
    bool split = false;
    QStringList dlcParts;
    for (const archives::TFolderEntry &entry : root) {
        if (!entry.IsFolder)
            continue;
        const QString name = QString::fromStdString(entry.Name);
        if (name == QLatin1String("base"))
            split = true;
        else if (name.startsWith(QLatin1String("dlc_")) && InstalledDlcs.contains(name))
            dlcParts.append(name + u'/');
    }
    if (!split)
        return {QString()};
    dlcParts.sort();
    return QStringList{QStringLiteral("base/")} + dlcParts;
}

} // namespace kvn
