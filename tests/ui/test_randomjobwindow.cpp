// "Create random job" in the real window on a generated game folder: the boxes filled, the
// preview shown, the job added; "Cancel" and closing the window during a search.
#include "app/loadsequence.h"
#include "jobs/randomjob.h"
#include "lang/languages.h"
#include "savegame/companies.h"
#include "savegen.h"
#include "ui/clickimage.h"
#include "ui/delay.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"
#include "ui/textfade.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace kvn;

namespace {

struct TRandomWindow {
    explicit TRandomWindow(const QString &Folder) : Steps(State)
    {
        State.ProgramFolder = Folder + "/";
        State.UserFilesFolder = Folder;
        State.LanguageCode = "en";
        State.Texts.LoadMessageTexts(State.ProgramFolder, State.LanguageCode);
        Form = std::make_unique<TFormMain>(State, Steps);
        State.Texts.LoadInterfaceTexts(State.ProgramFolder, State.LanguageCode);
        Form->ApplyInterfaceTexts();
        Form->SetRandomNumbers(SeededRandomNumbers(17));
        Form->SetMessageDialogue([this](const QString &Msg, const QString &, TMsgDlgType, TMsgDlgButtons, TMsgDlgBtn) {
            Questions << Msg;
            return Answer;
        });
    }

    // Shows the window, waits for the loading sequence and loads the first profile.
    bool Start()
    {
        QSignalSpy finished(Form.get(), &TFormMain::LoadingFinished);
        Form->show();
        if (!finished.wait(30000) || Form->ComboBox1->count() < 2)
            return false;
        Form->ComboBox1->setCurrentIndex(1);
        Form->ComboBox1Change();
        return QTest::qWaitFor([this] { return State.Session.IsProfileLoaded(); }, 30000);
    }

    QString Main(const char *Key) const { return State.Texts.Text("main", Key); }

    QStringList Shown() const
    {
        QStringList texts;
        for (const QComboBox *box : Boxes())
            texts << box->currentText();
        return texts;
    }

    std::vector<QComboBox *> Boxes() const
    {
        const TFormMain &f = *Form;
        return {f.ComboBox5, f.ComboBox6, f.ComboBox7, f.ComboBox2, f.ComboBox3,
                f.ComboBox4, f.ComboBox8, f.ComboBox9, f.ComboBox10};
    }

    // Selects a cargo of the save whose trailer is bound to no country, so that "Add job" asks
    // nothing about the trailer.
    bool PickPlainCargo()
    {
        TFormMain &f = *Form;
        for (int i = 0; i < f.ComboBox8->count(); ++i) {
            f.ComboBox8->setCurrentIndex(i);
            f.ComboBox8Change();
            const auto *trailer =
                ItemPointer<TTrailerDefinitionData>(f.ComboBox9, f.ComboBox9->currentIndex(), kTrailerDefinitionRole);
            if (f.Button3->isEnabled() && trailer && !trailer->IsCountryBoundTrailer())
                return true;
        }
        return false;
    }

    // Starts a search that nothing can satisfy: no load weighs ten million tonnes.
    void StartEndlessSearch()
    {
        Form->CheckBox2->setChecked(true);
        Form->Edit2->setText("9999999");
        QTest::mouseClick(Form->Button8, Qt::LeftButton);
    }

    TProgramState State;
    TLoadSequence Steps;
    std::unique_ptr<TFormMain> Form;
    QStringList Questions;
    int Answer = mrYes;
};

// Looks at the window every 10 ms while a search runs. The search runs on the window's thread
// and hands it over only in its pauses; timers fire there, as the player's clicks arrive there,
// so the test acts through this watch instead of after a wait that the search runs inside.
struct TSearchWatch {
    TSearchWatch(TFormMain &Form, const QString &CancelText)
    {
        Timer.setInterval(10);
        QObject::connect(&Timer, &QTimer::timeout, [this, &Form, CancelText] {
            if (!Form.GeneratingRandomCargo())
                return;
            ++Ticks;
            SawCancelText = SawCancelText || Form.Button8->text() == CancelText;
            SawOptionsDisabled = SawOptionsDisabled || (!Form.CheckBox5->isEnabled() && !Form.CheckBox2->isEnabled());
            SawBusyBar = SawBusyBar || Form.ProgressBar1->maximum() == 0;
            if (Ticks == ActAtTick && Act)
                Act();
        });
        Timer.start();
    }
    // Runs Action once the search has been watched Later more times.
    void ActAfter(int Later, std::function<void()> Action)
    {
        ActAtTick = Ticks + Later;
        Act = std::move(Action);
    }

    QTimer Timer;
    int Ticks = 0;
    int ActAtTick = -1;
    std::function<void()> Act;
    bool SawCancelText = false;
    bool SawOptionsDisabled = false;
    bool SawBusyBar = false;
};

} // namespace

class TestRandomJobWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void createRandomJobFillsUnlockedBoxesAndAddJobQueuesIt();
    void cancelEndsASearchThatCannotSucceed();
    void closeDuringASearchClosesCleanly();
    void destroyedRightAfterTheClickEndsTheSearch();
    void allNineLockedDoesNothing();
    void longestTourQuestionDeclinedLeavesTheOptionOff();
    void padlockClosedDuringASearchHolds();
    void proposesOnlyJobsAddJobTakesWithoutAQuestion();
    void searchThatFindsNothingSaysSo();
    void waitingAndIdleUseNoProcessor();

private:
    QTemporaryDir FHome;
};

void TestRandomJobWindow::initTestCase()
{
    QVERIFY(FHome.isValid());
    qputenv("HOME", FHome.path().toUtf8());
    qputenv("XDG_DATA_HOME", (FHome.path() + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (FHome.path() + "/.config").toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (FHome.path() + "/Documents").toUtf8());
    savegen::Options opt;
    opt.Lines = 4000;
    opt.Profiles = 1;
    QString error;
    QVERIFY2(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt,
                                      FHome.path() + "/.local/share/Euro Truck Simulator 2", &error),
             qPrintable(error));
}

void TestRandomJobWindow::createRandomJobFillsUnlockedBoxesAndAddJobQueuesIt()
{
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    QVERIFY(f.Button8->isEnabled());
    // The departure city is locked (and with it the country): it must stay as it is.
    QTest::mouseClick(f.Image2, Qt::LeftButton);
    QVERIFY(!f.ComboBox5->isEnabled() && !f.ComboBox6->isEnabled() && f.ComboBox7->isEnabled());
    const QString country = f.ComboBox5->currentText();
    const QString city = f.ComboBox6->currentText();
    f.ComboBox10->setCurrentIndex(-1);
    f.JvHTLabel1->clear();

    TSearchWatch watch(f, w.Main("button-cancel-random-job"));
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!f.GeneratingRandomCargo(), 20000);
    QVERIFY(watch.SawCancelText && watch.SawOptionsDisabled && watch.SawBusyBar);
    QCOMPARE(f.Button8->text(), w.Main("button-create-random-job"));
    QVERIFY(f.CheckBox5->isEnabled());
    QCOMPARE(f.ProgressBar1->maximum(), 100);

    QCOMPARE(f.ComboBox5->currentText(), country);
    QCOMPARE(f.ComboBox6->currentText(), city);
    for (const QComboBox *box : w.Boxes())
        QVERIFY2(box->currentIndex() >= 0, qPrintable(box->objectName()));
    QVERIFY(!f.JvHTLabel1->text().isEmpty()); // the preview of the job
    QVERIFY(f.Button3->isEnabled());

    const QStringList shown = w.Shown();
    QTest::mouseClick(f.Button3, Qt::LeftButton);
    QTRY_COMPARE(w.State.JobList.Count(), 1);
    const TJobListDataSummary &job = *w.State.JobList.At(0);
    QCOMPARE(job.DepartureCity(), city.toLower());
    QCOMPARE(job.DepartureCompany(), shown[2]);
    QCOMPARE(job.DestinationCity(), shown[4].toLower());
    QCOMPARE(job.DestinationCompany(), shown[5]);
    QCOMPARE(job.CargoInfo()->CargoName(), shown[6]);
    QCOMPARE(job.TrailerDefinitionData()->TrailerDefinitionData->TrailerDefinition(), shown[7]);
    QCOMPARE(job.CargoUrgency(), f.ComboBox10->currentIndex());
}

void TestRandomJobWindow::cancelEndsASearchThatCannotSucceed()
{
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    const QStringList before = w.Shown();
    const QString preview = f.JvHTLabel1->text();
    TSearchWatch watch(f, w.Main("button-cancel-random-job"));
    // About a quarter of a second into the search the player clicks "Cancel".
    watch.ActAfter(25, [&] { QTest::mouseClick(f.Button8, Qt::LeftButton); });
    w.StartEndlessSearch();
    QVERIFY(f.GeneratingRandomCargo());
    QTRY_VERIFY_WITH_TIMEOUT(!f.GeneratingRandomCargo(), 5000);
    QVERIFY(watch.Ticks >= 25); // the window answered throughout
    QVERIFY(watch.SawCancelText);
    QCOMPARE(f.Button8->text(), w.Main("button-create-random-job"));
    QCOMPARE(w.Shown(), before);
    QCOMPARE(f.JvHTLabel1->text(), preview);
    QVERIFY(f.CheckBox2->isEnabled() && f.Edit2->isEnabled());
    // The next click starts a new search; it is not swallowed by the cancelled one.
    const int ticks = watch.Ticks;
    watch.ActAfter(5, [&] { QTest::mouseClick(f.Button8, Qt::LeftButton); });
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QVERIFY(f.GeneratingRandomCargo());
    QTRY_VERIFY_WITH_TIMEOUT(!f.GeneratingRandomCargo(), 5000);
    QVERIFY(watch.Ticks >= ticks + 5);
}

void TestRandomJobWindow::closeDuringASearchClosesCleanly()
{
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    TSearchWatch watch(f, w.Main("button-cancel-random-job"));
    bool refused = false, wantClose = false;
    watch.ActAfter(10, [&] {
        refused = !f.close(); // refused while the search runs ...
        wantClose = f.WantClose();
    });
    w.StartEndlessSearch();
    QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 5000); // ... and done as soon as it has ended
    QVERIFY(refused && wantClose);
    QVERIFY(!f.GeneratingRandomCargo());
    w.Form.reset();
    // The settings were written on the way out.
    QVERIFY(QFile::exists(user.path() + "/Kvn-settings.ini"));
}

void TestRandomJobWindow::destroyedRightAfterTheClickEndsTheSearch()
{
    // The window goes before the search's first step has run: its steps still run, find the
    // search cancelled, and the window is taken down without waiting forever.
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    w.StartEndlessSearch();
    QVERIFY(w.Form->GeneratingRandomCargo());
    w.Form.reset();
    QVERIFY(QFile::exists(user.path() + "/Kvn-settings.ini"));
}

void TestRandomJobWindow::allNineLockedDoesNothing()
{
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    for (TClickImage *lock : {f.Image3, f.Image6, f.Image8, f.Image9})
        QTest::mouseClick(lock, Qt::LeftButton);
    for (const QComboBox *box : w.Boxes())
        QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
    QVERIFY(!f.Button8->isEnabled());
    // Even a button left enabled starts nothing: there is nothing left to draw.
    const QStringList before = w.Shown();
    f.Button8->setEnabled(true);
    f.Button8->click();
    QTest::qWait(100);
    QVERIFY(!f.GeneratingRandomCargo());
    QCOMPARE(w.Shown(), before);
}

void TestRandomJobWindow::longestTourQuestionDeclinedLeavesTheOptionOff()
{
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    QTest::mouseClick(f.Image5, Qt::LeftButton); // destination city (and country) locked
    QVERIFY(!f.ComboBox3->isEnabled());
    w.Answer = mrNo;
    f.CheckBox4->setChecked(true);
    QCOMPARE(w.Questions.size(), 1);
    QCOMPARE(w.Questions[0], w.State.Texts.Text("msgbox", "msg-get-max-distance-warning"));
    QVERIFY(!f.CheckBox4->isChecked());
    QVERIFY(!f.RandomiserOptions().GetMaxPossibleTour);
    QVERIFY(!f.ComboBox3->isEnabled()); // the locks stay as they were

    // Yes opens the destination locks and keeps the option.
    w.Answer = mrYes;
    f.CheckBox4->setChecked(true);
    QCOMPARE(w.Questions.size(), 2);
    QVERIFY(f.CheckBox4->isChecked());
    QVERIFY(f.RandomiserOptions().GetMaxPossibleTour);
    QVERIFY(f.ComboBox2->isEnabled() && f.ComboBox3->isEnabled() && f.ComboBox4->isEnabled());
}

void TestRandomJobWindow::padlockClosedDuringASearchHolds()
{
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    // The departure branch, locked, gets as many jobs queued as it has offers: no job can start
    // there any more, so the search goes on until the player opens that lock.
    QVERIFY(w.PickPlainCargo());
    if (f.ComboBox3->currentText() == f.ComboBox6->currentText()) {
        f.ComboBox3->setCurrentIndex(f.ComboBox3->count() > 1 ? 1 : 0);
        f.ComboBox3Change(f.ComboBox3);
    }
    QTest::mouseClick(f.Image3, Qt::LeftButton);
    QVERIFY(!f.ComboBox5->isEnabled() && !f.ComboBox6->isEnabled() && !f.ComboBox7->isEnabled());
    const TCompanyInfo *branch = w.State.Session.CompanyList().FindCompany(f.ComboBox7->currentText());
    QVERIFY(branch);
    const int offers = branch->OfferCount(SelectedCityToken(f.ComboBox6));
    w.Answer = mrNo;
    for (int k = 0; k <= offers; ++k)
        QTest::mouseClick(f.Button3, Qt::LeftButton);
    QCOMPARE(w.State.JobList.Count(), offers);
    const QString lockedDeparture = f.ComboBox6->currentText() + "/" + f.ComboBox7->currentText();

    // During the search the player opens the departure and closes the destination and the cargo.
    QString destination, cargo;
    bool profileListOpen = true;
    TSearchWatch watch(f, w.Main("button-cancel-random-job"));
    watch.ActAfter(8, [&] {
        profileListOpen = f.ComboBox1->isEnabled() || f.ComboBox11->isEnabled();
        QTest::mouseClick(f.Image1, Qt::LeftButton);
        QTest::mouseClick(f.Image6, Qt::LeftButton);
        QTest::mouseClick(f.Image7, Qt::LeftButton);
        destination = f.ComboBox2->currentText() + "/" + f.ComboBox3->currentText() + "/" + f.ComboBox4->currentText();
        cargo = f.ComboBox8->currentText();
    });
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!f.GeneratingRandomCargo(), 20000);
    QVERIFY(watch.Ticks >= 8);
    QVERIFY(!profileListOpen); // the profile list cannot change while the search runs
    QVERIFY(f.ComboBox1->isEnabled());

    // The boxes locked during the search kept their values and stay locked; the job found
    // starts where an offer is left.
    QCOMPARE(f.ComboBox2->currentText() + "/" + f.ComboBox3->currentText() + "/" + f.ComboBox4->currentText(),
             destination);
    QCOMPARE(f.ComboBox8->currentText(), cargo);
    for (QComboBox *box : {f.ComboBox2, f.ComboBox3, f.ComboBox4, f.ComboBox8})
        QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
    QVERIFY(f.ComboBox6->currentText() + "/" + f.ComboBox7->currentText() != lockedDeparture);
    const int asked = int(w.Questions.size());
    QTest::mouseClick(f.Button3, Qt::LeftButton);
    QCOMPARE(int(w.Questions.size()), asked);
    QCOMPARE(w.State.JobList.Count(), offers + 1);
}

void TestRandomJobWindow::proposesOnlyJobsAddJobTakesWithoutAQuestion()
{
    // Jobs found one after another and each added: "Add job" never has a question, neither a
    // trailer outside its countries, nor a branch out of offers, nor a job to its own branch.
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    w.Answer = mrNo;
    for (int k = 0; k < 12; ++k) {
        f.SetRandomNumbers(SeededRandomNumbers(100 + k));
        QTest::mouseClick(f.Button8, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!f.GeneratingRandomCargo(), 20000);
        QTest::mouseClick(f.Button3, Qt::LeftButton);
        QVERIFY2(w.Questions.isEmpty(), qPrintable(w.Questions.value(0)));
        QCOMPARE(w.State.JobList.Count(), k + 1);
    }
}

void TestRandomJobWindow::searchThatFindsNothingSaysSo()
{
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    const QString said = w.State.Texts.Text(TLangText::StatusRandomJobNothingFoundYet);
    // The search runs inside the window's event loop: the test looks on from a timer, and
    // cancels once the status line has said it (or after half a minute).
    bool saidWhileSearching = false;
    TSearchWatch watch(f, w.Main("button-cancel-random-job"));
    QTimer look;
    look.setInterval(50);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (!f.GeneratingRandomCargo())
            return;
        saidWhileSearching = f.TextFader1->Lines().contains(said);
        if (saidWhileSearching || watch.Ticks > 3000)
            QTest::mouseClick(f.Button8, Qt::LeftButton);
    });
    look.start();
    w.StartEndlessSearch();
    QTRY_VERIFY_WITH_TIMEOUT(!f.GeneratingRandomCargo(), 60000);
    QVERIFY(saidWhileSearching);
}

namespace {

// Processor time this process has used, user and system, in seconds; -1 where not known.
double ProcessorSeconds()
{
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#else
    return -1;
#endif
}

// Lets the event loop run for Milliseconds without polling it.
void IdleFor(int Milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(Milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

void TestRandomJobWindow::waitingAndIdleUseNoProcessor()
{
    // The style whose running progress bar animates on a timer of its own.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QTemporaryDir user;
    TRandomWindow w(user.path());
    QVERIFY(w.Start());
    TFormMain &f = *w.Form;
    if (ProcessorSeconds() < 0)
        QSKIP("no processor time of the process on this platform");
    QTRY_VERIFY_WITH_TIMEOUT(!f.TextFader1->Active(), 10000);

    // One second of the search's pauses: a spinning wait used more than half of it.
    double before = ProcessorSeconds();
    for (int k = 0; k < 40; ++k)
        Delay(25, true);
    const double delays = ProcessorSeconds() - before;
    QVERIFY2(delays < 0.2, qPrintable(QString::number(delays)));

    // After a busy phase (the running progress bar of a search) the idle window sleeps.
    TSearchWatch watch(f, w.Main("button-cancel-random-job"));
    watch.ActAfter(30, [&] { QTest::mouseClick(f.Button8, Qt::LeftButton); });
    w.StartEndlessSearch();
    QTRY_VERIFY_WITH_TIMEOUT(!f.GeneratingRandomCargo(), 10000);
    QVERIFY(watch.SawBusyBar);
    watch.Timer.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!f.TextFader1->Active(), 10000);
    IdleFor(200);
    before = ProcessorSeconds();
    IdleFor(1500);
    const double idle = ProcessorSeconds() - before;
    qInfo("processor time: %.3f s for 40 pauses of 25 ms, %.3f s for 1.5 s of idle window", delays, idle);
    QVERIFY2(idle < 0.15, qPrintable(QString::number(idle)));
}

QTEST_MAIN(TestRandomJobWindow)
#include "test_randomjobwindow.moc"
