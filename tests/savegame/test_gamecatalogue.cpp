// The catalogue read from a small game folder written with the test archive writer: two base
// archives, a DLC, a damaged archive and a mod in the mod folder, active in the profile.
#include "archivewriter.h"
#include "lang/languages.h"
#include "savegame/gamecatalogue.h"
#include "savegame/gamecataloguetexts.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <siicodec/encoder.h>

#include <QRandomGenerator>

#include <algorithm>
#include <array>

using namespace kvn;
using namespace kvn::archives::testing;

namespace {

std::string City(const std::string &Token, const std::string &Name)
{
    return "city_data: city." + Token + "\n{\n\tcity_name: \"" + Name + "\"\n\tcountry: testland\n}\n";
}

QString NameOf(const TGameDefinitions &Defs, const QString &Token)
{
    for (const TGameCity &city : Defs.Cities)
        if (city.Token == Token)
            return city.Name;
    return {};
}

struct TCliRun {
    int ExitCode = -1;
    QByteArray Out;
};

TCliRun RunCatalogueCli(const QString &Home, const QStringList &Args)
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), Home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), Home + QStringLiteral("/share"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(KVN_BIN_DIR "/kestrovan-cli"), QStringList{QStringLiteral("catalogue")} + Args);
    if (!cli.waitForFinished(120000))
        return {};
    return {cli.exitCode(), cli.readAllStandardOutput()};
}

bool WriteProfile(const QString &Folder, const std::string &Text)
{
    return QDir().mkpath(Folder) &&
           WriteFileBytes((Folder + "/profile.sii").toStdString(), std::vector<std::uint8_t>(Text.begin(), Text.end()));
}

std::string ProfileWithMods(const std::vector<std::string> &Mods)
{
    std::string text = "SiiNunit\n{\nuser_profile : _nameless.1 {\n active_mods: " + std::to_string(Mods.size()) + "\n";
    for (std::size_t i = 0; i < Mods.size(); ++i)
        text += " active_mods[" + std::to_string(i) + "]: \"" + Mods[i] + "|" + Mods[i] + "\"\n";
    return text + "}\n}\n";
}

} // namespace

class TestGameCatalogue : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FGame, FMods, FProfile, FSkipProfile;

    bool WriteDefArchive(const QStringList &Cities)
    {
        TTestArchive def;
        std::string list = "SiiNunit\n{\n";
        for (const QString &city : Cities) {
            list += "@include \"city/" + city.toStdString() + ".sui\"\n";
            def.Files.push_back({"def/city/" + city.toStdString() + ".sui", City(city.toStdString(), "Def"), true});
        }
        def.Files.push_back({"def/city.second.sii", list + "}\n", false});
        return WriteFileBytes((FGame + "/def.scs").toStdString(), WriteHashFsV1(def));
    }

    TGameCatalogueRequest Request() const
    {
        TGameCatalogueRequest request;
        request.InstallFolder = FGame;
        request.ProfileFolder = FProfile;
        request.ModFolders = {FMods};
        request.CachePath = FDir.filePath(QStringLiteral("catalogue.cache"));
        return request;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        FGame = FDir.filePath(QStringLiteral("game"));
        FMods = FDir.filePath(QStringLiteral("mod"));
        FProfile = FDir.filePath(QStringLiteral("profile"));
        for (const QString &folder : {FGame, FMods, FProfile})
            QVERIFY(QDir().mkpath(folder));

        TTestArchive base;
        base.Files = {
            {"version.sii", "SiiNunit\n{\nfs_pack_set: .set\n{\n\tapplication: eut2\n\tversion: \"1.58.1.5\"\n}\n}\n",
             false},
            {"def/country.sii", "SiiNunit\n{\n@include \"country/testland.sui\"\n}\n", false},
            {"def/country/testland.sui", "country_data: country.data.testland\n{\n\tname: \"Testland\"\n}\n", true},
            {"def/city.sii", "SiiNunit\n{\n@include \"city/alpha.sui\"\n@include \"city/beta.sui\"\n}\n", false},
            {"def/city/alpha.sui", City("alpha", "Alpha"), true},
            {"def/city/beta.sui", City("beta", "Beta"), false}};
        QVERIFY(WriteFileBytes((FGame + "/base.scs").toStdString(), WriteHashFsV2(base)));
        QVERIFY(WriteDefArchive({QStringLiteral("gamma")}));

        TTestArchive dlc;
        dlc.Files = {{"def/city.dlc_north.sii", "SiiNunit\n{\n@include \"city/delta.sui\"\n}\n", false},
                     {"def/city/delta.sui", City("delta", "Delta"), true}};
        QVERIFY(WriteFileBytes((FGame + "/dlc_north.scs").toStdString(), WriteHashFsV2(dlc)));
        QVERIFY(WriteFileBytes((FGame + "/core.scs").toStdString(), {'S', 'C', 'S', '#', 1, 2, 3}));

        TTestArchive mod;
        mod.Files = {{"def/city/alpha.sui", City("alpha", "Modded"), true}};
        QVERIFY(WriteFileBytes((FMods + "/mymod.scs").toStdString(), WriteZip(mod)));
        // Encrypted, as the game keeps it: the mod list must still be found.
        const std::string profileText =
            "SiiNunit\n{\nuser_profile : _nameless.1 {\n active_mods: 1\n active_mods[0]: \"mymod|My mod\"\n}\n}\n";
        const std::array<std::uint8_t, 16> iv{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        std::vector<std::uint8_t> encrypted;
        QVERIFY(siicodec::EncryptContainer(
                    std::span(reinterpret_cast<const std::uint8_t *>(profileText.data()), profileText.size()), iv,
                    encrypted)
                    .Ok());
        QVERIFY(WriteFileBytes((FProfile + "/profile.sii").toStdString(), encrypted));

        // A second profile whose mods fail in every way a player meets.
        TTestArchive oldMod;
        oldMod.Files = {
            {"manifest.sii", "SiiNunit\n{\nmod_package : .p {\n compatible_versions[]: \"1.49.*\"\n}\n}\n", false},
            {"def/city/alpha.sui", City("alpha", "Old"), false}};
        QVERIFY(WriteFileBytes((FMods + "/oldmod.scs").toStdString(), WriteZip(oldMod)));
        QVERIFY(WriteFileBytes((FMods + "/brokenmod.scs").toStdString(), {'P', 'K', 3, 4, 0, 0}));
        TTestArchive faultyMod;
        faultyMod.Files = {{"def/city.faultymod.sii", "SiiNunit\n{\ncity_data: city.zeta\n{\n\tcity_name: \"Z", false}};
        QVERIFY(WriteFileBytes((FMods + "/faultymod.scs").toStdString(), WriteZip(faultyMod)));
        FSkipProfile = FDir.filePath(QStringLiteral("skipprofile"));
        QVERIFY(WriteProfile(FSkipProfile, ProfileWithMods({"ghost", "oldmod", "brokenmod", "faultymod", "mymod"})));

        // A folder with game archives but no def.scs, and one whose def.scs is damaged: both
        // would give a catalogue without the base game's cities.
        for (const QString &name : {QStringLiteral("notagame"), QStringLiteral("brokengame")}) {
            QVERIFY(QDir().mkpath(FDir.filePath(name)));
            QVERIFY(QFile::copy(FGame + "/base.scs", FDir.filePath(name + "/base.scs")));
        }
        QVERIFY(
            WriteFileBytes(FDir.filePath(QStringLiteral("brokengame/def.scs")).toStdString(), {'S', 'C', 'S', '#'}));
        // A def.scs that opens but defines nothing: an empty catalogue would offer no job at all.
        TTestArchive empty;
        empty.Files = {{"def/world/readme.txt", "nothing here", false}};
        QVERIFY(QDir().mkpath(FDir.filePath(QStringLiteral("emptygame"))));
        QVERIFY(WriteFileBytes(FDir.filePath(QStringLiteral("emptygame/def.scs")).toStdString(), WriteHashFsV2(empty)));
    }

    // Runs before the loader test below changes def.scs.
    void cliReportsSourceAndCounts()
    {
        const TCliRun cli = RunCatalogueCli(FDir.path(), {QStringLiteral("--game"), FGame, QStringLiteral("--json")});
        QCOMPARE(cli.ExitCode, 0);
        const QJsonObject report = QJsonDocument::fromJson(cli.Out).object();
        QCOMPARE(report.value("source").toString(), QStringLiteral("game"));
        QCOMPARE(report.value("game_version").toString(), QStringLiteral("1.58.1.5"));
        QCOMPARE(report.value("cities").toInt(), 4);
        QCOMPARE(report.value("countries").toInt(), 1);
        QCOMPARE(report.value("skipped").toArray().first().toObject().value("name").toString(),
                 QStringLiteral("core.scs"));
    }

    // A profile's mods are found in the mod folder beside its profiles folder, wherever the
    // documents folder lies; the command line names them.
    void cliFindsModsBesideTheProfile()
    {
        const QString docs = FDir.filePath(QStringLiteral("elsewhere/Euro Truck Simulator 2"));
        const QString profile = docs + QStringLiteral("/profiles/4B65");
        QVERIFY(WriteProfile(profile, ProfileWithMods({"mymod"})));
        QVERIFY(QDir().mkpath(docs + QStringLiteral("/mod")));
        QVERIFY(QFile::copy(FMods + QStringLiteral("/mymod.scs"), docs + QStringLiteral("/mod/mymod.scs")));
        const TCliRun cli = RunCatalogueCli(FDir.path(), {QStringLiteral("--game"), FGame, QStringLiteral("--profile"),
                                                          profile, QStringLiteral("--json")});
        QCOMPARE(cli.ExitCode, 0);
        const QJsonObject report = QJsonDocument::fromJson(cli.Out).object();
        QCOMPARE(report.value("mods").toArray(), QJsonArray{QStringLiteral("mymod")});
    }

    // Layering, the damaged archive and the cache, in the order a player meets them.
    void loadsLayersAndCaches()
    {
        TGameCatalogueReport report;
        auto defs = LoadGameCatalogue(Request(), report);
        QVERIFY(defs.has_value());
        QCOMPARE(report.GameVersion, QStringLiteral("1.58.1.5"));
        QVERIFY(!report.FromCache);
        QCOMPARE(defs->Countries.size(), std::size_t(1));
        QCOMPARE(defs->Cities.size(), std::size_t(4));
        QCOMPARE(NameOf(*defs, QStringLiteral("alpha")), QStringLiteral("Modded"));
        QCOMPARE(report.ModsMounted, QStringList{QStringLiteral("mymod")});
        QCOMPARE(report.Skipped.size(), std::size_t(1));
        QCOMPARE(report.Skipped[0].Name, QStringLiteral("core.scs"));
        QVERIFY(!report.Skipped[0].Reason.isEmpty());
        QVERIFY(report.ArchivesRead.contains(QStringLiteral("dlc_north.scs")));

        defs = LoadGameCatalogue(Request(), report);
        QVERIFY(defs.has_value());
        QVERIFY(report.FromCache);
        QCOMPARE(defs->Cities.size(), std::size_t(4));
        QCOMPARE(NameOf(*defs, QStringLiteral("alpha")), QStringLiteral("Modded"));

        // Without the mod the key differs: the cached, modded result must not be served.
        TGameCatalogueRequest noMods = Request();
        noMods.ProfileFolder.clear();
        defs = LoadGameCatalogue(noMods, report);
        QVERIFY(defs.has_value());
        QVERIFY(!report.FromCache);
        QCOMPARE(NameOf(*defs, QStringLiteral("alpha")), QStringLiteral("Alpha"));

        QVERIFY(WriteDefArchive({QStringLiteral("gamma"), QStringLiteral("epsilon")}));
        defs = LoadGameCatalogue(Request(), report);
        QVERIFY(defs.has_value());
        QVERIFY(!report.FromCache);
        QCOMPARE(defs->Cities.size(), std::size_t(5));
    }

    void saysWhyTheGameWasNotRead_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("jsonCode");
        QTest::addColumn<QString>("saying");
        QTest::newRow("missing folder") << "nowhere" << int(TCatalogueFailure::FolderMissing) << "folder_missing"
                                        << "does not exist";
        QTest::newRow("no def.scs") << "notagame" << int(TCatalogueFailure::NotAGameFolder) << "not_a_game_folder"
                                    << "not a game folder";
        QTest::newRow("damaged def.scs") << "brokengame" << int(TCatalogueFailure::DefinitionsUnreadable)
                                         << "definitions_unreadable"
                                         << "could not be opened";
    }

    void saysWhyTheGameWasNotRead()
    {
        QFETCH(QString, folder);
        QFETCH(int, code);
        QFETCH(QString, jsonCode);
        QFETCH(QString, saying);
        const QString game = FDir.filePath(folder);

        TGameCatalogueRequest request;
        request.InstallFolder = game;
        TGameCatalogueReport report;
        QVERIFY(!LoadGameCatalogue(request, report).has_value());
        QCOMPARE(int(report.FailureCode), code);
        QVERIFY2(report.Failure.contains(saying), qPrintable(report.Failure));
        const QString player = CatalogueFailureText(report, game, TLanguageTexts());
        QVERIFY2(player.contains(QDir::toNativeSeparators(game)), qPrintable(player));

        const TCliRun json = RunCatalogueCli(FDir.path(), {QStringLiteral("--game"), game, QStringLiteral("--json")});
        QCOMPARE(json.ExitCode, 0);
        const QJsonObject doc = QJsonDocument::fromJson(json.Out).object();
        QCOMPARE(doc.value("source").toString(), QStringLiteral("compiled"));
        QCOMPARE(doc.value("failure").toString(), jsonCode);
        QCOMPARE(doc.value("failure_reason").toString(), report.Failure);
        const TCliRun text = RunCatalogueCli(FDir.path(), {QStringLiteral("--game"), game});
        QCOMPARE(text.ExitCode, 0);
        QVERIFY2(text.Out.contains(saying.toUtf8()), text.Out.constData());
    }

    // Each failing mod gets its own reason; the definition read's trouble is counted and named.
    void skippedSourcesAndProblemsAreNamed()
    {
        TGameCatalogueRequest request = Request();
        request.ProfileFolder = FSkipProfile;
        request.CachePath.clear();
        TGameCatalogueReport report;
        QVERIFY(LoadGameCatalogue(request, report).has_value());
        QCOMPARE(report.ModsMounted, QStringList({QStringLiteral("faultymod"), QStringLiteral("mymod")}));
        const std::vector<std::pair<QString, TSkipCode>> expected{{"core.scs", TSkipCode::DamagedArchive},
                                                                  {"ghost", TSkipCode::ModNotFound},
                                                                  {"oldmod", TSkipCode::ModForOtherVersion},
                                                                  {"brokenmod", TSkipCode::DamagedArchive}};
        QCOMPARE(report.Skipped.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(report.Skipped[i].Name, expected[i].first);
            QCOMPARE(report.Skipped[i].Code, expected[i].second);
            QVERIFY(!report.Skipped[i].Reason.isEmpty());
        }
        QCOMPARE(report.Skipped[2].Detail, QStringLiteral("1.49.*"));
        QVERIFY(!report.Skipped[3].Detail.isEmpty());
        const QStringList lines = SkippedSourceLines(report, TLanguageTexts());
        QCOMPARE(lines.size(), qsizetype(expected.size()));
        QCOMPARE(lines[2], QStringLiteral("oldmod: made for another game version (1.49.*)"));

        QVERIFY(report.DefinitionProblems.Count >= 1);
        QVERIFY2(report.DefinitionProblems.First.first().contains("city.faultymod.sii"),
                 qPrintable(report.DefinitionProblems.First.first()));
        QVERIFY(DefinitionProblemsText(report, TLanguageTexts()).contains("city.faultymod.sii"));

        // The command line finds mods where the game keeps them.
        const QString gameDocuments = FDir.filePath(QStringLiteral("share/Euro Truck Simulator 2"));
        QVERIFY(QDir().mkpath(gameDocuments));
        QVERIFY(QFile::link(FMods, gameDocuments + QStringLiteral("/mod")));
        const TCliRun cli =
            RunCatalogueCli(FDir.path(), {QStringLiteral("--game"), FGame, QStringLiteral("--profile"), FSkipProfile});
        QCOMPARE(cli.ExitCode, 0);
        QVERIFY2(cli.Out.contains("definition problems: ") && cli.Out.contains("city.faultymod.sii"),
                 cli.Out.constData());
        QVERIFY2(cli.Out.contains("skipped ghost: not found"), cli.Out.constData());
    }

    void skippedSourceTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("english");
        QTest::newRow("damaged") << int(TSkipCode::DamagedArchive) << "core.scs"
                                 << "bad magic"
                                 << "core.scs: damaged or not a game archive (bad magic)";
        QTest::newRow("not found") << int(TSkipCode::ModNotFound) << "ghost"
                                   << ""
                                   << "ghost: not found in the mod folder or the Steam Workshop";
        QTest::newRow("other version") << int(TSkipCode::ModForOtherVersion) << "oldmod"
                                       << "1.49.*, 1.50.*"
                                       << "oldmod: made for another game version (1.49.*, 1.50.*)";
        QTest::newRow("version missing")
            << int(TSkipCode::ModVersionMissing) << "mod_workshop_package.00000000C5D284B9"
            << "new.scs"
            << "mod_workshop_package.00000000C5D284B9: its package \"new.scs\" for this game version is missing "
               "from the Workshop folder";
        QTest::newRow("profile") << int(TSkipCode::ProfileUnreadable) << "profile.sii"
                                 << "not an SII file"
                                 << "profile.sii could not be read: no mods used (not an SII file)";
        QTest::newRow("other") << int(TSkipCode::Other) << "x.scs"
                               << ""
                               << "x.scs: odd";
    }

    // Built-in English, and every shipped language in its own words around the same name and detail.
    void skippedSourceTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(QString, detail);
        QFETCH(QString, english);
        const TSkippedSource source{name, QStringLiteral("odd"), TSkipCode(code), detail};
        QCOMPARE(SkippedSourceText(source, TLanguageTexts()), english);
        for (const QString &language : {QStringLiteral("de"), QStringLiteral("fr"), QStringLiteral("es")}) {
            TLanguageTexts texts;
            QCOMPARE(texts.LoadInterfaceTexts(QStringLiteral(KVN_SOURCE_DIR), language), TLanguageSource::File);
            const QString line = SkippedSourceText(source, texts);
            QVERIFY2(line.contains(detail), qPrintable(line));
            if (TSkipCode(code) != TSkipCode::Other)
                QVERIFY2(line != english, qPrintable(line));
        }
    }

    void progressRisesToTheEnd()
    {
        TGameCatalogueRequest request = Request();
        request.CachePath = FDir.filePath(QStringLiteral("progress.cache"));
        std::vector<int> overall;
        int total = 0;
        std::vector<std::tuple<TCatalogueStage, int, int>> stages;
        request.Progress = [&](int Done, int Total) {
            overall.push_back(Done);
            total = Total;
        };
        request.StageProgress = [&](TCatalogueStage Stage, int Done, int Total) {
            stages.emplace_back(Stage, Done, Total);
        };
        TGameCatalogueReport report;
        QVERIFY(LoadGameCatalogue(request, report).has_value());
        QVERIFY(!report.FromCache);
        QVERIFY(overall.size() > 2);
        QVERIFY(std::adjacent_find(overall.begin(), overall.end(), std::greater_equal<int>()) == overall.end());
        QCOMPARE(overall.back(), total);
        // Opening first, then reading, each counting up to its own total; every list file is a step.
        const auto firstReading = std::find_if(stages.begin(), stages.end(), [](const auto &S) {
            return std::get<0>(S) == TCatalogueStage::ReadingDefinitions;
        });
        QVERIFY(firstReading != stages.begin() && firstReading != stages.end());
        QVERIFY(std::all_of(firstReading, stages.end(),
                            [](const auto &S) { return std::get<0>(S) == TCatalogueStage::ReadingDefinitions; }));
        QCOMPARE(std::get<1>(*std::prev(firstReading)), std::get<2>(*std::prev(firstReading)));
        QCOMPARE(std::get<1>(stages.back()), std::get<2>(stages.back()));
        QVERIFY(std::get<2>(stages.back()) >= 4);

        // From the cache the bar ends full as well.
        overall.clear();
        QVERIFY(LoadGameCatalogue(request, report).has_value());
        QVERIFY(report.FromCache);
        QVERIFY(!overall.empty());
        QCOMPARE(overall.back(), total);
    }

    void stopDuringTheReadGivesNothing()
    {
        TGameCatalogueRequest request = Request();
        request.CachePath = FDir.filePath(QStringLiteral("stopped.cache"));
        std::atomic_bool stop{false};
        request.Stop = &stop;
        int lastRead = 0, toRead = 0;
        request.StageProgress = [&](TCatalogueStage Stage, int Done, int Total) {
            if (Stage != TCatalogueStage::ReadingDefinitions)
                return;
            lastRead = Done;
            toRead = Total;
            if (Done == 1)
                stop = true;
        };
        TGameCatalogueReport report;
        QVERIFY(!LoadGameCatalogue(request, report).has_value());
        QVERIFY(report.Stopped);
        QCOMPARE(report.FailureCode, TCatalogueFailure::Stopped);
        QCOMPARE(lastRead, 1);
        QVERIFY(toRead > 1);
        QVERIFY(!QFileInfo::exists(request.CachePath));
    }

    // profile.sii is the player's file, read as it is: no content may bring the loader down, and
    // the game's own definitions are read whatever it holds.
    void anyProfileBytesAreSurvived()
    {
        TGameCatalogueRequest request = Request();
        request.ProfileFolder = FDir.filePath(QStringLiteral("randomprofile"));
        request.CachePath.clear();
        QRandomGenerator random(1717);
        const std::array<std::string, 4> starts{"", "ScsC", "BSII", "SiiNunit\n{\nuser_profile : x {\n active_mods: "};
        for (int round = 0; round < 40; ++round) {
            std::string bytes = starts[std::size_t(round) % starts.size()];
            const int length = int(random.bounded(1, 2048));
            for (int i = 0; i < length; ++i)
                bytes.push_back(char(random.bounded(256)));
            QVERIFY(WriteProfile(request.ProfileFolder, bytes));
            TGameCatalogueReport report;
            QVERIFY2(LoadGameCatalogue(request, report).has_value(), qPrintable(QString::number(round)));
        }
    }
};

QTEST_GUILESS_MAIN(TestGameCatalogue)
#include "test_gamecatalogue.moc"
