// The catalogue read from a small game folder written with the test archive writer: two base
// archives, a DLC, a damaged archive and a mod in the mod folder, active in the profile.
#include "archivewriter.h"
#include "savegame/gamecatalogue.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <siicodec/encoder.h>

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

} // namespace

class TestGameCatalogue : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FGame, FMods, FProfile;

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
    }

    // Runs before the loader test below changes def.scs.
    void cliReportsSourceAndCounts()
    {
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), FDir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), FDir.filePath(QStringLiteral("share")));
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(KVN_BIN_DIR "/kestrovan-cli"),
                  {QStringLiteral("catalogue"), QStringLiteral("--game"), FGame, QStringLiteral("--json")});
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(cli.exitCode(), 0);
        const QJsonObject report = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QCOMPARE(report.value("source").toString(), QStringLiteral("game"));
        QCOMPARE(report.value("game_version").toString(), QStringLiteral("1.58.1.5"));
        QCOMPARE(report.value("cities").toInt(), 4);
        QCOMPARE(report.value("countries").toInt(), 1);
        QCOMPARE(report.value("skipped").toArray().first().toObject().value("name").toString(),
                 QStringLiteral("core.scs"));
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

    void noGameGivesNothing()
    {
        TGameCatalogueRequest request;
        request.InstallFolder = FDir.filePath(QStringLiteral("nowhere"));
        TGameCatalogueReport report;
        QVERIFY(!LoadGameCatalogue(request, report).has_value());
    }
};

QTEST_GUILESS_MAIN(TestGameCatalogue)
#include "test_gamecatalogue.moc"
