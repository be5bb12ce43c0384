#include "savegame/savesread.h"

#include "shared/files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace kvn {

namespace {

// Longer than any path a file system accepts: a line with more is not one of ours.
constexpr qsizetype kMaxPathLength = 32767;

bool ParseNumber(QByteArrayView Text, qint64 &Value)
{
    if (Text.isEmpty() || Text.size() > 20)
        return false;
    bool ok = false;
    Value = Text.toLongLong(&ok);
    return ok;
}

} // namespace

TSaveStamp StampOfSave(const QString &Path)
{
    const QFileInfo info(Path);
    TSaveStamp stamp;
    if (!info.isFile())
        return stamp;
    stamp.Path = QDir::cleanPath(info.absoluteFilePath());
    stamp.Size = info.size();
    stamp.ModifiedMs = info.lastModified().toMSecsSinceEpoch();
    return stamp;
}

std::vector<TSaveStamp> ListProfileSaves(const QStringList &ProfileFolders, const QString &Exclude, int Limit)
{
    const QString excluded = Exclude.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(Exclude).absoluteFilePath());
    std::vector<TSaveStamp> saves;
    QSet<QString> seen;
    for (const QString &profile : ProfileFolders) {
        if (profile.isEmpty())
            continue;
        const QDir saveFolder(QDir(profile).filePath(QStringLiteral("save")));
        const QStringList names =
            saveFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString &name : names) {
            TSaveStamp stamp = StampOfSave(saveFolder.filePath(name + QStringLiteral("/game.sii")));
            if (stamp.Path.isEmpty() || stamp.Path == excluded || seen.contains(stamp.Path))
                continue;
            seen.insert(stamp.Path);
            saves.push_back(std::move(stamp));
        }
    }
    std::sort(saves.begin(), saves.end(), [](const TSaveStamp &A, const TSaveStamp &B) {
        return A.ModifiedMs != B.ModifiedMs ? A.ModifiedMs > B.ModifiedMs : A.Path < B.Path;
    });
    if (Limit >= 0 && saves.size() > size_t(Limit))
        saves.resize(size_t(Limit));
    return saves;
}

TReadSavesIndex TReadSavesIndex::Parse(const QByteArray &Bytes)
{
    TReadSavesIndex index;
    if (Bytes.size() > kMaxFileBytes)
        return index;
    const QByteArrayView all(Bytes);
    for (qsizetype start = 0; start < all.size() && index.FEntries.size() < kMaxEntries;) {
        qsizetype end = all.indexOf('\n', start);
        if (end < 0)
            end = all.size();
        const QByteArrayView line = all.sliced(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype first = line.indexOf('\t');
        const qsizetype second = first < 0 ? -1 : line.indexOf('\t', first + 1);
        if (second < 0)
            continue;
        TSaveStamp stamp;
        if (!ParseNumber(line.first(first), stamp.Size) || stamp.Size < 0 ||
            !ParseNumber(line.sliced(first + 1, second - first - 1), stamp.ModifiedMs))
            continue;
        const QByteArrayView path = line.sliced(second + 1);
        if (path.isEmpty() || path.size() > kMaxPathLength)
            continue;
        stamp.Path = QString::fromUtf8(path);
        index.FEntries.insert(stamp.Path, stamp);
    }
    return index;
}

QByteArray TReadSavesIndex::Serialise() const
{
    QList<TSaveStamp> entries = FEntries.values();
    std::sort(entries.begin(), entries.end(), [](const TSaveStamp &A, const TSaveStamp &B) { return A.Path < B.Path; });
    QByteArray out("# Saves read for road distances: size, modification time (ms since 1970), path\n");
    for (const TSaveStamp &e : entries)
        out += QByteArray::number(e.Size) + '\t' + QByteArray::number(e.ModifiedMs) + '\t' + e.Path.toUtf8() + '\n';
    return out;
}

TReadSavesIndex TReadSavesIndex::Read(const QString &Folder)
{
    QFile file(QDir(Folder).filePath(FileName()));
    QByteArray bytes;
    if (Folder.isEmpty() || !file.open(QIODevice::ReadOnly) || !ReadFileAtMost(file, kMaxFileBytes, bytes))
        return {};
    return Parse(bytes);
}

bool TReadSavesIndex::Write(const QString &Folder, QString *Error) const
{
    return WriteFileAtomically(QDir(Folder).filePath(FileName()), Serialise(), Error);
}

bool TReadSavesIndex::WasRead(const TSaveStamp &Save) const
{
    const auto it = FEntries.constFind(Save.Path);
    return it != FEntries.cend() && it->SameFile(Save);
}

void TReadSavesIndex::MarkRead(const TSaveStamp &Save)
{
    if (Save.Path.isEmpty() || Save.Path.contains(u'\n') || Save.Path.contains(u'\r'))
        return;
    if (FEntries.size() >= kMaxEntries && !FEntries.contains(Save.Path))
        ForgetMissing();
    if (FEntries.size() < kMaxEntries || FEntries.contains(Save.Path))
        FEntries.insert(Save.Path, Save);
}

void TReadSavesIndex::ForgetMissing()
{
    for (auto it = FEntries.begin(); it != FEntries.end();) {
        if (IsExistingFile(it.key()))
            ++it;
        else
            it = FEntries.erase(it);
    }
}

} // namespace kvn
