// The random job generator with a fixed seed and no window.
#include "catalogue/countries.h"
#include "catalogue/distances.h"
#include "jobs/assemblejob.h"
#include "jobs/randomjob.h"
#include "savegame/companies.h"

#include <QSet>
#include <QTest>

using namespace kvn;

namespace {

// Four cities in two countries, companies in each, cargos that each pass exactly one filter.
struct World {
    TTrailerDefinitionDataList Trailers;
    TCargoInfoList Cargos;
    TCountries Countries;
    TCompanyList Companies;
    std::shared_ptr<const TDistanceTable> Distances;

    World()
    {
        auto box = std::make_shared<TTrailerDefinitionData>();
        box->SetTrailerDefinition("trailer_def.box");
        auto tank = std::make_shared<TTrailerDefinitionData>();
        tank->SetTrailerDefinition("trailer_def.tank");

        struct CargoSpec {
            const char *Name;
            bool Compatible, Valuable, Fragile;
            TCargoGroups Group;
            int Adr, WeightKg;
        };
        const CargoSpec specs[] = {
            {"bricks", true, false, false, TCargoGroups::bulk, 0, 24000},
            {"gold", true, true, false, TCargoGroups::bulk, 0, 5000},
            {"glass", true, false, true, TCargoGroups::nogroup, 0, 12000},
            {"lamps", true, false, true, TCargoGroups::refrigerated, 0, 8000},
            {"acid", true, false, false, TCargoGroups::liquid, 8, 20000},
            {"caviar", false, true, true, TCargoGroups::nogroup, 6, 39000}, // not in this save
        };
        for (const CargoSpec &s : specs) {
            auto cargo = std::make_unique<TCargoInfo>();
            cargo->SetCargoName(s.Name);
            cargo->SetSavegameCompatibleCargo(s.Compatible);
            cargo->SetCargoIsValuable(s.Valuable);
            cargo->SetIsFragile(s.Fragile);
            TCargoGroupSet groups;
            groups.Include(s.Group);
            cargo->SetCargoGroups(groups);
            cargo->SetCargoADR(s.Adr);
            cargo->AddTrailerDefinition("scs.box", "scania.r", s.WeightKg, 1, 20, box);
            cargo->AddTrailerDefinition("scs.tank", "volvo.fh", s.WeightKg / 2, 1, 10, tank);
            Cargos.push_back(std::move(cargo));
        }
        Trailers.push_back(std::move(box));
        Trailers.push_back(std::move(tank));

        Distances = TDistanceTable::Build({"berlin,dresden,193,0", "berlin,malmo,800,120", "kiel,malmo,900,60",
                                           "dresden,malmo,600,120", "berlin,kiel,1234,0", "berlin,paris,1050,0",
                                           "malmo,kiel,900,60"},
                                          {});
        const QStringList save = {"companies: 4", "companies[0]: company.volatile.tradeaux.berlin",
                                  "companies[1]: company.volatile.posped.dresden",
                                  "companies[2]: company.volatile.tradeaux.kiel",
                                  "companies[3]: company.volatile.stokes.malmo"};
        // Paris has no company in this save: its distances are switched off for the profile.
        Countries.LoadCountriesToDataClasses(
            save, {"berlin;Germany", "dresden;Germany", "kiel;Germany", "malmo;Sweden", "paris;France"},
            Distances.get(), nullptr);
        AddCompany("tradeaux", {"berlin", "kiel"});
        AddCompany("posped", {"dresden"});
        AddCompany("stokes", {"malmo"});
    }

    void AddCompany(const QString &Name, const QStringList &Cities)
    {
        auto company = std::make_unique<TCompanyInfo>(Name);
        for (const QString &city : Cities)
            company->AddCity(city);
        Companies.Append(std::move(company));
    }

    TRandomJobGenerator Generator(const TRandomiserOptions &Options, quint32 Seed) const
    {
        return TRandomJobGenerator(TRandomJobWorld{Countries, Cargos, Companies, Distances}, Options,
                                   SeededRandomNumbers(Seed));
    }
};

// What the boxes show after a profile load: every box unlocked, Berlin to Malmo with bricks.
TRandomJobSelection Shown()
{
    TRandomJobSelection s;
    s.DepartureCountry = {false, "Germany", 1};
    s.DepartureCity = {false, "Berlin", 0};
    s.DepartureCompany = {false, "tradeaux", 0};
    s.DestinationCountry = {false, kAllCountriesEntry, 0};
    s.DestinationCity = {false, "Malmo", 3};
    s.DestinationCompany = {false, "stokes", 0};
    s.Cargo = {false, "bricks", 0};
    s.Trailer = {false, "trailer_def.box", 0};
    s.Urgency = {false, "", 0};
    return s;
}

// A pause that stops the search after Limit attempts, as a click on "Cancel" would.
TRandomJobPause StopAfter(int Limit)
{
    auto count = std::make_shared<int>(0);
    return [count, Limit] { return ++*count <= Limit; };
}

const TRandomJobPause kNeverStop = [] { return true; };

} // namespace

class TestRandomJob : public QObject {
    Q_OBJECT
private slots:
    void unlockedSearchGivesAConsistentJob();
    void sameSeedSameJob();
    void minimumDistanceHonoured();
    void unknownDistanceNeverPassesForAMinimum();
    void longestTour_data();
    void longestTour();
    void longestTourWithoutQualifyingRouteEnds();
    void cargoFilters_data();
    void cargoFilters();
    void minimumWeightNothingReachesRunsUntilCancelled();
    void noCompatibleCargoRunsUntilCancelled();
    void urgencyKeptWhenLocked();
    void lockedBoxesKeepTheirValues();
    void lockedTrailerTheCargoLacksGivesNoJob();
    void allLocked_data();
    void allLocked();
    void onlyJobsAddJobTakesWithoutAQuestion();
    void lockClosedDuringTheSearchHolds();
};

void TestRandomJob::unlockedSearchGivesAConsistentJob()
{
    const World w;
    QSet<QString> departures;
    for (quint32 seed = 1; seed <= 40; ++seed) {
        auto result = w.Generator({}, seed).GenerateRandomJob(Shown(), kNeverStop);
        QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
        const TJobListDataSummary &job = *result.Job;
        // Every company has a branch in its city, every city lies in its country.
        QVERIFY(w.Companies.FindCompany(job.DepartureCompany())->HasCity(job.DepartureCity()));
        QVERIFY(w.Companies.FindCompany(job.DestinationCompany())->HasCity(job.DestinationCity()));
        QCOMPARE(w.Countries.FindCountryOfCity(job.DepartureCity())->Country(), job.DepartureCountry());
        QCOMPARE(w.Countries.FindCountryOfCity(job.DestinationCity())->Country(), job.DestinationCountry());
        QVERIFY(job.CargoInfo()->SavegameCompatibleCargo());
        QCOMPARE(job.ID().size(), 32);
        // The trailer is one the cargo offers.
        bool offered = false;
        for (const auto &item : job.CargoInfo()->TrailerDefinitionList())
            offered = offered || item.get() == job.TrailerDefinitionData();
        QVERIFY(offered);
        const auto d = w.Distances->GetDistance(job.DepartureCity(), job.DestinationCity());
        QCOMPARE(job.DistanceDataResult().KM, d.KM);
        QCOMPARE(job.DistanceIsUnknown(), IsUnknownDistance(d.KM));
        departures.insert(job.DepartureCity());
    }
    QCOMPARE(departures.size(), 4); // unlocked boxes really are drawn
}

void TestRandomJob::sameSeedSameJob()
{
    const World w;
    auto a = w.Generator({}, 7).GenerateRandomJob(Shown(), kNeverStop);
    auto b = w.Generator({}, 7).GenerateRandomJob(Shown(), kNeverStop);
    QCOMPARE(a.Job->DepartureCity(), b.Job->DepartureCity());
    QCOMPARE(a.Job->DestinationCompany(), b.Job->DestinationCompany());
    QCOMPARE(a.Job->CargoInfo(), b.Job->CargoInfo());
    QCOMPARE(a.Job->TrailerDefinitionData(), b.Job->TrailerDefinitionData());
    QCOMPARE(a.Attempts, b.Attempts);
}

void TestRandomJob::minimumDistanceHonoured()
{
    const World w;
    TRandomiserOptions options;
    options.MinDistanceActive = true;
    options.MinDistance = 700;
    for (quint32 seed = 1; seed <= 20; ++seed) {
        auto result = w.Generator(options, seed).GenerateRandomJob(Shown(), kNeverStop);
        QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
        QVERIFY2(result.Job->DistanceDataResult().KM >= 700, qPrintable(result.Job->DepartureCity()));
        QVERIFY(!result.Job->DistanceIsUnknown());
    }
    // A minimum of 0 accepts the first route at once: one pause for the route, one for the cargo.
    options.MinDistance = 0;
    auto result = w.Generator(options, 3).GenerateRandomJob(Shown(), kNeverStop);
    QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
    QCOMPARE(result.Attempts, 2);
}

void TestRandomJob::unknownDistanceNeverPassesForAMinimum()
{
    // Berlin-Kiel is in the table with the placeholder 1234: it is not a tour of 1000 km or more.
    const World w;
    TRandomiserOptions options;
    options.MinDistanceActive = true;
    options.MinDistance = 1000;
    auto result = w.Generator(options, 5).GenerateRandomJob(Shown(), StopAfter(400));
    QCOMPARE(result.Outcome, TRandomJobOutcome::Cancelled);
    QVERIFY(!result.Job);
    QCOMPARE(result.Attempts, 401);
}

void TestRandomJob::longestTour_data()
{
    QTest::addColumn<bool>("countryLocked");
    QTest::addColumn<bool>("cityLocked");
    QTest::addColumn<QString>("country");
    QTest::addColumn<int>("countryIndex");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("km");
    // Paris (1050 km) is switched off and Berlin-Kiel is unknown: neither is ever the longest.
    QTest::newRow("nothing locked: first of the longest") << false << false << "Germany" << 1 << "Berlin"
                                                          << "kiel"
                                                          << "malmo" << 900;
    QTest::newRow("departure city locked") << true << true << "Germany" << 1 << "Berlin"
                                           << "berlin"
                                           << "malmo" << 800;
    QTest::newRow("locked city under All countries") << true << true << kAllCountriesEntry << 0 << "Dresden"
                                                     << "dresden"
                                                     << "malmo" << 600;
    QTest::newRow("departure country locked") << true << false << "Sweden" << 3 << "Malmo"
                                              << "malmo"
                                              << "kiel" << 900;
}

void TestRandomJob::longestTour()
{
    QFETCH(bool, countryLocked);
    QFETCH(bool, cityLocked);
    QFETCH(QString, country);
    QFETCH(int, countryIndex);
    QFETCH(QString, city);
    const World w;
    TRandomJobSelection s = Shown();
    s.DepartureCountry = {countryLocked, country, countryIndex};
    s.DepartureCity = {cityLocked, city, 0};
    s.DepartureCompany.Text.clear(); // the company is drawn for the city found
    TRandomiserOptions options;
    options.GetMaxPossibleTour = true;
    auto result = w.Generator(options, 11).GenerateRandomJob(s, kNeverStop);
    QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
    QTEST(result.Job->DepartureCity(), "from");
    QTEST(result.Job->DestinationCity(), "to");
    QTEST(result.Job->DistanceDataResult().KM, "km");
    QVERIFY(w.Companies.FindCompany(result.Job->DestinationCompany())->HasCity(result.Job->DestinationCity()));
}

void TestRandomJob::longestTourWithoutQualifyingRouteEnds()
{
    // From Kiel the table leads only to Malmo, and the destination is locked to Germany.
    const World w;
    TRandomJobSelection s = Shown();
    s.DepartureCountry = {true, "Germany", 1};
    s.DepartureCity = {true, "Kiel", 0};
    s.DestinationCountry = {true, "Germany", 1};
    TRandomiserOptions options;
    options.GetMaxPossibleTour = true;
    auto result = w.Generator(options, 1).GenerateRandomJob(s, kNeverStop);
    QCOMPARE(result.Outcome, TRandomJobOutcome::NoLongestTour);
    QVERIFY(!result.Job);
    QCOMPARE(result.Attempts, 1);
}

void TestRandomJob::cargoFilters_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("adrClass");
    QTest::addColumn<QString>("cargo");
    QTest::newRow("valuable") << "valuable" << 0 << "gold";
    // Fragile lamps are refrigerated: only fragile cargos without a group or liquid ones count.
    QTest::newRow("fragile") << "fragile" << 0 << "glass";
    QTest::newRow("adr 8") << "adr" << 8 << "acid";
    QTest::newRow("weight 20 t") << "weight" << 0 << "bricks";
}

void TestRandomJob::cargoFilters()
{
    QFETCH(QString, option);
    QFETCH(int, adrClass);
    QFETCH(QString, cargo);
    const World w;
    TRandomiserOptions options;
    options.ValuableActive = option == "valuable";
    options.FragileActive = option == "fragile";
    options.AdrActive = option == "adr";
    options.AdrClass = adrClass;
    options.MinWeightActive = option == "weight";
    options.MinWeight = 21; // bricks on the box trailer (24 t) only; acid has 20 t
    for (quint32 seed = 1; seed <= 10; ++seed) {
        auto result = w.Generator(options, seed).GenerateRandomJob(Shown(), kNeverStop);
        QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
        QCOMPARE(result.Job->CargoInfo()->CargoName(), cargo);
        if (option == "weight")
            QCOMPARE(result.Job->TrailerDefinitionData()->TrailerDefinitionData->TrailerDefinition(),
                     QStringLiteral("trailer_def.box"));
    }
}

void TestRandomJob::minimumWeightNothingReachesRunsUntilCancelled()
{
    // The heaviest compatible load is 24 t; caviar (39 t) is not offered by this save.
    const World w;
    TRandomiserOptions options;
    options.MinWeightActive = true;
    options.MinWeight = 40;
    auto result = w.Generator(options, 2).GenerateRandomJob(Shown(), StopAfter(500));
    QCOMPARE(result.Outcome, TRandomJobOutcome::Cancelled);
    QVERIFY(!result.Job);
    QCOMPARE(result.Attempts, 501);
}

void TestRandomJob::noCompatibleCargoRunsUntilCancelled()
{
    // Without a single compatible cargo every attempt fails, but each still pauses, so "Cancel"
    // is heard.
    World w;
    for (auto &cargo : w.Cargos)
        cargo->SetSavegameCompatibleCargo(false);
    auto result = w.Generator({}, 2).GenerateRandomJob(Shown(), StopAfter(50));
    QCOMPARE(result.Outcome, TRandomJobOutcome::Cancelled);
    QCOMPARE(result.Attempts, 51);
}

void TestRandomJob::urgencyKeptWhenLocked()
{
    const World w;
    TRandomJobSelection s = Shown();
    s.Urgency = {true, "Important delivery", 1};
    QSet<int> seen;
    for (quint32 seed = 1; seed <= 30; ++seed) {
        QCOMPARE(w.Generator({}, seed).GenerateRandomJob(s, kNeverStop).Job->CargoUrgency(), 1);
        seen.insert(w.Generator({}, seed).GenerateRandomJob(Shown(), kNeverStop).Job->CargoUrgency());
    }
    QCOMPARE(seen, (QSet<int>{0, 1, 2}));
}

void TestRandomJob::lockedBoxesKeepTheirValues()
{
    const World w;
    TRandomJobSelection s = Shown();
    s.DepartureCountry.Locked = s.DepartureCity.Locked = s.DepartureCompany.Locked = true;
    s.DestinationCountry = {true, "Sweden", 2}; // country only: city and company are drawn there
    s.Cargo.Locked = s.Trailer.Locked = true;
    s.Trailer.Text = "trailer_def.tank";
    for (quint32 seed = 1; seed <= 10; ++seed) {
        auto result = w.Generator({}, seed).GenerateRandomJob(s, kNeverStop);
        QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
        const TJobListDataSummary &job = *result.Job;
        QCOMPARE(job.DepartureCountry(), QStringLiteral("Germany"));
        QCOMPARE(job.DepartureCity(), QStringLiteral("berlin"));
        QCOMPARE(job.DepartureCompany(), QStringLiteral("tradeaux"));
        QCOMPARE(job.DestinationCountry(), QStringLiteral("Sweden"));
        QCOMPARE(job.DestinationCity(), QStringLiteral("malmo"));
        QCOMPARE(job.CargoInfo()->CargoName(), QStringLiteral("bricks"));
        QCOMPARE(job.TrailerDefinitionData()->TrailerDefinitionData->TrailerDefinition(),
                 QStringLiteral("trailer_def.tank"));
    }
}

void TestRandomJob::lockedTrailerTheCargoLacksGivesNoJob()
{
    // A locked trailer that the cargo does not offer must not leave a trailer of another cargo.
    const World w;
    TRandomJobSelection s = Shown();
    s.Cargo.Locked = s.Trailer.Locked = true;
    s.Trailer.Text = "trailer_def.lowbed";
    auto result = w.Generator({}, 4).GenerateRandomJob(s, StopAfter(30));
    QCOMPARE(result.Outcome, TRandomJobOutcome::Cancelled);
    QVERIFY(!result.Job);
}

void TestRandomJob::allLocked_data()
{
    QTest::addColumn<int>("open"); // the box left unlocked, -1 for none
    QTest::newRow("all nine locked") << -1;
    for (int i = 0; i < 9; ++i)
        QTest::newRow(qPrintable(QStringLiteral("box %1 open").arg(i))) << i;
}

void TestRandomJob::allLocked()
{
    QFETCH(int, open);
    TRandomJobSelection s = Shown();
    TRandomBox *boxes[] = {&s.DepartureCountry,
                           &s.DepartureCity,
                           &s.DepartureCompany,
                           &s.DestinationCountry,
                           &s.DestinationCity,
                           &s.DestinationCompany,
                           &s.Cargo,
                           &s.Trailer,
                           &s.Urgency};
    for (int i = 0; i < 9; ++i)
        boxes[i]->Locked = i != open;
    QCOMPARE(s.AllLocked(), open < 0);
}

void TestRandomJob::onlyJobsAddJobTakesWithoutAQuestion()
{
    // The tank may only start in Sweden, Dresden's branch has no offer left, and Tradeaux has a
    // branch at both ends of Berlin-Kiel: the generator must offer none of what "Add job" would
    // question (a trailer outside its countries, a branch without an offer, a job to its own
    // branch).
    World w;
    auto sweden = std::make_shared<TTrailerDefinitionData>();
    sweden->SetTrailerDefinition("trailer_def.tank.se");
    sweden->AddCountryValidityList("sweden");
    for (auto &cargo : w.Cargos)
        cargo->AddTrailerDefinition("scs.tank.se", "volvo.fh", 30000, 1, 10, sweden);
    w.Trailers.push_back(std::move(sweden));
    const TFreeOffers offers = [](const QString &Company, const QString &City) {
        return Company == "posped" && City == "dresden" ? 0 : 1;
    };
    QSet<QString> trailers, departures;
    for (quint32 seed = 1; seed <= 60; ++seed) {
        TRandomJobGenerator generator(TRandomJobWorld{w.Countries, w.Cargos, w.Companies, w.Distances, offers}, {},
                                      SeededRandomNumbers(seed));
        const auto result = generator.GenerateRandomJob(Shown(), kNeverStop);
        QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
        const TJobListDataSummary &job = *result.Job;
        const TTrailerDefinitionData &trailer = *job.TrailerDefinitionData()->TrailerDefinitionData;
        QVERIFY2(TrailerAllowedInCountry(trailer, job.DepartureCountry()),
                 qPrintable(trailer.TrailerDefinition() + " from " + job.DepartureCountry()));
        QVERIFY(job.DepartureCity() != "dresden");
        QVERIFY(!(job.DepartureCompany() == job.DestinationCompany() && job.DepartureCity() == job.DestinationCity()));
        trailers.insert(trailer.TrailerDefinition());
        departures.insert(job.DepartureCity());
    }
    QVERIFY(trailers.contains("trailer_def.tank.se")); // from Malmo it is allowed, and drawn
    QCOMPARE(departures, (QSet<QString>{"berlin", "kiel", "malmo"}));

    // A locked departure without an offer left can never start a job: the search goes on.
    TRandomJobSelection s = Shown();
    s.DepartureCountry.Locked = s.DepartureCity.Locked = s.DepartureCompany.Locked = true;
    s.DepartureCity.Text = "Dresden";
    s.DepartureCompany.Text = "posped";
    TRandomJobGenerator generator(TRandomJobWorld{w.Countries, w.Cargos, w.Companies, w.Distances, offers}, {},
                                  SeededRandomNumbers(3));
    QCOMPARE(generator.GenerateRandomJob(s, StopAfter(100)).Outcome, TRandomJobOutcome::Cancelled);
}

void TestRandomJob::lockClosedDuringTheSearchHolds()
{
    // The player closes the departure chain on Kiel and the cargo lock on acid while the search
    // runs. The boxes are read at every attempt: whatever was drawn before, the job agrees with
    // the locks closed at the moment it is found.
    const World w;
    int checked = 0;
    for (int closeAt = 1; closeAt <= 4; ++closeAt) {
        for (quint32 seed = 1; seed <= 10; ++seed) {
            int reads = 0;
            const TRandomJobSelectionSource boxes = [&reads, closeAt] {
                TRandomJobSelection s = Shown();
                if (++reads > closeAt) {
                    s.DepartureCountry.Locked = s.DepartureCity.Locked = s.DepartureCompany.Locked = true;
                    s.DepartureCity.Text = "Kiel";
                    s.Cargo = {true, "acid", 4};
                }
                return s;
            };
            const auto result = w.Generator({}, seed).GenerateRandomJob(boxes, kNeverStop);
            QCOMPARE(result.Outcome, TRandomJobOutcome::Found);
            if (reads <= closeAt)
                continue; // found before the player closed the locks
            ++checked;
            QCOMPARE(result.Job->DepartureCity(), QStringLiteral("kiel"));
            QCOMPARE(result.Job->DepartureCompany(), QStringLiteral("tradeaux"));
            QCOMPARE(result.Job->CargoInfo()->CargoName(), QStringLiteral("acid"));
        }
    }
    QVERIFY(checked >= 20); // most searches still ran when the locks were closed
}

QTEST_GUILESS_MAIN(TestRandomJob)
#include "test_randomjob.moc"
