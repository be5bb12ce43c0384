#include "common/testfiles.h"
#include "jobs/jobhistory.h"
#include "shared/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kvn;

namespace {

class FakeHistoryWindow : public IJobHistoryWindow {
public:
    int Nodes = -1;
    bool DeleteEnabled = true;
    bool PanelVisible = false;
    void ClearJobHistoryView() override { Nodes = 0; }
    void SetJobHistoryNodeCount(int Count) override { Nodes = Count; }
    void SetDeleteHistoryEnabled(bool Enabled) override { DeleteEnabled = Enabled; }
    void SetEmptyHistoryPanelVisible(bool Visible) override { PanelVisible = Visible; }
};

struct HistoryJob {
    PCargoInfo Cargo = std::make_shared<TCargoInfo>();
    TJobListDataSummary Job;
    HistoryJob(const QString &From, const QString &To, int Units, double KgPerUnit)
    {
        Cargo->SetCargoName("cargo_" + From);
        Cargo->SetCargoWeightInKG(KgPerUnit);
        Job.SetDepartureCity(From);
        Job.SetDestinationCity(To);
        Job.SetCargoInfo(Cargo);
        Job.SetCargoUnitCountUserCustom(Units);
        Job.SetDistanceDataResult({812, 45, true});
    }
};

QStringList Departures(const TJobList &List)
{
    QStringList out;
    for (int i = 0; i < List.Count(); ++i)
        out << List.At(i)->DepartureCity();
    return out;
}

} // namespace

class TestJobHistory : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

private slots:
    void init() { QFile::remove(JobHistoryPath(FDir.path())); }

    void freshHistoryCountsFromOne()
    {
        HistoryJob a("berlin", "paris", 20, 1250.0); // 25 t
        HistoryJob b("praha", "wien", 3, 333.0);     // 0.999 t -> 0
        QVERIFY(AppendJobHistory(FDir.path(), a.Job, 1700000000).Ok);
        QVERIFY(AppendJobHistory(FDir.path(), b.Job, 1700000100).Ok);
        QCOMPARE(kvntest::ReadRaw(JobHistoryPath(FDir.path())),
                 QByteArray("\xEF\xBB\xBF[0]\r\nitems=2\r\n\r\n"
                            "[1]\r\ndeparture=berlin\r\ndestination=paris\r\ncargo=cargo_berlin\r\nweight=25\r\n"
                            "distance=812\r\nferry=1\r\nferrytime=45\r\ndate=1700000000\r\n\r\n"
                            "[2]\r\ndeparture=praha\r\ndestination=wien\r\ncargo=cargo_praha\r\nweight=0\r\n"
                            "distance=812\r\nferry=1\r\nferrytime=45\r\ndate=1700000100\r\n\r\n"));

        TJobList list;
        FakeHistoryWindow w;
        LoadJobHistory(FDir.path(), list, &w);
        QCOMPARE(Departures(list), QStringList({"praha", "berlin"}));
        QCOMPARE(w.Nodes, 2);
        QVERIFY(w.DeleteEnabled && !w.PanelVisible);
        const TJobListDataSummary *berlin = list.At(1);
        QCOMPARE(berlin->CargoInfo()->CargoWeightInKG(), 25000.0);
        QCOMPARE(berlin->DistanceDataResult().KM, 812);
        QCOMPARE(berlin->DistanceDataResult().FerryTime, 45);
        QVERIFY(berlin->DistanceDataResult().NeedsFerry);
        QCOMPARE(berlin->JobDate(), qint64(1700000000));
    }

    // An estimated distance stays marked as one when the history is read back.
    void estimatedDistanceKeepsItsMark()
    {
        HistoryJob estimated("kiel", "lubeck", 1, 1000);
        estimated.Job.SetDistanceDataResult({61, 0, false, TDistanceSource::Estimated});
        HistoryJob known("berlin", "paris", 1, 1000);
        QVERIFY(AppendJobHistory(FDir.path(), estimated.Job).Ok);
        QVERIFY(AppendJobHistory(FDir.path(), known.Job).Ok);
        TJobList list;
        LoadJobHistory(FDir.path(), list, nullptr);
        QCOMPARE(Departures(list), QStringList({"berlin", "kiel"}));
        QVERIFY(!list.At(0)->DistanceDataResult().IsEstimate());
        QVERIFY(list.At(1)->DistanceDataResult().IsEstimate());
        QCOMPARE(list.At(1)->DistanceDataResult().KM, 61);
    }

    void deleteStartsAgainAtOne()
    {
        HistoryJob a("berlin", "paris", 1, 1000);
        QVERIFY(AppendJobHistory(FDir.path(), a.Job).Ok);
        QVERIFY(AppendJobHistory(FDir.path(), a.Job).Ok);
        TJobList list;
        FakeHistoryWindow w;
        LoadJobHistory(FDir.path(), list, &w);
        QVERIFY(DeleteJobHistory(FDir.path(), list, &w));
        QCOMPARE(list.Count(), 0);
        QVERIFY(w.PanelVisible && !w.DeleteEnabled);
        QVERIFY(!QFile::exists(JobHistoryPath(FDir.path())));
        QVERIFY(AppendJobHistory(FDir.path(), a.Job).Ok);
        const TMemIniFile ini(JobHistoryPath(FDir.path()), true);
        QCOMPARE(ini.ReadSections(), QStringList({"0", "1"}));
        QCOMPARE(ini.ReadInteger("0", "items", 0), 1);
    }

    // The counter decides the next section, and loading reads the sections backwards.
    void counterAheadOfTheSections()
    {
        kvntest::WriteRaw(JobHistoryPath(FDir.path()), "[0]\nitems=5\n[1]\ndeparture=a\ndestination=x\ncargo=c\n"
                                                       "[2]\ndeparture=b\ndestination=x\ncargo=c\n"
                                                       "[3]\ndeparture=c\ndestination=x\ncargo=c\n");
        HistoryJob f("f", "x", 1, 1000);
        QVERIFY(AppendJobHistory(FDir.path(), f.Job).Ok);
        TJobList list;
        LoadJobHistory(FDir.path(), list, nullptr);
        QCOMPARE(Departures(list), QStringList({"f", "c", "b", "a"}));
        const TMemIniFile ini(JobHistoryPath(FDir.path()), true);
        QVERIFY(ini.SectionExists("6"));
        QCOMPARE(ini.ReadInteger("0", "items", 0), 6);
    }

    void entryFields_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<double>("kg");
        QTest::addColumn<qint64>("date");
        QTest::newRow("decimal comma") << QByteArray("departure=a\ndestination=b\ncargo=c\nweight=12,5\ndate=7") << true
                                       << 12500.0 << qint64(7);
        QTest::newRow("decimal point") << QByteArray("departure=a\ndestination=b\ncargo=c\nweight=12.5\ndate=7") << true
                                       << 12500.0 << qint64(7);
        QTest::newRow("no date, no weight")
            << QByteArray("departure=a\ndestination=b\ncargo=c") << true << 0.0 << qint64(-1);
        QTest::newRow("date beyond 32 bits")
            << QByteArray("departure=a\ndestination=b\ncargo=c\ndate=4102444800") << true << 0.0 << qint64(4102444800);
        QTest::newRow("blank cargo") << QByteArray("departure=a\ndestination=b\ncargo=  ") << false << 0.0 << qint64(0);
        QTest::newRow("no departure") << QByteArray("destination=b\ncargo=c") << false << 0.0 << qint64(0);
        QTest::newRow("junk numbers") << QByteArray("departure=a\ndestination=b\ncargo=c\nweight=x\ndistance=y\n"
                                                    "date=z")
                                      << true << 0.0 << qint64(-1);
    }

    void entryFields()
    {
        QFETCH(QByteArray, section);
        QFETCH(bool, kept);
        QFETCH(double, kg);
        QFETCH(qint64, date);
        kvntest::WriteRaw(JobHistoryPath(FDir.path()), "[0]\nitems=1\n[1]\n" + section + "\n");
        TJobList list;
        LoadJobHistory(FDir.path(), list, nullptr);
        QCOMPARE(list.Count(), kept ? 1 : 0);
        if (!kept)
            return;
        QCOMPARE(list.At(0)->CargoInfo()->CargoWeightInKG(), kg);
        QCOMPARE(list.At(0)->JobDate(), date);
        QCOMPARE(list.At(0)->DistanceDataResult().KM, 0);
    }

    void missingFileIsAnEmptyHistory()
    {
        TJobList list;
        FakeHistoryWindow w;
        LoadJobHistory(FDir.path() + "/nowhere", list, &w);
        QCOMPARE(list.Count(), 0);
        QCOMPARE(w.Nodes, 0);
        QVERIFY(w.PanelVisible && !w.DeleteEnabled);
    }
};

QTEST_GUILESS_MAIN(TestJobHistory)
#include "test_jobhistory.moc"
