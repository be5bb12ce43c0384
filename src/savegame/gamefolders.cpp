#include "savegame/gamefolders.h"

#include "shared/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kvn {

namespace {

QString WithSlash(const QString &Path)
{
    if (Path.isEmpty() || Path.endsWith(u'/'))
        return Path;
    return Path + u'/';
}

void AddUnique(QStringList &List, const QString &Folder)
{
    const QString canonical = QFileInfo(Folder).canonicalFilePath();
    for (const QString &known : List)
        if (QFileInfo(known).canonicalFilePath() == canonical && !canonical.isEmpty())
            return;
    if (!List.contains(Folder))
        List << Folder;
}

QStringList LinuxSteamRoots()
{
    QStringList roots;
    const QString home = QDir::homePath();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    for (const QString &root : {home + "/.steam/steam", home + "/.steam/root", data + "/Steam",
                                home + "/.var/app/com.valvesoftware.Steam/.local/share/Steam"})
        if (IsExistingFolder(root))
            AddUnique(roots, WithSlash(QDir::cleanPath(root)));
    return roots;
}

} // namespace

QStringList ParseSteamLibraryPaths(const QByteArray &Vdf)
{
    // A flat token walk is enough: every "path" key is followed by its quoted value.
    constexpr qsizetype maxText = 1 << 20;
    constexpr int maxPaths = 256;
    const QByteArray text = Vdf.left(maxText);
    QStringList paths;
    QByteArray previous;
    qsizetype i = 0;
    while (i < text.size() && paths.size() < maxPaths) {
        const char c = text[i];
        if (c != '"') {
            ++i;
            continue;
        }
        QByteArray token;
        ++i;
        while (i < text.size() && text[i] != '"') {
            if (text[i] == '\\' && i + 1 < text.size()) {
                ++i;
            }
            token += text[i];
            ++i;
        }
        ++i; // closing quote
        if (previous.compare("path", Qt::CaseInsensitive) == 0 && !token.isEmpty()) {
            paths << QString::fromUtf8(token);
            previous.clear();
        } else {
            previous = token;
        }
    }
    return paths;
}

QStringList SteamLibraryFolders(const QStringList &SteamRoots)
{
    QStringList libraries;
    for (const QString &root : SteamRoots) {
        if (!IsExistingFolder(root))
            continue;
        AddUnique(libraries, root);
        for (const QString &vdfName : {root + "steamapps/libraryfolders.vdf", root + "config/libraryfolders.vdf"}) {
            QFile vdf(vdfName);
            if (!vdf.open(QIODevice::ReadOnly))
                continue;
            for (const QString &path : ParseSteamLibraryPaths(vdf.read(1 << 20))) {
                const QString folder = QDir::fromNativeSeparators(path);
                if (IsExistingFolder(folder))
                    AddUnique(libraries, WithSlash(QDir::cleanPath(folder)));
            }
        }
    }
    return libraries;
}

QStringList SteamLibraryFolders()
{
    return SteamLibraryFolders(CurrentGameFolderEnvironment().SteamRoots);
}

QStringList WindowsSteamRoots(const QString &RegistrySteamPath, const QString &DefaultSteamFolder)
{
    const QString named = QDir::fromNativeSeparators(RegistrySteamPath.trimmed());
    if (!named.isEmpty() && IsExistingFolder(named))
        return {WithSlash(QDir::cleanPath(named))};
    return {WithSlash(QDir::cleanPath(QDir::fromNativeSeparators(DefaultSteamFolder)))};
}

TGameFolderEnvironment CurrentGameFolderEnvironment()
{
    TGameFolderEnvironment environment;
#ifdef Q_OS_WIN
    environment.Windows = true;
    environment.Documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QSettings steam(QStringLiteral("HKEY_CURRENT_USER\\Software\\Valve\\Steam"), QSettings::NativeFormat);
    environment.SteamRoots = WindowsSteamRoots(
        steam.value(QStringLiteral("SteamPath")).toString(),
        qEnvironmentVariable("ProgramFiles(x86)", QStringLiteral("C:/Program Files (x86)")) + QStringLiteral("/Steam"));
#else
    environment.DataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    environment.SteamRoots = LinuxSteamRoots();
#endif
    return environment;
}

QStringList GameFolderCandidates(const TGameFolderEnvironment &Environment)
{
    QStringList places;
    const QStringList libraries = SteamLibraryFolders(Environment.SteamRoots);
    if (Environment.Windows) {
        places << WithSlash(Environment.Documents) + GameFolderName + u'/';
    } else {
        places << WithSlash(Environment.DataFolder) + GameFolderName + u'/';
        for (const QString &library : libraries)
            places << library + "steamapps/compatdata/" + GameSteamAppId + "/pfx/drive_c/users/steamuser/Documents/" +
                          GameFolderName + u'/';
    }
    // Steam Cloud keeps its copies in the installation's userdata; a library that is a Steam
    // installation of its own has them too.
    QStringList steamFolders = Environment.SteamRoots;
    for (const QString &library : libraries)
        if (!steamFolders.contains(library))
            steamFolders << library;
    for (const QString &steam : steamFolders) {
        const QString userdata = steam + "userdata/";
        for (const QString &id : ListSubFolders(userdata))
            places << userdata + id + GameSteamAppId + "/remote/";
    }
    return places;
}

QStringList GameFolderCandidates()
{
    return GameFolderCandidates(CurrentGameFolderEnvironment());
}

} // namespace kvn
