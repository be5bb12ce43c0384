// The names shown for the game's tokens: what the table gives, what stands in when it gives
// nothing, and the order the player reads them in.
#include "catalogue/placenames.h"

#include <QTest>

using namespace kvn;

namespace {

const QStringList kTable{
    QStringLiteral("# Kind; token; name"),
    QStringLiteral("city;a_coruna;A Coru\u00f1a"),
    QStringLiteral("city;a_coruna;Second spelling"),
    QStringLiteral("country;germany;Deutschland"),
    QStringLiteral("country;greece;\u0395\u03bb\u03bb\u03ac\u03b4\u03b1"),
    QStringLiteral("trailer;trailer_def.krone.profiliner.single_3.curtain;Krone curtainsider"),
    QStringLiteral("city;no_name;"),
    QStringLiteral("city;two;fields;too many"),
    QStringLiteral("town;berlin;Berlin town"),
    QStringLiteral("city;kiel"),
};

} // namespace

class TestPlaceNames : public QObject {
    Q_OBJECT

private slots:
    void namesAndWhatStandsInForThem_data()
    {
        QTest::addColumn<QString>("Kind");
        QTest::addColumn<QString>("Token");
        QTest::addColumn<QString>("Shown");
        QTest::newRow("city named") << "city"
                                    << "a_coruna" << QStringLiteral("A Coru\u00f1a");
        QTest::newRow("city token in other case") << "city"
                                                  << "A_Coruna" << QStringLiteral("A Coru\u00f1a");
        QTest::newRow("city without name") << "city"
                                           << "kiel"
                                           << "Kiel";
        QTest::newRow("city with empty name") << "city"
                                              << "no_name"
                                              << "No_name";
        QTest::newRow("unknown kind is no city") << "city"
                                                 << "berlin"
                                                 << "Berlin";
        QTest::newRow("country named") << "country"
                                       << "Germany"
                                       << "Deutschland";
        QTest::newRow("country named by the language") << "country"
                                                       << "Greece"
                                                       << "Griechenland";
        QTest::newRow("country without name") << "country"
                                              << "UK"
                                              << "UK";
        QTest::newRow("all countries") << "country"
                                       << "All countries"
                                       << "All countries";
        QTest::newRow("trailer named") << "trailer"
                                       << "trailer_def.krone.profiliner.single_3.curtain"
                                       << "Krone curtainsider";
        QTest::newRow("trailer without name") << "trailer"
                                              << "trailer_def.scs.box.single_3.dryvan"
                                              << "";
    }

    void namesAndWhatStandsInForThem()
    {
        QFETCH(QString, Kind);
        QFETCH(QString, Token);
        QFETCH(QString, Shown);
        TPlaceNames names;
        names.LoadFromLines(kTable);
        names.SetCountryNameOverrides({{QStringLiteral("greece"), QStringLiteral("Griechenland")},
                                       {QStringLiteral("uk"), QStringLiteral("   ")}});
        const QString shown = Kind == u"city"      ? names.CityName(Token)
                              : Kind == u"country" ? names.CountryName(Token)
                                                   : names.TrailerName(Token);
        QCOMPARE(shown, Shown);
    }

    // Lists follow the names, not the tokens; equal names keep the order they came in.
    void sortedByTheShownNames()
    {
        QList<TShownEntry> entries{{QStringLiteral("zz"), QStringLiteral("alpha")},
                                   {QStringLiteral("aa"), QStringLiteral("Zulu")},
                                   {QStringLiteral("mm"), QStringLiteral("Beta")},
                                   {QStringLiteral("m2"), QStringLiteral("beta")}};
        SortByShownName(entries);
        QStringList tokens;
        for (const TShownEntry &entry : entries)
            tokens << entry.Token;
        QCOMPARE(tokens, QStringList({"zz", "mm", "m2", "aa"}));
    }
};

QTEST_GUILESS_MAIN(TestPlaceNames)
#include "test_placenames.moc"
