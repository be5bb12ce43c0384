// Finding the installed game, its version, and the mods a profile has switched on, on folders the
// tests lay out like a Steam library, a mod folder and the Workshop.
#include "archives/gamefilesource.h"
#include "savegame/gameinstall.h"
#include "savegame/gamemods.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <map>

using namespace kvn;

namespace {

void WriteFile(const QString &Path, const QByteArray &Bytes = "x")
{
    QDir().mkpath(QFileInfo(Path).path());
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Bytes);
}

// A mod package held in memory: path -> bytes; folders are implied by the paths.
class TMemoryPackage : public archives::IGameFileSource {
public:
    std::map<std::string, std::string> Files;

    std::string Describe() const override { return "memory"; }
    bool HasFile(std::string_view Path) const override { return Files.count(std::string(Path)) > 0; }
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override
    {
        const auto it = Files.find(std::string(Path));
        if (it == Files.end()) {
            Error = "missing";
            return false;
        }
        Bytes.assign(it->second.begin(), it->second.end());
        return true;
    }
    bool ListFolder(std::string_view Path, std::vector<archives::TFolderEntry> &Entries) const override
    {
        Entries.clear();
        const std::string prefix = Path.empty() ? std::string() : std::string(Path) + "/";
        for (const auto &[path, bytes] : Files) {
            if (path.compare(0, prefix.size(), prefix) != 0)
                continue;
            const std::string rest = path.substr(prefix.size());
            const auto slash = rest.find('/');
            archives::TFolderEntry entry{rest.substr(0, slash), slash != std::string::npos};
            bool seen = false;
            for (const auto &e : Entries)
                seen = seen || e.Name == entry.Name;
            if (!seen)
                Entries.push_back(entry);
        }
        return true;
    }
};

} // namespace

class TestGameInstall : public QObject {
    Q_OBJECT

private slots:
    void installIsFoundInTheFirstPlaceThatHasIt()
    {
        QTemporaryDir dir;
        const QString own = dir.filePath("my game");
        const QString libraryA = dir.filePath("libA"), libraryB = dir.filePath("libB");
        const QString gameB = libraryB + "/steamapps/common/Euro Truck Simulator 2/";
        WriteFile(gameB + "def.scs");
        WriteFile(gameB + "base.scs");
        WriteFile(gameB + "locale.scs");
        WriteFile(gameB + "dlc_north.scs");
        WriteFile(gameB + "dlc_east.scs");
        WriteFile(gameB + "readme.txt");

        const QStringList candidates = GameInstallCandidates(own, {libraryA, libraryB + "/", libraryA});
        QCOMPARE(candidates.size(), 3); // the player's folder, then each library once
        QCOMPARE(candidates.first(), own + "/");
        QCOMPARE(FindGameInstall(candidates), gameB);
        QCOMPARE(FindGameInstall(GameInstallCandidates({}, {libraryA})), QString());

        // The player's own folder wins once it holds the game.
        WriteFile(own + "/def.scs");
        QCOMPARE(FindGameInstall(GameInstallCandidates(own, {libraryB})), own + "/");

        QCOMPARE(DefinitionArchives(gameB), QStringList({gameB + "base.scs", gameB + "def.scs", gameB + "locale.scs",
                                                         gameB + "dlc_east.scs", gameB + "dlc_north.scs"}));
        QCOMPARE(InstalledDlcs(gameB), QStringList({"dlc_east", "dlc_north"}));
    }

    void gameVersion_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("version");
        QTest::newRow("game's file") << QByteArray("SiiNunit\n{\nfs_pack_set : .version {\n application: eut2\n "
                                                   "version: \"1.58.1.5\"  # build\n}\n}\n")
                                     << "eut2"
                                     << "1.58.1.5";
        QTest::newRow("brace on its own line, CR LF")
            << QByteArray("SiiNunit\r\n{\r\nfs_pack_set : .v\r\n{\r\nversion: \"1.49.2.3s\"\r\n}\r\n}\r\n") << ""
            << "1.49.2.3s";
        QTest::newRow("other unit") << QByteArray("SiiNunit\n{\nmod_package : .p {\n version: \"2\"\n}\n}\n") << ""
                                    << "";
        QTest::newRow("not SII") << QByteArray("\x00\xff garbage: {{{", 16) << ""
                                 << "";
    }
    void gameVersion()
    {
        QFETCH(QByteArray, text);
        const TGameVersion v = ParseGameVersion(text);
        QTEST(v.Application, "application");
        QTEST(v.Version, "version");
    }

    void versionPatterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("matches");
        QTest::newRow("minor wildcard") << "1.58.*"
                                        << "1.58.1.5" << true;
        QTest::newRow("other minor") << "1.58.*"
                                     << "1.57.0.2" << false;
        QTest::newRow("prefix wildcard") << "1.5*"
                                         << "1.58.1.5" << true;
        QTest::newRow("prefix wildcard, 1.6") << "1.5*"
                                              << "1.60.0.1" << false;
        QTest::newRow("bare minor") << "1.58"
                                    << "1.58.1.5" << true;
        QTest::newRow("bare minor is no prefix of 1.580") << "1.58"
                                                          << "1.580.1" << false;
        QTest::newRow("inner wildcard") << "1.*.1.5"
                                        << "1.58.1.5" << true;
        QTest::newRow("inner wildcard, other end") << "1.*.1.5"
                                                   << "1.58.1.6" << false;
        QTest::newRow("empty") << ""
                               << "1.58.1.5" << false;
        QTest::newRow("unknown game version") << "1.58.*"
                                              << "" << false;
    }
    void versionPatterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, version);
        QTEST(VersionMatches(pattern, version), "matches");
    }

    void activeModsInProfileOrder()
    {
        const QStringList profile{"user_profile : _nameless.1 {",
                                  " active_mods: 3",
                                  " active_mods[0]: \"mod_workshop_package.00000000C5D284B9|Real Traffic\"",
                                  " active_mods[1]: \"promods-map-v260|ProMods\"",
                                  " active_mods[2]: \"\"",
                                  " customization: 0",
                                  "}"};
        const std::vector<TActiveMod> mods = ParseActiveMods(profile);
        QCOMPARE(mods.size(), size_t(2));
        QCOMPARE(mods[0].Package, QString("mod_workshop_package.00000000C5D284B9"));
        QCOMPARE(mods[0].DisplayName, QString("Real Traffic"));
        QCOMPARE(mods[1].Package, QString("promods-map-v260"));
        QCOMPARE(WorkshopItemId(mods[0].Package), QString("3318908089"));
        QCOMPARE(WorkshopItemId(mods[1].Package), QString());
        QCOMPARE(WorkshopItemId("mod_workshop_package.nothex"), QString());
        QCOMPARE(WorkshopItemId("mod_workshop_package.1234567890ABCDEF0"), QString()); // beyond 64 bits
    }

    void modPackagesAreFoundWhereTheGameLooks()
    {
        QTemporaryDir dir;
        const QString modFolder = dir.filePath("Euro Truck Simulator 2/mod/");
        WriteFile(modFolder + "promods-map-v260.scs");
        WriteFile(modFolder + "folder-mod/manifest.sii");
        const QString library = dir.filePath("lib/");
        const QString item = library + "steamapps/workshop/content/227300/3318908089/";
        WriteFile(item + "universal.scs");

        QCOMPARE(FindModPackage({"promods-map-v260", ""}, {modFolder}, {library}), modFolder + "promods-map-v260.scs");
        QCOMPARE(FindModPackage({"folder-mod", ""}, {modFolder}, {library}), modFolder + "folder-mod/");
        QCOMPARE(FindModPackage({"mod_workshop_package.00000000C5D284B9", ""}, {modFolder}, {library}), item);
        QCOMPARE(FindModPackage({"gone", ""}, {modFolder}, {library}), QString());
        QCOMPARE(FindModPackage({"../mod/promods-map-v260", ""}, {modFolder}, {library}), QString());
    }

    void workshopVersionSlotForThisGame()
    {
        QTemporaryDir dir;
        const QString item = dir.filePath("3318908089/");
        WriteFile(item + "old.scs");
        WriteFile(item + "new.scs");
        WriteFile(item + "fallback.scs");
        QCOMPARE(ChooseWorkshopVersion(item, "1.58.1.5"), item); // no versions.sii: the item itself
        WriteFile(item + "versions.sii", "SiiNunit\n{\n"
                                         "package_version_info : .old {\n package_name: \"old\"\n"
                                         " compatible_versions[]: \"1.49.*\"\n}\n"
                                         "package_version_info : .any {\n package_name: \"fallback\"\n}\n"
                                         "package_version_info : .new {\n package_name: \"new\"\n"
                                         " compatible_versions[]: \"1.57.*\"\n compatible_versions[]: \"1.58.*\"\n}\n"
                                         "}\n");
        QCOMPARE(ChooseWorkshopVersion(item, "1.58.1.5"), item + "new.scs");
        QCOMPARE(ChooseWorkshopVersion(item, "1.49.3.1"), item + "old.scs");
        QCOMPARE(ChooseWorkshopVersion(item, "1.60.0.1"), item + "fallback.scs");

        WriteFile(item + "versions.sii", "SiiNunit\n{\npackage_version_info : .old {\n package_name: \"gone\"\n"
                                         " compatible_versions[]: \"1.49.*\"\n}\n}\n");
        QString reason;
        TModRefusal refusal;
        QCOMPARE(ChooseWorkshopVersion(item, "1.58.1.5", &reason, &refusal), QString());
        QVERIFY(reason.contains("1.58.1.5"));
        QCOMPARE(refusal.Kind, TModRefusal::TKind::OtherGameVersion);
        QCOMPARE(refusal.Detail, QString("1.49.*"));
        QCOMPARE(ChooseWorkshopVersion(item, "1.49.0.1", &reason, &refusal), QString());
        QVERIFY(reason.contains("gone"));
        QCOMPARE(refusal.Kind, TModRefusal::TKind::VersionPackageMissing);
        QCOMPARE(refusal.Detail, QString("gone"));
    }

    void modPartsTheGameMounts()
    {
        TMemoryPackage plain;
        plain.Files["def/cargo.mymod.sii"] = "SiiNunit { }";
        QCOMPARE(ModMountFolders(plain, "1.58.1.5", {}), QStringList({""}));

        TMemoryPackage split;
        split.Files["manifest.sii"] = "SiiNunit\n{\nmod_package : .p {\n compatible_versions[]: \"1.58.*\"\n}\n}\n";
        split.Files["base/def/city.mymod.sii"] = "";
        split.Files["dlc_north/def/city.mymod_north.sii"] = "";
        split.Files["dlc_iberia/def/city.mymod_iberia.sii"] = "";
        QCOMPARE(ModMountFolders(split, "1.58.1.5", {"dlc_north", "dlc_east"}), QStringList({"base/", "dlc_north/"}));

        QString reason;
        TModRefusal refusal;
        QCOMPARE(ModMountFolders(split, "1.57.0.2", {"dlc_north"}, &reason, &refusal), QStringList());
        QVERIFY2(reason.contains("1.58.*") && reason.contains("1.57.0.2"), qPrintable(reason));
        QCOMPARE(refusal.Kind, TModRefusal::TKind::OtherGameVersion);
        QCOMPARE(refusal.Detail, QString("1.58.*"));
    }
};

QTEST_GUILESS_MAIN(TestGameInstall)
#include "test_gameinstall.moc"
