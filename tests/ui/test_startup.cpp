// Start-up logic without a window: the caption's version, the decrypter check and the values
// of the database information message.
#include "app/startup.h"
#include "lang/languages.h"
#include "ui/dbinformation.h"
#include "ui/versioninfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void versionText_data();
    void versionText();
    void versionValues();
    void captionOfThisBuild();
    void decrypterCheck_data();
    void decrypterCheck();
    void userFilesStayBesideAWritableProgram();
    void catalogueDateTime_data();
    void catalogueDateTime();
    void databaseInformationArgs();
    void catalogueSourceLine_data();
    void catalogueSourceLine();
};

void TestStartup::versionText_data()
{
    QTest::addColumn<QString>("fileVersion");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two-digit month") << "0.26.12.1"
                                     << "26.12 Build 1";
    QTest::newRow("one-digit month gets a zero") << "0.26.3.7"
                                                 << "26.03 Build 7";
    QTest::newRow("month written with a zero") << "0.27.04.12"
                                               << "27.04 Build 12";
    QTest::newRow("build zero") << "0.26.12.0"
                                << "26.12 Build 0";
    QTest::newRow("other major") << "3.30.11.2"
                                 << "30.11 Build 2";
    QTest::newRow("month not a number") << "0.26.x.1"
                                        << "";
    QTest::newRow("too few parts") << "0.26"
                                   << "";
    QTest::newRow("no version") << ""
                                << "";
}

void TestStartup::versionText()
{
    QFETCH(QString, fileVersion);
    QFETCH(QString, expected);
    QCOMPARE(AppVersionText(fileVersion), expected);
}

void TestStartup::versionValues()
{
    QCOMPARE(ReadVersionInfoValue("0.26.12.1", "Build", false), QString("1"));
    QCOMPARE(ReadVersionInfoValue("0.26.12.1", "FileVersion", false), QString("0.26.12"));
    QCOMPARE(ReadVersionInfoValue("0.26.12.1", "FileVersion", true), QString("0.26.12.1"));
    QCOMPARE(ReadVersionInfoValue("7", "Build", false), QString("7"));
    QCOMPARE(ReadVersionInfoValue("7", "FileVersion", false), QString());
    QCOMPARE(ReadVersionInfoValue("0.26.12.1", "ProductName", false), QString("0.26.12.1"));

    TAppVersionInfo info;
    QVERIFY(GetAppVersionInfo("0.26.3.7", info));
    QCOMPARE(info.sYear, QString("26"));
    QCOMPARE(info.sMonth, QString("03"));
    QCOMPARE(info.sVersion, QString("26.03"));
    QCOMPARE(info.sVersionClean, QString("26.03.7"));
    QCOMPARE(info.sBuild, QString("7"));
}

void TestStartup::captionOfThisBuild()
{
    QCOMPARE(ProgramFileVersion(), QString("0.26.12.1"));
    const QString caption = MainWindowCaption(ProgramFileVersion(), "1.58");
    QVERIFY2(caption.startsWith("Kestrovan 26.12 Build 1 - by "), qPrintable(caption));
    QVERIFY2(caption.endsWith(" [ETS2 v1.58]"), qPrintable(caption));
    QVERIFY(MainWindowCaption(ProgramFileVersion(), "1.58.1.5", "your game").endsWith(" [ETS2 v1.58.1.5, your game]"));
    // An unusable version leaves the version out, nothing else.
    QVERIFY(MainWindowCaption("", "1.58").startsWith("Kestrovan  - by "));
}

void TestStartup::decrypterCheck_data()
{
    QTest::addColumn<QString>("present"); // "file", "folder" or "none"
    QTest::addColumn<bool>("expected");
    QTest::newRow("file beside the program") << "file" << true;
    QTest::newRow("missing") << "none" << false;
    QTest::newRow("a folder of that name") << "folder" << false;
}

void TestStartup::decrypterCheck()
{
    QFETCH(QString, present);
    QFETCH(bool, expected);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    if (present == "file") {
        QFile file(folder.filePath("SII_Decrypt.exe"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (present == "folder") {
        QVERIFY(QDir(folder.path()).mkdir("SII_Decrypt.exe"));
    }
    TLanguageTexts texts;
    texts.LoadMessageTexts(folder.path() + "/", "en"); // no languages folder: built-in texts

    QStringList shown;
    const bool result = CheckDecrypterPresent(folder.path() + "/", texts,
                                              [&](const QString &Msg, const QString &Cap) { shown << Msg << Cap; });
    QCOMPARE(result, expected);
    if (expected) {
        QVERIFY(shown.isEmpty());
        return;
    }
    QCOMPARE(shown.size(), 2); // one dialogue
    QVERIFY2(shown[0].contains("The file \"SII_Decrypt.exe\" is missing."), qPrintable(shown[0]));
    QVERIFY(shown[0].startsWith("An error occured!\r\n\r\n"));
    QCOMPARE(shown[1], QString("Error"));
}

void TestStartup::userFilesStayBesideAWritableProgram()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QCOMPARE(UserFilesFolderFor(folder.path() + "/"), folder.path() + "/");
}

void TestStartup::catalogueDateTime_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("expected");
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("date and time") << german << qint64(1700000000) << "14.11.23 22:13:20";
    QTest::newRow("midnight shows the date alone") << german << qint64(1699920000) << "14.11.23";
    QTest::newRow("zero is 1970") << german << qint64(0) << "01.01.70";
}

void TestStartup::catalogueDateTime()
{
    QFETCH(QLocale, locale);
    QFETCH(qint64, seconds);
    QFETCH(QString, expected);
    QCOMPARE(FormatCatalogueDateTime(seconds, locale), expected);
}

void TestStartup::databaseInformationArgs()
{
    TDatabaseInfo info;
    info.LastUpdated = 1700000000;
    info.TrailerLineCount = 321;
    info.CargoLineCount = 4567;
    info.DistanceLineCount = 12345;
    info.DistanceKmTotal = 1234567;
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QStringList args = DatabaseInformationArgs(info, english);
    QCOMPARE(args.size(), 5);
    // The catalogue's time carries no zone, so none may be named.
    QVERIFY2(!args[0].contains("UTC") && !args[0].contains("GMT"), qPrintable(args[0]));
    QVERIFY2(args[0].contains("10:13:20"), qPrintable(args[0]));
    QCOMPARE(args[1], QString("321"));
    QCOMPARE(args[2], QString("4567"));
    QCOMPARE(args[3], QString("12,345 (1,234,567 km)"));
    QCOMPARE(args[4], QString("Scandinavia, Vive la France!, Heavy Cargo, High Power Cargo."));

    TLanguageTexts texts;
    QVariantList values;
    for (const QString &arg : args)
        values << arg;
    const QString message = texts.Format(TLangText::MsgDbInformation, values);
    QVERIFY2(message.contains("Road connections count: 12,345 (1,234,567 km)\r\n"), qPrintable(message));
    QVERIFY(message.contains("Trailer count: 321\r\nCargo count: 4567\r\n"));

    TDistanceCoverage coverage;
    coverage.FromTable = 62950;
    coverage.Learnt = 1200;
    coverage.Estimable = 3400;
    TSavesLearning learning;
    learning.SavesFound = 40;
    learning.SavesRead = 5;
    learning.SavesAlreadyRead = 33;
    learning.SavesSkipped = 2;
    QCOMPARE(texts.Format(TLangText::MsgDbInformationDistances, DistanceCoverageArgs(coverage, learning, english)),
             QString("Road distances known: 62,950 from the table, 1,200 learnt from your saves\r\nMore that can be "
                     "estimated from the cities' positions: 3,400\r\nSaves read for distances: 38 of 40, 2 could "
                     "not be read"));
    QCOMPARE(DistancesKnownStatus(texts, coverage, learning, english),
             QString("64,150 road distances known, 1,200 of them learnt from your saves. 2 saves could not be read "
                     "and were skipped"));
    learning.SavesSkipped = 0;
    QCOMPARE(DistancesKnownStatus(texts, coverage, learning, english),
             QString("64,150 road distances known, 1,200 of them learnt from your saves"));
}

void TestStartup::catalogueSourceLine_data()
{
    QTest::addColumn<int>("origin");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("expected");
    QTest::newRow("read from the game")
        << int(TCatalogueOrigin::Game) << "1.58.1.5"
        << "Catalogue: your game 1.58.1.5 (23 archives, 2 mods, 1 skipped)\r\ncore.scs: not an archive";
    QTest::newRow("from the cache") << int(TCatalogueOrigin::Cache) << "1.58.1.5"
                                    << "Catalogue: your game 1.58.1.5, as read at an earlier start (23 archives, 2 "
                                       "mods, 1 skipped)\r\ncore.scs: not an archive";
    QTest::newRow("compiled, the game unreadable")
        << int(TCatalogueOrigin::Compiled) << "1.58"
        << "Catalogue: the compiled data for game version 1.58\r\ncore.scs: not an archive";
    // Before the catalogue is loaded the compiled data's own version is named.
    QTest::newRow("not loaded yet") << int(TCatalogueOrigin::Compiled) << QString()
                                    << "Catalogue: the compiled data for game version " + CatalogueGameVersion() +
                                           "\r\ncore.scs: not an archive";
}

void TestStartup::catalogueSourceLine()
{
    QFETCH(int, origin);
    QFETCH(QString, version);
    QFETCH(QString, expected);
    TCatalogueSource source;
    source.Origin = TCatalogueOrigin(origin);
    source.GameVersion = version;
    source.ArchiveCount = 23;
    source.ModCount = 2;
    source.Skipped = {"core.scs: not an archive"};
    QCOMPARE(CatalogueSourceLine(TLanguageTexts(), source), expected);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
