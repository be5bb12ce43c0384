// The options box of the random generator in the real window: the settings file read by the
// loading sequence and written when the window goes, and the rules of its controls.
#include "common/testfiles.h"
#include "jobs/gamefoldersetting.h"
#include "jobs/randomiseroptions.h"
#include "ui/formmain.h"
#include "ui/loadsteps.h"
#include "ui/programstate.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

// A loading sequence that loads nothing: only the window's own steps (and the settings) run.
class TNoLoadSteps : public TLoadSteps {
public:
    void LoadDistances() override {}
    void LoadCatalogue(const std::function<void(TCatalogueStage, int, int)> &) override {}
    bool ListProfiles() override { return false; }
    QStringList ProfileCaptions() const override { return {}; }
    int ProfileCount() const override { return 0; }
    bool GameDocumentsFolderExists() const override { return false; }
};

struct TOptionsWindow {
    explicit TOptionsWindow(const QString &Folder)
    {
        State.ProgramFolder = Folder + "/";
        State.LanguageCode = "en";
        Form = std::make_unique<TFormMain>(State, Steps);
    }
    // Shows the window and waits for the loading sequence, which reads the settings.
    bool Load()
    {
        QSignalSpy finished(Form.get(), &TFormMain::LoadingFinished);
        Form->show();
        return finished.wait(10000);
    }
    TProgramState State;
    TNoLoadSteps Steps;
    std::unique_ptr<TFormMain> Form;
};

} // namespace

class TestRandomOptions : public QObject {
    Q_OBJECT
private slots:
    void bothDistanceOptionsInTheFile();
    void adrClassFromTheFileAndStepping();
    void missingFileGivesDefaultsAndIsWrittenAtTheEnd();
    void windowThatNeverLoadedLeavesTheFileAlone();
    void longestTourBoxSwitchesTheMinimumDistance();
    void controlsDriveTheValues();
    void reloadKeepsTheOptionsOfThisRun();
    void reloadAskedAsTheLoadEndsIsNotLost();
    void gameFolderKeptBesideTheOptions();
};

void TestRandomOptions::bothDistanceOptionsInTheFile()
{
    QTemporaryDir dir;
    kvntest::WriteRaw(RandomiserSettingsPath(dir.path()),
                      "[settings]\nmin-distance-active=1\nmin-distance=450\nmin-distance-get-max-possible=1\n");
    TOptionsWindow w(dir.path());
    QVERIFY(w.Load());
    TFormMain &f = *w.Form;
    QVERIFY(f.CheckBox1->isChecked());
    QVERIFY(!f.CheckBox1->isEnabled());
    QVERIFY(!f.Edit1->isEnabled());
    QVERIFY(f.CheckBox4->isChecked());
    QCOMPARE(f.Edit1->text(), QString("450"));
    QVERIFY(f.RandomiserOptions().GetMaxPossibleTour);
    QVERIFY(!f.RandomiserOptions().MinDistanceActive);
    QCOMPARE(f.RandomiserOptions().MinDistance, 450);
}

void TestRandomOptions::adrClassFromTheFileAndStepping()
{
    QTemporaryDir dir;
    kvntest::WriteRaw(RandomiserSettingsPath(dir.path()), "[settings]\nadr-active=1\nadr-class=5\n");
    TOptionsWindow w(dir.path());
    QVERIFY(w.Load());
    TFormMain &f = *w.Form;
    // Not skipped while loading: the generator filters on class 5 until the user changes it.
    QCOMPARE(f.SpinEdit1->value(), 5);
    QCOMPARE(f.RandomiserOptions().AdrClass, 5);
    QVERIFY(f.SpinEdit1->isEnabled());
    QVERIFY(f.RandomiserOptions().AdrActive);

    f.SpinEdit1->setValue(4);
    f.SpinEdit1->stepBy(1);
    QCOMPARE(f.SpinEdit1->value(), 6);
    f.SpinEdit1->stepBy(1);
    QCOMPARE(f.SpinEdit1->value(), 8);
    f.SpinEdit1->stepBy(-1);
    QCOMPARE(f.SpinEdit1->value(), 6);
    f.SpinEdit1->stepBy(-1);
    QCOMPARE(f.SpinEdit1->value(), 4);
    QCOMPARE(f.RandomiserOptions().AdrClass, 4);
}

void TestRandomOptions::missingFileGivesDefaultsAndIsWrittenAtTheEnd()
{
    QTemporaryDir dir;
    const QString path = RandomiserSettingsPath(dir.path());
    {
        TOptionsWindow w(dir.path());
        QVERIFY(w.Load());
        TFormMain &f = *w.Form;
        for (QCheckBox *box : {f.CheckBox1, f.CheckBox4, f.CheckBox2, f.CheckBox5, f.CheckBox6, f.CheckBox7})
            QVERIFY(!box->isChecked());
        QCOMPARE(f.SpinEdit1->value(), 1);
        QVERIFY(!f.Edit1->isEnabled() && !f.Edit2->isEnabled() && !f.SpinEdit1->isEnabled());
        QVERIFY(!QFile::exists(path));
        f.CheckBox2->setChecked(true);
        f.Edit2->setText("25");
        f.Edit1->clear();
    }
    const TRandomiserSettings saved = ReadRandomiserSettings(dir.path());
    QVERIFY(saved.MinWeightChecked);
    QCOMPARE(saved.MinWeight, 25);
    QVERIFY(kvntest::ReadRaw(path).contains("min-distance=0")); // an empty field is written as 0
}

void TestRandomOptions::windowThatNeverLoadedLeavesTheFileAlone()
{
    QTemporaryDir dir;
    const QString path = RandomiserSettingsPath(dir.path());
    const QByteArray text = "[settings]\nmin-weight-active=1\nmin-weight=30\n";
    kvntest::WriteRaw(path, text);
    {
        TOptionsWindow w(dir.path());
    } // closed before its loading sequence ran
    QCOMPARE(kvntest::ReadRaw(path), text);
}

void TestRandomOptions::longestTourBoxSwitchesTheMinimumDistance()
{
    QTemporaryDir dir;
    TOptionsWindow w(dir.path());
    QVERIFY(w.Load());
    TFormMain &f = *w.Form;
    f.CheckBox1->setChecked(true);
    f.Edit1->setText("300");
    QVERIFY(f.Edit1->isEnabled());
    QVERIFY(f.RandomiserOptions().MinDistanceActive);
    f.CheckBox4->setChecked(true); // no destination lock is closed: nothing to ask
    QVERIFY(!f.CheckBox1->isEnabled() && !f.Edit1->isEnabled());
    QVERIFY(!f.RandomiserOptions().MinDistanceActive);
    QVERIFY(f.RandomiserOptions().GetMaxPossibleTour);
    f.CheckBox4->setChecked(false);
    QVERIFY(f.CheckBox1->isEnabled() && f.Edit1->isEnabled());
    QVERIFY(f.RandomiserOptions().MinDistanceActive);
    QCOMPARE(f.RandomiserOptions().MinDistance, 300);
}

void TestRandomOptions::controlsDriveTheValues()
{
    QTemporaryDir dir;
    TOptionsWindow w(dir.path());
    QVERIFY(w.Load());
    TFormMain &f = *w.Form;
    f.CheckBox5->setChecked(true);
    f.CheckBox6->setChecked(true);
    f.CheckBox7->setChecked(true);
    QVERIFY(f.SpinEdit1->isEnabled());
    f.CheckBox2->setChecked(true);
    QTest::keyClicks(f.Edit2, "4x2"); // digits only
    QCOMPARE(f.Edit2->text(), QString("042"));
    const TRandomiserOptions &o = f.RandomiserOptions();
    QVERIFY(o.ValuableActive && o.FragileActive && o.AdrActive && o.MinWeightActive);
    QCOMPARE(o.MinWeight, 42);
    f.CheckBox7->setChecked(false);
    QVERIFY(!f.SpinEdit1->isEnabled());
    QVERIFY(!f.RandomiserOptions().AdrActive);
}

void TestRandomOptions::reloadKeepsTheOptionsOfThisRun()
{
    // A reload without a profile runs the loading sequence again; the options the player set
    // since the start must survive it, not be replaced by the file's older ones.
    QTemporaryDir dir;
    kvntest::WriteRaw(RandomiserSettingsPath(dir.path()), "[settings]\nvaluable-active=0\nmin-weight=10\n");
    TOptionsWindow w(dir.path());
    QVERIFY(w.Load());
    TFormMain &f = *w.Form;
    f.CheckBox5->setChecked(true);
    f.Edit2->setText("30");
    QSignalSpy finished(&f, &TFormMain::LoadingFinished);
    f.LoadCode(true);
    QVERIFY(finished.wait(10000));
    QVERIFY(f.CheckBox5->isChecked());
    QVERIFY(f.RandomiserOptions().ValuableActive);
    QCOMPARE(f.Edit2->text(), QString("30"));
    QCOMPARE(f.RandomiserOptions().MinWeight, 30);
}

void TestRandomOptions::reloadAskedAsTheLoadEndsIsNotLost()
{
    // The last step of a load has run, but its task has not yet returned: a reload asked for in
    // that moment (a test right after the load, or a player's quick click) must still run.
    QTemporaryDir dir;
    TOptionsWindow w(dir.path());
    TFormMain &f = *w.Form;
    QSignalSpy finished(&f, &TFormMain::LoadingFinished);
    bool asked = false;
    QObject::connect(&f, &TFormMain::LoadingFinished, &f, [&] {
        if (!asked) {
            asked = true;
            f.LoadCode(true);
        }
    });
    f.show();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
    QCOMPARE(f.LoadCodeRuns(), 2);
    QVERIFY(!f.LoadingData());
}

// The folder is written and used when the field is left, survives the options' own rewrite at the end, and
// is what the next start reads; a file from before it had the key gives an empty field.
void TestRandomOptions::gameFolderKeptBesideTheOptions()
{
    QTemporaryDir dir;
    kvntest::WriteRaw(RandomiserSettingsPath(dir.path()), "[settings]\nmin-weight-active=1\nmin-weight=12\n");
    {
        TOptionsWindow w(dir.path());
        QVERIFY(w.Load());
        QCOMPARE(w.Form->Edit3->text(), QString());
        QVERIFY(w.State.PlayerGameFolder.isEmpty());
        w.Form->Edit3->setText(" /games/Euro Truck Simulator 2 ");
        emit w.Form->Edit3->editingFinished();
        QCOMPARE(ReadPlayerGameFolder(dir.path()), QString("/games/Euro Truck Simulator 2"));
        QCOMPARE(ReadRandomiserSettings(dir.path()).MinWeight, 12);
        // In use at once: the game is read from it without waiting for the next start.
        QCOMPARE(w.State.PlayerGameFolder, QString("/games/Euro Truck Simulator 2"));
    }
    {
        TOptionsWindow w(dir.path());
        QVERIFY(w.Load());
        QCOMPARE(w.State.PlayerGameFolder, QString("/games/Euro Truck Simulator 2"));
        QCOMPARE(w.Form->Edit3->text(), QDir::toNativeSeparators("/games/Euro Truck Simulator 2"));
        QCOMPARE(w.Form->Edit2->text(), QString("12"));
        w.Form->Edit3->clear();
    }
    QCOMPARE(ReadPlayerGameFolder(dir.path()), QString());
    QVERIFY(!kvntest::ReadRaw(RandomiserSettingsPath(dir.path())).contains("[game]"));
    QCOMPARE(ReadRandomiserSettings(dir.path()).MinWeight, 12);
}

QTEST_MAIN(TestRandomOptions)
#include "test_randomoptions.moc"
