#include "shared/strings.h"

#include <QLocale>
#include <QtTest>

using namespace kvn;

class TestStrings : public QObject {
    Q_OBJECT
private slots:
    void explode_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("empty fields kept") << "a;;b;" << QStringList{"a", "", "b", ""};
        QTest::newRow("empty text gives none") << "" << QStringList{};
        QTest::newRow("leading separator") << ";x" << QStringList{"", "x"};
        QTest::newRow("no separator") << "abc" << QStringList{"abc"};
    }
    void explode()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, fields);
        QCOMPARE(Explode(";", input), fields);
    }

    void upperFirst()
    {
        QCOMPARE(UpperFirst(""), QString());
        QCOMPARE(UpperFirst("a"), QString("A"));
        QCOMPARE(UpperFirst("berlin"), QString("Berlin"));
        QCOMPARE(UpperFirst("bRNO"), QString("BRNO"));
    }

    // Tokens are lowered alike in every language: a Turkish locale must not make "I" a dotless "ı".
    void asciiLowerIgnoresTheLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        QCOMPARE(AsciiLower("Innsbruck ISTANBUL Italy_2"), QString("innsbruck istanbul italy_2"));
        QCOMPARE(AsciiLower(QString::fromUtf8("Ärø İz")), QString::fromUtf8("Ärø İz"));
        QLocale::setDefault(saved);
    }

    void floatsWithEitherSeparator_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("dot locale") << "en_GB";
        QTest::newRow("comma locale") << "de_DE";
    }
    void floatsWithEitherSeparator()
    {
        QFETCH(QString, locale);
        const QLocale saved;
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(StrToFloatLocaleFree("2,5", 0), 2.5);
        QCOMPARE(StrToFloatLocaleFree("2.5", 0), 2.5);
        QCOMPARE(StrToFloatLocaleFree("abc", 100), 100.0);
        QCOMPARE(StrToFloatLocaleFree("1,234.5", -1), -1.0);
        QCOMPARE(StrToFloatLocaleFree("", 7), 7.0);
        QLocale::setDefault(saved);
    }

    void replace()
    {
        QCOMPARE(ReplaceString("aaa", "aa", "b", rfReplaceAll), QString("ba"));
        QCOMPARE(ReplaceString("x<BREAK>y<BREAK>", "<BREAK>", "\r\n", rfReplaceAll), QString("x\r\ny\r\n"));
        QCOMPARE(ReplaceString("abAB", "ab", "-", 0), QString("-AB"));
        QCOMPARE(ReplaceString("abAB", "ab", "-", rfReplaceAll | rfIgnoreCase), QString("--"));
        QCOMPARE(ReplaceString("abc", "", "-", rfReplaceAll), QString("abc"));
    }

    void unixTimeRoundTrip()
    {
        for (const qint64 x : {qint64(0), qint64(1), qint64(1773878400), qint64(-86399), qint64(4102444800)})
            QCOMPARE(DateTimeToUnixValue(UnixToDateTimeValue(x)), x);
        QCOMPARE(UnixToDateTimeValue(0), 25569.0);
    }

    void percentage_data()
    {
        QTest::addColumn<double>("part");
        QTest::addColumn<double>("whole");
        QTest::addColumn<int>("expected");
        QTest::newRow("quarter") << 50.0 << 200.0 << 25;
        QTest::newRow("third rounds down") << 1.0 << 3.0 << 33;
        QTest::newRow("two thirds rounds up") << 2.0 << 3.0 << 67;
        QTest::newRow("zero part") << 0.0 << 10.0 << 0;
        QTest::newRow("zero whole") << 5.0 << 0.0 << 0;
        QTest::newRow("overfull clamps") << 500.0 << 1.0 << 127;
    }
    void percentage()
    {
        QFETCH(double, part);
        QFETCH(double, whole);
        QFETCH(int, expected);
        QCOMPARE(int(Percentage(part, whole)), expected);
    }
};

QTEST_GUILESS_MAIN(TestStrings)
#include "test_strings.moc"
