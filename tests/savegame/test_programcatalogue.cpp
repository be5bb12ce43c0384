// The catalogue the program starts with, from small game folders written with the test archive
// writer: one in a Steam library, one in a folder the player names, and none at all.
#include "catalogue/resources.h"
#include "savegame/programcatalogue.h"
#include "smallgame.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;
using namespace kvn::archives::testing;

class TestProgramCatalogue : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FLibrary, FPlayerGame;

    TProgramCatalogueRequest Request(const QString &PlayerFolder = QString()) const
    {
        TProgramCatalogueRequest request;
        request.PlayerGameFolder = PlayerFolder;
        request.SteamLibraries = {FLibrary};
        request.CachePath = FDir.filePath(QLatin1String(GameCatalogueCacheFileName));
        return request;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        FLibrary = FDir.filePath(QStringLiteral("library/"));
        FPlayerGame = FDir.filePath(QStringLiteral("my game"));
        QVERIFY(WriteSmallGame(FLibrary + QStringLiteral("steamapps/common/Euro Truck Simulator 2"), "1.58.1.5"));
        QVERIFY(WriteSmallGame(FPlayerGame, "1.57.2.0"));
    }

    // The first start reads the archives, the second the cache; the damaged DLC is named both times.
    void gameFoundThenCached()
    {
        std::vector<std::pair<int, int>> progress;
        TProgramCatalogueRequest request = Request();
        request.Progress = [&progress](TCatalogueStage, int Done, int Total) { progress.emplace_back(Done, Total); };
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Game);
        QCOMPARE(catalogue.Source.GameVersion, QStringLiteral("1.58.1.5"));
        QVERIFY(catalogue.Source.InstallFolder.startsWith(FLibrary));
        QCOMPARE(catalogue.Source.ArchiveCount, 2); // def.scs and locale.scs
        QCOMPARE(catalogue.Source.Skipped.size(), 1);
        QVERIFY(catalogue.Source.Skipped[0].startsWith(QStringLiteral("dlc_broken.scs: ")));
        QCOMPARE(catalogue.Source.SkippedNames, QStringList{QStringLiteral("dlc_broken.scs")});
        QCOMPARE(catalogue.TrailerDefinitionDataList.size(), std::size_t(1));
        QCOMPARE(catalogue.CargoInfoList.size(), std::size_t(1));
        QCOMPARE(catalogue.CityLines, QStringList({QStringLiteral("alpha;Testland"), QStringLiteral("beta;Testland")}));
        QCOMPARE(catalogue.DatabaseInfo.TrailerLineCount, 1);
        QVERIFY(!progress.empty());
        QCOMPARE(progress.back().first, progress.back().second);

        TCatalogue again;
        LoadProgramCatalogue(again, Request());
        QCOMPARE(again.Source.Origin, TCatalogueOrigin::Cache);
        QCOMPARE(again.Source.GameVersion, QStringLiteral("1.58.1.5"));
        QCOMPARE(again.Source.Skipped, catalogue.Source.Skipped);
        QCOMPARE(again.CargoInfoList.size(), std::size_t(1));
        QCOMPARE(again.CityLines, catalogue.CityLines);
    }

    // The player's own folder comes before every Steam library.
    void playerFolderFirst()
    {
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, Request(QStringLiteral("  ") + FPlayerGame + QStringLiteral(" ")));
        QVERIFY(catalogue.Source.FromGame());
        QCOMPARE(catalogue.Source.GameVersion, QStringLiteral("1.57.2.0"));
        QCOMPARE(QDir(catalogue.Source.InstallFolder).canonicalPath(), QDir(FPlayerGame).canonicalPath());
        QVERIFY(catalogue.Source.Failure.isEmpty());

        // A named folder without the game: the Steam library's game, and a word on the folder.
        LoadProgramCatalogue(catalogue, Request(FDir.filePath(QStringLiteral("gone"))));
        QCOMPARE(catalogue.Source.GameVersion, QStringLiteral("1.58.1.5"));
        QVERIFY2(catalogue.Source.Failure.contains(QStringLiteral("does not exist")),
                 qPrintable(catalogue.Source.Failure));
    }

    // Without a game, and with a folder that is no game, the compiled data is used as it always was.
    void noGameUsesCompiledData_data()
    {
        QTest::addColumn<QString>("playerFolder");
        QTest::addColumn<QString>("failure");
        QTest::addRow("no folder named") << QString() << QString();
        QTest::addRow("folder without the game") << QStringLiteral("library") << QStringLiteral("is not a game folder");
        QTest::addRow("folder that is gone") << QStringLiteral("gone") << QStringLiteral("does not exist");
    }
    void noGameUsesCompiledData()
    {
        QFETCH(QString, playerFolder);
        QFETCH(QString, failure);
        TProgramCatalogueRequest request = Request(playerFolder.isEmpty() ? playerFolder : FDir.filePath(playerFolder));
        request.SteamLibraries.clear();
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Compiled);
        QCOMPARE(catalogue.Source.GameVersion, CatalogueGameVersion());
        QVERIFY(catalogue.Source.Skipped.isEmpty());
        QCOMPARE(catalogue.Source.Failure.isEmpty(), failure.isEmpty());
        QVERIFY2(catalogue.Source.Failure.contains(failure), qPrintable(catalogue.Source.Failure));

        TCatalogue compiled;
        compiled.LoadTrailersAndCargos();
        QVERIFY(compiled.CargoInfoList.size() > 1);
        QCOMPARE(catalogue.CargoInfoList.size(), compiled.CargoInfoList.size());
        QCOMPARE(catalogue.TrailerDefinitionDataList.size(), compiled.TrailerDefinitionDataList.size());
        QCOMPARE(catalogue.CityLines, CatalogueLines(QStringLiteral("Countries"), true));
    }

    // The city names the game gives, in the player's language where its locale has them.
    void cityNamesFromTheGame_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("lines");
        QTest::addRow("German locale") << "de" << QStringList{"city;alpha;Alphastadt", "city;beta;Beta"};
        QTest::addRow("no such locale") << "fr" << QStringList{"city;beta;Beta"};
    }
    void cityNamesFromTheGame()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, lines);
        TProgramCatalogueRequest request = Request();
        request.LanguageCode = language;
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QVERIFY(catalogue.Source.FromGame());
        QCOMPARE(catalogue.GameNameLines, lines);
    }

    // A game whose every definition archive is damaged: the compiled data, and the archives named.
    void unreadableGameUsesCompiledData()
    {
        const QString game = FDir.filePath(QStringLiteral("broken game"));
        QVERIFY(QDir().mkpath(game));
        QVERIFY(WriteFileBytes((game + "/def.scs").toStdString(), {'Z', 'Z', 0, 1}));
        TProgramCatalogueRequest request = Request(game);
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Compiled);
        QVERIFY(!catalogue.Source.InstallFolder.isEmpty());
        QCOMPARE(catalogue.Source.Skipped.size(), 1);
        QVERIFY(catalogue.Source.Skipped[0].startsWith(QStringLiteral("def.scs")));
        QVERIFY2(catalogue.Source.Failure.contains(QStringLiteral("def.scs")), qPrintable(catalogue.Source.Failure));
        QVERIFY(catalogue.CargoInfoList.size() > 1);
    }
};

QTEST_GUILESS_MAIN(TestProgramCatalogue)
#include "test_programcatalogue.moc"
