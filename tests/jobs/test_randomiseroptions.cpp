// The randomiser options: the settings file and the rules of the options box.
#include "common/testfiles.h"
#include "jobs/gamefoldersetting.h"
#include "jobs/randomiseroptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kvn;

class TestRandomiserOptions : public QObject {
    Q_OBJECT
private slots:
    void missingFileGivesDefaults();
    void readsFile_data();
    void readsFile();
    void writesNineKeysInOrderAndReadsThemBack();
    void writeDropsWhatElseTheFileHeld();
    void writeFailureIsReported();
    void numberField_data();
    void numberField();
    void adrClassSteps_data();
    void adrClassSteps();
};

void TestRandomiserOptions::missingFileGivesDefaults()
{
    QTemporaryDir dir;
    const TRandomiserSettings settings = ReadRandomiserSettings(dir.path());
    QCOMPARE(settings, TRandomiserSettings{});
    const TRandomiserOptions options = OptionsFromSettings(settings);
    QVERIFY(!options.MinDistanceActive && !options.GetMaxPossibleTour && !options.MinWeightActive);
    QVERIFY(!options.ValuableActive && !options.FragileActive && !options.AdrActive);
    QCOMPARE(options.MinDistance, 0);
    QCOMPARE(options.MinWeight, 0);
    QCOMPARE(options.AdrClass, 1);
    QVERIFY(!QFile::exists(RandomiserSettingsPath(dir.path()))); // reading creates nothing
}

void TestRandomiserOptions::readsFile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("minDistanceChecked");
    QTest::addColumn<bool>("minDistanceActive");
    QTest::addColumn<bool>("maxTour");
    QTest::addColumn<int>("minDistance");
    QTest::addColumn<int>("minWeight");
    QTest::addColumn<int>("adrClass");
    QTest::newRow("both distance options: the longest tour wins")
        << QByteArray("[settings]\nmin-distance-active=1\nmin-distance=500\nmin-distance-get-max-possible=1\n") << true
        << false << true << 500 << 0 << 1;
    QTest::newRow("minimum distance alone")
        << QByteArray("[settings]\nmin-distance-active=1\nmin-distance=500\nmin-weight=20\n") << true << true << false
        << 500 << 20 << 1;
    // A class the spin edit skips is still taken from the file as it stands.
    QTest::newRow("adr-class=5") << QByteArray("[settings]\nadr-active=1\nadr-class=5\n") << false << false << false
                                 << 0 << 0 << 5;
    QTest::newRow("unreadable numbers") << QByteArray("[settings]\nmin-distance=far\nmin-weight=\nadr-class=x\n")
                                        << false << false << false << 0 << 0 << 1;
    QTest::newRow("numbers out of range") << QByteArray("[settings]\nmin-distance=-40\nmin-weight=-1\nadr-class=12\n")
                                          << false << false << false << 0 << 0 << 8;
    QTest::newRow("adr class below range")
        << QByteArray("[settings]\nadr-class=0\n") << false << false << false << 0 << 0 << 1;
    QTest::newRow("not an ini file") << QByteArray("\x00\xff garbage\n=\n[", 14) << false << false << false << 0 << 0
                                     << 1;
}

void TestRandomiserOptions::readsFile()
{
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    kvntest::WriteRaw(RandomiserSettingsPath(dir.path()), text);
    const TRandomiserSettings settings = ReadRandomiserSettings(dir.path());
    const TRandomiserOptions options = OptionsFromSettings(settings);
    QTEST(settings.MinDistanceChecked, "minDistanceChecked");
    QTEST(options.MinDistanceActive, "minDistanceActive");
    QTEST(options.GetMaxPossibleTour, "maxTour");
    QTEST(options.MinDistance, "minDistance");
    QTEST(options.MinWeight, "minWeight");
    QTEST(options.AdrClass, "adrClass");
    QCOMPARE(options.PreviousAdrClass, options.AdrClass);
}

void TestRandomiserOptions::writesNineKeysInOrderAndReadsThemBack()
{
    QTemporaryDir dir;
    const TRandomiserSettings settings{true, 0, true, true, 33, false, true, true, 6};
    QVERIFY(WriteRandomiserSettings(dir.path(), settings).Ok);
    const QString text = QString::fromUtf8(kvntest::ReadRaw(RandomiserSettingsPath(dir.path())));
    const QStringList keys = {"min-distance-active=1", "min-distance=0", "min-distance-get-max-possible=1",
                              "min-weight-active=1",   "min-weight=33",  "valuable-active=0",
                              "fragile-active=1",      "adr-active=1",   "adr-class=6"};
    qsizetype at = text.indexOf("[settings]");
    QVERIFY(at >= 0);
    for (const QString &key : keys) {
        const qsizetype next = text.indexOf(key, at);
        QVERIFY2(next > at, qPrintable(key));
        at = next;
    }
    QCOMPARE(ReadRandomiserSettings(dir.path()), settings);
}

void TestRandomiserOptions::writeDropsWhatElseTheFileHeld()
{
    QTemporaryDir dir;
    const QString path = RandomiserSettingsPath(dir.path());
    kvntest::WriteRaw(path, "[settings]\nmin-weight=40\nold-key=1\n[other]\nx=y\n[game]\ninstall-folder=/g\n");
    QVERIFY(WriteRandomiserSettings(dir.path(), TRandomiserSettings{}).Ok);
    const QString text = QString::fromUtf8(kvntest::ReadRaw(path));
    QVERIFY(!text.contains("old-key"));
    QVERIFY(!text.contains("[other]"));
    QVERIFY(text.contains("min-weight=0"));
    // The player's game folder shares the file and outlives every write of the options.
    QCOMPARE(ReadPlayerGameFolder(dir.path()), QString("/g"));
}

void TestRandomiserOptions::writeFailureIsReported()
{
    // The settings "file" is a folder: nothing can be written, and the caller hears of it.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(RandomiserSettingsFileName()));
    const TSettingsWriteResult result = WriteRandomiserSettings(dir.path(), TRandomiserSettings{});
    QVERIFY(!result.Ok);
    QVERIFY(!result.Error.isEmpty());
    QVERIFY(QFileInfo(RandomiserSettingsPath(dir.path())).isDir());
}

void TestRandomiserOptions::numberField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("digits") << "750" << 750;
    QTest::newRow("letters") << "12km" << 0;
    QTest::newRow("too long for a number") << "99999999999" << 0;
}

void TestRandomiserOptions::numberField()
{
    QFETCH(QString, text);
    QTEST(NumberFieldValue(text), "value");
}

void TestRandomiserOptions::adrClassSteps_data()
{
    QTest::addColumn<QList<int>>("changes"); // the values the spin edit reports, one after the other
    QTest::addColumn<QList<int>>("shown");   // what it shows after each
    QTest::newRow("up from 4 lands on 6") << QList<int>{4, 5} << QList<int>{4, 6};
    QTest::newRow("down from 8 to 6 to 4") << QList<int>{8, 7, 5} << QList<int>{8, 6, 4};
    QTest::newRow("up from 6 lands on 8") << QList<int>{6, 7} << QList<int>{6, 8};
    QTest::newRow("plain steps") << QList<int>{2, 3, 4, 3} << QList<int>{2, 3, 4, 3};
    QTest::newRow("kept within 1 to 8") << QList<int>{0, 9} << QList<int>{1, 8};
    // Typed from 2 straight to 8: the next step down must still go down.
    QTest::newRow("typed, then stepped down") << QList<int>{2, 8, 7} << QList<int>{2, 8, 6};
}

void TestRandomiserOptions::adrClassSteps()
{
    QFETCH(QList<int>, changes);
    QFETCH(QList<int>, shown);
    TRandomiserOptions options; // class 1
    for (int i = 0; i < changes.size(); ++i) {
        QCOMPARE(ChangeAdrClass(options, changes[i]), shown[i]);
        QCOMPARE(options.AdrClass, shown[i]);
        QVERIFY(options.AdrClass != 5 && options.AdrClass != 7);
    }
}

QTEST_GUILESS_MAIN(TestRandomiserOptions)
#include "test_randomiseroptions.moc"
