#include "common/testfiles.h"
#include "lang/languages.h"
#include "savegame/backup.h"
#include "savegame/profiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kvn;
using namespace kvntest;

namespace {

// The failures the German test provokes, each with the file its message must name.
enum class TProvoked { MissingSave, FolderBlocked, RestoreOntoFolder, RestoreOntoReadOnly };

} // namespace

Q_DECLARE_METATYPE(TProvoked)
Q_DECLARE_METATYPE(TLangText)

class TestBackup : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    TProfileInfo FProfile;

private slots:
    void init()
    {
        QVERIFY(FDir.isValid());
        QDir(FDir.path()).removeRecursively();
        QDir().mkpath(FDir.path() + "/save/quicksave");
        FProfile.SetQuickSavePath(FDir.path() + "/save/quicksave/");
        WriteRaw(FProfile.GameFilePath(), "SiiNunit\r\n{\r\n}\r\n");
    }

    void namesAndFolder()
    {
        QCOMPARE(BackupFolder(FProfile), FProfile.QuickSavePath() + "~Kestrovan Backups/");
        QCOMPARE(BackupFileName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))), QString("2026-03-04 05-06-07.bak"));
        QCOMPARE(OriginalFormBackupName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), "encrypted"),
                 QString("2026-03-04 05-06-07 original encrypted.bak"));
        QCOMPARE(OriginalFormBackupName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), "unknown"),
                 QString("2026-03-04 05-06-07 original.bak"));
    }

    // Two backups in one second must both survive: the first holds the untouched save.
    void sameSecondKeepsBoth()
    {
        const QDateTime t(QDate(2026, 1, 2), QTime(3, 4, 5));
        const TBackupResult first = BackupSaveFile(FProfile, FProfile.GameFilePath(), t);
        QVERIFY2(first.Ok, qPrintable(first.Error));
        WriteRaw(FProfile.GameFilePath(), "changed");
        const TBackupResult second = BackupSaveFile(FProfile, FProfile.GameFilePath(), t);
        QVERIFY2(second.Ok, qPrintable(second.Error));
        QVERIFY(first.BackupPath != second.BackupPath);
        QCOMPARE(ReadRaw(first.BackupPath), QByteArray("SiiNunit\r\n{\r\n}\r\n"));
        QCOMPARE(ReadRaw(second.BackupPath), QByteArray("changed"));
        QStringList names = ListBackups(FProfile);
        names.sort();
        QCOMPARE(names, QStringList({"2026-01-02 03-04-05.bak", "2026-01-02 03-04-05_2.bak"}));
    }

    void missingSourceIsAFailure()
    {
        const TBackupResult r = BackupSaveFile(FProfile, FProfile.QuickSavePath() + "nothing.sii");
        QVERIFY(!r.Ok);
        QVERIFY(!r.Error.isEmpty());
    }

    // A backup folder that cannot be created (a file stands in its way) is reported, not ignored.
    void blockedFolderIsAFailure()
    {
        WriteRaw(FProfile.QuickSavePath() + "~Kestrovan Backups", "in the way");
        const TBackupResult r = BackupSaveFile(FProfile, FProfile.GameFilePath());
        QVERIFY(!r.Ok);
        QVERIFY(!r.Error.isEmpty());
    }

    void comboItemsAndActions()
    {
        QCOMPARE(BackupComboItems("T", "D", {}), QStringList({"T", "D"}));
        QCOMPARE(BackupComboItems("T", "D", {"a", "b"}), QStringList({"T", "a", "b", "D"}));
        QCOMPARE(BackupComboAction(0, 4), TBackupComboAction::None);
        QCOMPARE(BackupComboAction(1, 4), TBackupComboAction::Restore);
        QCOMPARE(BackupComboAction(2, 4), TBackupComboAction::Restore);
        QCOMPARE(BackupComboAction(3, 4), TBackupComboAction::DeleteAll);
        QCOMPARE(BackupComboAction(1, 2), TBackupComboAction::DeleteAll);
        QCOMPARE(BackupComboAction(-1, 2), TBackupComboAction::None);
    }

    void restoreAsksThenReplacesAndUsesUpTheBackup()
    {
        const TBackupResult b = BackupSaveFile(FProfile, FProfile.GameFilePath());
        QVERIFY(b.Ok);
        const QString name = QFileInfo(b.BackupPath).fileName();
        WriteRaw(FProfile.GameFilePath(), "written by the writer");

        QString asked;
        TBackupActionResult r = RestoreBackup(FProfile, name, [&](const QString &Text) {
            asked = Text;
            return false;
        });
        QCOMPARE(r.Outcome, TBackupOutcome::Declined);
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), QByteArray("written by the writer"));
        QCOMPARE(asked, "Confirmation\r\n\r\nDo you really want to restore your previous savegame backup \"" + name +
                            "\"?\r\nThis will result in a loss of your old savegame!\r\n\r\nAre you sure you want to "
                            "continue?");

        r = RestoreBackup(FProfile, name, [](const QString &) { return true; });
        QCOMPARE(r.Outcome, TBackupOutcome::Done);
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), QByteArray("SiiNunit\r\n{\r\n}\r\n"));
        QVERIFY(ListBackups(FProfile).isEmpty());
        // Nothing else (no temporary file) is left beside game.sii.
        QCOMPARE(QDir(FProfile.QuickSavePath()).entryList(QDir::Files), QStringList({"game.sii"}));
    }

    // A copy that cannot be made leaves game.sii and the backup where they were.
    void failedRestoreKeepsBoth()
    {
        QDir().mkpath(BackupFolder(FProfile));
        WriteRaw(BackupFolder(FProfile) + "old.bak", "old save");
        // game.sii turned into a folder: the copy cannot be renamed over it.
        QFile::remove(FProfile.GameFilePath());
        QDir().mkpath(FProfile.GameFilePath());
        const TBackupActionResult r = RestoreBackup(FProfile, "old.bak", [](const QString &) { return true; });
        QCOMPARE(r.Outcome, TBackupOutcome::Failed);
        QVERIFY(!r.Error.isEmpty());
        QCOMPARE(ReadRaw(BackupFolder(FProfile) + "old.bak"), QByteArray("old save"));
        QVERIFY(QFileInfo(FProfile.GameFilePath()).isDir());
    }

    void failuresInThePlayersLanguage_data()
    {
        QTest::addColumn<TProvoked>("provoked");
        QTest::addColumn<TLangText>("sentence");
        QTest::addRow("backup of a missing save") << TProvoked::MissingSave << TLangText::BackupNoSavegame;
        QTest::addRow("backup folder blocked by a file")
            << TProvoked::FolderBlocked << TLangText::BackupFolderNotCreated;
        QTest::addRow("restore onto a folder") << TProvoked::RestoreOntoFolder << TLangText::CopyTargetNotAFile;
        QTest::addRow("restore onto a read-only save")
            << TProvoked::RestoreOntoReadOnly << TLangText::BackupRestoreReadOnly;
    }

    // The reason reaches the player in the window's language, with the file it is about.
    void failuresInThePlayersLanguage()
    {
        QFETCH(TProvoked, provoked);
        QFETCH(TLangText, sentence);
        TLanguageTexts german;
        QCOMPARE(german.LoadInterfaceTexts(KVN_SOURCE_DIR, "de"), TLanguageSource::File);
        const auto yes = [](const QString &) { return true; };
        QString error;
        QString file;
        switch (provoked) {
        case TProvoked::MissingSave:
            file = FProfile.QuickSavePath() + "nothing.sii";
            error = BackupSaveFile(FProfile, file, QDateTime::currentDateTime(), &german).Error;
            break;
        case TProvoked::FolderBlocked:
            file = BackupFolder(FProfile);
            WriteRaw(FProfile.QuickSavePath() + "~Kestrovan Backups", "in the way");
            error = BackupSaveFile(FProfile, FProfile.GameFilePath(), QDateTime::currentDateTime(), &german).Error;
            break;
        case TProvoked::RestoreOntoFolder:
        case TProvoked::RestoreOntoReadOnly:
            QDir().mkpath(BackupFolder(FProfile));
            file = BackupFolder(FProfile) + "old.bak";
            WriteRaw(file, "old save");
            if (provoked == TProvoked::RestoreOntoFolder) {
                QFile::remove(FProfile.GameFilePath());
                QDir().mkpath(FProfile.GameFilePath());
            } else {
                file = FProfile.GameFilePath();
                QFile::setPermissions(file, QFileDevice::ReadOwner);
            }
            error = RestoreBackup(FProfile, "old.bak", yes, &german).Error;
            QFile::setPermissions(FProfile.GameFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            break;
        }
        const QString shown = QDir::toNativeSeparators(file);
        QCOMPARE(error, german.Format(sentence, {shown}));
        QVERIFY(error.contains(shown));
        QVERIFY(error != TextOrEnglish(nullptr, sentence, {shown}));
    }

    // The player protected game.sii: neither asked nor replaced, and the backup stays for later.
    void writeProtectedSaveIsNotReplacedByARestore()
    {
        QDir().mkpath(BackupFolder(FProfile));
        WriteRaw(BackupFolder(FProfile) + "old.bak", "old save");
        WriteRaw(FProfile.GameFilePath(), "protected save");
        QFile::setPermissions(FProfile.GameFilePath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        bool asked = false;
        const TBackupActionResult r = RestoreBackup(FProfile, "old.bak", [&](const QString &) {
            asked = true;
            return true;
        });
        QFile::setPermissions(FProfile.GameFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(r.Outcome, TBackupOutcome::Failed);
        QVERIFY(!asked);
        QVERIFY(r.Error.contains("read-only"));
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), QByteArray("protected save"));
        QCOMPARE(ReadRaw(BackupFolder(FProfile) + "old.bak"), QByteArray("old save"));
    }

    void restoreOfUnknownOrForeignNamesDoesNothing()
    {
        bool asked = false;
        auto confirm = [&](const QString &) {
            asked = true;
            return true;
        };
        QCOMPARE(RestoreBackup(FProfile, "gone.bak", confirm).Outcome, TBackupOutcome::NothingToDo);
        QCOMPARE(RestoreBackup(FProfile, "../game.sii", confirm).Outcome, TBackupOutcome::NothingToDo);
        QVERIFY(!asked);
    }

    void anyFileInTheFolderCanBeRestored()
    {
        QDir().mkpath(BackupFolder(FProfile));
        WriteRaw(BackupFolder(FProfile) + "my own copy.txt", "mine");
        QCOMPARE(ListBackups(FProfile), QStringList({"my own copy.txt"}));
        QCOMPARE(RestoreBackup(FProfile, "my own copy.txt", [](const QString &) { return true; }).Outcome,
                 TBackupOutcome::Done);
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), QByteArray("mine"));
    }

    void deleteAll()
    {
        bool asked = false;
        auto yes = [&](const QString &Text) {
            asked = true;
            return Text == DeleteAllBackupsConfirmationText();
        };
        // No folder: nothing is asked.
        QCOMPARE(DeleteAllBackups(FProfile, yes).Outcome, TBackupOutcome::NothingToDo);
        QVERIFY(!asked);
        QVERIFY(BackupSaveFile(FProfile, FProfile.GameFilePath()).Ok);
        QCOMPARE(DeleteAllBackups(FProfile, [](const QString &) { return false; }).Outcome, TBackupOutcome::Declined);
        QCOMPARE(ListBackups(FProfile).size(), 1);
        QCOMPARE(DeleteAllBackups(FProfile, yes).Outcome, TBackupOutcome::Done);
        QVERIFY(asked);
        QVERIFY(!QFileInfo::exists(BackupFolder(FProfile)));
        QVERIFY(QFileInfo::exists(FProfile.GameFilePath()));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
