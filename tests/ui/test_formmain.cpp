// The main window built in this process with the program's own loading steps, in a home
// folder without any game folder.
#include "app/loadsequence.h"
#include "archives/smallgame.h"
#include "catalogue/resources.h"
#include "jobs/gamefoldersetting.h"
#include "savegame/profiles.h"
#include "savegame/programcatalogue.h"
#include "ui/clickimage.h"
#include "ui/formmain.h"
#include "ui/optionsslide.h"
#include "ui/programstate.h"
#include "ui/textfade.h"
#include "ui/widgettexts.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace kvn;

namespace {

// The program's steps, with a gate in the cargo step so that a test can act while the status
// line names it.
class TGatedLoadSequence : public TLoadSequence {
public:
    using TLoadSequence::TLoadSequence;
    void LoadCatalogue(const std::function<void(TCatalogueStage, int, int)> &Progress) override
    {
        if (Gated) {
            ReachedCargos.release();
            Gate.acquire();
        }
        TLoadSequence::LoadCatalogue(Progress);
    }
    void StopLoading() override
    {
        StopAsked = true;
        TLoadSequence::StopLoading();
    }
    bool Gated = false;
    std::atomic_bool StopAsked = false;
    QSemaphore ReachedCargos;
    QSemaphore Gate;
};

struct TWindowFixture {
    TWindowFixture(const QString &ProgramFolder) : Steps(State)
    {
        State.ProgramFolder = ProgramFolder;
        State.LanguageCode = "en";
        State.Texts.LoadMessageTexts(State.ProgramFolder, State.LanguageCode);
        Form = std::make_unique<TFormMain>(State, Steps);
        State.Texts.LoadInterfaceTexts(State.ProgramFolder, State.LanguageCode);
        Form->ApplyInterfaceTexts();
    }
    ~TWindowFixture()
    {
        if (Steps.Gated)
            Steps.Gate.release(100);
    }
    QString Status() const { return Form->TextFader1->Lines().value(Form->TextFader1->Lines().size() - 1); }
    QString Main(const char *Key) const { return State.Texts.Text("main", Key); }

    TProgramState State;
    TGatedLoadSequence Steps;
    std::unique_ptr<TFormMain> Form;
};

} // namespace

class TestFormMain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void windowFrame();
    void widgetPlaces_data();
    void widgetPlaces();
    void everyWidgetNamed();
    void interfaceTexts();
    void loadsOnceWithoutGameFolder();
    void closeDuringCatalogueLoadingStopsItAndWaits();
    void closesAtOnceWhenIdle();
    void loadsCatalogueAndFindsProfile();
    void databaseInformationMessage();
    void catalogueFromThePlayersGame();
    void statusShowsWindowsPathsAsTheyAre();
    void fitsTheScreen_data();
    void fitsTheScreen();
    void screenshots();

private:
    QTemporaryDir FHome;
    QTemporaryDir FProgramFolder;
};

void TestFormMain::initTestCase()
{
    QVERIFY(FHome.isValid() && FProgramFolder.isValid());
    // Everything the profile search may look at lives in an empty home folder.
    qputenv("HOME", FHome.path().toUtf8());
    qputenv("XDG_DATA_HOME", (FHome.path() + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (FHome.path() + "/.config").toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (FHome.path() + "/Documents").toUtf8());
}

void TestFormMain::windowFrame()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    QCOMPARE(form.size(), QSize(1305 - 345, 698));
    QCOMPARE(form.minimumSize(), form.maximumSize()); // not resizable
    QCOMPARE(form.CollapsedWidth(), 960);
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    const QString caption = form.windowTitle();
    QVERIFY2(caption.startsWith("Kestrovan 26.12 Build 1 - by "), qPrintable(caption));
    QVERIFY2(caption.endsWith("[ETS2 v" + CatalogueGameVersion() + "]"), qPrintable(caption));
    QVERIFY(!CatalogueGameVersion().isEmpty());
    QVERIFY(!form.FormInitialised());
    QVERIFY(!form.LoadingData());
}

void TestFormMain::widgetPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("bounds");
    const struct {
        const char *Name;
        QRect Bounds;
    } places[] = {
        {"GroupBox1", {8, 8, 573, 97}},     {"Button4", {428, 24, 137, 25}},     {"GroupBox3", {8, 111, 573, 130}},
        {"ComboBox5", {16, 43, 137, 21}},   {"ComboBox7", {400, 43, 137, 21}},   {"Image3", {543, 43, 22, 21}},
        {"ComboBox3", {216, 99, 137, 21}},  {"Image4", {159, 99, 22, 21}},       {"GroupBox5", {7, 247, 573, 386}},
        {"ComboBox10", {16, 175, 194, 21}}, {"Image9", {216, 175, 22, 21}},      {"Image11", {306, 175, 16, 16}},
        {"TrackBar1", {328, 170, 209, 25}}, {"Image12", {543, 175, 16, 16}},     {"Button8", {16, 347, 166, 25}},
        {"Button3", {428, 347, 137, 25}},   {"GroupBox6", {586, 8, 360, 625}},   {"VST", {16, 24, 328, 556}},
        {"Panel1", {16, 24, 328, 556}},     {"Button5", {16, 586, 113, 25}},     {"Button6", {160, 586, 99, 25}},
        {"Button2", {265, 586, 81, 25}},    {"GroupBox7", {965, 8, 332, 209}},   {"GroupBox4", {962, 223, 332, 410}},
        {"TextFader1", {8, 651, 573, 16}},  {"ComboBox11", {602, 669, 191, 21}}, {"ProgressBar1", {8, 669, 573, 21}},
        {"Button10", {808, 667, 138, 23}},  {"Image101", {1192, 642, 48, 48}},   {"Image100", {1246, 642, 48, 48}},
        {"Label15", {965, 638, 221, 14}},   {"Edit3", {965, 658, 125, 23}},      {"Button11", {1094, 657, 92, 25}},
    };
    for (const auto &place : places)
        QTest::newRow(place.Name) << QString(place.Name) << place.Bounds;
}

void TestFormMain::widgetPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, bounds);
    TWindowFixture fixture(FProgramFolder.path() + "/");
    const auto *widget = fixture.Form->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), bounds);
}

void TestFormMain::everyWidgetNamed()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    QStringList names = {"VST",       "VSTJobHistory", "TextFader1", "ProgressBar1", "Panel1",    "Panel2",
                         "SpinEdit1", "TrackBar1",     "Edit1",      "Edit2",        "GroupBox1", "GroupBox3",
                         "GroupBox4", "GroupBox5",     "GroupBox6",  "GroupBox7",    "Image100",  "Image101"};
    names << "Edit3";
    for (int i = 1; i <= 11; ++i)
        names << QString("ComboBox%1").arg(i);
    for (int i = 1; i <= 12; ++i)
        names << QString("Image%1").arg(i);
    for (int i : {2, 3, 4, 5, 6, 8, 9, 10, 11})
        names << QString("Button%1").arg(i);
    for (int i = 1; i <= 5; ++i)
        names << QString("JvHTLabel%1").arg(i);
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
        names << QString("Label%1").arg(i);
    for (int i : {1, 2, 4, 5, 6, 7})
        names << QString("CheckBox%1").arg(i);
    for (const QString &name : names)
        QVERIFY2(fixture.Form->findChild<QWidget *>(name), qPrintable(name));
    QVERIFY(fixture.Form->findChild<QTimer *>("Timer1"));
    // Not yet usable before a profile is loaded.
    for (const char *name : {"Button2", "Button3", "Button4", "Button5", "Button6", "Button8", "Button9", "ComboBox11"})
        QVERIFY2(!fixture.Form->findChild<QWidget *>(name)->isEnabled(), name);
}

void TestFormMain::interfaceTexts()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    QCOMPARE(form.GroupBox1->title(), QString("Step 1 - Choose a profile"));
    QCOMPARE(form.Label11->text(), QString("Custom cargo weight"));
    QCOMPARE(form.Label13->text(), QString("Currently there are no jobs in the history."));
    QCOMPARE(form.Button8->text(), QString("Create random job"));
    QCOMPARE(form.Button10->text(), QString("Show options / history"));
    QCOMPARE(form.Image101->toolTip(), QString("Show database information"));
    QCOMPARE(form.Button11->text(), QString("Browse…"));
    QVERIFY(form.Edit3->toolTip().endsWith("The game there is read as soon as you name it."));
    QVERIFY(form.Image10->toolTip().startsWith("Reload the current profile"));
    QVERIFY(form.Label1->text().isEmpty());
    // Every text of the window's table names a widget of this window; the images take theirs as
    // tooltips.
    const QList<TWidgetText> all = MainWindowTexts(fixture.State.Texts);
    QCOMPARE(all.size(), 37);
    for (const TWidgetText &entry : all) {
        QVERIFY2(form.findChild<QWidget *>(entry.Widget), qPrintable(entry.Widget));
        QCOMPARE(entry.Kind, entry.Widget.startsWith("Image") ? TWidgetTextKind::Hint : TWidgetTextKind::Caption);
    }
    QCOMPARE(MainWindowText(fixture.State.Texts, "Label13"), form.Label13->text());
    QCOMPARE(MainWindowText(fixture.State.Texts, "ComboBox1"), QString());
}

void TestFormMain::loadsOnceWithoutGameFolder()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    QSignalSpy finished(&form, &TFormMain::LoadingFinished);
    form.show();
    QVERIFY(finished.wait(10000));
    QVERIFY(form.FormInitialised());
    QVERIFY(!form.LoadingData());
    QCOMPARE(fixture.Status(), fixture.Main(NoGameFolderStatusKey()));
    QVERIFY(form.ComboBox1->isEnabled());
    QCOMPARE(form.ComboBox1->count(), 0);
    QCOMPARE(form.ProgressBar1->maximum(), 100); // back from busy
    QCOMPARE(form.ComboBox10->itemText(2), QString("Urgent delivery"));
    QCOMPARE(form.ComboBox10->currentIndex(), -1);
    QCOMPARE(form.ComboBox11->count(), 2);
    QCOMPARE(form.ComboBox11->itemText(1), QString("Delete all restore points ..."));
    QCOMPARE(form.ComboBox11->currentIndex(), 0);
    // The status blinks in and then stays.
    QTRY_VERIFY(!form.TextFader1->Active());
    QCOMPARE(form.TextFader1->CurText(), fixture.Main(NoGameFolderStatusKey()));

    form.repaint();
    QTest::qWait(50);
    QCOMPARE(form.LoadCodeRuns(), 1);
    QCOMPARE(finished.size(), 1);
}

void TestFormMain::closeDuringCatalogueLoadingStopsItAndWaits()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    fixture.Steps.Gated = true;
    form.show();
    // The main thread must keep running the window steps while it waits.
    QTRY_VERIFY_WITH_TIMEOUT(fixture.Steps.ReachedCargos.available() == 1, 10000);
    QCOMPARE(fixture.Status(), fixture.Main("status-loading-trailer-data"));
    QVERIFY(form.ProgressBar1->maximum() == 0); // busy

    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QVERIFY(form.WantClose());
    QVERIFY(fixture.Steps.StopAsked);
    QTest::qWait(50);
    QVERIFY(form.isVisible());

    QSignalSpy finished(&form, &TFormMain::LoadingFinished);
    fixture.Steps.Gate.release();
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 10000);
    QCOMPARE(finished.size(), 1);
    QVERIFY(!form.LoadingData());
    QCOMPARE(fixture.Status(), fixture.Main(NoGameFolderStatusKey()));
    QVERIFY(!form.Timer1->isActive());
}

void TestFormMain::closesAtOnceWhenIdle()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    QSignalSpy finished(&form, &TFormMain::LoadingFinished);
    form.show();
    QVERIFY(finished.wait(10000));
    QVERIFY(form.close());
    QVERIFY(!form.WantClose());
}

void TestFormMain::loadsCatalogueAndFindsProfile()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString profile = home.path() + "/.local/share/Euro Truck Simulator 2/profiles/4A6F686E/";
    QVERIFY(QDir().mkpath(profile));
    QFile sii(profile + "profile.sii");
    QVERIFY(sii.open(QIODevice::WriteOnly));
    sii.write("SiiNunit\n{\nuser_profile : _nameless.1 {\n company_name: \"Kestrel Haulage\"\n"
              " profile_name: \"John\"\n}\n}\n");
    sii.close();
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());

    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    QSignalSpy finished(&form, &TFormMain::LoadingFinished);
    form.show();
    const bool loaded = finished.wait(20000);
    qputenv("XDG_DATA_HOME", oldData);
    QVERIFY(loaded);
    QCOMPARE(fixture.Status(), fixture.Main("status-profiles-and-meta-loaded"));
    QCOMPARE(form.ComboBox1->count(), 2);
    QCOMPARE(form.ComboBox1->itemText(0), fixture.Main("label-select-a-profile"));
    QCOMPARE(form.ComboBox1->itemText(1), QString("John - Kestrel Haulage"));
    QCOMPARE(form.ComboBox1->currentIndex(), 0);
    QCOMPARE(form.Label1->text(), fixture.Main("label-profile-found"));
    QVERIFY(!fixture.State.Catalogue.TrailerDefinitionDataList.empty());
    QVERIFY(!fixture.State.Catalogue.CargoInfoList.empty());
    QVERIFY(fixture.State.Catalogue.Distances.Snapshot());
}

void TestFormMain::databaseInformationMessage()
{
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    QVERIFY(fixture.State.Catalogue.DatabaseInfo.TrailerLineCount > 0); // read at creation
    QString text, title;
    int buttons = 0;
    QTimer::singleShot(50, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        text = box->text().replace("\r\n", "\n");
        title = box->windowTitle();
        buttons = int(box->buttons().size());
        box->defaultButton()->click();
    });
    QTest::mouseClick(form.Image101, Qt::LeftButton);
    QCOMPARE(title, QString("Information"));
    QCOMPARE(buttons, 1);
    QVERIFY2(text.startsWith("Database information\nLast updated: "), qPrintable(text));
    QVERIFY(text.contains(QString("Trailer count: %1\n").arg(fixture.State.Catalogue.DatabaseInfo.TrailerLineCount)));
    QVERIFY(text.contains("Scandinavia, Vive la France!, Heavy Cargo, High Power Cargo."));
    QVERIFY2(text.contains("\n\nCatalogue: the compiled data for game version " + CatalogueGameVersion() +
                           "\n\nRoad distances known: "),
             qPrintable(text));
}

// The game named in the options is read in the loading task; the caption names it with its
// version, the lists show its city names, and the damaged DLC is named in the status line after
// the load's own word.
void TestFormMain::catalogueFromThePlayersGame()
{
    QTemporaryDir game;
    QVERIFY(archives::testing::WriteSmallGame(game.path(), "1.58.1.5"));
    QVERIFY(WritePlayerGameFolder(FProgramFolder.path(), game.path()).Ok);
    {
        TWindowFixture fixture(FProgramFolder.path() + "/");
        TFormMain &form = *fixture.Form;
        fixture.State.LanguageCode = "de"; // the game's locale has German names only
        QSignalSpy finished(&form, &TFormMain::LoadingFinished);
        form.show();
        QVERIFY(finished.wait(20000));
        QVERIFY2(form.windowTitle().endsWith(" [ETS2 v1.58.1.5, your game]"), qPrintable(form.windowTitle()));
        QCOMPARE(fixture.State.Catalogue.Names.CityName("alpha"), QString("Alphastadt"));
        QCOMPARE(fixture.State.Catalogue.Source.Origin, TCatalogueOrigin::Game);
        QCOMPARE(fixture.State.Catalogue.CargoInfoList.size(), std::size_t(1));
        const QStringList lines = form.TextFader1->Lines();
        QCOMPARE(lines.value(lines.size() - 2), fixture.Main(NoGameFolderStatusKey()));
        QVERIFY2(lines.last() == "Left out, could not be read: dlc_broken.scs", qPrintable(lines.last()));
        // On request, a picture for a look by eye: the options open with the folder field.
        if (const QString folder = qEnvironmentVariable("KVN_SCREENSHOT_DIR"); !folder.isEmpty()) {
            form.setFixedWidth(TFormMain::kDesignedWidth);
            QTRY_VERIFY(form.TextFader1->CurText() == lines.last());
            QVERIFY(form.grab().save(folder + "/kestrovan-game-catalogue.png"));
        }
    }
    QFile::remove(RandomiserSettingsPath(FProgramFolder.path()));
    QFile::remove(QDir(FProgramFolder.path()).filePath(QLatin1String(GameCatalogueCacheFileName)));
}

void TestFormMain::statusShowsWindowsPathsAsTheyAre()
{
    // The status line's escapes are for texts written to blink; a path in a message the
    // program builds must come out with every backslash.
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    const QString text = QStringLiteral(R"(Could not write C:\Users\nina\Documents\Euro Truck Simulator 2\tmp)");
    form.SetTextFader(text, true);
    QTRY_VERIFY(!form.TextFader1->Active());
    QCOMPARE(form.TextFader1->CurText(), text);
    form.SetTextFader(text, false);
    QTRY_VERIFY(!form.TextFader1->Active());
    QCOMPARE(form.TextFader1->CurText(), text);
}

void TestFormMain::fitsTheScreen_data()
{
    QTest::addColumn<QRect>("available"); // logical pixels of a 1920 x 1080 screen, taskbar off
    QTest::addColumn<int>("desktopFont");
    QTest::addColumn<bool>("shrunk");
    QTest::newRow("100 %") << QRect(0, 0, 1920, 1040) << 11 << false;
    QTest::newRow("150 %") << QRect(0, 0, 1280, 693) << 11 << true;
    QTest::newRow("200 %") << QRect(0, 0, 960, 520) << 11 << true;
    QTest::newRow("150 % on a second screen") << QRect(1920, 0, 1280, 693) << 11 << true;
    QTest::newRow("100 %, large desktop font") << QRect(0, 0, 1920, 1040) << 15 << false;
}

void TestFormMain::fitsTheScreen()
{
    QFETCH(QRect, available);
    QFETCH(int, desktopFont);
    QFETCH(bool, shrunk);
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    form.FitToScreen(available, desktopFont);
    QCOMPARE(form.LayoutScale() < 1, shrunk);

    // The window slid open, with its frame, lies on the screen area.
    QVERIFY(form.OpenWidth() > form.CollapsedWidth());
    const QRect open(form.pos(), QSize(form.OpenWidth() + 16, form.height() + 40));
    QVERIFY2(
        available.contains(open),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(open.x()).arg(open.y()).arg(open.width()).arg(open.height())));
    // Every widget of the window lies inside it, and the texts still fit their places.
    for (const QWidget *widget : form.findChildren<QWidget *>()) {
        if (widget->parentWidget() != &form || widget->isWindow())
            continue;
        QVERIFY2(QRect(QPoint(0, 0), QSize(form.OpenWidth(), form.height())).contains(widget->geometry()),
                 qPrintable(widget->objectName()));
    }
    const double scale = form.LayoutScale();
    QCOMPARE(form.GroupBox5->geometry().bottom(), int(std::lround((247 + 386) * scale)) - 1);
    // A desktop font larger than the designed one makes the window's font and layout grow.
    if (desktopFont > TFormMain::kDesignedFontPixels)
        QVERIFY(form.font().pixelSize() > TFormMain::kDesignedFontPixels && scale > 1);

    // Sliding open and back keeps to the scaled widths.
    QSignalSpy finished(&form, &TFormMain::LoadingFinished);
    form.show();
    QVERIFY(finished.wait(10000));
    QTest::mouseClick(form.Button10, Qt::LeftButton);
    QTRY_COMPARE(form.width(), form.OpenWidth());
    QTest::qWait(2 * TWindowSlide::kDurationMs); // the eased end reaches the width before the slide ends
    QTest::mouseClick(form.Button10, Qt::LeftButton);
    QTRY_COMPARE(form.width(), form.CollapsedWidth());
}

void TestFormMain::screenshots()
{
    // Only on request: pictures of the window, collapsed and open, for a look by eye.
    const QString folder = qEnvironmentVariable("KVN_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("KVN_SCREENSHOT_DIR not set");
    TWindowFixture fixture(FProgramFolder.path() + "/");
    TFormMain &form = *fixture.Form;
    QSignalSpy finished(&form, &TFormMain::LoadingFinished);
    form.show();
    QVERIFY(finished.wait(10000));
    QTRY_VERIFY(!form.TextFader1->Active());
    QVERIFY(form.grab().save(folder + "/kestrovan-collapsed.png"));
    form.setFixedWidth(TFormMain::kDesignedWidth);
    QVERIFY(form.grab().save(folder + "/kestrovan-open.png"));
}

QTEST_MAIN(TestFormMain)
#include "test_formmain.moc"
