// The job list and history views, the owner-drawn lists and the options slide, in the real
// window built in this process (no game folder, so nothing else gets in the way).
#include "app/loadsequence.h"
#include "catalogue/cargos.h"
#include "jobs/jobhistory.h"
#include "jobs/joblist.h"
#include "savegame/profiles.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/jobviews.h"
#include "ui/optionsslide.h"
#include "ui/ownerdrawnlists.h"
#include "ui/programstate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <functional>

using namespace kvn;

namespace {

struct TWindowFixture {
    explicit TWindowFixture(const QString &ProgramFolder, const QString &UserFilesFolder = QString()) : Steps(State)
    {
        State.ProgramFolder = ProgramFolder;
        State.UserFilesFolder = UserFilesFolder;
        State.LanguageCode = "en";
        Form = std::make_unique<TFormMain>(State, Steps);
        Form->ApplyInterfaceTexts();
    }
    // Shown and idle, so that the views are laid out and clicks land where rows are drawn.
    void ShowAndWait()
    {
        QSignalSpy finished(Form.get(), &TFormMain::LoadingFinished);
        Form->show();
        QVERIFY(finished.wait(20000));
    }
    IJobListWindow *JobWindow() const { return Form->findChild<TJobListViewAdapter *>("JobListWindow"); }
    QString Text(QTreeView *View, int Root, int Child = -1) const
    {
        QModelIndex index = View->model()->index(Root, 0);
        if (Child >= 0)
            index = View->model()->index(Child, 0, index);
        return index.data().toString();
    }

    TProgramState State;
    TLoadSequence Steps;
    std::unique_ptr<TFormMain> Form;
};

// A queued job and the catalogue records it points at.
struct TQueuedJob {
    TQueuedJob()
    {
        Trailer->SetChassisMass(7000);
        Cargo->SetCargoName("Apples");
        Cargo->SetCargoWeightInKG(2000);
        Cargo->SetCargoVolume(3);
        Item = Cargo->AddTrailerDefinition("variant", "truck", 0, 1, 20, Trailer);
    }
    std::unique_ptr<TJobListDataSummary> Make(const QString &ID, const QString &From, const QString &To)
    {
        auto job = std::make_unique<TJobListDataSummary>();
        job->SetID(ID);
        job->SetDepartureCountry("Germany");
        job->SetDestinationCountry("Poland");
        job->SetDepartureCity(From);
        job->SetDestinationCity(To);
        job->SetDistanceDataResult({570, 0, false});
        job->SetCargoInfo(Cargo);
        job->SetTrailerDefinitionData(Item);
        job->SetCargoUnitCountUserCustom(10);
        job->SetCargoUrgency(2);
        return job;
    }
    PTrailerDefinitionData Trailer = std::make_shared<TTrailerDefinitionData>();
    PCargoInfo Cargo = std::make_shared<TCargoInfo>();
    PTrailerDefinitionItem Item = nullptr;
};

void WhenDialogueShows(std::function<void(QMessageBox *)> Act, int Attempts = 200)
{
    QTimer::singleShot(10, qApp, [Act, Attempts] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->isVisible())
            Act(box);
        else if (Attempts > 0)
            WhenDialogueShows(Act, Attempts - 1);
    });
}

void ClickButtonCalled(QMessageBox *Box, const QString &Caption)
{
    for (QAbstractButton *button : Box->buttons())
        if (button->text() == Caption)
            return button->click();
    Box->reject();
}

void WriteFile(const QString &Path, const QByteArray &Data)
{
    QFile file(Path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Data);
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void viewSettings();
    void queuedJobShowsItsRows();
    void deleteSelectedAndDeleteAll();
    void rowWithoutJobIsUndefined();
    void historyLoadedAtStartAndDeletedOnYes_data();
    void historyLoadedAtStartAndDeletedOnYes();
    void easeOutQuint_data();
    void easeOutQuint();
    void slideOpensAndCloses();
    void cargoLooks_data();
    void cargoLooks();
    void trailerAndProfileLooks();
    void closedFieldIsOwnerDrawn();
    void longTextStopsShortOfThePictures();

private:
    QTemporaryDir FHome;
    QTemporaryDir FProgramFolder;
};

void TestViews::initTestCase()
{
    QVERIFY(FHome.isValid() && FProgramFolder.isValid());
    qputenv("HOME", FHome.path().toUtf8());
    qputenv("XDG_DATA_HOME", (FHome.path() + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (FHome.path() + "/.config").toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (FHome.path() + "/Documents").toUtf8());
}

void TestViews::viewSettings()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    for (QTreeView *view : {fixture.Form->VST, fixture.Form->VSTJobHistory}) {
        QVERIFY(view->isHeaderHidden());
        QCOMPARE(view->indentation(), 20);
        QCOMPARE(view->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    }
    // The two-line lists drop down below their field with a bounded row count, never as a
    // screen-high menu over it.
    for (QComboBox *list : {fixture.Form->ComboBox1, fixture.Form->ComboBox8, fixture.Form->ComboBox9})
        QCOMPARE(list->style()->styleHint(QStyle::SH_ComboBox_Popup, nullptr, list), 0);
    // Empty list and empty history: both covered, nothing to delete or save.
    QVERIFY(!fixture.Form->Panel1->isHidden());
    QVERIFY(!fixture.Form->Panel2->isHidden());
    for (QPushButton *button :
         {fixture.Form->Button5, fixture.Form->Button6, fixture.Form->Button2, fixture.Form->Button9})
        QVERIFY(!button->isEnabled());
}

void TestViews::queuedJobShowsItsRows()
{
    TQueuedJob records; // outlives the window that shows its jobs
    TWindowFixture fixture(FProgramFolder.path() + "/");
    fixture.ShowAndWait();
    TFormMain &form = *fixture.Form;
    QVERIFY(fixture.JobWindow());
    AppendJob(fixture.State.JobList, records.Make("A", "berlin", "szczecin"), fixture.JobWindow());

    QTreeView *view = form.VST;
    QCOMPARE(view->model()->rowCount(), 1);
    const QModelIndex root = view->model()->index(0, 0);
    QCOMPARE(view->model()->rowCount(root), 6);
    QVERIFY(view->isExpanded(root));
    QCOMPARE(fixture.Text(view, 0), QString("Berlin \u00BB Szczecin"));
    // The countries by their names; a language file's name wins over the catalogue's.
    QCOMPARE(fixture.Text(view, 0, 0), QString("Deutschland \u00BB Polska"));
    fixture.State.Catalogue.Names.SetCountryNameOverrides({{"germany", "Germany"}});
    QCOMPARE(fixture.Text(view, 0, 0), QString("Germany \u00BB Polska"));
    QCOMPARE(fixture.State.JobList.At(0)->DepartureCountry(), QString("Germany"));
    QCOMPARE(fixture.Text(view, 0, 2), QString("Cargo: Apples (30 m\u00B3, 20 t)"));
    QCOMPARE(fixture.Text(view, 0, 5), QString("Urgency: Urgent delivery (urgency bonus 20%)"));
    QCOMPARE(view->visualRect(root).height(), 24);
    QCOMPARE(view->visualRect(view->model()->index(3, 0, root)).height(), 24);
    QVERIFY(form.Panel1->isHidden());
    QVERIFY(form.Button5->isEnabled());
    QVERIFY(form.Button6->isEnabled());
    QVERIFY(form.Button2->isEnabled());
}

void TestViews::deleteSelectedAndDeleteAll()
{
    TQueuedJob records; // outlives the window that shows its jobs
    TWindowFixture fixture(FProgramFolder.path() + "/");
    fixture.ShowAndWait();
    TFormMain &form = *fixture.Form;
    AppendJob(fixture.State.JobList, records.Make("A", "berlin", "szczecin"), fixture.JobWindow());
    AppendJob(fixture.State.JobList, records.Make("B", "dresden", "wroclaw"), fixture.JobWindow());
    QTreeView *view = form.VST;
    QCOMPARE(view->model()->rowCount(), 2);

    // "Delete selected" without a selection deletes nothing.
    form.Button6->click();
    QCOMPARE(fixture.State.JobList.Count(), 2);

    // A detail row stands for its job.
    const QModelIndex detail = view->model()->index(4, 0, view->model()->index(1, 0));
    view->scrollTo(detail);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(detail).center());
    QVERIFY(view->selectionModel()->isSelected(detail));
    QVERIFY(form.Button6->isEnabled());
    form.Button6->click();
    QCOMPARE(fixture.State.JobList.Count(), 1);
    QCOMPARE(fixture.State.JobList.At(0)->ID(), QString("A"));
    QCOMPARE(view->model()->rowCount(), 1);
    QCOMPARE(fixture.Text(view, 0), QString("Berlin \u00BB Szczecin"));
    QVERIFY(view->isExpanded(view->model()->index(0, 0)));

    // A click on the empty area below the rows leaves nothing to delete.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, view->viewport()->height() - 5));
    QVERIFY(!view->selectionModel()->hasSelection());
    QVERIFY(!form.Button6->isEnabled());
    QVERIFY(form.Panel1->isHidden());

    form.Button2->click();
    QCOMPARE(fixture.State.JobList.Count(), 0);
    QCOMPARE(view->model()->rowCount(), 0);
    QVERIFY(!form.Panel1->isHidden());
    QVERIFY(!form.Button6->isEnabled());
    QVERIFY(!form.Button2->isEnabled());
}

void TestViews::rowWithoutJobIsUndefined()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    fixture.JobWindow()->SetJobViewNodeCount(1); // a root row with no job behind it
    QCOMPARE(fixture.Text(fixture.Form->VST, 0), QString("undefined"));
    QCOMPARE(fixture.Text(fixture.Form->VST, 0, 2), QString("undefined"));
}

void TestViews::historyLoadedAtStartAndDeletedOnYes_data()
{
    QTest::addColumn<bool>("userFilesFolder");
    QTest::newRow("beside the program") << false;
    // Where the program's folder is read-only, the history lives in the user's data folder.
    QTest::newRow("in the user's data folder") << true;
}

void TestViews::historyLoadedAtStartAndDeletedOnYes()
{
    QFETCH(bool, userFilesFolder);
    QTemporaryDir programFolder, userFiles;
    QVERIFY(programFolder.isValid() && userFiles.isValid());
    const QString historyFolder = userFilesFolder ? userFiles.path() : programFolder.path();
    const QString file = historyFolder + "/job-history.ini";
    WriteFile(file, "[0]\nitems=2\n"
                    "[1]\ndeparture=berlin\ndestination=praha\ncargo=Apples\nweight=20\ndistance=350\n"
                    "ferry=0\nferrytime=0\ndate=1765000000\n"
                    "[2]\ndeparture=calais\ndestination=dover\ncargo=Pears\nweight=12,5\ndistance=0\n"
                    "ferry=1\nferrytime=90\n");
    TWindowFixture fixture(programFolder.path() + "/", userFilesFolder ? userFiles.path() + "/" : QString());
    TFormMain &form = *fixture.Form;
    QTreeView *view = form.VSTJobHistory;
    QCOMPARE(view->model()->rowCount(), 2);
    // Newest first; only it is marked new; no date, no date text.
    QCOMPARE(fixture.Text(view, 0), QString("[New]  Calais \u00BB Dover"));
    QCOMPARE(fixture.Text(view, 0, 0), QString("Distance: \u2248unknown (+ \u2248153 km ferry)"));
    QCOMPARE(fixture.Text(view, 0, 1), QString("Cargo: Pears (12 t)"));
    QVERIFY(fixture.Text(view, 1).startsWith("Berlin \u00BB Praha, "));
    QCOMPARE(view->model()->rowCount(view->model()->index(0, 0)), 2);
    QVERIFY(!view->isExpanded(view->model()->index(0, 0)));
    QVERIFY(form.Panel2->isHidden());
    QVERIFY(form.Button9->isEnabled());

    QString question;
    WhenDialogueShows([&question](QMessageBox *Box) {
        question = Box->text();
        ClickButtonCalled(Box, "No");
    });
    form.Button9->click();
    QVERIFY(question.contains("Do you really want to delete your job history now?"));
    QVERIFY(QFile::exists(file));
    QCOMPARE(view->model()->rowCount(), 2);

    WhenDialogueShows([](QMessageBox *Box) { ClickButtonCalled(Box, "Yes"); });
    form.Button9->click();
    QVERIFY(!QFile::exists(file));
    QCOMPARE(view->model()->rowCount(), 0);
    QCOMPARE(fixture.State.JobHistory.Count(), 0);
    QVERIFY(!form.Panel2->isHidden());
    QVERIFY(!form.Button9->isEnabled());
}

void TestViews::easeOutQuint_data()
{
    QTest::addColumn<double>("time");
    QTest::addColumn<int>("result");
    QTest::newRow("start") << 0.0 << 960;
    QTest::newRow("half way is nearly there") << 150.0 << 960 + 334;
    QTest::newRow("end") << 300.0 << 960 + 345;
}

void TestViews::easeOutQuint()
{
    QFETCH(double, time);
    QFETCH(int, result);
    QCOMPARE(EaseOutQuint(time, 960, 345, 300), result);
    // Backwards the same curve runs from the open width down.
    QCOMPARE(EaseOutQuint(time, 1305, -345, 300), 1305 - (result - 960));
}

void TestViews::slideOpensAndCloses()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    fixture.ShowAndWait();
    TFormMain &form = *fixture.Form;
    auto *slide = form.findChild<TWindowSlide *>();
    QVERIFY(slide);
    QSignalSpy finished(slide, &TWindowSlide::Finished);
    QCOMPARE(form.width(), 960);
    form.Button10->click();
    form.Button10->click(); // while the slide runs: ignored
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(form.width(), 1305);
    QCOMPARE(form.Button10->text(), QString("Show options / history"));
    form.Button10->click();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
    QCOMPARE(form.width(), 960);
    QTest::qWait(50);
    QCOMPARE(finished.size(), 2); // the ignored click started nothing
}

void TestViews::cargoLooks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("flags"); // 1 heavy, 2 fragile, 4 valuable, 8 ADR 3, 16 unsupported, 32 bulk
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QStringList>("icons");

    QTest::newRow("even band") << 0 << false << true << 0 << ListColours::CargoBand << false << QStringList{};
    QTest::newRow("odd white") << 1 << false << true << 0 << ListColours::White << false << QStringList{};
    QTest::newRow("selected") << 1 << true << true << 0 << ListColours::SelectionBackground << false << QStringList{};
    QTest::newRow("heavy highlighted") << 0 << false << true << 1 << ListColours::Highlight << false
                                       << QStringList{"weight"};
    QTest::newRow("unsupported wins over selection")
        << 0 << true << true << (16 | 4) << ListColours::UnsupportedBackground << true << QStringList{"star"};
    QTest::newRow("all icons in order") << 0 << false << true << (1 | 2 | 4 | 8) << ListColours::Highlight << false
                                        << QStringList{"adr-3", "star", "glass-broken", "weight"};
    QTest::newRow("fragile bulk has no glass")
        << 0 << false << true << (2 | 32) << ListColours::CargoBand << false << QStringList{};
    QTest::newRow("disabled") << 0 << false << false << 0 << ListColours::CargoBand << false << QStringList{};
}

void TestViews::cargoLooks()
{
    QFETCH(int, index);
    QFETCH(bool, selected);
    QFETCH(bool, enabled);
    QFETCH(int, flags);
    QFETCH(QColor, background);
    QFETCH(bool, italic);
    QFETCH(QStringList, icons);
    TLanguageTexts texts;
    TCargoInfo cargo;
    cargo.SetCargoName("Logs");
    cargo.SetIsHeavy(flags & 1);
    cargo.SetIsFragile(flags & 2);
    cargo.SetCargoIsValuable(flags & 4);
    cargo.SetCargoADR(flags & 8 ? 3 : 0);
    cargo.SetSavegameCompatibleCargo(!(flags & 16));
    TCargoGroupSet groups;
    groups.Include(flags & 32 ? TCargoGroups::bulk : TCargoGroups::nogroup);
    cargo.SetCargoGroups(groups);
    QPalette palette;
    const TListEntryLook look = CargoEntryLook(texts, &cargo, index, selected, enabled, palette);
    QVERIFY(look.Drawn);
    QCOMPARE(look.Background, background);
    QCOMPARE(look.Italic, italic);
    QCOMPARE(look.Icons, icons);
    QCOMPARE(look.Line1, QString("Logs"));
    const QColor text = !enabled       ? palette.color(QPalette::Disabled, QPalette::Text)
                        : (flags & 16) ? ListColours::UnsupportedText
                        : selected     ? ListColours::SelectionText
                                       : ListColours::EntryText;
    QCOMPARE(look.Text, text);
    if (flags & 2)
        QVERIFY(look.Line2.contains("fragile") || (flags & 16));
    // The pictures stand right to left from the right edge, inside the entry.
    const QList<QRect> places = EntryIconPlaces(look, QRect(0, 0, 521, 35));
    for (qsizetype i = 0; i < places.size(); ++i) {
        QCOMPARE(places[i].right(), 521 - 5 - 1 - int(i) * 29);
        QCOMPARE(places[i].top(), 6);
    }
    QVERIFY(!CargoEntryLook(texts, nullptr, 0, false, true, palette).Drawn);
}

void TestViews::trailerAndProfileLooks()
{
    TLanguageTexts texts;
    const QPalette palette;
    const auto bound = std::make_shared<TTrailerDefinitionData>();
    const auto plain = std::make_shared<TTrailerDefinitionData>();
    bound->SetTrailerDefinition("scs.box.bound");
    bound->SetLength(13.6);
    bound->SetAxles(3);
    bound->AddCountryValidityList("germany");
    bound->SetIsDoubleTrailer(true);
    plain->SetTrailerDefinition("scs.box.plain");
    TCargoInfo cargo;
    cargo.SetSavegameCompatibleCargo(true);
    const PTrailerDefinitionItem boundItem = cargo.AddTrailerDefinition("v", "t", 0, 1, 9, bound);
    const PTrailerDefinitionItem plainItem = cargo.AddTrailerDefinition("v", "t", 0, 1, 9, plain);

    TListEntryLook look = TrailerEntryLook(texts, &cargo, boundItem.get(), 1, false, true, palette, QLocale::c());
    QCOMPARE(look.Background, ListColours::Highlight);
    QCOMPARE(look.Line1, QString("scs.box.bound"));
    QCOMPARE(look.Line2, QString("Length 13.6 m, 3 axles, valid in: Germany"));
    QCOMPARE(look.Icons, QStringList{"truck-double-trailer"});
    const QList<QRect> places = EntryIconPlaces(look, QRect(0, 70, 521, 35));
    QCOMPARE(places.value(0), QRect(521 - 48 - 5, 70, 48, 24)); // kept inside its own entry
    look = TrailerEntryLook(texts, &cargo, plainItem.get(), 1, false, true, palette, QLocale::c());
    QCOMPARE(look.Background, ListColours::White);
    QVERIFY(look.Icons.isEmpty());
    QVERIFY(!TrailerEntryLook(texts, &cargo, nullptr, 2, false, true, palette).Drawn);

    cargo.SetSavegameCompatibleCargo(false);
    look = TrailerEntryLook(texts, &cargo, boundItem.get(), 0, false, true, palette, QLocale::c());
    QCOMPARE(look.Background, ListColours::UnsupportedBackground);
    QCOMPARE(look.Line2, QString("Length 13.6 m, 3 axles"));

    TProfileInfo profile;
    profile.SetProfileName("John");
    profile.SetCompanyName("Kestrel Haulage");
    look = ProfileEntryLook(0, false, "Select a profile", nullptr);
    QVERIFY(look.SingleLine);
    QCOMPARE(look.Line1, QString("Select a profile"));
    QCOMPARE(look.Background, ListColours::ProfileBand);
    look = ProfileEntryLook(1, true, "John - Kestrel Haulage", &profile);
    QCOMPARE(look.Line1, QString("John"));
    QCOMPARE(look.Line2, QString("Kestrel Haulage"));
    QCOMPARE(look.Background, ListColours::SelectionBackground);
    QVERIFY(look.FocusRect);
    look = ProfileEntryLook(5, false, "stale", nullptr);
    QCOMPARE(look.Line1, QString("-"));
    QCOMPARE(look.Line2, QString("-"));
}

void TestViews::closedFieldIsOwnerDrawn()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    const auto heavy = std::make_shared<TCargoInfo>();
    heavy->SetCargoName("Excavator");
    heavy->SetIsHeavy(true);
    heavy->SetSavegameCompatibleCargo(true);
    // Only the painting is looked at here, not what choosing a cargo sets off.
    const QSignalBlocker quiet(form.ComboBox8);
    form.ComboBox8->addItem("Excavator");
    SetItemShared(form.ComboBox8, 0, kCargoInfoRole, heavy);
    form.ComboBox8->setCurrentIndex(0);
    const QImage picture = form.ComboBox8->grab().toImage();
    // Left of the text and above line 1: nothing but the entry's background.
    const QPoint probe(form.ComboBox8->width() / 2, form.ComboBox8->height() / 2);
    QCOMPARE(QColor(picture.pixel(QPoint(8, probe.y()) * picture.devicePixelRatio())), ListColours::Highlight);
    form.ComboBox8->clear();
}

void TestViews::longTextStopsShortOfThePictures()
{
    TListEntryLook look;
    look.Drawn = true;
    look.Background = ListColours::White;
    look.Text = Qt::black;
    look.Line1 = QString(200, u'W');
    look.Line2 = QString(200, u'W');
    look.Icons = {"star", "weight"};
    look.IconRow = TEntryIconRow::Attributes;
    QImage picture(521, 35, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    QPainter painter(&picture);
    PaintListEntry(painter, picture.rect(), look, QFont());
    painter.end();
    // The gap left of the leftmost picture holds neither text nor anything else.
    const int gap = EntryIconPlaces(look, picture.rect()).last().left() - 2;
    for (int y = 0; y < picture.height(); ++y)
        QCOMPARE(QColor(picture.pixel(gap, y)), ListColours::White);
    // The text itself is there, up to the gap.
    bool inked = false;
    for (int y = 0; y < picture.height() && !inked; ++y)
        inked = QColor(picture.pixel(gap - 40, y)) != ListColours::White;
    QVERIFY(inked);
}

QTEST_MAIN(TestViews)
#include "test_views.moc"
