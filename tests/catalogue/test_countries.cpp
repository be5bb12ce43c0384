#include "catalogue/countries.h"
#include "catalogue/distances.h"

#include <QTest>

using namespace kvn;

namespace {

// Stands in for the window's two country lists.
class FakeCountryLists : public ICountryListSink {
public:
    void ClearCountryLists() override
    {
        Departure.clear();
        Destination.clear();
        ++Clears;
    }
    void FillCountryLists(const QStringList &Entries) override
    {
        Departure += Entries;
        Destination += Entries;
        SelectedIndex = 0;
    }
    QStringList Departure, Destination;
    int SelectedIndex = -1;
    int Clears = 0;
};

const QStringList kCountryLines{QStringLiteral("berlin;Germany"),
                                QStringLiteral("hamburg;Germany"),
                                QStringLiteral("praha;Czech"),
                                QStringLiteral("london;UK"),
                                QStringLiteral("calais;France"),
                                QStringLiteral("bad line"),
                                QStringLiteral("a;b;c"),
                                QStringLiteral(" ;France"),
                                QStringLiteral("  brno ; Czech  "),
                                QStringLiteral("strasbourg;France"),
                                QStringLiteral("strasbourg;Germany")};

QStringList Save(const QStringList &Companies, int Count = -1)
{
    QStringList lines{QStringLiteral("SiiNunit"), QStringLiteral("{"), QStringLiteral("economy : _nameless.1 {")};
    lines.append(QStringLiteral(" companies: %1").arg(Count < 0 ? Companies.size() : Count));
    for (int i = 0; i < Companies.size(); ++i)
        lines.append(QStringLiteral(" companies[%1]: company.volatile.%2").arg(i).arg(Companies[i]));
    lines.append(QStringLiteral("}"));
    return lines;
}

} // namespace

class TestCountries : public QObject {
    Q_OBJECT

private slots:
    void buildsCountriesFromTheSave()
    {
        TCountries countries;
        FakeCountryLists lists;
        countries.LoadCountriesToDataClasses(Save({"posped.berlin", "tree_et.berlin", "aci.Hamburg", "x.praha",
                                                   "y.london", "z.brno", "short.name", "q.strasbourg"}),
                                             kCountryLines, nullptr, &lists);
        // Hamburg is spelt differently in the save and gets no country; berlin counts once.
        QCOMPARE(lists.Departure, (QStringList{"All countries", "Czech", "France", "Germany", "UK"}));
        QCOMPARE(lists.Destination, lists.Departure);
        QCOMPARE(lists.SelectedIndex, 0);
        QCOMPARE(countries.FindCountry(QStringLiteral("Germany"))->CityList(),
                 (QStringList{"berlin", "strasbourg"})); // a city under two countries is in both
        QCOMPARE(countries.FindCountry(QStringLiteral("Czech"))->CityList(), (QStringList{"brno", "praha"}));
        QVERIFY(!countries.FindCountry(QStringLiteral("germany")));
        QVERIFY(!countries.CountryExists(QString()));
        QCOMPARE(countries.CityCount(), 7);

        QVERIFY(countries.CityInSet(QStringLiteral("berlin")));
        QVERIFY(!countries.CityInSet(QStringLiteral("Berlin")));
        QVERIFY(countries.CityInSet(QStringLiteral("Hamburg")));
        QVERIFY(!countries.CityInSet(QString()));
        QCOMPARE(countries.FindCountryOfCity(QStringLiteral("BERLIN"))->Country(), QStringLiteral("Germany"));
        QCOMPARE(countries.FindCountryOfCity(QStringLiteral("strasbourg"))->Country(), QStringLiteral("France"));
        QVERIFY(!countries.FindCountryOfCity(QStringLiteral("hamburg")));
    }

    void resolveCountryName()
    {
        TCountries countries;
        countries.LoadCountriesToDataClasses(Save({"a.london", "b.praha"}), kCountryLines, nullptr, nullptr);
        QCOMPARE(countries.ResolveCountryName(0, QString(), QStringLiteral("London")), QStringLiteral("uk"));
        QCOMPARE(countries.ResolveCountryName(-1, QString(), QStringLiteral("praha")), QStringLiteral("czech"));
        QCOMPARE(countries.ResolveCountryName(0, QString(), QStringLiteral("nowhere")), QString());
        QCOMPARE(countries.ResolveCountryName(3, QStringLiteral("Germany"), QStringLiteral("london")),
                 QStringLiteral("germany"));
    }

    void companyCount_data()
    {
        QTest::addColumn<QStringList>("save");
        QTest::addColumn<QStringList>("cities");
        QTest::newRow("count limits") << Save({"a.berlin", "b.praha", "c.london"}, 2) << QStringList{"berlin", "praha"};
        QTest::newRow("zero") << Save({"a.berlin"}, 0) << QStringList{};
        QTest::newRow("no count line") << QStringList{" companies[0]: company.volatile.a.berlin"} << QStringList{};
        QTest::newRow("count not a number")
            << QStringList{" companies: x", " companies[0]: company.volatile.a.berlin"} << QStringList{};
        QTest::newRow("out of order") << QStringList{" companies: 2", " companies[1]: company.volatile.a.praha",
                                                     " companies[0]: company.volatile.a.berlin"}
                                      << QStringList{"berlin"};
        QTest::newRow("value with colon")
            << QStringList{" companies: 1", " companies[0]: company.volatile.a.rome: x"} << QStringList{"rome"};
        QTest::newRow("fewer parts") << QStringList{" companies: 2", " companies[0]: company.a",
                                                    " companies[1]: company.volatile.b.oslo"}
                                     << QStringList{"oslo"};
    }
    void companyCount()
    {
        QFETCH(QStringList, save);
        QFETCH(QStringList, cities);
        QCOMPARE(CompanyCitiesOfSave(save), cities);
    }

    void marksDistancesOutsideTheSave()
    {
        const auto table =
            TDistanceTable::Build({QStringLiteral("berlin,praha,350,0"), QStringLiteral("berlin,london,1000,60"),
                                   QStringLiteral("Praha,berlin,350,0")},
                                  {});
        TCountries countries;
        countries.LoadCountriesToDataClasses(Save({"a.berlin", "b.praha"}), kCountryLines, table.get(), nullptr);
        QVERIFY(!table->Entries()[0].ItemDeactivatedForProfile());
        QVERIFY(table->Entries()[1].ItemDeactivatedForProfile());
        QVERIFY(!table->Entries()[2].ItemDeactivatedForProfile()); // compared without regard to case

        // A save without companies marks every distance.
        table->ResetDistanceDeactivation();
        countries.LoadCountriesToDataClasses(Save({}, 0), kCountryLines, table.get(), nullptr);
        for (const TDistanceData &e : table->Entries())
            QVERIFY(e.ItemDeactivatedForProfile());
    }

    void aSecondProfileReplacesTheFirst()
    {
        TCountries countries;
        FakeCountryLists lists;
        countries.LoadCountriesToDataClasses(Save({"a.berlin", "b.praha"}), kCountryLines, nullptr, &lists);
        countries.LoadCountriesToDataClasses(Save({"c.london"}), kCountryLines, nullptr, &lists);
        QCOMPARE(lists.Departure, (QStringList{"All countries", "UK"}));
        QCOMPARE(countries.CountryInfoList().size(), std::size_t(1));
        QVERIFY(!countries.CityInSet(QStringLiteral("berlin")));

        // No save lines: nothing at all, not even "All countries".
        countries.LoadCountriesToDataClasses({}, kCountryLines, nullptr, &lists);
        QVERIFY(lists.Departure.isEmpty());
        QVERIFY(countries.CountryInfoList().empty());
        QCOMPARE(lists.Clears, 3);
    }

    void compiledCountriesResource()
    {
        TCountries countries;
        countries.LoadCountriesToDataClasses(Save({"a.pecs", "b.london", "c.skopje"}), nullptr, nullptr);
        QVERIFY(countries.CountryExists(QStringLiteral("Hungary")));
        QVERIFY(countries.CountryExists(QStringLiteral("UK")));
        QVERIFY(countries.CountryExists(QStringLiteral("Macedonia")));
    }
};

QTEST_GUILESS_MAIN(TestCountries)
#include "test_countries.moc"
