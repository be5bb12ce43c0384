// The row texts of the job list and the history, and the second lines of the cargo and trailer
// entries, with the built-in English texts.
#include "catalogue/cargos.h"
#include "catalogue/placenames.h"
#include "jobs/joblist.h"
#include "jobs/jobviewtexts.h"
#include "lang/languages.h"

#include <QDateTime>
#include <QTest>
#include <QTimeZone>

using namespace kvn;

namespace {

struct TJobSpec {
    std::int32_t KM = 1052;
    std::int32_t FerryTime = 0;
    bool NeedsFerry = false;
    TDistanceSource Source = TDistanceSource::Compiled;
    std::int32_t ChassisMassKG = 7000;
    std::int32_t Units = 10;
    double UnitWeightKG = 2000;
    double UnitVolume = 3;
    std::int32_t Urgency = 1;
};

// A job and everything it points at, kept alive together.
struct TJobFixture {
    explicit TJobFixture(const TJobSpec &Spec)
    {
        Trailer->SetTrailerDefinition("scs.box.single_3");
        Trailer->SetChassisMass(Spec.ChassisMassKG);
        Cargo->SetCargoName("Apples");
        Cargo->SetCargoWeightInKG(Spec.UnitWeightKG);
        Cargo->SetCargoVolume(Spec.UnitVolume);
        Item = Cargo->AddTrailerDefinition("scs.box.single_3.variant", "scania.r", 0, 1, 20, Trailer);
        Job.SetDepartureCountry("Germany");
        Job.SetDestinationCountry("Czech Republic");
        Job.SetDepartureCity("berlin");
        Job.SetDestinationCity("praha");
        Job.SetDistanceDataResult({Spec.KM, Spec.FerryTime, Spec.NeedsFerry, Spec.Source});
        Job.SetCargoInfo(Cargo);
        Job.SetTrailerDefinitionData(Item);
        Job.SetCargoUnitCountUserCustom(Spec.Units);
        Job.SetCargoUrgency(Spec.Urgency);
    }
    PTrailerDefinitionData Trailer = std::make_shared<TTrailerDefinitionData>();
    PCargoInfo Cargo = std::make_shared<TCargoInfo>();
    PTrailerDefinitionItem Item = nullptr;
    TJobListDataSummary Job;
};

std::int64_t WallClock(int Year, int Month, int Day, int Hour, int Minute, int Second)
{
    return QDateTime(QDate(Year, Month, Day), QTime(Hour, Minute, Second), QTimeZone::utc()).toSecsSinceEpoch();
}

} // namespace

Q_DECLARE_METATYPE(TJobSpec)

class TestJobViewTexts : public QObject {
    Q_OBJECT
private slots:
    void jobRows_data();
    void jobRows();
    void jobRowsWithoutJob();
    void historyRows_data();
    void historyRows();
    void historyDate();
    void cargoSummary_data();
    void cargoSummary();
    void trailerSummary_data();
    void trailerSummary();
    void namesShownForTokens();

private:
    TLanguageTexts FTexts;
};

void TestJobViewTexts::jobRows_data()
{
    QTest::addColumn<TJobSpec>("spec");
    QTest::addColumn<int>("child");
    QTest::addColumn<QString>("text");

    const TJobSpec plain;
    QTest::newRow("countries") << plain << 0 << QString("Germany \u00BB Czech Republic");
    QTest::newRow("distance") << plain << 1 << QString("Distance: \u22481052 km");
    TJobSpec spec = plain;
    spec.KM = 0;
    QTest::newRow("distance unknown") << spec << 1 << QString("Distance: \u2248unknown");
    spec = plain;
    spec.KM = 1234;
    spec = plain;
    spec.Source = TDistanceSource::Estimated;
    QTest::newRow("estimated distance") << spec << 1 << QString("Distance: \u22481052 km (estimated)");
    spec = plain;
    spec.KM = 1234;
    QTest::newRow("placeholder distance shown as it is") << spec << 1 << QString("Distance: \u22481234 km");
    QTest::newRow("cargo") << plain << 2 << QString("Cargo: Apples (30 m\u00B3, 20 t)");
    spec = plain;
    spec.Units = 7;
    spec.UnitWeightKG = 2999;
    spec.UnitVolume = 2.5; // 17.5 m3 rounds to the even 18, 20.993 t down to 20
    QTest::newRow("cargo rounding") << spec << 2 << QString("Cargo: Apples (18 m\u00B3, 20 t)");
    spec.Units = 5; // 12.5 m3 rounds to the even 12
    QTest::newRow("volume half to even") << spec << 2 << QString("Cargo: Apples (12 m\u00B3, 14 t)");
    QTest::newRow("trailer with cargo") << plain << 3 << QString("Trailer weight: 7 t (including cargo 27 t)");
    spec = plain;
    spec.ChassisMassKG = 999;
    QTest::newRow("trailer under one tonne") << spec << 3 << QString("Trailer weight: 0 t");
    QTest::newRow("no ferry") << plain << 4 << QString("Ferry: No");
    spec = plain;
    spec.NeedsFerry = true;
    spec.FerryTime = 120;
    QTest::newRow("ferry") << spec << 4 << QString("Ferry: Yes (120 minutes, + \u2248204 km ferry)");
    spec.FerryTime = 5; // 8.5 km rounds to the even 8
    QTest::newRow("ferry half to even") << spec << 4 << QString("Ferry: Yes (5 minutes, + \u22488 km ferry)");
    spec = plain;
    spec.Urgency = 0;
    QTest::newRow("standard") << spec << 5 << QString("Urgency: Standard delivery (urgency bonus 0%)");
    QTest::newRow("important") << plain << 5 << QString("Urgency: Important delivery (urgency bonus 10%)");
    spec.Urgency = 2;
    QTest::newRow("urgent bonus") << spec << 5 << QString("Urgency: Urgent delivery (urgency bonus 20%)");
    QTest::newRow("no seventh row") << plain << 6 << QString();
}

void TestJobViewTexts::jobRows()
{
    QFETCH(TJobSpec, spec);
    QFETCH(int, child);
    QFETCH(QString, text);
    TJobFixture fixture(spec);
    QCOMPARE(JobChildText(FTexts, &fixture.Job, child), text);
    QCOMPARE(JobRootText(&fixture.Job), QString("Berlin \u00BB Praha"));
}

void TestJobViewTexts::jobRowsWithoutJob()
{
    // The view shows "undefined" for these.
    QVERIFY(JobRootText(nullptr).isEmpty());
    QVERIFY(JobChildText(FTexts, nullptr, 1).isEmpty());
    QVERIFY(HistoryRootText(FTexts, nullptr, 0).isEmpty());
    QVERIFY(HistoryChildText(FTexts, nullptr, 1).isEmpty());
    // A job that lost its trailer still gets its rows.
    TJobFixture fixture(TJobSpec{});
    fixture.Job.SetTrailerDefinitionData(nullptr);
    QCOMPARE(JobChildText(FTexts, &fixture.Job, 3), QString("Trailer weight: 0 t"));
}

void TestJobViewTexts::historyRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint64>("date");
    QTest::addColumn<bool>("ferry");
    QTest::addColumn<QStringList>("texts");

    const qint64 afternoon = WallClock(2026, 12, 10, 14, 5, 9);
    const QString day = QLocale::c().toString(QDate(2026, 12, 10), QLocale::ShortFormat);
    QTest::newRow("first row is new") << 0 << afternoon << false
                                      << QStringList{"[New]  Berlin \u00BB Praha, " + day + " 14:05:09",
                                                     "Distance: \u22481052 km", "Cargo: Apples (20 t)"};
    QTest::newRow("second row is not") << 1 << afternoon << true
                                       << QStringList{"Berlin \u00BB Praha, " + day + " 14:05:09",
                                                      "Distance: \u22481052 km (+ \u2248204 km ferry)",
                                                      "Cargo: Apples (20 t)"};
    QTest::newRow("no date") << 2 << qint64(-1) << false
                             << QStringList{"Berlin \u00BB Praha", "Distance: \u22481052 km", "Cargo: Apples (20 t)"};
}

void TestJobViewTexts::historyRows()
{
    QFETCH(int, row);
    QFETCH(qint64, date);
    QFETCH(bool, ferry);
    QFETCH(QStringList, texts);
    TJobSpec spec;
    spec.NeedsFerry = ferry;
    spec.FerryTime = ferry ? 120 : 0;
    TJobFixture fixture(spec);
    // A history entry carries the whole cargo weight on its own cargo record.
    fixture.Cargo->SetCargoWeightInKG(20500);
    fixture.Job.SetJobDate(date);
    QCOMPARE(HistoryRootText(FTexts, &fixture.Job, row, QLocale::c()), texts[0]);
    QCOMPARE(HistoryChildText(FTexts, &fixture.Job, 0), texts[1]);
    QCOMPARE(HistoryChildText(FTexts, &fixture.Job, 1), texts[2]);
}

void TestJobViewTexts::historyDate()
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QString day = german.toString(QDate(2026, 3, 1), QLocale::ShortFormat);
    // Wall-clock seconds come back as the same wall-clock time, whatever the zone, and the long
    // time format's zone name is left out.
    QCOMPARE(HistoryDateText(WallClock(2026, 3, 1, 23, 59, 58), german), day + " 23:59:58");
    QCOMPARE(HistoryDateText(WallClock(2026, 3, 1, 0, 0, 0), german), day);
    QCOMPARE(HistoryDateText(WallClock(2026, 3, 1, 0, 0, 1), german), day + " 00:00:01");
}

void TestJobViewTexts::cargoSummary_data()
{
    QTest::addColumn<int>("single");
    QTest::addColumn<int>("doubled");
    QTest::addColumn<int>("trailers");
    QTest::addColumn<int>("flags"); // 1 heavy, 2 fragile, 4 valuable, 8 ADR 3 and 900 km, 16 unsupported
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    const QLocale c = QLocale::c();
    QTest::newRow("one weight, one trailer") << 20 << 20 << 1 << 0 << c << QString("20 t, 1 trailer, 1.25/km");
    QTest::newRow("range and every attribute")
        << 20 << 38 << 4 << (1 | 2 | 4 | 8) << c
        << QString("20-38 t, heavy, fragile, valuable, ADR class 3, maximum trip distance 900 km, 4 trailers, 1.25/km");
    QTest::newRow("double below single shows one") << 20 << 12 << 2 << 0 << c << QString("20 t, 2 trailers, 1.25/km");
    QTest::newRow("user's decimal separator")
        << 20 << 20 << 2 << 0 << QLocale(QLocale::German, QLocale::Germany) << QString("20 t, 2 trailers, 1,25/km");
    QTest::newRow("unsupported") << 20 << 38 << 0 << (1 | 16) << c << FTexts.Text(TLangText::CargoInfoUnsupported);
}

void TestJobViewTexts::cargoSummary()
{
    QFETCH(int, single);
    QFETCH(int, doubled);
    QFETCH(int, trailers);
    QFETCH(int, flags);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    TTrailerDefinitionDataList trailerData;
    TCargoInfo cargo;
    cargo.SetCargoWeightMaxUnitCountWeightInT(single);
    cargo.SetCargoWeightMaxDoubleTrailerInT(doubled);
    cargo.SetCargoRewardPerKM(1.25);
    cargo.SetIsHeavy(flags & 1);
    cargo.SetIsFragile(flags & 2);
    cargo.SetCargoIsValuable(flags & 4);
    cargo.SetCargoADR(flags & 8 ? 3 : 0);
    cargo.SetCargoMaximumDistance(flags & 8 ? 900 : 0);
    cargo.SetSavegameCompatibleCargo(!(flags & 16));
    for (int i = 0; i < trailers; ++i) {
        trailerData.push_back(std::make_shared<TTrailerDefinitionData>());
        cargo.AddTrailerDefinition("variant", "truck", 0, 1, 10, trailerData.back());
    }
    QCOMPARE(CargoSummaryText(FTexts, cargo, locale), text);
}

void TestJobViewTexts::trailerSummary_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<QString>("countries");
    QTest::addColumn<bool>("showCountries");
    QTest::addColumn<QString>("text");

    QTest::newRow("length") << 13.6 << QString() << true << QString("Length 13.6 m, 3 axles");
    QTest::newRow("length 0 unknown") << 0.0 << QString() << true << QString("Length unknown, 3 axles");
    QTest::newRow("country bound") << 13.6 << QString("germany,austria") << true
                                   << QString("Length 13.6 m, 3 axles, valid in: Austria, Germany");
    QTest::newRow("country bound of an unsupported cargo")
        << 13.6 << QString("germany,austria") << false << QString("Length 13.6 m, 3 axles");
}

void TestJobViewTexts::trailerSummary()
{
    QFETCH(double, length);
    QFETCH(QString, countries);
    QFETCH(bool, showCountries);
    QFETCH(QString, text);
    TTrailerDefinitionData trailer;
    trailer.SetLength(length);
    trailer.SetAxles(3);
    if (!countries.isEmpty())
        trailer.AddCountryValidityList(countries);
    QCOMPARE(TrailerSummaryText(FTexts, trailer, showCountries, QLocale::c()), text);
}

// With names, the rows say the cities and countries as the player reads them and the trailer
// in words; the job itself keeps its tokens.
void TestJobViewTexts::namesShownForTokens()
{
    TPlaceNames names;
    names.LoadFromLines({QStringLiteral("city;praha;Praha"), QStringLiteral("city;berlin;Berlin (Mitte)"),
                         QStringLiteral("country;germany;Deutschland"),
                         QStringLiteral("trailer;scs.box.single_3;SCS dry van")});
    TJobFixture f{TJobSpec{}};
    f.Job.SetJobDate(WallClock(2024, 5, 1, 0, 0, 0));
    QCOMPARE(JobRootText(&f.Job, &names), QStringLiteral("Berlin (Mitte) \u00BB Praha"));
    QCOMPARE(JobChildText(FTexts, &f.Job, 0, &names), QStringLiteral("Deutschland \u00BB Czech Republic"));
    QCOMPARE(HistoryRootText(FTexts, &f.Job, 1, QLocale::c(), &names).section(u',', 0, 0),
             QStringLiteral("Berlin (Mitte) \u00BB Praha"));
    QCOMPARE(f.Job.DepartureCity(), QStringLiteral("berlin"));

    f.Trailer->SetAxles(3);
    QCOMPARE(TrailerTitleText(FTexts, *f.Trailer, names), QStringLiteral("SCS dry van, 3 axles"));
    f.Trailer->SetTrailerDefinition("scs.box.single_4");
    QCOMPARE(TrailerTitleText(FTexts, *f.Trailer, names), QStringLiteral("scs.box.single_4"));
}

QTEST_GUILESS_MAIN(TestJobViewTexts)
#include "test_jobviewtexts.moc"
