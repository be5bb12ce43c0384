#include "jobs/joblist.h"

#include <QRegularExpression>
#include <QTest>

using namespace kvn;

namespace {

// Records what the job list does to the window, and behaves like a view whose nodes are cleared.
class FakeJobWindow : public IJobListWindow {
public:
    int Nodes = 0;
    QString Selected;
    bool PanelVisible = true;
    bool SaveEnabled = false;
    bool DeleteSelectedEnabled = false;
    bool DeleteAllEnabled = false;
    int Clears = 0;

    int JobViewNodeCount() const override { return Nodes; }
    void SetJobViewNodeCount(int Count) override { Nodes = Count; }
    void ClearJobView() override
    {
        Nodes = 0;
        ++Clears;
    }
    void ExpandJobView() override {}
    void RepaintJobView() override {}
    QString SelectedJobID() const override { return Selected; }
    void SetEmptyJobListPanelVisible(bool Visible) override { PanelVisible = Visible; }
    void SetSaveJobsEnabled(bool Enabled) override { SaveEnabled = Enabled; }
    void SetDeleteSelectedEnabled(bool Enabled) override { DeleteSelectedEnabled = Enabled; }
    void SetDeleteAllEnabled(bool Enabled) override { DeleteAllEnabled = Enabled; }
};

std::unique_ptr<TJobListDataSummary> Job(const QString &ID)
{
    auto job = std::make_unique<TJobListDataSummary>();
    job->SetID(ID);
    return job;
}

} // namespace

class TestJobList : public QObject {
    Q_OBJECT

private slots:
    void jobIDs()
    {
        const QRegularExpression letters(QStringLiteral("^[a-zA-Z]{32}$"));
        QSet<QString> seen;
        for (int i = 0; i < 200; ++i) {
            const QString id = GenerateJobID();
            QVERIFY2(letters.match(id).hasMatch(), qPrintable(id));
            seen.insert(id);
        }
        QCOMPARE(seen.size(), 200);
    }

    void appendShowsTheListAndEnablesButtons()
    {
        TJobList list;
        FakeJobWindow w;
        AppendJob(list, Job("a"), &w);
        AppendJob(list, Job("b"), &w);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(w.Nodes, 2);
        QVERIFY(!w.PanelVisible);
        QVERIFY(w.SaveEnabled && w.DeleteSelectedEnabled && w.DeleteAllEnabled);
        QCOMPARE(list.At(0)->ID(), QString("a"));
        QCOMPARE(JobListCount(nullptr), 0);
    }

    void deleteSelectedOnlyJob()
    {
        TJobList list;
        FakeJobWindow w;
        AppendJob(list, Job("a"), &w);
        DeleteJobs(list, w, TJobDeletion::Selected); // nothing selected: nothing deleted
        QCOMPARE(list.Count(), 1);
        QCOMPARE(w.Nodes, 1);
        w.Selected = "a";
        DeleteJobs(list, w, TJobDeletion::Selected);
        QCOMPARE(list.Count(), 0);
        QCOMPARE(w.Nodes, 0);
        QVERIFY(w.PanelVisible);
        QVERIFY(!w.DeleteSelectedEnabled && !w.DeleteAllEnabled);
    }

    void deleteAll()
    {
        TJobList list;
        FakeJobWindow w;
        DeleteJobs(list, w, TJobDeletion::All); // empty list: only panel and buttons
        QCOMPARE(w.Clears, 0);
        QVERIFY(w.PanelVisible && !w.DeleteAllEnabled);
        AppendJob(list, Job("a"), &w);
        AppendJob(list, Job("b"), &w);
        DeleteJobs(list, w, TJobDeletion::All);
        QCOMPARE(list.Count(), 0);
        QCOMPARE(w.Nodes, 0);
        QVERIFY(w.PanelVisible && !w.DeleteSelectedEnabled);
    }

    void deleteByIDRemovesTheFirstMatchOnly()
    {
        TJobList list;
        FakeJobWindow w;
        AppendJob(list, Job("x"), &w);
        list.At(0)->SetDepartureCity("first");
        AppendJob(list, Job("x"), &w);
        DeleteJobByID(&list, "x", &w);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.At(0)->DepartureCity(), QString());
        QCOMPARE(w.Clears, 1);         // the view lost its nodes before the job was freed
        DeleteJobByID(&list, "X", &w); // case-sensitive
        QCOMPARE(list.Count(), 1);
        DeleteJobByID(nullptr, "x", &w);
    }

    void unknownDistances()
    {
        QVERIFY(IsUnknownDistance(1234));
        QVERIFY(IsUnknownDistance(0));
        QVERIFY(IsUnknownDistance(-5));
        QVERIFY(!IsUnknownDistance(1));
        QVERIFY(!IsUnknownDistance(1235));
    }
};

QTEST_GUILESS_MAIN(TestJobList)
#include "test_joblist.moc"
