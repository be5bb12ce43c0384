// The real program, copied into a temporary folder and started as a player would start it.
// Qt loads the window-watch plugin into it, which reports what the program shows, answers
// message boxes with their default button and closes the main window once loading has ended.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void missingDecrypterEndsWithOneError_data();
    void missingDecrypterEndsWithOneError();
    void startsWithDecrypterAndNoGameFolder();

private:
    struct TRun {
        int ExitCode = -1;
        QStringList Log;
    };
    // Runs the program from Folder (working directory elsewhere) with an empty home folder.
    static TRun RunProgram(const QString &Folder, const QString &Home);
    static bool CopyProgram(const QString &Folder, bool WithDecrypter);
};

bool TestProgram::CopyProgram(const QString &Folder, bool WithDecrypter)
{
    const QDir bin(KVN_BIN_DIR);
    const QString program = QFile::exists(bin.filePath("kestrovan.exe")) ? "kestrovan.exe" : "kestrovan";
    if (!QFile::copy(bin.filePath(program), QDir(Folder).filePath(program)))
        return false;
    return !WithDecrypter || QFile::copy(bin.filePath("SII_Decrypt.exe"), QDir(Folder).filePath("SII_Decrypt.exe"));
}

TestProgram::TRun TestProgram::RunProgram(const QString &Folder, const QString &Home)
{
    TRun run;
    const QString logFile = QDir(Home).filePath("watch.log");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LANG", "en_US.UTF-8"); // the language code "en"
    env.remove("LC_ALL");
    env.remove("LANGUAGE");
    env.insert("HOME", Home);
    env.insert("XDG_DATA_HOME", Home + "/.local/share");
    env.insert("XDG_CONFIG_HOME", Home + "/.config");
    env.insert("XDG_DOCUMENTS_DIR", Home + "/Documents");
    env.insert("QT_PLUGIN_PATH", KVN_TEST_PLUGIN_DIR);
    env.insert("QT_QPA_GENERIC_PLUGINS", "kvnwindowwatch:" + logFile);

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(Home); // not the program's folder
    const QString program = QFile::exists(Folder + "/kestrovan.exe") ? "/kestrovan.exe" : "/kestrovan";
    process.start(Folder + program, {});
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.ExitCode = process.exitCode();
    QFile log(logFile);
    if (log.open(QIODevice::ReadOnly | QIODevice::Text))
        run.Log = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

void TestProgram::missingDecrypterEndsWithOneError_data()
{
    QTest::addColumn<bool>("folderOfThatName");
    QTest::addColumn<bool>("translated");
    QTest::newRow("no file") << false << false;
    QTest::newRow("a folder named like the decrypter") << true << false;
    QTest::newRow("language file beside the program") << false << true;
}

void TestProgram::missingDecrypterEndsWithOneError()
{
    QFETCH(bool, folderOfThatName);
    QFETCH(bool, translated);
    QTemporaryDir folder, home;
    QVERIFY(folder.isValid() && home.isValid());
    QVERIFY(CopyProgram(folder.path(), false));
    if (translated) {
        // Found from the program's folder although the program starts in another folder.
        QVERIFY(QDir(folder.path()).mkdir("languages"));
        QFile lang(folder.path() + "/languages/en.lang");
        QVERIFY(lang.open(QIODevice::WriteOnly));
        lang.write("[msgbox]\ncaption-error=Fehler\nmsg-decrypter-not-found=Die Datei %s fehlt.\n");
    }
    if (folderOfThatName)
        QVERIFY(QDir(folder.path()).mkdir("SII_Decrypt.exe"));

    const TRun run = RunProgram(folder.path(), home.path());
    QCOMPARE(run.ExitCode, 1);
    const QStringList shown = run.Log.filter(QRegularExpression("^shown "));
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith("shown QMessageBox"), qPrintable(shown[0]));
    QVERIFY(run.Log.contains(translated ? "title Fehler" : "title Error"));
    QVERIFY(run.Log.contains("buttons 1"));
    QVERIFY(run.Log.contains("icon 3")); // critical
    const QStringList text = run.Log.filter(QRegularExpression("^text "));
    QCOMPARE(text.size(), 1);
    const QString expected =
        translated ? "Die Datei SII_Decrypt.exe fehlt." : "The file \"SII_Decrypt.exe\" is missing.";
    QVERIFY2(text[0].contains(expected), qPrintable(text[0]));
}

void TestProgram::startsWithDecrypterAndNoGameFolder()
{
    QTemporaryDir folder, home;
    QVERIFY(folder.isValid() && home.isValid());
    QVERIFY(CopyProgram(folder.path(), true));

    const TRun run = RunProgram(folder.path(), home.path());
    QCOMPARE(run.ExitCode, 0);
    const QStringList shown = run.Log.filter(QRegularExpression("^shown "));
    QCOMPARE(shown, QStringList{"shown kvn::TFormMain FormMain"});
#ifdef Q_OS_WIN
    const QString status = "status Error. There is no directory \"Euro Truck Simulator 2\" in your documents folder!";
#else
    const QString status =
        "status Error. There is no folder \"Euro Truck Simulator 2\" in ~/.local/share or in a Steam library!";
#endif
    QVERIFY2(run.Log.contains(status), qPrintable(run.Log.join('\n')));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
