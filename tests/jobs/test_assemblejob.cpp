#include "catalogue/countries.h"
#include "catalogue/distances.h"
#include "jobs/assemblejob.h"
#include "lang/languages.h"
#include "shared/strings.h"

#include <QTest>

using namespace kvn;

namespace {

// A tiny world: three cities in two countries, two cargos, a plain and a country-bound trailer.
struct World {
    TTrailerDefinitionDataList Trailers;
    TCargoInfoList Cargos;
    TCountries Countries;
    std::shared_ptr<const TDistanceTable> Distances;
    TLanguageTexts Texts;

    World()
    {
        auto plain = std::make_shared<TTrailerDefinitionData>();
        plain->SetTrailerDefinition("trailer_def.box");
        plain->SetChassisMass(7900);
        plain->SetVolume(90.7);
        auto bound = std::make_shared<TTrailerDefinitionData>();
        bound->SetTrailerDefinition("trailer_def.bdouble");
        bound->SetChassisMass(12000);
        bound->SetVolume(0);
        bound->SetIsDoubleTrailer(true);
        bound->AddCountryValidityList("finland,sweden");

        auto boxes = std::make_unique<TCargoInfo>();
        boxes->SetCargoName("boxes");
        boxes->SetCargoVolume(2.5);
        boxes->SetCargoWeightInKG(650);
        boxes->SetCargoMaximumDistance(-1);
        boxes->AddTrailerDefinition("scs.box", "scania.r", 20000, 5, 33, plain);
        boxes->AddTrailerDefinition("scs.bdouble", "volvo.fh", 30000, 40, 40, bound);
        auto milk = std::make_unique<TCargoInfo>();
        milk->SetCargoName("milk");
        milk->SetCargoVolume(1);
        milk->SetCargoWeightInKG(1030);
        milk->SetCargoMaximumDistance(400);
        milk->AddTrailerDefinition("scs.box", "scania.r", 20000, 1, 20, plain);
        Trailers.push_back(std::move(plain));
        Trailers.push_back(std::move(bound));
        Cargos.push_back(std::move(boxes));
        Cargos.push_back(std::move(milk));

        Distances = TDistanceTable::Build({"berlin,dresden,193,0", "berlin,kiel,1234,0", "dresden,malmo,600,120"}, {});
        const QStringList save = {"companies: 3", "companies[0]: company.volatile.tradeaux.berlin",
                                  "companies[1]: company.volatile.tradeaux.dresden",
                                  "companies[2]: company.volatile.tradeaux.malmo"};
        Countries.LoadCountriesToDataClasses(save, {"berlin;Germany", "dresden;Germany", "malmo;Sweden"},
                                             Distances.get(), nullptr);
    }

    TAssembledJob Assemble(const TJobSelection &S) const
    {
        return AssembleJob(S, Cargos, Countries, Distances.get(), Texts);
    }
};

TJobSelection Selection(const QString &From, const QString &To, const QString &Cargo = "boxes",
                        const QString &Trailer = "trailer_def.box")
{
    TJobSelection s;
    s.DepartureCityText = From;
    s.DepartureCompany = "tradeaux";
    s.DestinationCityText = To;
    s.DestinationCompany = "posped";
    s.CargoName = Cargo;
    s.TrailerDefinition = Trailer;
    s.Urgency = 1;
    return s;
}

// The user's language for one test; the one before comes back however the test ends.
struct TurkishLocale {
    QLocale Saved;
    TurkishLocale() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }
    ~TurkishLocale() { QLocale::setDefault(Saved); }
};

} // namespace

class TestAssembleJob : public QObject {
    Q_OBJECT

    World W;

private slots:
    // Under a Turkish locale lowering "Innsbruck" with the locale gives "ınnsbruck": no city of the
    // game, so the country, the distance and the trailer's countries were all missed.
    void turkishLocaleKeepsTheGamesTokens_data()
    {
        QTest::addColumn<int>("countryIndex");
        QTest::addColumn<QString>("countryText");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("fromCountry");
        QTest::newRow("shown names, all countries") << 0 << kAllCountriesEntry << "Innsbruck"
                                                    << "Austria";
        QTest::newRow("tokens, all countries") << 0 << kAllCountriesEntry << "innsbruck"
                                               << "Austria";
        QTest::newRow("country chosen") << 2 << "Italy"
                                        << "Imperia"
                                        << "Italy";
    }
    void turkishLocaleKeepsTheGamesTokens()
    {
        QFETCH(int, countryIndex);
        QFETCH(QString, countryText);
        QFETCH(QString, from);
        QFETCH(QString, fromCountry);
        const TurkishLocale turkish;
        auto bound = std::make_shared<TTrailerDefinitionData>();
        bound->SetTrailerDefinition("trailer_def.italy_austria");
        bound->SetVolume(50);
        bound->AddCountryValidityList("italy,austria");
        TCargoInfoList cargos;
        cargos.push_back(std::make_unique<TCargoInfo>());
        cargos.back()->SetCargoName("boxes");
        cargos.back()->SetCargoVolume(1);
        cargos.back()->AddTrailerDefinition("v", "t", 1000, 1, 10, bound);
        const auto distances = TDistanceTable::Build({"innsbruck,istanbul,1900,0", "imperia,istanbul,2400,0"}, {});
        TCountries countries;
        countries.LoadCountriesToDataClasses(
            {"companies: 3", "companies[0]: company.volatile.a.innsbruck", "companies[1]: company.volatile.a.imperia",
             "companies[2]: company.volatile.b.istanbul"},
            {"innsbruck;Austria", "imperia;Italy", "istanbul;Turkey"}, distances.get(), nullptr);
        QCOMPARE(countries.ResolveCountryName(0, QString(), "Istanbul"), QString("turkey"));
        QCOMPARE(countries.ResolveCountryName(2, "Italy", QString()), QString("italy"));

        TJobSelection s = Selection(from, "Istanbul", "boxes", "trailer_def.italy_austria");
        s.DepartureCountryIndex = countryIndex;
        s.DepartureCountryText = countryText;
        s.DestinationCountryText = kAllCountriesEntry;
        const TAssembledJob a = AssembleJob(s, cargos, countries, distances.get(), W.Texts);
        QVERIFY(a.Ok);
        QCOMPARE(a.Job->DepartureCity(), from.toLower());
        QCOMPARE(a.Job->DestinationCity(), QString("istanbul"));
        QCOMPARE(a.Job->DepartureCountry(), fromCountry);
        QCOMPARE(a.Job->DestinationCountry(), QString("Turkey"));
        QVERIFY(!a.Job->DistanceIsUnknown());
        QVERIFY(!a.TrailerOutsideItsCountries);
        QCOMPARE(distances->GetDistance(UpperFirst(from), "Istanbul").KM, a.Job->DistanceDataResult().KM);
    }

    void previewOfAKnownRoute()
    {
        const TAssembledJob a = W.Assemble(Selection("Berlin", "Dresden"));
        QVERIFY(a.Ok);
        QCOMPARE(a.Job->DepartureCity(), QString("berlin"));
        QCOMPARE(a.Job->DepartureCountry(), QString("Germany"));
        QCOMPARE(a.Job->CargoUrgency(), 1);
        QCOMPARE(a.Job->ID().size(), 32);
        QVERIFY(!a.Job->DistanceIsUnknown());
        // Slider to its maximum: 33 units of 2.5 m3 = 82.5 -> 82 (halves to even); 33 x 650 kg = 21 t.
        QCOMPARE(a.Preview.SliderPosition, 33);
        QCOMPARE(a.Job->CargoUnitCountUserCustom(), 33);
        QVERIFY(a.Preview.SliderEnabled);
        QCOMPARE(a.Preview.RouteText, QString("From \"<b>Berlin</b>\" (Germany) to \"<b>Dresden</b>\" (Germany) with a "
                                              "shortest distance of 193 km"));
        QCOMPARE(a.Preview.CargoText, QString("Cargo type is <font color=\"#0000d9\"><b>boxes</b></font> and weighs "
                                              "<font color=\"#0000d9\"><b>21 t</b></font>"));
        QCOMPARE(a.Preview.TrailerFillText, QString("Trailer is 91 % filled (82 m³ of 90 m³)"));
        QCOMPARE(a.Preview.TrailerWeightText, QString("Trailer weight is 7 t. Including cargo it weighs 28 t"));
        QVERIFY(!a.Preview.DistanceNoteVisible);
        QVERIFY(!a.TrailerOutsideItsCountries);
    }

    void sliderKeepsItsPositionOnlyWhenItAsked()
    {
        TJobSelection s = Selection("Berlin", "Dresden");
        s.SliderPosition = 11;
        QCOMPARE(W.Assemble(s).Preview.SliderPosition, 33);
        s.SenderIsSlider = true;
        const TAssembledJob a = W.Assemble(s);
        QCOMPARE(a.Preview.SliderPosition, 11);
        QCOMPARE(a.Job->CargoUnitCountUserCustom(), 11);
        s.SliderPosition = 99; // clamped into the trailer's range
        QCOMPARE(W.Assemble(s).Preview.SliderPosition, 33);
    }

    void unknownAndLimitedDistances()
    {
        // 1234 km reads as unknown in the route line, but the cargo's limit compares with it.
        TAssembledJob a = W.Assemble(Selection("Berlin", "Kiel", "milk"));
        QVERIFY(a.Job->DistanceIsUnknown());
        QVERIFY(a.Preview.RouteText.endsWith(") . The distance is <b>unknown</b>"));
        QVERIFY(a.Preview.DistanceNoteVisible);
        QVERIFY(a.Preview.DistanceNoteText.contains("<b>400 km</b>"));
        // No table entry: 0 km, the help text.
        a = W.Assemble(Selection("Malmo", "Berlin", "milk"));
        QVERIFY(a.Job->DistanceIsUnknown());
        QVERIFY(a.Preview.DistanceNoteText.contains("Help to improve"));
        // A ferry route within the limit of a cargo without limit.
        a = W.Assemble(Selection("Malmo", "Dresden"));
        QVERIFY(a.Preview.RouteText.endsWith("with a shortest distance of 600 km. Ferry needed"));
        QVERIFY(!a.Preview.DistanceNoteVisible);
        QCOMPARE(a.Job->DepartureCountry(), QString("Sweden"));
    }

    // Where the table has no distance, the positions give an estimate, said to be one; between
    // countries that some known route joins by ferry, the preview warns that a ferry is not counted.
    void estimatedDistances()
    {
        const QStringList countries{"berlin;Germany", "kiel;Germany", "dresden;Germany", "malmo;Sweden"};
        const auto table = TDistanceTable::Build(
            {"berlin,dresden,193,0", "dresden,malmo,600,120"}, {},
            TCityPositions::FromLines({"berlin;0;0", "kiel;3000;4000", "malmo;3000;7000"}, countries));
        TAssembledJob a = AssembleJob(Selection("Berlin", "Kiel", "milk"), W.Cargos, W.Countries, table.get(), W.Texts);
        QVERIFY(!a.Job->DistanceIsUnknown());
        QVERIFY(a.Job->DistanceDataResult().IsEstimate());
        QVERIFY2(a.Preview.RouteText.endsWith("with an <b>estimated</b> distance of about 122 km"),
                 qPrintable(a.Preview.RouteText));
        QVERIFY(!a.Preview.DistanceNoteVisible); // within the cargo's 400 km
        a = AssembleJob(Selection("Malmo", "Berlin", "milk"), W.Cargos, W.Countries, table.get(), W.Texts);
        QVERIFY2(a.Preview.RouteText.endsWith("about 186 km. The route may cross water: a ferry is not counted in the "
                                              "estimate"),
                 qPrintable(a.Preview.RouteText));
    }

    void allCountriesWithAnUnknownCity()
    {
        TJobSelection s = Selection("Atlantis", "Berlin");
        s.DepartureCountryText = "All countries";
        QCOMPARE(W.Assemble(s).Job->DepartureCountry(), QString("All countries"));
        s.DepartureCountryIndex = 2;
        s.DepartureCountryText = "Sweden";
        s.DepartureCityText = "Berlin";
        QCOMPARE(W.Assemble(s).Job->DepartureCountry(), QString("Sweden")); // a chosen country is taken as is
    }

    void unknownCargoOrTrailerGivesNothing()
    {
        QVERIFY(!W.Assemble(Selection("Berlin", "Dresden", "gold")).Ok);
        QVERIFY(!W.Assemble(Selection("Berlin", "Dresden", "milk", "trailer_def.bdouble")).Ok);
    }

    // Fixed unit count: slider and icons off; empty trailer volume gives 0 %.
    void countryBoundDoubleTrailer()
    {
        TAssembledJob a = W.Assemble(Selection("Berlin", "Dresden", "boxes", "trailer_def.bdouble"));
        QVERIFY(a.Ok);
        QVERIFY(!a.Preview.SliderEnabled);
        QCOMPARE(a.Preview.SliderPosition, 40);
        QCOMPARE(a.Preview.TrailerFillText, QString("Trailer is 0 % filled (100 m³ of 0 m³)"));
        QVERIFY(a.TrailerOutsideItsCountries);
        QCOMPARE(CountryBoundTrailerKind(*W.Trailers[1], W.Texts), QString("double and  country bound"));
        QCOMPARE(CountryBoundTrailerKind(*W.Trailers[0], W.Texts), QString("  country bound"));
        QVERIFY(a.TrailerWarning.startsWith("You've selected a double and  country bound trailer but your\r\n"
                                            "departure city is not based in: Finland, Sweden."));
        a = W.Assemble(Selection("Malmo", "Dresden", "boxes", "trailer_def.bdouble"));
        QVERIFY(!a.TrailerOutsideItsCountries);
    }

    // "Add job": the trailer question decides; a job without question is added at once.
    void addJob()
    {
        TJobList list;
        int asked = 0;
        auto no = [&](const QString &) {
            ++asked;
            return false;
        };
        auto yes = [&](const QString &) {
            ++asked;
            return true;
        };
        TAssembledJob bound = W.Assemble(Selection("Berlin", "Dresden", "boxes", "trailer_def.bdouble"));
        QVERIFY(!AddAssembledJob(bound, list, nullptr, no));
        QCOMPARE(list.Count(), 0);
        bound = W.Assemble(Selection("Berlin", "Dresden", "boxes", "trailer_def.bdouble"));
        QVERIFY(AddAssembledJob(bound, list, nullptr, yes));
        TAssembledJob plain = W.Assemble(Selection("Berlin", "Dresden"));
        QVERIFY(AddAssembledJob(plain, list, nullptr, no));
        QCOMPARE(asked, 2);
        QCOMPARE(list.Count(), 2);
        // Each job keeps the urgency and units it was added with, though both carry the same cargo.
        TJobSelection s = Selection("Berlin", "Dresden");
        s.Urgency = 2;
        s.SenderIsSlider = true;
        s.SliderPosition = 6;
        TAssembledJob other = W.Assemble(s);
        QVERIFY(AddAssembledJob(other, list, nullptr, no));
        QCOMPARE(list.At(1)->CargoUrgency(), 1);
        QCOMPARE(list.At(1)->CargoUnitCountUserCustom(), 33);
        QCOMPARE(list.At(2)->CargoUrgency(), 2);
        QCOMPARE(list.At(2)->CargoUnitCountUserCustom(), 6);
        QCOMPARE(list.At(1)->CargoInfo()->CargoName(), list.At(2)->CargoInfo()->CargoName());
    }
};

QTEST_GUILESS_MAIN(TestAssembleJob)
#include "test_assemblejob.moc"
