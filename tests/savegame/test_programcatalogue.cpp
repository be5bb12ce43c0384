// The catalogue the program starts with, from small game folders written with the test archive
// writer: one in a Steam library, one in a folder the player names, and none at all.
#include "archives/smallgame.h"
#include "catalogue/resources.h"
#include "savegame/programcatalogue.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;
using namespace kvn::archives::testing;

class TestProgramCatalogue : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FLibrary, FPlayerGame, FMods;

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

        // A map and cargo mod in the player's mod folder: one more city and one more cargo.
        FMods = FDir.filePath(QStringLiteral("mod"));
        QVERIFY(QDir().mkpath(FMods));
        TTestArchive mod;
        mod.Files = {{"def/city.mymod.sii",
                      "SiiNunit\n{\ncity_data: city.gamma\n{\n\tcity_name: \"Gamma\"\n\tcountry: testland\n}\n}\n",
                      false},
                     {"def/cargo.mymod.sii",
                      "SiiNunit\n{\ncargo_data: cargo.steel\n{\n\tmass: 500\n\tvolume: 1\n\tbody_types[]: "
                      "curtainside\n}\n}\n",
                      false}};
        QVERIFY(WriteFileBytes((FMods + "/mymod.scs").toStdString(), WriteZip(mod)));
        QVERIFY(WriteProfile(QStringLiteral("modded"), {"mymod"}));
        QVERIFY(WriteProfile(QStringLiteral("ghostly"), {"mymod", "ghost"}));
        QVERIFY(WriteProfile(QStringLiteral("plain"), {}));
    }

    bool WriteProfile(const QString &Name, const std::vector<std::string> &Mods)
    {
        std::string text =
            "SiiNunit\n{\nuser_profile : _nameless.1 {\n active_mods: " + std::to_string(Mods.size()) + "\n";
        for (std::size_t i = 0; i < Mods.size(); ++i)
            text += " active_mods[" + std::to_string(i) + "]: \"" + Mods[i] + "|" + Mods[i] + "\"\n";
        text += "}\n}\n";
        const QString folder = FDir.filePath(QStringLiteral("profiles/") + Name);
        return QDir().mkpath(folder) && WriteFileBytes((folder + "/profile.sii").toStdString(),
                                                       std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    QString Profile(const QString &Name) const { return FDir.filePath(QStringLiteral("profiles/") + Name); }

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

    // Loading a profile with mods reads the game again with them, from a cache of that profile's own
    // the second time; a profile without mods goes back to the game alone. What the window and the
    // queued jobs took from the lists before stays valid.
    void profileModsReplaceTheLists()
    {
        TProgramCatalogueRequest request = Request();
        request.ModFolders = {FMods};
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QVERIFY(catalogue.Source.FromGame());
        const PCargoInfo heldCargo = catalogue.CargoInfoList.front();
        const PTrailerDefinitionData heldTrailer = catalogue.TrailerDefinitionDataList.front();

        TProfileModsResult result = UseProfileMods(catalogue, request, Profile(QStringLiteral("plain")));
        QVERIFY(!result.Replaced); // read without mods already: nothing to do
        QVERIFY(catalogue.CargoInfoList.front() == heldCargo);

        result = UseProfileMods(catalogue, request, Profile(QStringLiteral("modded")));
        QVERIFY(result.Replaced);
        QVERIFY(result.Failure.isEmpty());
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Game);
        QCOMPARE(catalogue.Source.ActiveMods, QStringList{QStringLiteral("mymod")});
        QCOMPARE(catalogue.Source.ModCount, 1);
        QVERIFY(catalogue.CityLines.contains(QStringLiteral("gamma;Testland")));
        QVERIFY(CargoExists(catalogue.CargoInfoList, QStringLiteral("steel")));
        QVERIFY(catalogue.CargoInfoList.front() != heldCargo);
        // Held across the swap: under the address sanitizer a freed record would be caught here.
        QCOMPARE(heldCargo->CargoName(), QStringLiteral("glass"));
        QCOMPARE(heldTrailer->TrailerDefinition(), QStringLiteral("trailer_def.scs.box.single_3.dryvan"));

        result = UseProfileMods(catalogue, request, Profile(QStringLiteral("modded")));
        QVERIFY(result.Replaced);
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Cache);
        QVERIFY(CargoExists(catalogue.CargoInfoList, QStringLiteral("steel")));

        // A mod that is nowhere is named; the others are used.
        // A mod that is nowhere is named at every load; the game's damaged archive, named at the
        // start, is not repeated.
        for (int load = 0; load < 2; ++load) {
            result = UseProfileMods(catalogue, request, Profile(QStringLiteral("ghostly")));
            QVERIFY(result.Replaced);
            QCOMPARE(result.SkippedNames, QStringList{QStringLiteral("ghost")});
            QVERIFY(CargoExists(catalogue.CargoInfoList, QStringLiteral("steel")));
        }

        result = UseProfileMods(catalogue, request, Profile(QStringLiteral("plain")));
        QVERIFY(result.Replaced);
        QVERIFY(catalogue.Source.ActiveMods.isEmpty());
        QCOMPARE(catalogue.Source.ModCount, 0);
        QVERIFY(!CargoExists(catalogue.CargoInfoList, QStringLiteral("steel")));
        QVERIFY(!catalogue.CityLines.contains(QStringLiteral("gamma;Testland")));
        // The game alone still comes from the start-up cache.
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Cache);
    }

    // The caches of profiles' mods that no load has written for months go; the game's own stays.
    void oldModsCachesAreRemoved()
    {
        TProgramCatalogueRequest request = Request();
        request.ModFolders = {FMods};
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        const QString stale = FDir.filePath(QStringLiteral("game-catalogue-0123456789abcdef.cache"));
        for (const QString &path : {stale, request.CachePath}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-100), QFileDevice::FileModificationTime));
        }
        QVERIFY(UseProfileMods(catalogue, request, Profile(QStringLiteral("modded"))).Replaced);
        QVERIFY(!QFileInfo::exists(stale));
        QVERIFY(QFileInfo::exists(request.CachePath));
    }

    // Mods are laid over the game only: the compiled data stays as it is.
    void profileModsLeaveTheCompiledData()
    {
        TProgramCatalogueRequest request = Request();
        request.SteamLibraries.clear();
        request.ModFolders = {FMods};
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Compiled);
        const std::size_t cargos = catalogue.CargoInfoList.size();
        const TProfileModsResult result = UseProfileMods(catalogue, request, Profile(QStringLiteral("modded")));
        QVERIFY(!result.Replaced);
        QVERIFY(result.Failure.isEmpty());
        QCOMPARE(catalogue.CargoInfoList.size(), cargos);
    }

    // DLC archives and mods carry the names of the cities they add in locale files of their own.
    void cityNamesFromDlcsAndMods()
    {
        const QString game = FDir.filePath(QStringLiteral("game with dlc"));
        QVERIFY(WriteSmallGame(game, "1.58.1.5"));
        const auto localeFile = [](const std::string &Key, const std::string &Name) {
            return "SiiNunit\n{\nlocalization_db : .localization\n{\n key[]: \"" + Key + "\"\n val[]: \"" + Name +
                   "\"\n}\n}\n";
        };
        TTestArchive dlc;
        dlc.Files = {
            {"def/city.dlc_north.sii",
             "SiiNunit\n{\ncity_data: city.delta\n{\n\tcity_name: \"@@delta_city@@\"\n\tcountry: testland\n}\n}\n",
             false},
            {"locale/de_de/local.dlc_north.sii", localeFile("delta_city", "Deltaburg"), true}};
        QVERIFY(WriteFileBytes((game + "/dlc_north.scs").toStdString(), WriteHashFsV2(dlc)));
        TTestArchive mod;
        mod.Files = {
            {"def/city.namedmod.sii",
             "SiiNunit\n{\ncity_data: city.epsilon\n{\n\tcity_name: \"@@eps_city@@\"\n\tcountry: testland\n}\n}\n",
             false},
            {"locale/de_de/local.namedmod.sii", localeFile("eps_city", "Epsilondorf"), false}};
        QVERIFY(WriteFileBytes((FMods + "/namedmod.scs").toStdString(), WriteZip(mod)));
        QVERIFY(WriteProfile(QStringLiteral("named"), {"namedmod"}));

        TProgramCatalogueRequest request = Request(game);
        request.ModFolders = {FMods};
        request.LanguageCode = QStringLiteral("de");
        request.CachePath.clear();
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QVERIFY(catalogue.GameNameLines.contains(QStringLiteral("city;alpha;Alphastadt")));
        QVERIFY(catalogue.GameNameLines.contains(QStringLiteral("city;delta;Deltaburg")));
        QVERIFY(UseProfileMods(catalogue, request, Profile(QStringLiteral("named"))).Replaced);
        QVERIFY(catalogue.GameNameLines.contains(QStringLiteral("city;epsilon;Epsilondorf")));
        QVERIFY(catalogue.GameNameLines.contains(QStringLiteral("city;delta;Deltaburg")));
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
