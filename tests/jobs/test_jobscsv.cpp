#include "jobs/jobscsv.h"

#include <QTest>

using namespace kvn;

namespace {
const QByteArray Header =
    "departure_city,departure_company,destination_city,destination_company,cargo,trailer_definition,urgency,units";
}

class TestJobsCsv : public QObject {
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("company");
        QTest::addColumn<int>("units");
        QTest::newRow("plain") << QByteArray("berlin,tradeaux,paris,posped,boxes,trailer_def.box,1,12") << true
                               << "tradeaux" << 12;
        QTest::newRow("units empty") << QByteArray("berlin,tradeaux,paris,posped,boxes,trailer_def.box,1,") << true
                                     << "tradeaux" << -1;
        QTest::newRow("quoted comma") << QByteArray("berlin,\"trade,aux\",paris,posped,boxes,trailer_def.box,0,")
                                      << true << "trade,aux" << -1;
        QTest::newRow("doubled quote") << QByteArray("berlin,\"a\"\"b\",paris,posped,boxes,trailer_def.box,0,") << true
                                       << "a\"b" << -1;
        QTest::newRow("blanks trimmed") << QByteArray(" berlin , tradeaux ,paris,posped,boxes,trailer_def.box, 2 ,")
                                        << true << "tradeaux" << -1;
        QTest::newRow("open quote") << QByteArray("berlin,\"tradeaux,paris,posped,boxes,trailer_def.box,0,") << false
                                    << "" << -1;
        QTest::newRow("text after quote")
            << QByteArray("berlin,\"a\"b,paris,posped,boxes,trailer_def.box,0,") << false << "" << -1;
        QTest::newRow("too few columns") << QByteArray("berlin,tradeaux,paris") << false << "" << -1;
        QTest::newRow("too many columns")
            << QByteArray("berlin,tradeaux,paris,posped,boxes,trailer_def.box,0,,x") << false << "" << -1;
        QTest::newRow("urgency 3") << QByteArray("berlin,tradeaux,paris,posped,boxes,trailer_def.box,3,") << false << ""
                                   << -1;
        QTest::newRow("units zero") << QByteArray("berlin,tradeaux,paris,posped,boxes,trailer_def.box,0,0") << false
                                    << "" << -1;
        QTest::newRow("units huge") << QByteArray("berlin,tradeaux,paris,posped,boxes,trailer_def.box,0,99999999999")
                                    << false << "" << -1;
        QTest::newRow("empty cargo") << QByteArray("berlin,tradeaux,paris,posped,,trailer_def.box,0,") << false << ""
                                     << -1;
        QTest::newRow("field too long") << QByteArray("berlin," + QByteArray(300, 'x') + ",paris,p,b,t,0,") << false
                                        << "" << -1;
    }

    void rows()
    {
        QFETCH(QByteArray, row);
        QFETCH(bool, ok);
        QFETCH(QString, company);
        QFETCH(int, units);
        const TJobsCsv csv = ParseJobsCsv("\xEF\xBB\xBF" + Header + "\r\n\r\n" + row + "\r\n");
        QVERIFY(csv.Ok);
        QCOMPARE(int(csv.Rows.size()), 1);
        const TJobsCsvRow &r = csv.Rows.front();
        QCOMPARE(r.Line, 3);
        QCOMPARE(r.Ok, ok);
        QCOMPARE(r.Reason.isEmpty(), ok);
        if (ok) {
            QCOMPARE(r.DepartureCompany, company);
            QCOMPARE(r.Units, units);
            QCOMPARE(r.DepartureCity, QString("berlin"));
        }
    }

    void wholeFileRefused()
    {
        QVERIFY(!ParseJobsCsv("").Ok);
        QVERIFY(!ParseJobsCsv("city,company\n").Ok);
        QVERIFY(!ParseJobsCsv(Header + "\n\xff\n").Ok);
        QByteArray many = Header + "\n";
        for (int i = 0; i <= kMaxJobsFileRows; ++i)
            many += "a,b,c,d,e,f,0,\n";
        const TJobsCsv csv = ParseJobsCsv(many);
        QVERIFY(!csv.Ok);
        QVERIFY(csv.Rows.empty());
        QVERIFY(ParseJobsCsv(Header).Ok); // a header without jobs is read; the command reports no job
    }
};

QTEST_GUILESS_MAIN(TestJobsCsv)
#include "test_jobscsv.moc"
