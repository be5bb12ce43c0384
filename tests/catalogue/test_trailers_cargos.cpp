#include "catalogue/cargos.h"
#include "catalogue/trailers.h"

#include <QTest>

using namespace kvn;

class TestTrailersCargos : public QObject {
    Q_OBJECT

private slots:
    void trailerFieldCounts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("used");
        QTest::addColumn<QString>("validity");
        QTest::newRow("5 fields") << "t.single_3;1;2;3;4" << false << "";
        QTest::newRow("6 fields") << "t.single_3;1;2;3;4;5" << true << "";
        QTest::newRow("7 fields") << "t.single_3;1;2;3;4;5;germany,france" << true << "France, Germany";
        QTest::newRow("7 fields, blank validity") << "t.single_3;1;2;3;4;5; " << true << "";
        QTest::newRow("12 fields ignore validity") << "t.x;1;2;3;4;5;germany;a;b;c;d;e" << true << "";
        QTest::newRow("comment") << "# t;1;2;3;4;5" << false << "";
        QTest::newRow("comment after blanks") << "  #t;1;2;3;4;5" << false << "";
    }
    void trailerFieldCounts()
    {
        QFETCH(QString, line);
        QFETCH(bool, used);
        QFETCH(QString, validity);
        const auto trailer = ParseTrailerDefinitionLine(line);
        QCOMPARE(trailer != nullptr, used);
        if (trailer) {
            QCOMPARE(trailer->CountryValidityListCommaList(), validity);
            QCOMPARE(trailer->IsCountryBoundTrailer(), !validity.isEmpty());
        }
    }

    void trailerFieldsAndDefaults()
    {
        auto t =
            ParseTrailerDefinitionLine(QStringLiteral("trailer_def.scs.box.double_3_2.curtain;55000;10862;22,7;5;140"));
        QVERIFY(t);
        QCOMPARE(t->TrailerDefinition(), QStringLiteral("trailer_def.scs.box.double_3_2.curtain"));
        QCOMPARE(t->WeightLimit(), 55000);
        QCOMPARE(t->ChassisMass(), 10862);
        QCOMPARE(t->Length(), 22.7); // "," is read as a decimal separator too
        QCOMPARE(t->Axles(), 5);
        QCOMPARE(t->Volume(), 140.0);
        QVERIFY(t->IsDoubleTrailer());

        t = ParseTrailerDefinitionLine(QStringLiteral("x.Double_3_2;a;b;c;d;e"));
        QVERIFY(t);
        QCOMPARE(t->WeightLimit(), 0);
        QCOMPARE(t->ChassisMass(), 0);
        QCOMPARE(t->Length(), 0.0);
        QCOMPARE(t->Axles(), 0);
        QCOMPARE(t->Volume(), 100.0);
        QVERIFY(!t->IsDoubleTrailer()); // the test is case-sensitive
        QVERIFY(ParseTrailerDefinitionLine(QStringLiteral("x.bdouble_2_2;1;1;1;1;1"))->IsDoubleTrailer());
    }

    void countryValidity_data()
    {
        QTest::addColumn<QString>("commaList");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("shown");
        QTest::newRow("sorted") << "germany,france" << QStringList{"france", "germany"} << "France, Germany";
        QTest::newRow("blank splits") << "czech republic" << QStringList{"czech", "republic"} << "Czech, Republic";
        QTest::newRow("blanks around") << "  uk ,  france  " << QStringList{"france", "uk"} << "France, Uk";
        QTest::newRow("quoted") << "\"czech republic\",a" << QStringList{"a", "czech republic"} << "A, Czech republic";
        QTest::newRow("doubled quote") << "\"a\"\"b\"" << QStringList{"a\"b"} << "A\"b";
        QTest::newRow("trailing comma") << "a," << QStringList{"", "a"} << ", A";
        QTest::newRow("empty middle") << "a,,b" << QStringList{"", "a", "b"} << ", A, B";
        QTest::newRow("duplicates any case") << "Italy,italy,ITALY" << QStringList{"Italy"} << "Italy";
        QTest::newRow("unclosed quote") << "\"a,b" << QStringList{"a,b"} << "A,b";
        QTest::newRow("tab splits") << "a\tb" << QStringList{"a", "b"} << "A, B";
    }
    void countryValidity()
    {
        QFETCH(QString, commaList);
        QFETCH(QStringList, items);
        QFETCH(QString, shown);
        TTrailerDefinitionData t;
        t.AddCountryValidityList(commaList);
        QVERIFY(t.IsCountryBoundTrailer());
        QCOMPARE(t.CountryValidityList().Items(), items);
        QCOMPARE(t.CountryValidityListCommaList(), shown);
    }

    void countryValidityLookUpIgnoresCase()
    {
        TTrailerDefinitionData t;
        t.AddCountryValidityList(QStringLiteral("germany,uk"));
        QVERIFY(t.CountryValidityList().Contains(QStringLiteral("UK")));
        QVERIFY(t.CountryValidityList().Contains(QStringLiteral("Germany")));
        QVERIFY(!t.CountryValidityList().Contains(QStringLiteral("france")));
    }

    void findTrailerIsExact()
    {
        TTrailerDefinitionDataList list;
        LoadTrailerDefinitionsFromLines({QStringLiteral("a.b;1;1;1;1;1"), QStringLiteral("bad"),
                                         QStringLiteral("a.b;2;2;2;2;2"), QStringLiteral("A.c;1;1;1;1;1")},
                                        list);
        QCOMPARE(list.size(), std::size_t(3));
        QCOMPARE(FindTrailerDefinition(list, QStringLiteral("a.b"))->WeightLimit(), 1);
        QVERIFY(!FindTrailerDefinition(list, QStringLiteral("a.c")));
        QVERIFY(!FindTrailerDefinition({}, QStringLiteral("a.b")));
    }

    void cargoFieldCounts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("used");
        QTest::newRow("9 fields") << "cargo.a;1;0;0;0;1;1;1;0" << false;
        QTest::newRow("10 fields") << "cargo.a;1;0;0;0;1;1;1;0;-1" << true;
        QTest::newRow("11 fields") << "cargo.a;1;0;0;0;1;1;1;0;-1;x" << false;
        QTest::newRow("comment") << "#cargo.a;1;0;0;0;1;1;1;0;-1" << false;
        QTest::newRow("empty") << "" << false;
    }
    void cargoFieldCounts()
    {
        QFETCH(QString, line);
        QFETCH(bool, used);
        QCOMPARE(ParseCargoLine(line) != nullptr, used);
    }

    void cargoFieldsAndDefaults()
    {
        auto c = ParseCargoLine(QStringLiteral("cargo.acid;0.6;1;8;130;0.3;200;0.33;1;500"));
        QVERIFY(c);
        QCOMPARE(c->CargoName(), QStringLiteral("acid"));
        QCOMPARE(c->CargoFragility(), 0.6);
        QVERIFY(c->CargoIsValuable());
        QCOMPARE(c->CargoADR(), 8);
        QVERIFY(c->CargoGroups().Contains(TCargoGroups::liquid));
        QVERIFY(c->CargoGroups().Contains(TCargoGroups::bulk));
        QVERIFY(!c->CargoGroups().Contains(TCargoGroups::nogroup));
        QCOMPARE(c->CargoVolume(), 0.3);
        QCOMPARE(c->CargoWeightInKG(), 200.0);
        QCOMPARE(c->CargoWeightInT(), 0.0);
        QCOMPARE(c->CargoRewardPerKM(), 0.33);
        QVERIFY(c->IsHeavy());
        QVERIFY(!c->IsFragile());
        QCOMPARE(c->CargoMaximumDistance(), 500);

        c = ParseCargoLine(QStringLiteral("plain;x;1 ;x;x;x;x;x;true;x"));
        QVERIFY(c);
        QCOMPARE(c->CargoName(), QStringLiteral("plain")); // no "." keeps the whole field
        QCOMPARE(c->CargoFragility(), 1.0);
        QVERIFY(c->IsFragile());
        QVERIFY(!c->CargoIsValuable()); // "1 " is not "1"
        QCOMPARE(c->CargoADR(), -1);
        QCOMPARE(c->CargoGroups().Bits(), std::uint16_t(0));
        QCOMPARE(c->CargoVolume(), 1.0);
        QCOMPARE(c->CargoWeightInKG(), 0.0);
        QCOMPARE(c->CargoRewardPerKM(), 0.0);
        QVERIFY(!c->IsHeavy());
        QCOMPARE(c->CargoMaximumDistance(), -1);

        // Only the first "." separates; the low 16 bits of the group mask are kept.
        c = ParseCargoLine(QStringLiteral("cargo.a.b;1;0;0;65537;1;1;1;0;-1"));
        QCOMPARE(c->CargoName(), QStringLiteral("a.b"));
        QCOMPARE(c->CargoGroups().Bits(), std::uint16_t(1));
    }

    void fragileThreshold_data()
    {
        QTest::addColumn<QString>("fragility");
        QTest::addColumn<bool>("fragile");
        QTest::newRow("0.75") << "0.75" << true;
        QTest::newRow("0,75") << "0,75" << true;
        QTest::newRow("0.7499") << "0.7499" << false;
        QTest::newRow("1") << "1" << true;
    }
    void fragileThreshold()
    {
        QFETCH(QString, fragility);
        QFETCH(bool, fragile);
        const auto c = ParseCargoLine(QStringLiteral("cargo.a;") + fragility + QStringLiteral(";0;0;0;1;1;1;0;-1"));
        QCOMPARE(c->IsFragile(), fragile);
    }

    void weightWriters()
    {
        TCargoInfo c;
        c.SetCargoWeightInKG(1999.9);
        QCOMPARE(c.CargoWeightInT(), 1.0);
        QCOMPARE(c.CargoWeightInKG(), 1999.9);
        c.SetCargoWeightInT(1.2345);
        QCOMPARE(c.CargoWeightInKG(), 1234.0);
        QCOMPARE(c.CargoWeightInT(), 1.2345);
    }

    void addTrailerDefinitionKeepsTheFirst()
    {
        const auto a = std::make_shared<TTrailerDefinitionData>();
        const auto b = std::make_shared<TTrailerDefinitionData>();
        TCargoInfo c;
        const PTrailerDefinitionItem first = c.AddTrailerDefinition("v1", "t1", 1000, 1, 10, a);
        c.AddTrailerDefinition("v2", "t2", 2000, 2, 20, a);
        c.AddTrailerDefinition("v3", "t3", 3000, 3, 30, b);
        QCOMPARE(c.TrailerDefinitionList().size(), std::size_t(2));
        QCOMPARE(c.TrailerDefinitionList()[0], first);
        QCOMPARE(first->TrailerVariant, QStringLiteral("v1"));
        QCOMPARE(first->CargoWeightApproxInKG, 1000);
        QCOMPARE(c.TrailerDefinitionList()[1]->TrailerDefinitionData, b);
    }

    void findCargoIsExactAndFirst()
    {
        TCargoInfoList list;
        LoadCargosFromLines({QStringLiteral("cargo.a;0.1;0;0;0;1;1;1;0;-1"),
                             QStringLiteral("cargo.a;0.2;0;0;0;1;1;1;0;-1"),
                             QStringLiteral("cargo.B;0.3;0;0;0;1;1;1;0;-1")},
                            list);
        QCOMPARE(FindCargo(list, QStringLiteral("a"))->CargoFragility(), 0.1);
        QVERIFY(CargoExists(list, QStringLiteral("B")));
        QVERIFY(!CargoExists(list, QStringLiteral("b")));
        QVERIFY(!CargoExists({}, QStringLiteral("a")));
    }
};

QTEST_GUILESS_MAIN(TestTrailersCargos)
#include "test_trailers_cargos.moc"
