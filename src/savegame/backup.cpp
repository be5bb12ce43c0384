#include "savegame/backup.h"

#include "lang/languages.h"
#include "savegame/profiles.h"
#include "shared/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kvn {

namespace {

constexpr int MaxNameSuffix = 1000;
constexpr qint64 CompareChunk = 4 * 1024 * 1024;

QString Shown(const QString &Path)
{
    return QDir::toNativeSeparators(Path);
}

} // namespace

QString BackupFolder(const TProfileInfo &Profile)
{
    return Profile.QuickSavePath() + QStringLiteral("~%1 Backups/").arg(QStringLiteral("Kestrovan"));
}

QString BackupFileName(const QDateTime &LocalTime)
{
    return LocalTime.toString(QStringLiteral("yyyy-MM-dd hh-mm-ss")) + QStringLiteral(".bak");
}

QString DescribeCopyFailure(const TCopyFailure &Failure, const TLanguageTexts *Texts)
{
    const QString &path = Failure.Path;
    const QString &why = Failure.SystemMessage;
    switch (Failure.Fault) {
    case TCopyFault::None:
        return {};
    case TCopyFault::SourceMissing:
        return TextOrEnglish(Texts, TLangText::CopySourceMissing, {path});
    case TCopyFault::TargetNotAFile:
        return TextOrEnglish(Texts, TLangText::CopyTargetNotAFile, {path});
    case TCopyFault::TargetIsSource:
        return TextOrEnglish(Texts, TLangText::CopyTargetIsSource, {path});
    case TCopyFault::SourceUnreadable:
        return TextOrEnglish(Texts, TLangText::CopySourceUnreadable, {path, why});
    case TCopyFault::TargetNotOpened:
        return TextOrEnglish(Texts, TLangText::CopyTargetNotOpened, {path, why});
    case TCopyFault::TargetIncomplete:
        return TextOrEnglish(Texts, TLangText::CopyTargetIncomplete, {path, why});
    case TCopyFault::TargetNotReplaced:
        return TextOrEnglish(Texts, TLangText::CopyTargetNotReplaced, {path, why});
    }
    return {};
}

bool FilesHaveSameBytes(const QString &A, const QString &B)
{
    QFile a(A);
    QFile b(B);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly))
        return false;
    if (a.size() != b.size())
        return false;
    for (;;) {
        const QByteArray ca = a.read(CompareChunk);
        const QByteArray cb = b.read(CompareChunk);
        if (ca != cb)
            return false;
        if (ca.isEmpty())
            return a.atEnd() && b.atEnd() && a.error() == QFileDevice::NoError && b.error() == QFileDevice::NoError;
    }
}

namespace {

// A verified copy of Source in the backup folder named Stem + ".bak" (or Stem + "_2.bak" ... when
// taken).
TBackupResult CopyIntoBackupFolder(const TProfileInfo &Profile, const QString &Source, const QString &Stem,
                                   const TLanguageTexts *Texts)
{
    TBackupResult result;
    if (!IsExistingFile(Source)) {
        result.Error = TextOrEnglish(Texts, TLangText::BackupNoSavegame, {Shown(Source)});
        return result;
    }
    const QString folder = BackupFolder(Profile);
    if (!QDir().mkpath(folder)) {
        result.Error = TextOrEnglish(Texts, TLangText::BackupFolderNotCreated, {Shown(folder)});
        return result;
    }
    QString target = folder + Stem + QStringLiteral(".bak");
    for (int n = 2; QFileInfo::exists(target); ++n) {
        if (n > MaxNameSuffix) {
            result.Error = TextOrEnglish(Texts, TLangText::BackupNoFreeName, {Shown(folder)});
            return result;
        }
        target = folder + Stem + QStringLiteral("_%1.bak").arg(n);
    }
    TCopyFailure failure;
    if (!CopyFileTo(Source, target, failure)) {
        result.Error = TextOrEnglish(Texts, TLangText::BackupCopyFailed, {DescribeCopyFailure(failure, Texts)});
        QFile::remove(target);
        return result;
    }
    if (!FilesHaveSameBytes(Source, target)) {
        result.Error = TextOrEnglish(Texts, TLangText::BackupNotMatching, {Shown(target)});
        QFile::remove(target);
        return result;
    }
    result.Ok = true;
    result.BackupPath = target;
    return result;
}

QString Stamp(const QDateTime &LocalTime)
{
    return LocalTime.toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
}

// Form is one of the words of SiiFileForm; a form nobody could name stays out of the name.
QString OriginalFormStem(const QDateTime &LocalTime, const QString &Form)
{
    const bool named = !Form.isEmpty() && Form != QLatin1String("unknown");
    return Stamp(LocalTime) + QStringLiteral(" original") + (named ? QLatin1Char(' ') + Form : QString());
}

} // namespace

TBackupResult BackupSaveFile(const TProfileInfo &Profile, const QString &Source, const QDateTime &LocalTime,
                             const TLanguageTexts *Texts)
{
    return CopyIntoBackupFolder(Profile, Source, Stamp(LocalTime), Texts);
}

QString OriginalFormBackupName(const QDateTime &LocalTime, const QString &Form)
{
    return OriginalFormStem(LocalTime, Form) + QStringLiteral(".bak");
}

TBackupResult BackupOriginalForm(const TProfileInfo &Profile, const QString &Source, const QString &Form,
                                 const QDateTime &LocalTime, const TLanguageTexts *Texts)
{
    return CopyIntoBackupFolder(Profile, Source, OriginalFormStem(LocalTime, Form), Texts);
}

QStringList ListBackups(const TProfileInfo &Profile)
{
    QStringList names;
    GetFilesInDirectory(BackupFolder(Profile), QStringLiteral("*.*"), names);
    return names;
}

QStringList BackupComboItems(const QString &TitleText, const QString &DeleteAllText, const QStringList &Backups)
{
    QStringList items;
    items.reserve(Backups.size() + 2);
    items << TitleText << Backups << DeleteAllText;
    return items;
}

TBackupComboAction BackupComboAction(int SelectedIndex, int ItemCount)
{
    if (SelectedIndex <= 0 || SelectedIndex >= ItemCount)
        return TBackupComboAction::None;
    return SelectedIndex == ItemCount - 1 ? TBackupComboAction::DeleteAll : TBackupComboAction::Restore;
}

QString RestoreConfirmationText(const QString &BackupName)
{
    return QStringLiteral("Confirmation\r\n\r\nDo you really want to restore your previous savegame backup \"") +
           BackupName +
           QStringLiteral("\"?\r\nThis will result in a loss of your old savegame!\r\n\r\nAre you sure you want to "
                          "continue?");
}

QString DeleteAllBackupsConfirmationText()
{
    return QStringLiteral("Confirmation\r\n\r\nDo you really want to delete all savegame backups?\r\nThis will result "
                          "in a loss of all your old savegames!\r\n\r\nAre you sure you want to continue?");
}

TBackupActionResult RestoreBackup(const TProfileInfo &Profile, const QString &Name, const TConfirmFunction &Confirm,
                                  const TLanguageTexts *Texts)
{
    TBackupActionResult result;
    // A name from the list is a bare file name; anything with a folder part is not one of ours.
    if (Name.isEmpty() || Name.contains(u'/') || Name.contains(u'\\') || Name == QLatin1String("..") ||
        Name == QLatin1String("."))
        return result;
    const QString path = BackupFolder(Profile) + Name;
    if (!IsExistingFile(path))
        return result;
    const QString gameFile = Profile.GameFilePath();
    // Refused before asking: the rename would silently replace a save the player write-protected.
    if (IsWriteProtectedFile(gameFile)) {
        result.Outcome = TBackupOutcome::Failed;
        result.Error = TextOrEnglish(Texts, TLangText::BackupRestoreReadOnly, {Shown(gameFile)});
        return result;
    }
    if (!Confirm || !Confirm(RestoreConfirmationText(Name))) {
        result.Outcome = TBackupOutcome::Declined;
        return result;
    }
    // CopyFileTo writes beside game.sii and renames over it, so game.sii is never missing.
    TCopyFailure failure;
    if (!CopyFileTo(path, gameFile, failure) || !FilesHaveSameBytes(path, gameFile)) {
        result.Outcome = TBackupOutcome::Failed;
        result.Error = failure.Fault == TCopyFault::None ? TextOrEnglish(Texts, TLangText::BackupNotRestored)
                                                         : DescribeCopyFailure(failure, Texts);
        return result;
    }
    QFile::remove(path);
    result.Outcome = TBackupOutcome::Done;
    return result;
}

TBackupActionResult DeleteAllBackups(const TProfileInfo &Profile, const TConfirmFunction &Confirm,
                                     const TLanguageTexts *Texts)
{
    TBackupActionResult result;
    const QString folder = BackupFolder(Profile);
    if (!IsExistingFolder(folder))
        return result;
    if (!Confirm || !Confirm(DeleteAllBackupsConfirmationText())) {
        result.Outcome = TBackupOutcome::Declined;
        return result;
    }
    if (!DeleteFolder(folder)) {
        result.Outcome = TBackupOutcome::Failed;
        result.Error = TextOrEnglish(Texts, TLangText::BackupNotAllDeleted, {Shown(folder)});
        return result;
    }
    result.Outcome = TBackupOutcome::Done;
    return result;
}

} // namespace kvn
