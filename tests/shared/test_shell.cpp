#include "shared/shell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace kvn;

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void missingProgramStartsNothing()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath("SII_Decrypt.exe");
        QVERIFY(!ShellExecAndWait("open", missing, {dir.filePath("game.sii")}, {}, TShowMode::Hidden, true, true));
        QCOMPARE(ShellExecAndWaitExitCode(missing, {}), -1);
        QVERIFY(!ShellExecAndWait("open", QString(), {}, {}, TShowMode::Normal, false, false));
    }

    void defaultHandlerNeedsAGuiApplication()
    {
        // This test runs under a QCoreApplication: asking for the default handler must fail, not crash.
        QTemporaryDir dir;
        QVERIFY(!ShellExecAndWait("open", "https://example.invalid/help", {}, {}, TShowMode::Normal, false, false));
        QVERIFY(!ShellExecAndWait("explore", dir.path(), {}, {}, TShowMode::Normal, false, false));
        const QString document = dir.filePath("notes.txt");
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!ShellExecAndWait("open", document, {}, {}, TShowMode::Normal, true, true));
        QCOMPARE(ShellExecAndWaitExitCode(document, {}), -1);
    }

#ifdef Q_OS_UNIX
    void exitCodeAndArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("exit 3") << QStringList{"-c", "exit 3"} << 3;
        QTest::newRow("argument with blanks and quotes stays one")
            << QStringList{"-c", R"(test "$1" = 'C:\x "y" z')", "sh", R"(C:\x "y" z)"} << 0;
        QTest::newRow("crash") << QStringList{"-c", "kill -SEGV $$"} << -1;
    }
    void exitCodeAndArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QCOMPARE(ShellExecAndWaitExitCode("/bin/sh", arguments), exitCode);
        QVERIFY(ShellExecAndWait("open", "/bin/sh", arguments, {}, TShowMode::Hidden, true, true));
    }

    void workingFolder()
    {
        QTemporaryDir dir;
        QFile marker(dir.filePath("marker"));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QCOMPARE(ShellExecAndWaitExitCode("/bin/sh", {"-c", "test -f marker"}, dir.path()), 0);
    }

    void eventsKeepFlowingWhileWaiting_data()
    {
        QTest::addColumn<bool>("processMessages");
        QTest::newRow("all events") << true;
        QTest::newRow("without user input") << false;
    }
    void eventsKeepFlowingWhileWaiting()
    {
        QFETCH(bool, processMessages);
        bool fired = false;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [&fired] { fired = true; });
        timer.start(10);
        QVERIFY(ShellExecAndWait("open", "/bin/sh", {"-c", "sleep 0.3"}, {}, TShowMode::Hidden, true, processMessages));
        QVERIFY(fired);
    }

    void startWithoutWaiting()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("done");
        QVERIFY(ShellExecAndWait("open", "/bin/sh", {"-c", "echo x > \"$1\"", "sh", out}, {}, TShowMode::Normal, false,
                                 false));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(out).size() > 0, 10000);
    }
#endif
};

QTEST_GUILESS_MAIN(TestShell)
#include "test_shell.moc"
