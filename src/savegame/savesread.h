// The saves the distance learner has read: every profile's saves (quick-save, autosaves, numbered
// saves) listed newest first, and a small index of those already read ("saves-read.dat", beside
// the learnt distances) so that a save is read again only after it changed.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace kvn {

// One save's game.sii as it was when it was looked at.
struct TSaveStamp {
    QString Path; // cleaned absolute path of game.sii
    qint64 Size = 0;
    qint64 ModifiedMs = 0; // last modification, milliseconds since 1970 (UTC)

    bool SameFile(const TSaveStamp &Other) const
    {
        return Size == Other.Size && ModifiedMs == Other.ModifiedMs && Path == Other.Path;
    }
};

// The stamp of an existing file; an empty Path when it is not one.
TSaveStamp StampOfSave(const QString &Path);

// The game.sii of every save folder (<profile>/save/<name>/game.sii) of the given profile folders,
// newest first, without Exclude (the save already read from memory). At most Limit saves: the
// newest are kept.
std::vector<TSaveStamp> ListProfileSaves(const QStringList &ProfileFolders, const QString &Exclude = QString(),
                                         int Limit = 2000);

// How far the distance learner got with the player's saves besides the loaded one.
struct TSavesLearning {
    int SavesFound = 0;       // other saves listed
    int SavesRead = 0;        // read in this run
    int SavesAlreadyRead = 0; // unchanged since a run that read them
    int SavesSkipped = 0;     // could not be read, decoded, or were cut off or damaged
    int PairsAdded = 0;       // pairs appended to the learnt distances in this run (all saves)
};

class TReadSavesIndex {
public:
    static QString FileName() { return QStringLiteral("saves-read.dat"); }
    // A bigger file is not ours to trust: it is read as empty (every save is then read again).
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
    static constexpr int kMaxEntries = 20000;

    // Lines "size<TAB>modified ms<TAB>path"; "#" comments, blank and malformed lines are left out.
    static TReadSavesIndex Parse(const QByteArray &Bytes);
    QByteArray Serialise() const;

    // Folder's index; empty when there is none or it cannot be read.
    static TReadSavesIndex Read(const QString &Folder);
    // Writes it atomically into Folder.
    bool Write(const QString &Folder, QString *Error = nullptr) const;

    bool WasRead(const TSaveStamp &Save) const;
    void MarkRead(const TSaveStamp &Save);
    // Forgets the saves whose game.sii is gone, so the index does not grow with deleted saves.
    void ForgetMissing();
    int Count() const { return int(FEntries.size()); }

private:
    QHash<QString, TSaveStamp> FEntries; // by path
};

} // namespace kvn
