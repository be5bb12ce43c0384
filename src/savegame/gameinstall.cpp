#include "savegame/gameinstall.h"

#include "savegame/gamefolders.h"
#include "savegame/siiattributes.h"

#include <QDir>
#include <QFileInfo>

namespace kvn {

namespace {

QString WithSlash(const QString &Folder)
{
    const QString path = QDir::fromNativeSeparators(Folder);
    return path.endsWith(u'/') ? path : path + u'/';
}

// The archives that hold the definitions (def), what they refer to (base, base_share, core), the
// display names (locale) and the version; missing ones are passed over.
const QStringList kBaseArchives{QStringLiteral("base.scs"),   QStringLiteral("base_share.scs"),
                                QStringLiteral("core.scs"),   QStringLiteral("def.scs"),
                                QStringLiteral("locale.scs"), QStringLiteral("version.scs")};

} // namespace

QStringList GameInstallCandidates(const QString &PlayerFolder, const QStringList &SteamLibraries)
{
    QStringList candidates;
    auto add = [&](const QString &Folder) {
        const QString path = WithSlash(Folder);
        if (!candidates.contains(path))
            candidates.append(path);
    };
    if (!PlayerFolder.trimmed().isEmpty())
        add(PlayerFolder.trimmed());
    for (const QString &library : SteamLibraries)
        add(WithSlash(library) + QStringLiteral("steamapps/common/") + QLatin1String(GameFolderName));
    return candidates;
}

QString FindGameInstall(const QStringList &Candidates)
{
    for (const QString &folder : Candidates)
        if (QFileInfo(WithSlash(folder) + QLatin1String(GameDefinitionArchive)).isFile())
            return WithSlash(folder);
    return {};
}

QStringList DefinitionArchives(const QString &InstallFolder)
{
    const QString folder = WithSlash(InstallFolder);
    QStringList archives;
    for (const QString &name : kBaseArchives)
        if (QFileInfo(folder + name).isFile())
            archives.append(folder + name);
    QStringList dlcs = QDir(folder).entryList({QStringLiteral("dlc_*.scs")}, QDir::Files, QDir::Name);
    for (const QString &name : dlcs)
        archives.append(folder + name);
    return archives;
}

QStringList InstalledDlcs(const QString &InstallFolder)
{
    QStringList dlcs;
    for (const QString &name :
         QDir(WithSlash(InstallFolder)).entryList({QStringLiteral("dlc_*.scs")}, QDir::Files, QDir::Name))
        dlcs.append(name.chopped(4)); // without ".scs"
    return dlcs;
}

TGameVersion ParseGameVersion(const QByteArray &VersionSii)
{
    const std::vector<TSiiAttribute> attributes = ReadSiiAttributes(VersionSii, 500, 200);
    TGameVersion version;
    const QStringList applications = SiiAttributeValues(attributes, QStringLiteral("fs_pack_set"), "application");
    const QStringList versions = SiiAttributeValues(attributes, QStringLiteral("fs_pack_set"), "version");
    if (!applications.isEmpty())
        version.Application = applications.first().left(64);
    if (!versions.isEmpty())
        version.Version = versions.first().left(64);
    return version;
}

bool VersionMatches(const QString &Pattern, const QString &Version)
{
    const QString pattern = Pattern.trimmed();
    if (pattern.isEmpty() || Version.isEmpty())
        return false;
    if (!pattern.contains(u'*'))
        return Version == pattern || Version.startsWith(pattern + u'.');
    // '*' stands for any run of characters; everything else must match as it is.
    QStringList parts = pattern.split(u'*');
    qsizetype at = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        if (i == 0) {
            if (!Version.startsWith(part))
                return false;
            at = part.size();
            continue;
        }
        if (i == parts.size() - 1)
            return part.isEmpty() || (Version.size() - at >= part.size() && Version.endsWith(part));
        const qsizetype found = Version.indexOf(part, at);
        if (found < 0)
            return false;
        at = found + part.size();
    }
    return true;
}

} // namespace kvn
