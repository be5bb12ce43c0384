#include "shared/files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kvn {

namespace {

constexpr qint64 CopyChunkSize = 1024 * 1024;

void SetError(QString *Error, const QString &Text)
{
    if (Error)
        *Error = Text;
}

QString Shown(const QString &Path)
{
    return QDir::toNativeSeparators(Path);
}

bool IsFolderRootOnly(const QString &Folder)
{
    return Folder.isEmpty() || Folder == QLatin1String("/") || Folder == QLatin1String("\\");
}

bool StartsWithDrive(QStringView S)
{
    if (S.size() < 2 || S[1] != QLatin1Char(':'))
        return false;
    const char16_t c = S[0].unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Finishes a QSaveFile: flush, optional file time, rename over the target.
bool CommitSaveFile(QSaveFile &File, const QString &Path, const QDateTime &FileTime, QString *Error)
{
    if (!File.flush()) {
        SetError(Error, QStringLiteral("\"%1\" could not be written completely (%2). Is the disk full?")
                            .arg(Shown(Path), File.errorString()));
        File.cancelWriting();
        File.commit();
        return false;
    }
    if (FileTime.isValid())
        File.setFileTime(FileTime, QFileDevice::FileModificationTime); // best effort, like the system copy
    if (!File.commit()) {
        SetError(Error, QStringLiteral("\"%1\" could not be saved (%2). The previous file was left as it was.")
                            .arg(Shown(Path), File.errorString()));
        return false;
    }
    return true;
}

bool OpenSaveFile(QSaveFile &File, const QString &Path, QString *Error)
{
    if (File.open(QIODevice::WriteOnly))
        return true;
    SetError(Error, QStringLiteral("\"%1\" could not be written (%2). Check that the folder exists and that you "
                                   "may write to it.")
                        .arg(Shown(Path), File.errorString()));
    return false;
}

} // namespace

bool WriteFileAtomically(const QString &Path, const QByteArray &Data, QString *Error)
{
    if (Path.isEmpty()) {
        SetError(Error, QStringLiteral("No file name was given to save to."));
        return false;
    }
    if (IsExistingFolder(Path)) {
        SetError(Error, QStringLiteral("\"%1\" is a folder, not a file, and could not be written.").arg(Shown(Path)));
        return false;
    }
    // The rename would replace a file the player write-protected without asking, even where the
    // program could not open that file for writing.
    if (IsWriteProtectedFile(Path)) {
        SetError(Error, QStringLiteral("\"%1\" is read-only and was left as it was.").arg(Shown(Path)));
        return false;
    }
    QSaveFile file(Path);
    if (!OpenSaveFile(file, Path, Error))
        return false;
    if (file.write(Data) != Data.size()) {
        SetError(Error, QStringLiteral("\"%1\" could not be written completely (%2). Is the disk full?")
                            .arg(Shown(Path), file.errorString()));
        file.cancelWriting();
        file.commit();
        return false;
    }
    return CommitSaveFile(file, Path, QDateTime(), Error);
}

bool ReadFileAtMost(QFile &File, qint64 Limit, QByteArray &Out)
{
    Out.clear();
    while (Out.size() <= Limit) {
        const QByteArray chunk = File.read(qMin<qint64>(CopyChunkSize, Limit + 1 - Out.size()));
        if (File.error() != QFileDevice::NoError)
            break;
        if (chunk.isEmpty())
            return true;
        Out += chunk;
    }
    Out.clear();
    return false;
}

bool IsExistingFile(const QString &Path)
{
    if (Path.isEmpty())
        return false;
    const QFileInfo info(Path);
    return info.exists() && !info.isDir();
}

bool IsWriteProtectedFile(const QString &Path)
{
    return IsExistingFile(Path) && !(QFile::permissions(Path) & QFileDevice::WriteOwner);
}

bool IsExistingFolder(const QString &Path)
{
    if (Path.isEmpty())
        return false;
    const QFileInfo info(Path);
    return info.exists() && info.isDir();
}

bool CopyFileTo(const QString &Source, const QString &Target, TCopyFailure &Failure)
{
    const auto fail = [&Failure](TCopyFault Fault, const QString &Path, const QString &SystemMessage = {}) {
        Failure = {Fault, Shown(Path), SystemMessage};
        return false;
    };
    Failure = {};
    if (!IsExistingFile(Source))
        return fail(TCopyFault::SourceMissing, Source);
    if (Target.isEmpty() || IsExistingFolder(Target))
        return fail(TCopyFault::TargetNotAFile, Source);
    // Copying a file onto itself would be harmless on its own, but a move built on it would then
    // delete the only copy.
    const QFileInfo sourceInfo(Source);
    const QFileInfo targetInfo(Target);
    if (targetInfo.exists() && sourceInfo.canonicalFilePath() == targetInfo.canonicalFilePath())
        return fail(TCopyFault::TargetIsSource, Source);
    QFile in(Source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(TCopyFault::SourceUnreadable, Source, in.errorString());
    QSaveFile out(Target);
    if (!out.open(QIODevice::WriteOnly))
        return fail(TCopyFault::TargetNotOpened, Target, out.errorString());
    const auto abandon = [&out] {
        out.cancelWriting();
        out.commit();
    };
    QByteArray chunk;
    for (;;) {
        chunk = in.read(CopyChunkSize);
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size()) {
            const QString why = out.errorString();
            abandon();
            return fail(TCopyFault::TargetIncomplete, Target, why);
        }
    }
    if (in.error() != QFileDevice::NoError || !in.atEnd()) {
        abandon();
        return fail(TCopyFault::SourceUnreadable, Source, in.errorString());
    }
    if (!out.flush()) {
        const QString why = out.errorString();
        abandon();
        return fail(TCopyFault::TargetIncomplete, Target, why);
    }
    out.setFileTime(sourceInfo.lastModified(), QFileDevice::FileModificationTime); // best effort, like the system copy
    if (!out.commit())
        return fail(TCopyFault::TargetNotReplaced, Target, out.errorString());
    return true;
}

bool DeleteExistingFile(const QString &Path)
{
    if (!IsExistingFile(Path))
        return false;
    return QFile::remove(Path);
}

bool DeleteFolder(const QString &Folder)
{
    if (!IsExistingFolder(Folder))
        return false;
    // A link to a folder is removed as a link: its target belongs to somebody else.
    const QFileInfo info(Folder);
    if (info.isSymLink())
        return QFile::remove(info.absoluteFilePath());
    return QDir(Folder).removeRecursively();
}

QDateTime FileLastWriteDateTime(const QString &Path)
{
    if (!IsExistingFile(Path))
        return {};
    const QDateTime time = QFileInfo(Path).lastModified();
    return time.isValid() ? time.toLocalTime() : QDateTime();
}

double DateTimeToValue(const QDateTime &LocalTime)
{
    if (!LocalTime.isValid())
        return 0;
    const qint64 days = QDate(1899, 12, 30).daysTo(LocalTime.date());
    const double fraction = LocalTime.time().msecsSinceStartOfDay() / 86400000.0;
    // Before the epoch the whole days count down while the time of day still counts up.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

double FileLastWriteTime(const QString &Path)
{
    const QDateTime time = FileLastWriteDateTime(Path);
    return time.isValid() ? DateTimeToValue(time) : 0.0;
}

QString AddLongPathPrefix(const QString &Path)
{
    if (!Path.startsWith(QLatin1String("\\\\")))
        return QStringLiteral("\\\\?\\") + Path;
    if (!Path.startsWith(QLatin1String("\\\\?\\")))
        return QStringLiteral("\\\\?\\UNC\\") + Path.mid(2);
    return Path;
}

QString RemoveLongPathPrefix(const QString &Path)
{
    QStringView rest(Path);
    if (Path.startsWith(QLatin1String("\\\\?\\UNC\\")))
        rest = rest.mid(8);
    else if (Path.startsWith(QLatin1String("\\\\?\\")))
        rest = rest.mid(4);
    else if (Path.startsWith(QLatin1String("\\\\")))
        rest = rest.mid(2);
    return StartsWithDrive(rest) ? rest.toString() : Path;
}

QStringList ListSubFolders(const QString &Folder)
{
    QStringList names;
    if (IsFolderRootOnly(Folder))
        return names;
    QDirIterator it(Folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        names << it.fileName() + QLatin1Char('/');
    }
    return names;
}

void GetFilesInDirectory(const QString &Folder, const QString &Mask, QStringList &List)
{
    if (IsFolderRootOnly(Folder))
        return;
    // The classic wildcard "*.*" also matches names without a dot.
    const QString mask = (Mask.isEmpty() || Mask == QLatin1String("*.*")) ? QStringLiteral("*") : Mask.toLower();
    QDirIterator it(Folder, QStringList{mask}, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        List << it.fileName();
    }
}

} // namespace kvn
