#include "archives/smallgame.h"
#include "catalogue/estimatedoffers.h"
#include "savegen.h"

#include "catalogue/catalogue.h"
#include "savegame/backup.h"
#include "savegame/companies.h"
#include "savegame/profilesession.h"
#include "savegame/savegamecargos.h"
#include "savegame/siidecryption.h"
#include "savegame/unknowndistances.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

using namespace kvn;

namespace {

const QString kRealSave = QStringLiteral(KVN_SHARED_DIR "/realsaves/recent-text-save/game.sii");

void WriteFile(const QString &Path, const QByteArray &Bytes)
{
    QDir().mkpath(QFileInfo(Path).path());
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Bytes);
}

TGameSaveLines SaveOf(const QStringList &Lines)
{
    TGameSaveLines save;
    save.SetLines(Lines);
    return save;
}

// The reading the game's own layout allows: a cargo line right after a line with "ferry", then
// truck, variant and definition on the next three lines.
QSet<QString> PairsByPosition(const QStringList &Lines, const TCatalogue &Cat)
{
    QSet<QString> pairs;
    for (int i = 1; i + 3 < Lines.size(); ++i) {
        if (!TrimmedStartsWith(Lines[i], u"cargo: cargo") || !Lines[i - 1].contains("ferry"))
            continue;
        const QString cargo = Lines[i].split('.').value(1).trimmed();
        const QString def = SiiLineValue(Lines[i + 3]);
        if (CargoExists(Cat.CargoInfoList, cargo) && FindTrailerDefinition(Cat.TrailerDefinitionDataList, def))
            pairs.insert(cargo + "|" + def);
    }
    return pairs;
}

QSet<QString> PairsOfCatalogue(const TCatalogue &Cat)
{
    QSet<QString> pairs;
    for (const auto &cargo : Cat.CargoInfoList)
        for (const auto &item : cargo->TrailerDefinitionList())
            pairs.insert(cargo->CargoName() + "|" + item->TrailerDefinitionData->TrailerDefinition());
    return pairs;
}

QByteArray FileBytes(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every file below Folder with its bytes, by path.
QHash<QString, QByteArray> FilesBelow(const QString &Folder)
{
    QHash<QString, QByteArray> files;
    QDirIterator it(Folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, FileBytes(path));
    }
    return files;
}

struct Recorder : ICargoListSink, ICountryListSink {
    int Cargos = 0;
    QStringList Countries;
    void ClearCargoList() override { Cargos = 0; }
    void AppendCargo(const PCargoInfo &) override { ++Cargos; }
    void ClearCountryLists() override { Countries.clear(); }
    void FillCountryLists(const QStringList &Entries) override { Countries = Entries; }
};

} // namespace

class TestProfileLoad : public QObject {
    Q_OBJECT
    TCatalogue FCatalogue;

private slots:
    void initTestCase()
    {
        FCatalogue.LoadTrailersAndCargos();
        FCatalogue.Distances.ReloadDistances();
        QVERIFY(!FCatalogue.CargoInfoList.empty());
    }

    void gameTimeAndCity_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("time");
        QTest::addColumn<QString>("city");
        QTest::newRow("bare") << QStringList{" game_time: 608", " game_time_secs: &4", " last_visited_city: berlin"}
                              << 608 << "berlin";
        QTest::newRow("quoted city") << QStringList{" last_visited_city: \"praha\"", "game_time: 7"} << 7 << "praha";
        QTest::newRow("not a number") << QStringList{" game_time: &40d2"} << 600 << "";
        QTest::newRow("missing") << QStringList{"SiiNunit"} << 0 << "";
    }
    void gameTimeAndCity()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, time);
        QFETCH(QString, city);
        const TGameTimeAndCity found = ReadGameTimeAndLastCity(lines);
        QCOMPARE(found.GameTime, time);
        QCOMPARE(found.LastVisitedCity, city);
    }

    void companies()
    {
        TCompanyList list;
        LoadCompaniesFromGameFile(
            SaveOf({" companies: 3", " companies[0]: company.volatile.a.x", " companies[1]: company.volatile.a.y",
                    " companies[2]: company.volatile.b.x"}),
            list);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.At(0)->CityList(), (QStringList{"x", "y"}));
        QCOMPARE(list.At(1)->CompanyName(), QString("b"));
        QCOMPARE(list.BranchCount(), 3);
        // An item of five fields stops every later item.
        LoadCompaniesFromGameFile(
            SaveOf({" companies: 3", " companies[0]: company.volatile.a.x", " companies[1]: company.volatile.a.y.z",
                    " companies[2]: company.volatile.b.x"}),
            list);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.BranchCount(), 1);
        LoadCompaniesFromGameFile(SaveOf({" companies: x", " companies[0]: company.volatile.a.x"}), list);
        QCOMPARE(list.Count(), 0);
    }

    void minimumUnits()
    {
        QCOMPARE(MinimumUnits(100, 20), 99);
        QCOMPARE(MinimumUnits(10, 50), 10); // ten units are half a tonne: no count of one tonne
        QCOMPARE(MinimumUnits(40, 50), 39);
        QCOMPARE(MinimumUnits(3, 5000), 3); // one unit is already five tonnes
        QCOMPARE(MinimumUnits(2000000000, 0.0001), 19999999);
        for (int units : {1, 7, 50, 333})
            for (double w : {0.5, 13.0, 20.0, 333.3, 999.0, 1000.0, 1500.0}) {
                int expected = 0;
                for (int n = units; n >= 0; --n)
                    if (std::floor(n * w / 1000) == 1) {
                        expected = n;
                        break;
                    }
                QCOMPARE(MinimumUnits(units, w), expected <= 0 ? units : expected);
            }
    }

    // Older saves order the offer's attributes differently; they are read by name inside the unit.
    void cargoOffersInAnotherOrder()
    {
        TCatalogue catalogue;
        LoadTrailerDefinitionsFromLines({"trailer_def.t.box;35000;5600;13.7;3;50"},
                                        catalogue.TrailerDefinitionDataList);
        LoadCargosFromLines({"cargo.acid;0.6;0;8;0;0.5;20;0.33;0;-1", "cargo.beams;0.6;0;8;0;0.5;20;0.33;1;-1"},
                            catalogue.CargoInfoList);
        const TGameSaveLines save = SaveOf({"job_offer_data : o1 {",
                                            " cargo: cargo.acid",
                                            " trailer_definition: trailer_def.t.box",
                                            " company_truck: truck_a",
                                            " trailer_variant: variant_a",
                                            " ferry_price: 0",
                                            "}",
                                            "",
                                            "job_offer_data : o2 {",
                                            " ferry_price: 0",
                                            " cargo: cargo.beams",
                                            " company_truck: truck_b",
                                            " trailer_variant: variant_b",
                                            " trailer_definition: trailer_def.t.box",
                                            "}",
                                            "",
                                            "job_offer_data : o3 {",
                                            " cargo: null",
                                            "}",
                                            "player_job : p {",
                                            " ferry_time: 0",
                                            " cargo: cargo.acid",
                                            " x: 1",
                                            " y: 2",
                                            " z: 3",
                                            "}"});
        LoadCargosFromGameFileToClasses(save, catalogue.CargoInfoList, catalogue.TrailerDefinitionDataList, nullptr);
        const PCargoInfo acid = FindCargo(catalogue.CargoInfoList, "acid");
        QCOMPARE(acid->TrailerDefinitionList().size(), size_t(1));
        const TTrailerDefinitionItem &item = *acid->TrailerDefinitionList().front();
        QCOMPARE(item.Truck, QString("truck_a"));
        QCOMPARE(item.TrailerVariant, QString("variant_a"));
        // 20 kg a unit of 0.5 m3 in 50 m3: 100 units, 2 t, and 99 units are the largest count of 1 t.
        QCOMPARE(item.CargoUnitCountMax, 100);
        QCOMPARE(item.CargoUnitCountMin, 99);
        QCOMPARE(item.CargoWeightApproxInKG, 2000);
        QCOMPARE(acid->CargoWeightMinUnitCountWeightInT(), 1);
        QCOMPARE(acid->CargoWeightMaxUnitCountWeightInT(), 2);
        // A heavy cargo with the same data offers all its units at least.
        const PCargoInfo beams = FindCargo(catalogue.CargoInfoList, "beams");
        QCOMPARE(beams->TrailerDefinitionList().front()->CargoUnitCountMin, 100);
        QCOMPARE(beams->CargoWeightMinUnitCountWeightInT(), 2);
        QCOMPARE(CompatibleCargoCount(catalogue.CargoInfoList), 2);
    }

    void realSaveProfileLoad()
    {
        if (!QFile::exists(kRealSave))
            QSKIP("real save not available");
        TGameSaveLines save;
        QVERIFY(save.LoadFromFile(kRealSave).ok());
        const TGameTimeAndCity time = ReadGameTimeAndLastCity(save.Lines());
        QCOMPARE(time.GameTime, 608);
        QCOMPARE(time.LastVisitedCity, QString("berlin"));

        TCompanyList companies;
        LoadCompaniesFromGameFile(save, companies);
        QCOMPARE(companies.Count(), 64);
        QCOMPARE(companies.BranchCount(), 410);

        Recorder sink;
        LoadCargosFromGameFileToClasses(save, FCatalogue.CargoInfoList, FCatalogue.TrailerDefinitionDataList, &sink);
        const QSet<QString> pairs = PairsOfCatalogue(FCatalogue);
        QVERIFY(!pairs.isEmpty());
        // Reading by attribute name gives what the game's fixed layout gives.
        QCOMPARE(pairs, PairsByPosition(save.Lines(), FCatalogue));
        QCOMPARE(sink.Cargos, int(FCatalogue.CargoInfoList.size()));
        QVERIFY(std::is_sorted(FCatalogue.CargoInfoList.begin(), FCatalogue.CargoInfoList.end(),
                               [](const auto &a, const auto &b) { return a->CargoName() < b->CargoName(); }));
        QCOMPARE(CompatibleCargoCount(FCatalogue.CargoInfoList), int(QSet<QString>([&] {
                                                                         QSet<QString> c;
                                                                         for (const QString &p : pairs)
                                                                             c.insert(p.section('|', 0, 0));
                                                                         return c;
                                                                     }())
                                                                         .size()));
    }

    void realSaveLearner_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::newRow("compiled table") << false;
        QTest::newRow("empty table") << true;
    }
    void realSaveLearner()
    {
        QFETCH(bool, empty);
        if (!QFile::exists(kRealSave))
            QSKIP("real save not available");
        TGameSaveLines save;
        QVERIFY(save.LoadFromFile(kRealSave).ok());
        const auto table = empty ? TDistanceTable::Build({}, {}) : FCatalogue.Distances.Snapshot();
        const std::vector<TLearnedDistance> indexed = CollectUnknownDistances(save, *table);
        const std::vector<TLearnedDistance> scanned = CollectUnknownDistancesByScan(save.Lines(), *table);
        QCOMPARE(indexed.size(), scanned.size());
        QSet<QString> pairs;
        for (size_t i = 0; i < indexed.size(); ++i) {
            QCOMPARE(indexed[i].Departure, scanned[i].Departure);
            QCOMPARE(indexed[i].Target, scanned[i].Target);
            QCOMPARE(indexed[i].KM, scanned[i].KM);
            QCOMPARE(indexed[i].FerryTime, scanned[i].FerryTime);
            const TLearnedDistance &d = indexed[i];
            QVERIFY(!table->DistanceExists(d.Departure, d.Target));
            QVERIFY(!table->DistanceExists(d.Target, d.Departure));
            QVERIFY(d.KM >= 1 && d.KM != kUnknownDistanceKm);
            pairs.insert(std::min(d.Departure, d.Target) + "," + std::max(d.Departure, d.Target));
        }
        // 1,416 offers, of which the 1,323 with a target and a distance name 514 pairs of cities,
        // each collected once when the table knows nothing; the compiled table already has every
        // pair of this save with the shortest distance the save offers.
        QCOMPARE(pairs.size(), qsizetype(indexed.size()));
        if (empty)
            QCOMPARE(int(indexed.size()), 514);
        else
            QCOMPARE(int(indexed.size()), 0);
        qInfo("collected %d offers, %d distinct pairs", int(indexed.size()), int(pairs.size()));
    }

    void learnerEdgeCases()
    {
        const auto table = TDistanceTable::Build({"known,x,100,0"}, {});
        const QStringList lines{"company : company.volatile.c.x {",
                                " job_offer: 3",
                                " job_offer[0]: o0",
                                " job_offer[1]: o1",
                                "}",
                                "",
                                "job_offer_data : o0 {",
                                " target: \"\"",
                                " shortest_distance_km: 50",
                                " ferry_time: 0",
                                "}",
                                "",
                                "job_offer_data : o1 {",
                                " target: \"d.y\"",
                                " shortest_distance_km: 70",
                                " ferry_time: 30",
                                "}",
                                "",
                                "company : company.volatile.c.known {",
                                " job_offer: 3",
                                " job_offer[0]: p0",
                                " job_offer[1]: p1",
                                " job_offer[2]: p2",
                                "}",
                                "",
                                "job_offer_data : p0 {",
                                " target: \"d.x\"",
                                " shortest_distance_km: 100",
                                " ferry_time: 0",
                                "}",
                                "job_offer_data : p1 {",
                                " target: \"d.z\"",
                                " shortest_distance_km: 1234",
                                "}",
                                "job_offer_data : p2 {",
                                " target: \"d.w\"",
                                " shortest_distance_km: 0",
                                "}"};
        const TGameSaveLines save = SaveOf(lines);
        const std::vector<TLearnedDistance> found = CollectUnknownDistances(save, *table);
        // o0 has no target (the walk looks on and finds none), o1 is collected; p0 confirms the
        // compiled pair in reverse, p1 is the unknown marker, p2 has no distance.
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found[0].Departure, QString("x"));
        QCOMPARE(found[0].Target, QString("y"));
        QCOMPARE(found[0].KM, 70);
        QCOMPARE(found[0].FerryTime, 30);
        QCOMPARE(CollectUnknownDistancesByScan(lines, *table).size(), size_t(1));
        std::atomic<bool> stop{true};
        QVERIFY(CollectUnknownDistances(save, *table, &stop).empty());
    }

    // The player's save wins over a stale compiled pair (with the shortest distance it offers),
    // learnt pairs stay, and offers this program wrote with an estimate are never learnt.
    void learnerReplacesStaleCompiledPairsAndSkipsEstimates()
    {
        const auto table = TDistanceTable::Build(
            {"goteborg,jonkoping,92,0", "jonkoping,goteborg,92,0", "berlin,hamburg,289,0", "x,y,1234,0"},
            {"a,b,50,0", "b,a,50,0"});
        struct Offer {
            QString id, target;
            int km;
        };
        QStringList lines;
        auto company = [&](const QString &City, const std::vector<Offer> &Offers) {
            lines << "company : company.volatile.c." + City + " {"
                  << " job_offer: " + QString::number(Offers.size());
            for (size_t k = 0; k < Offers.size(); ++k)
                lines << QString(" job_offer[%1]: %2").arg(k).arg(Offers[k].id);
            lines << "}";
            for (const Offer &o : Offers)
                lines << "job_offer_data : " + o.id + " {"
                      << " target: \"d." + o.target + "\""
                      << " shortest_distance_km: " + QString::number(o.km) << " ferry_time: 0"
                      << "}";
        };
        company("goteborg", {{"q0", "jonkoping", 194}, {"q1", "jonkoping", 193}});
        company("jonkoping", {{"q2", "goteborg", 196}});
        company("berlin", {{"r0", "hamburg", 300}, {"r1", "hamburg", 289}});
        company("a", {{"s0", "b", 70}});
        company("kiel", {{"t0", "lubeck", 61}, {"t1", "rostock", 150}, {"t2", "lubeck", 66}});
        company("x", {{"u0", "y", 40}});
        const QSet<QString> written{TEstimatedOffers::Key(u"t0", u"kiel", u"lubeck", 61),
                                    TEstimatedOffers::Key(u"t2", u"kiel", u"lubeck", 65)}; // t2 changed since
        const TGameSaveLines save = SaveOf(lines);
        const std::vector<TLearnedDistance> found = CollectUnknownDistances(save, *table, nullptr, written);
        QStringList got;
        for (const TLearnedDistance &d : found)
            got << QString("%1-%2:%3").arg(d.Departure, d.Target).arg(d.KM);
        QCOMPARE(got, QStringList({"goteborg-jonkoping:193", "kiel-rostock:150", "kiel-lubeck:66", "x-y:40"}));
        QCOMPARE(CollectUnknownDistancesByScan(lines, *table, nullptr, written).size(), found.size());
    }

    void loadsGeneratedProfilesWithoutCarryOver()
    {
        QTemporaryDir dir;
        const savegen::Catalogue cat = savegen::Catalogue::FromResources();
        savegen::Options opt;
        opt.Lines = 3000;
        opt.Profiles = 2;
        QVERIFY(savegen::WriteGameFolder(cat, opt, dir.path()));

        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        catalogue.Distances.SetUserFolder(dir.path());
        catalogue.Distances.ReloadDistances();
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        QCOMPARE(session.ProfileList().Count(), 2);
        Recorder sink;
        TProfileLoadContext context{catalogue, decrypter, &sink, &sink, false};

        QCOMPARE(session.LoadProfile(0, context).Status, TProfileLoadStatus::NoProfileSelected);
        QCOMPARE(session.LoadProfile(3, context).Status, TProfileLoadStatus::NoProfileSelected);

        QSet<QString> pairsPerProfile[2];
        QStringList companiesPerProfile[2];
        for (int p : {1, 0}) {
            const TProfileLoadResult result = session.LoadProfile(p + 1, context);
            QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
            QVERIFY(session.IsProfileLoaded());
            QCOMPARE(session.CurrentProfileComboIndex(), p + 1);
            QCOMPARE(result.StatusText,
                     "Profile \"" + session.CurrentProfile()->ProfileName() + "\" loaded successfully");
            pairsPerProfile[p] = PairsOfCatalogue(catalogue);
            QCOMPARE(pairsPerProfile[p], PairsByPosition(session.SaveLines().Lines(), catalogue));
            for (int i = 0; i < session.CompanyList().Count(); ++i)
                companiesPerProfile[p] << session.CompanyList().At(i)->CompanyName();
            QVERIFY(!sink.Countries.isEmpty());
            QVERIFY(session.GameTime() >= 600);
            QVERIFY(!session.LastVisitedCity().isEmpty());
            QVERIFY(!session.QuickSaveChanged());
        }
        // The second load (profile 0) holds only its own companies and pairs.
        TGameSaveLines first;
        QVERIFY(first.LoadFromFile(session.CurrentProfile()->GameFilePath()).ok());
        TCompanyList own;
        LoadCompaniesFromGameFile(first, own);
        QCOMPARE(session.CompanyList().Count(), own.Count());
        QVERIFY(pairsPerProfile[0] != pairsPerProfile[1]);

        // The save watch notices a newer quick-save.
        const QString game = session.CurrentProfile()->GameFilePath();
        QFile touch(game);
        QVERIFY(touch.open(QIODevice::ReadWrite));
        QVERIFY(touch.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        touch.close();
        QVERIFY(session.QuickSaveChanged());
        session.RecordQuickSaveTime();
        QVERIFY(!session.QuickSaveChanged());
        QCOMPARE(session.ProfileFolderToOpen(), session.CurrentProfile()->ProfilePath());
    }

    // A profile whose mods add a cargo gets lists read with them, the next profile without mods the
    // game's own again; without a game read in the context the lists stay as they are.
    void profileModsAreReadAtLoad()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 3000;
        opt.Profiles = 2;
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path() + "/docs"));
        const QString game = dir.path() + "/game";
        QVERIFY(archives::testing::WriteSmallGame(game, "1.58.1.5"));
        archives::testing::TTestArchive mod;
        mod.Files = {{"def/cargo.mymod.sii",
                      "SiiNunit\n{\ncargo_data: cargo.steel\n{\n\tmass: 500\n\tvolume: 1\n}\n}\n", false}};
        QVERIFY(QDir().mkpath(dir.path() + "/docs/mod"));
        QVERIFY(archives::testing::WriteFileBytes((dir.path() + "/docs/mod/mymod.scs").toStdString(),
                                                  archives::testing::WriteZip(mod)));

        TProgramCatalogueRequest request;
        request.PlayerGameFolder = game;
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QVERIFY(catalogue.Source.FromGame());
        catalogue.Distances.SetUserFolder(dir.path());
        catalogue.Distances.ReloadDistances();

        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/docs/"});
        QCOMPARE(session.ProfileList().Count(), 2);
        // The first profile has the mod switched on, found in "<documents>/mod" beside its profiles.
        WriteFile(
            session.ProfileList().At(0)->ProfilePath() + "/profile.sii",
            "SiiNunit\n{\nuser_profile : _nameless.1 {\n active_mods: 1\n active_mods[0]: \"mymod|My mod\"\n}\n}\n");
        Recorder sink;
        TProfileLoadContext context{catalogue, decrypter, &sink, &sink, false};
        context.GameRead = &request;

        TProfileLoadResult result = session.LoadProfile(1, context);
        QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
        QVERIFY(result.Mods.Replaced);
        QCOMPARE(catalogue.Source.ActiveMods, QStringList{QStringLiteral("mymod")});
        QVERIFY(CargoExists(catalogue.CargoInfoList, QStringLiteral("steel")));

        result = session.LoadProfile(2, context);
        QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
        QVERIFY(result.Mods.Replaced);
        QVERIFY(catalogue.Source.ActiveMods.isEmpty());
        QVERIFY(!CargoExists(catalogue.CargoInfoList, QStringLiteral("steel")));

        context.GameRead = nullptr;
        result = session.LoadProfile(1, context);
        QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
        QVERIFY(!result.Mods.Replaced);
        QVERIFY(!CargoExists(catalogue.CargoInfoList, QStringLiteral("steel")));
    }

    // With a city list of its own (the game's), the catalogue decides which country a city is in.
    void countriesFollowTheCatalogueCityList()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 3000;
        opt.Profiles = 1;
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path()));
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        for (const QString &line : CatalogueLines(QStringLiteral("Countries"), true))
            if (!line.isEmpty())
                catalogue.CityLines << line.section(u';', 0, 0) + QStringLiteral(";Testland");
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        Recorder sink;
        TProfileLoadContext context{catalogue, decrypter, &sink, &sink, false};
        const TProfileLoadResult result = session.LoadProfile(1, context);
        QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
        QCOMPARE(sink.Countries, QStringList({kAllCountriesEntry, QStringLiteral("Testland")}));
        QVERIFY(catalogue.Countries.CityCount() > 10);
    }

    // After a load the learner runs on its own copy, writes the user file once and the profile's
    // marks are applied again to the table it swapped in.
    void sessionLearnerHandsOverAndMarksAgain()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 4000;
        opt.Profiles = 1;
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path()));
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        catalogue.Distances.SetUserFolder(dir.path());
        catalogue.Distances.ReloadDistances();
        const auto before = catalogue.Distances.Snapshot();
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        int learned = 0;
        session.OnDistancesLearned = [&learned] { ++learned; };
        // The window hears how the run ended from the session, once per run that was not stopped.
        std::vector<TLearnerOutcome> outcomes;
        session.OnLearnerFinished = [&outcomes](const TLearnerOutcome &Outcome) { outcomes.push_back(Outcome); };
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, true};
        QVERIFY(session.LoadProfile(1, context).Loaded());
        QVERIFY(session.UnknownDistancesThread());
        QVERIFY(session.UnknownDistancesThread()->wait(30000));
        QTRY_COMPARE(learned, 1);
        QTRY_COMPARE(outcomes.size(), std::size_t(1));
        QVERIFY(outcomes[0].Saved.Ok);
        QVERIFY(outcomes[0].Learning.PairsAdded > 0);
        QVERIFY(QFile::exists(catalogue.Distances.UserFilePath()));
        const auto after = catalogue.Distances.Snapshot();
        QVERIFY(after != before);
        QVERIFY(after->Entries().size() > before->Entries().size());
        int marked = 0;
        for (const TDistanceData &e : after->Entries()) {
            const bool outside = !catalogue.Countries.CityInSetIgnoringCase(e.Departure()) ||
                                 !catalogue.Countries.CityInSetIgnoringCase(e.Destination());
            QCOMPARE(e.ItemDeactivatedForProfile(), outside);
            marked += outside ? 1 : 0;
        }
        QVERIFY(marked > 0);
        // A second load stops the finished learner and starts a new one, which finds nothing new.
        QVERIFY(session.LoadProfile(1, context).Loaded());
        session.StopUnknownDistancesThread();
        QVERIFY(!session.UnknownDistancesThread());
    }

    // Listing reads encrypted files through copies; only the load converts the quick-save, and it
    // keeps the bytes the game wrote first, as a backup that restores byte for byte.
    void loadKeepsTheOriginalForm_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("word");
        QTest::newRow("encrypted") << int(savegen::SaveForm::Encrypted) << "encrypted";
        QTest::newRow("binary") << int(savegen::SaveForm::Binary) << "binary";
    }
    void loadKeepsTheOriginalForm()
    {
        QFETCH(int, form);
        QFETCH(QString, word);
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 3000;
        opt.Profiles = 1;
        opt.Forms = {savegen::SaveForm(form)};
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path()));
        const QHash<QString, QByteArray> before = FilesBelow(dir.path());

        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        QCOMPARE(session.ProfileList().Count(), 1);
        QCOMPARE(session.ProfileList().At(0)->ProfileName(), QString("Kestrel Driver"));
        QCOMPARE(FilesBelow(dir.path()), before);

        const TProfileInfo &profile = *session.ProfileList().At(0);
        const QString game = profile.GameFilePath();
        const QByteArray original = before.value(game);
        QVERIFY(!original.startsWith("SiiNunit"));
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        TProfileLoadResult result = session.LoadProfile(1, context);
        QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
        QVERIFY(FileBytes(game).startsWith("SiiNunit"));
        QCOMPARE(FileBytes(profile.ProfilePath() + "profile.sii"), before.value(profile.ProfilePath() + "profile.sii"));
        const QStringList backups = ListBackups(profile);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(backups[0].endsWith(" original " + word + ".bak"), qPrintable(backups[0]));
        QCOMPARE(result.OriginalBackup, BackupFolder(profile) + backups[0]);
        QVERIFY(FileBytes(result.OriginalBackup) == original);

        // Plain text now: a second load has nothing to keep.
        result = session.LoadProfile(1, context);
        QVERIFY(result.Loaded());
        QVERIFY(result.OriginalBackup.isEmpty());
        QCOMPARE(ListBackups(profile).size(), 1);

        // Restored, game.sii is the game's own file again, byte for byte, and loads as before.
        QCOMPARE(RestoreBackup(profile, backups[0], [](const QString &) { return true; }).Outcome,
                 TBackupOutcome::Done);
        QVERIFY(FileBytes(game) == original);
        QVERIFY(session.LoadProfile(1, context).Loaded());
        QCOMPARE(ListBackups(profile).size(), 1);
    }

    // Without a backup of the game's bytes the save is not converted and the profile not loaded.
    void originalThatCannotBeKeptIsNotConverted()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 1000;
        opt.Profiles = 1;
        opt.Forms = {savegen::SaveForm::Encrypted};
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path()));
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        const TProfileInfo &profile = *session.ProfileList().At(0);
        const QByteArray original = FileBytes(profile.GameFilePath());
        // A file where the backup folder should be.
        WriteFile(profile.QuickSavePath() + "~Kestrovan Backups", "in the way");

        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        const TProfileLoadResult result = session.LoadProfile(1, context);
        QCOMPARE(result.Status, TProfileLoadStatus::OriginalNotKept);
        QVERIFY(!result.Error.isEmpty());
        QVERIFY2(result.StatusText.startsWith("No profile loaded. The quick save of the profile \"Kestrel Driver\" was "
                                              "left as the game wrote it"),
                 qPrintable(result.StatusText));
        QVERIFY(!session.IsProfileLoaded());
        QVERIFY(FileBytes(profile.GameFilePath()) == original);
    }

    // Job offers without trailer definitions (saves from before the game had them): loaded, but
    // the player is told that no job can be composed from it.
    void saveTooOldForJobs()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 2000;
        opt.Profiles = 1;
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path()));
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        const QString game = session.ProfileList().At(0)->GameFilePath();
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        TProfileLoadResult result = session.LoadProfile(1, context);
        QVERIFY(result.Loaded());
        QVERIFY(!result.SaveTooOldForJobs);

        // The same save as the game wrote it in 2018: the offers name no trailer definition.
        QByteArray old;
        for (const QByteArray &line : FileBytes(game).split('\n'))
            if (!line.trimmed().startsWith("trailer_definition:"))
                old += line + '\n';
        old.chop(1);
        WriteFile(game, old);
        result = session.LoadProfile(1, context);
        QVERIFY(result.Loaded());
        QVERIFY(result.SaveTooOldForJobs);
        QCOMPARE(CompatibleCargoCount(catalogue.CargoInfoList), 0);
        QCOMPARE(result.StatusText, QString("Profile \"Kestrel Driver\" loaded, but its quick save is too old for "
                                            "composing jobs: its job offers name no trailers. Load it in a current "
                                            "version of the game, make a new quick save and load the profile again."));
        QVERIFY(!OffersNameNoTrailers(SaveOf({"SiiNunit", "{", "}"}))); // no offers at all: not this
    }

    // Bad saves: a clear status, no profile, nothing changed on disk.
    void badSaves_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QString notDecoded = "could not be decoded";
        QTest::newRow("empty") << QByteArray() << int(TProfileLoadStatus::NotDecoded) << notDecoded;
        QTest::newRow("binary garbage") << QByteArray("\x01\x02\xff\xfe garbage", 13)
                                        << int(TProfileLoadStatus::NotDecoded) << notDecoded;
        QTest::newRow("encrypted") << QByteArray("ScsC\x00\x01", 6) << int(TProfileLoadStatus::NotDecoded)
                                   << notDecoded;
        QTest::newRow("cut off in a unit")
            << QByteArray("SiiNunit\r\n{\r\neconomy : x {\r\n companies: 5\r\n companies[0]: co")
            << int(TProfileLoadStatus::Damaged)
            << "is incomplete or damaged: it breaks off in the part that begins on line 3";
        QTest::newRow("cut off between units")
            << QByteArray("SiiNunit\r\n{\r\neconomy : x {\r\n game_time: 5\r\n}\r\n\r\n")
            << int(TProfileLoadStatus::Damaged) << "it ends too early";
        QTest::newRow("no economy unit") << QByteArray("SiiNunit\r\n{\r\n game_time: 5\r\n}\r\n")
                                         << int(TProfileLoadStatus::Damaged) << "no economy unit";
        QTest::newRow("gigantic line") << "SiiNunit\r\n{\r\neconomy : x {\r\n game_time: " + QByteArray(8 << 20, '9') +
                                              "\r\n}\r\n}"
                                       << int(TProfileLoadStatus::Loaded) << "loaded successfully";
    }
    void badSaves()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir dir;
        WriteFile(dir.filePath("profiles/50/profile.sii"), "SiiNunit\r\n{\r\n profile_name: P\r\n}\r\n");
        WriteFile(dir.filePath("profiles/50/save/quicksave/game.sii"), bytes);
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        QCOMPARE(session.ProfileList().Count(), 1);
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        const TProfileLoadResult result = session.LoadProfile(1, context);
        QCOMPARE(int(result.Status), status);
        QVERIFY2(result.StatusText.contains(says), qPrintable(result.StatusText));
        if (!result.Loaded()) {
            QVERIFY(!session.IsProfileLoaded());
            QVERIFY(session.SaveLines().IsEmpty());
            QVERIFY(session.CompanyList().Count() == 0);
        } else {
            QCOMPARE(session.GameTime(), 600);
        }
        QFile f(dir.filePath("profiles/50/save/quicksave/game.sii"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
        // A save the decrypter could not change needs no copy of its unchanged bytes.
        QVERIFY(!QFileInfo::exists(dir.filePath("profiles/50/save/quicksave/~Kestrovan Backups")));
    }

    // The real save cut off in the middle of a line, as a crash while the game writes it leaves it.
    void truncatedRealSaveIsRefused()
    {
        if (!QFile::exists(kRealSave))
            QSKIP("real save not available");
        QFile real(kRealSave);
        QVERIFY(real.open(QIODevice::ReadOnly));
        const QByteArray cut = real.readAll().left(real.size() / 2 + 7);
        QTemporaryDir dir;
        WriteFile(dir.filePath("profiles/50/profile.sii"), "SiiNunit\r\n{\r\n profile_name: P\r\n}\r\n");
        WriteFile(dir.filePath("profiles/50/save/quicksave/game.sii"), cut);
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        const TProfileLoadResult result = session.LoadProfile(1, context);
        QCOMPARE(result.Status, TProfileLoadStatus::Damaged);
        QCOMPARE(result.Structure.Fault, TSaveStructureFault::UnitNotClosed);
        QVERIFY(!session.IsProfileLoaded());
        QFile f(dir.filePath("profiles/50/save/quicksave/game.sii"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), cut);
    }

    void missingQuickSave()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("profiles/50/profile.sii"), "SiiNunit\r\n{\r\n profile_name: \"Pat\"\r\n}\r\n");
        TCatalogue catalogue;
        TProfileSession session;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        const TProfileLoadResult result = session.LoadProfile(1, context);
        QCOMPARE(result.Status, TProfileLoadStatus::NoQuickSave);
        QCOMPARE(result.StatusText, QString("Error: no quick save files have been found for the profile \"Pat\""));
        QVERIFY(!session.IsProfileLoaded());
    }

    // The learner thread hands its pairs over once; a stopped one writes nothing.
    void learnerThread()
    {
        QTemporaryDir dir;
        TDistances distances(dir.path());
        distances.SetCompiledLines({"a,b,10,0"});
        distances.ReloadDistances();
        const TGameSaveLines save =
            SaveOf({"company : company.volatile.c.a {", " job_offer: 1", " job_offer[0]: o", "}",
                    "job_offer_data : o {", " target: \"d.z\"", " shortest_distance_km: 77", " ferry_time: 0", "}"});
        {
            TGetUnkownDistances stopped(save, distances);
            stopped.RequestStop();
            stopped.start();
            QVERIFY(stopped.wait(5000));
            QVERIFY(!stopped.HandedOver());
            QVERIFY(!QFile::exists(distances.UserFilePath()));
        }
        TGetUnkownDistances learner(save, distances);
        QSignalSpy learned(&learner, &TGetUnkownDistances::DistancesLearned);
        learner.start();
        QVERIFY(learner.wait(10000));
        QVERIFY(learner.HandedOver());
        QCOMPARE(learned.count(), 1);
        QVERIFY(distances.DistanceExists("a", "z"));
        QVERIFY(distances.DistanceExists("z", "a"));
        QCOMPARE(distances.GetDistance("a", "z").KM, 77);
    }
};

QTEST_GUILESS_MAIN(TestProfileLoad)
#include "test_profileload.moc"
