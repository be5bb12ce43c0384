#include "catalogue/resources.h"

#include <QTest>

using namespace kvn;

namespace {

// The build's scrambling, written out from its definition: K[c mod 16], rotate, K[c div 16], rotate.
QString Scramble(const QString &Plain, QString Key)
{
    QString out;
    const auto rotate = [&Key] { Key = Key.right(1) + Key.left(Key.size() - 1); };
    for (const QChar c : Plain) {
        out += Key.at(c.unicode() % 16);
        rotate();
        out += Key.at(c.unicode() / 16);
        rotate();
    }
    return out;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void roundTrip()
    {
        QString plain;
        for (int c = 0; c < 256; ++c)
            plain += QChar(c);
        plain += QStringLiteral("cargo.acid;0.6;0;8;128;0.3;200;0.33;0;-1\r\nberlin;Germany");
        const QString scrambled = Scramble(plain, kCatalogueKey);
        QCOMPARE(DescrambleText(scrambled, kCatalogueKey), plain);
        // Characters outside the key, such as line breaks, are ignored wherever they stand.
        QString broken = scrambled;
        for (qsizetype i = broken.size() - 3; i > 0; i -= 7)
            broken.insert(i, QStringLiteral("\r\n -"));
        QCOMPARE(DescrambleText(broken, kCatalogueKey), plain);
    }

    void failures()
    {
        const QString failure(QChar(1));
        QCOMPARE(DescrambleText(QString(), kCatalogueKey), QString());
        QCOMPARE(DescrambleText(QStringLiteral(" \r\n "), kCatalogueKey), QString());
        QCOMPARE(DescrambleText(QStringLiteral("vK"), QStringLiteral("vKe7wTnRzDqaHmL")), QString());
        QCOMPARE(DescrambleText(QStringLiteral("vK"), QStringLiteral("vKe7wTnRzDqaHmLv")), failure);
        QCOMPARE(DescrambleText(QStringLiteral("vK"), QStringLiteral("vKe7wTnRzDqaHm-c")), failure);
        QCOMPARE(DescrambleText(QStringLiteral("vKe"), kCatalogueKey), failure);
        QCOMPARE(DescrambleText(QStringLiteral("!!"), kCatalogueKey), QString());
    }

    // The key turns after every character, so one plain character comes from different pairs.
    void keyRotates()
    {
        const QString scrambled = Scramble(QStringLiteral("aa"), kCatalogueKey);
        QVERIFY(scrambled.left(2) != scrambled.mid(2));
        QCOMPARE(DescrambleText(scrambled, kCatalogueKey), QStringLiteral("aa"));
    }

    void databaseInfoNeedsSixLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("lastUpdated");
        QTest::addColumn<int>("distances");
        QTest::newRow("six") << "# c\r\n1773878400\r\n514\r\n407\r\n2647\r\n861730\r\n" << qint64(1773878400) << 2647;
        QTest::newRow("five") << "# c\r\n1\r\n2\r\n3\r\n4\r\n" << qint64(0) << 0;
        QTest::newRow("seven") << "# c\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n" << qint64(0) << 0;
        QTest::newRow("negative time") << "#\n-1\n2\n3\n4\n5" << qint64(-1) << 4;
    }
    void databaseInfoNeedsSixLines()
    {
        QFETCH(QString, text);
        QFETCH(qint64, lastUpdated);
        QFETCH(int, distances);
        TDatabaseInfo info;
        ReadDatabaseInfoText(text, info);
        QCOMPARE(qint64(info.LastUpdated), lastUpdated);
        QCOMPARE(info.DistanceLineCount, distances);
    }
};

QTEST_GUILESS_MAIN(TestResources)
#include "test_resources.moc"
