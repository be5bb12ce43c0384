#include "common/testfiles.h"
#include "shared/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace kvn;
using namespace kvntest;

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    void atomicWriteReplacesContent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        WriteRaw(path, "old content that is longer");
        QString error;
        QVERIFY(WriteFileAtomically(path, "new", &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(ReadRaw(path), QByteArray("new"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"});
    }

    void atomicWriteFailsWhereNoFileCanBe()
    {
        // A parent that is a regular file fails for every user, root included.
        QTemporaryDir dir;
        const QString blocker = dir.filePath("blocker");
        WriteRaw(blocker, "x");
        QString error;
        QVERIFY(!WriteFileAtomically(blocker + "/a.ini", "data", &error));
        QVERIFY(error.contains("a.ini"));
        QCOMPARE(ReadRaw(blocker), QByteArray("x"));
        QVERIFY(!WriteFileAtomically(dir.path(), "data", &error));
        QVERIFY(!WriteFileAtomically(QString(), "data", &error));
    }

    // A history or settings file the player protected keeps its content, also when root writes.
    void atomicWriteLeavesWriteProtectedFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("job-history.ini");
        WriteRaw(path, "kept");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QString error;
        QVERIFY(!WriteFileAtomically(path, "new", &error));
        QVERIFY2(error.contains("read-only"), qPrintable(error));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(ReadRaw(path), QByteArray("kept"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"job-history.ini"});
    }

#ifdef Q_OS_UNIX
    void atomicWriteKeepsOldFileWhenWritingFails()
    {
        // A file-size limit makes the write itself fail half-way, also for root.
        QTemporaryDir dir;
        const QString path = dir.filePath("history.ini");
        WriteRaw(path, "old");
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        QString error;
        const bool ok = WriteFileAtomically(path, QByteArray(100000, 'n'), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!ok);
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadRaw(path), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left behind

        // The same for a copy onto an existing file.
        WriteRaw(dir.filePath("big"), QByteArray(100000, 'b'));
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        std::signal(SIGXFSZ, SIG_IGN);
        TCopyFailure copyFailure;
        const bool copied = CopyFileTo(dir.filePath("big"), path, copyFailure);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!copied);
        QCOMPARE(copyFailure.Fault, TCopyFault::TargetIncomplete);
        QCOMPARE(ReadRaw(path), QByteArray("old"));
    }
#endif

    void readAtMostKeepsTheLimit_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("read");
        QTest::newRow("empty") << qint64(0) << qint64(10) << true;
        QTest::newRow("exactly the limit") << qint64(10) << qint64(10) << true;
        QTest::newRow("one byte over") << qint64(11) << qint64(10) << false;
        // More than one read's worth, on both sides of the limit.
        QTest::newRow("several chunks") << qint64(2500000) << qint64(3000000) << true;
        QTest::newRow("several chunks, over") << qint64(2500001) << qint64(2500000) << false;
    }

    void readAtMostKeepsTheLimit()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, limit);
        QFETCH(bool, read);
        QTemporaryDir dir;
        const QString path = dir.filePath("data.bin");
        QByteArray content(size, '\0');
        for (qint64 i = 0; i < size; ++i)
            content[i] = char(i * 7 + i / 251);
        WriteRaw(path, content);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray out("stale");
        QCOMPARE(ReadFileAtMost(file, limit, out), read);
        QCOMPARE(out, read ? content : QByteArray());
    }

    void copyReplacesExistingTarget()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("game.sii");
        const QString target = dir.filePath("backup.sii");
        WriteRaw(source, "new save");
        WriteRaw(target, "an older and longer backup");
        const QDateTime sourceTime = QDateTime::currentDateTime().addDays(-3);
        {
            QFile f(source);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(sourceTime, QFileDevice::FileModificationTime));
        }
        TCopyFailure failure;
        QVERIFY(CopyFileTo(source, target, failure));
        QCOMPARE(failure.Fault, TCopyFault::None);
        QCOMPARE(ReadRaw(target), QByteArray("new save"));
        QCOMPARE(ReadRaw(source), QByteArray("new save"));
        QVERIFY(qAbs(QFileInfo(target).lastModified().secsTo(sourceTime)) <= 1);

        QVERIFY(!CopyFileTo(dir.filePath("missing"), target, failure));
        QCOMPARE(failure.Fault, TCopyFault::SourceMissing);
        QVERIFY(!CopyFileTo(dir.path(), target, failure));
        QCOMPARE(failure.Fault, TCopyFault::SourceMissing);
        QVERIFY(!CopyFileTo(source, dir.path(), failure));
        QCOMPARE(failure.Fault, TCopyFault::TargetNotAFile);
        QCOMPARE(ReadRaw(target), QByteArray("new save"));
    }

    void copyOntoItselfKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("game.sii");
        WriteRaw(path, "only copy");
        TCopyFailure failure;
        QVERIFY(!CopyFileTo(path, path, failure));
        QCOMPARE(failure.Fault, TCopyFault::TargetIsSource);
        QVERIFY(!CopyFileTo(path, dir.path() + "/./game.sii", failure));
        QCOMPARE(failure.Fault, TCopyFault::TargetIsSource);
        QCOMPARE(ReadRaw(path), QByteArray("only copy"));
    }

    void existenceAndDelete()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("f");
        WriteRaw(file, "x");
        QVERIFY(IsExistingFile(file));
        QVERIFY(!IsExistingFolder(file));
        QVERIFY(IsExistingFolder(dir.path()));
        QVERIFY(!IsExistingFile(dir.path()));
        QVERIFY(!IsExistingFile(QString()));
        QVERIFY(!IsExistingFolder(QString()));
        QVERIFY(!DeleteExistingFile(dir.path()));
        QVERIFY(DeleteExistingFile(file));
        QVERIFY(!IsExistingFile(file));
        QVERIFY(!DeleteExistingFile(file));
    }

    void deleteFolderWithContent()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("~Kestrovan Backups");
        QVERIFY(QDir().mkpath(folder + "/sub/.hidden"));
        WriteRaw(folder + "/a.sii", "x");
        WriteRaw(folder + "/sub/.hidden/b", "y");
        QVERIFY(!DeleteFolder(folder + "/a.sii"));
        QVERIFY(DeleteFolder(folder));
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(!DeleteFolder(folder));
    }

#ifdef Q_OS_UNIX
    void deleteFolderLeavesLinkTargetAlone()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("real")));
        WriteRaw(dir.filePath("real/keep"), "x");
        QVERIFY(QFile::link(dir.filePath("real"), dir.filePath("link")));
        QVERIFY(DeleteFolder(dir.filePath("link")));
        QVERIFY(IsExistingFile(dir.filePath("real/keep")));
    }
#endif

    void lastWriteTime()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("game.sii");
        WriteRaw(path, "x");
        const QDateTime when(QDate(2024, 3, 1), QTime(18, 0));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
        }
        QCOMPARE(FileLastWriteDateTime(path), when);
        // 2024-03-01 is day 45352 after 1899-12-30; 18:00 is three quarters of a day.
        QCOMPARE(FileLastWriteTime(path), 45352.75);
        QCOMPARE(FileLastWriteTime(dir.filePath("missing")), 0.0);
        QCOMPARE(FileLastWriteTime(dir.path()), 0.0);
        QVERIFY(!FileLastWriteDateTime(dir.filePath("missing")).isValid());
        QCOMPARE(DateTimeToValue(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    }

    void longPathPrefixes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::newRow("drive path") << R"(C:\x)"
                                    << R"(\\?\C:\x)"
                                    << R"(C:\x)";
        QTest::newRow("network path") << R"(\\server\share\x)"
                                      << R"(\\?\UNC\server\share\x)"
                                      << R"(\\server\share\x)";
        QTest::newRow("already extended") << R"(\\?\C:\x)"
                                          << R"(\\?\C:\x)"
                                          << R"(C:\x)";
        QTest::newRow("extended network") << R"(\\?\UNC\server\share)"
                                          << R"(\\?\UNC\server\share)"
                                          << R"(\\?\UNC\server\share)";
        QTest::newRow("relative") << R"(x\y)"
                                  << R"(\\?\x\y)"
                                  << R"(x\y)";
    }
    void longPathPrefixes()
    {
        QFETCH(QString, path);
        QFETCH(QString, added);
        QFETCH(QString, removed);
        QCOMPARE(AddLongPathPrefix(path), added);
        QCOMPARE(RemoveLongPathPrefix(path), removed);
        QCOMPARE(RemoveLongPathPrefix(AddLongPathPrefix(R"(D:\games\ets2)")), QString(R"(D:\games\ets2)"));
    }

    void listSubFolders()
    {
        QTemporaryDir dir;
        WriteRaw(dir.filePath("one.txt"), "");
        WriteRaw(dir.filePath("two"), "");
        QVERIFY(QDir().mkpath(dir.filePath("4D6F6E6B6579")));
        QCOMPARE(ListSubFolders(dir.path()), QStringList{"4D6F6E6B6579/"});
        QVERIFY(QDir().mkpath(dir.filePath(".hidden")));
        QStringList names = ListSubFolders(dir.path() + "/");
        names.sort();
        QCOMPARE(names, (QStringList{".hidden/", "4D6F6E6B6579/"}));
        QVERIFY(ListSubFolders(QString()).isEmpty());
        QVERIFY(ListSubFolders("/").isEmpty());
        QVERIFY(ListSubFolders("\\").isEmpty());
        QVERIFY(ListSubFolders(dir.filePath("missing")).isEmpty());
    }

    void filesInDirectory()
    {
        QTemporaryDir dir;
        WriteRaw(dir.filePath("2024-01-01 10-00-00.sii"), "");
        WriteRaw(dir.filePath("NoDot"), "");
        WriteRaw(dir.filePath("UPPER.SII"), "");
        QVERIFY(QDir().mkpath(dir.filePath("folder.sii")));
        QStringList list{"kept"};
        GetFilesInDirectory(dir.path() + "/", "*.*", list);
        QCOMPARE(list.first(), QString("kept"));
        list.removeFirst();
        list.sort();
        QCOMPARE(list, (QStringList{"2024-01-01 10-00-00.sii", "NoDot", "UPPER.SII"}));
        list.clear();
        GetFilesInDirectory(dir.path(), "*.SII", list);
        list.sort();
        QCOMPARE(list, (QStringList{"2024-01-01 10-00-00.sii", "UPPER.SII"}));
        list.clear();
        GetFilesInDirectory(QString(), "*.*", list);
        GetFilesInDirectory("/", "*.*", list);
        QVERIFY(list.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
