#include "savegame/gamefolders.h"

#include "shared/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QStringList SteamRoots()
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

QStringList SteamLibraryFolders()
{
    QStringList libraries;
    for (const QString &root : SteamRoots()) {
        AddUnique(libraries, root);
        for (const QString &vdfName : {root + "steamapps/libraryfolders.vdf", root + "config/libraryfolders.vdf"}) {
            QFile vdf(vdfName);
            if (!vdf.open(QIODevice::ReadOnly))
                continue;
            for (const QString &path : ParseSteamLibraryPaths(vdf.read(1 << 20)))
                if (IsExistingFolder(path))
                    AddUnique(libraries, WithSlash(QDir::cleanPath(path)));
        }
    }
    return libraries;
}

QStringList GameFolderCandidates()
{
    QStringList places;
#ifdef Q_OS_WIN
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    places << WithSlash(documents) + GameFolderName + u'/';
#else
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    places << WithSlash(data) + GameFolderName + u'/';
    const QStringList libraries = SteamLibraryFolders();
    for (const QString &library : libraries)
        places << library + "steamapps/compatdata/" + GameSteamAppId + "/pfx/drive_c/users/steamuser/Documents/" +
                      GameFolderName + u'/';
    for (const QString &root : SteamRoots()) {
        const QString userdata = root + "userdata/";
        for (const QString &id : ListSubFolders(userdata))
            places << userdata + id + GameSteamAppId + "/remote/";
    }
#endif
    return places;
}

} // namespace kvn
