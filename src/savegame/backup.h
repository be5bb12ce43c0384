// Backups of the quick-save: a copy of game.sii beside it, made before every writing run, listed
// for the restore box, restored over game.sii, deleted as a whole.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace kvn {

class TLanguageTexts;
struct TCopyFailure;
class TProfileInfo;

// QuickSavePath + "~Kestrovan Backups/".
QString BackupFolder(const TProfileInfo &Profile);

// "yyyy-MM-dd hh-mm-ss.bak" of the given local time.
QString BackupFileName(const QDateTime &LocalTime);

struct TBackupResult {
    bool Ok = false;
    QString BackupPath; // the verified copy when Ok
    QString Error;      // why there is no backup, in the player's language (English without texts)
};

// Copies Source into the backup folder under the time's name. A name that is already taken gets a
// suffix ("_2", "_3" ...), so the first backup of a run (the untouched save) is never replaced.
// The copy is read back and compared with Source; only a copy with the same bytes counts.
TBackupResult BackupSaveFile(const TProfileInfo &Profile, const QString &Source,
                             const QDateTime &LocalTime = QDateTime::currentDateTime(),
                             const TLanguageTexts *Texts = nullptr);

// "yyyy-MM-dd hh-mm-ss original <form>.bak": the save as the game wrote it (Form "encrypted",
// "binary" ...), before our decrypter turned it into text.
QString OriginalFormBackupName(const QDateTime &LocalTime, const QString &Form);

// Keeps Source, which is not plain text yet, as a backup of its own under OriginalFormBackupName,
// copied and verified like every backup. Listed and restored like the others.
TBackupResult BackupOriginalForm(const TProfileInfo &Profile, const QString &Source, const QString &Form,
                                 const QDateTime &LocalTime = QDateTime::currentDateTime(),
                                 const TLanguageTexts *Texts = nullptr);

// File names directly inside the backup folder, in the order the folder lists them.
QStringList ListBackups(const TProfileInfo &Profile);

// The items of the restore box: the title, one item per backup, the delete entry last.
QStringList BackupComboItems(const QString &TitleText, const QString &DeleteAllText, const QStringList &Backups);

// What choosing an item of the restore box does.
enum class TBackupComboAction { None, Restore, DeleteAll };
TBackupComboAction BackupComboAction(int SelectedIndex, int ItemCount);

// Asked before a restore or a delete; true only for Yes.
using TConfirmFunction = std::function<bool(const QString &Text)>;

QString RestoreConfirmationText(const QString &BackupName);
QString DeleteAllBackupsConfirmationText();

enum class TBackupOutcome { NothingToDo, Declined, Done, Failed };

struct TBackupActionResult {
    TBackupOutcome Outcome = TBackupOutcome::NothingToDo;
    QString Error;
};

// Puts the backup in place of game.sii: copied beside game.sii, renamed over it, and only then is the
// backup deleted. On any failure, and for a write-protected game.sii, game.sii is as it was and the
// backup stays. The caller reloads the
// profile after Done.
TBackupActionResult RestoreBackup(const TProfileInfo &Profile, const QString &Name, const TConfirmFunction &Confirm,
                                  const TLanguageTexts *Texts = nullptr);

// Deletes the backup folder with everything in it after the player agreed.
TBackupActionResult DeleteAllBackups(const TProfileInfo &Profile, const TConfirmFunction &Confirm,
                                     const TLanguageTexts *Texts = nullptr);

// A failed copy in the player's language (English without texts).
QString DescribeCopyFailure(const TCopyFailure &Failure, const TLanguageTexts *Texts = nullptr);

// Same bytes in both files (both must exist).
bool FilesHaveSameBytes(const QString &A, const QString &B);

} // namespace kvn
