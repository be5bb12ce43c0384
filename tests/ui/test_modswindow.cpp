// The real window on an installed game and saves made by kvn-savegen, where one profile has a mod
// that adds a cargo: the lists follow the mods of the profile loaded, and a mod that is nowhere is
// named.
#include "app/loadsequence.h"
#include "common/englishwindow.h"
#include "common/generatedgame.h"
#include "installgen.h"
#include "jobs/gamefoldersetting.h"
#include "savegen.h"
#include "ui/clickimage.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"
#include "ui/textfade.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

const QString kModName = QStringLiteral("kvn_tea");
const QString kMissingMod = QStringLiteral("ghost_mod");

struct TModsWindow {
    explicit TModsWindow(const QString &ProgramFolder) : Steps(State)
    {
        Form = kvntest::MakeEnglishWindow(State, Steps, ProgramFolder);
    }

    bool Start()
    {
        QSignalSpy finished(Form.get(), &TFormMain::LoadingFinished);
        Form->show();
        return finished.wait(60000);
    }

    // Picks the profile whose entry starts with Name, as the popup does.
    bool LoadProfile(const QString &Name)
    {
        QComboBox *box = Form->ComboBox1;
        for (int i = 1; i < box->count(); ++i) {
            if (!box->itemText(i).startsWith(Name + " - "))
                continue;
            box->setCurrentIndex(i);
            emit box->activated(i);
            return State.Session.IsProfileLoaded() && State.Session.CurrentProfile()->ProfileName() == Name;
        }
        return false;
    }

    // The mod's cargo in the cargo list: -1 when absent, 1 when the save offers it, 0 when not.
    int ModCargoEntry() const
    {
        const int index = Form->ComboBox8->findText(QString::fromLatin1(savegen::ModCargoName));
        if (index < 0)
            return -1;
        const auto *cargo = ItemPointer<TCargoInfo>(Form->ComboBox8, index, kCargoInfoRole);
        return cargo && cargo->SavegameCompatibleCargo() ? 1 : 0;
    }

    // The text of the database information box, closed again at once.
    QString DatabaseInformation()
    {
        QString text;
        QTimer::singleShot(50, [&text] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                text = box->text().replace("\r\n", "\n");
                box->defaultButton()->click();
            }
        });
        QTest::mouseClick(Form->Image101, Qt::LeftButton);
        return text;
    }

    QStringList StatusLines() const { return Form->TextFader1->Lines(); }

    TProgramState State;
    TLoadSequence Steps;
    std::unique_ptr<TFormMain> Form;
};

} // namespace

class TestModsWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void listsFollowTheProfilesMods();
    void gameFolderNamedLaterIsReadAtOnce();

private:
    QTemporaryDir FHome;
    QTemporaryDir FProgramFolder;
};

// Three profiles: the first with the mod (its save offers the mod's cargo), the second without
// mods, the third with a mod that is in no mod folder. The game is named in the options.
void TestModsWindow::initTestCase()
{
    QVERIFY(FHome.isValid() && FProgramFolder.isValid());
    const QString gameFolder = kvntest::UseHomeFolder(FHome.path());
    const QString install = FHome.filePath("games/ETS2");
    savegen::Options options;
    options.Seed = 11;
    options.Lines = 3000;
    options.Profiles = 3;
    options.ModName = kModName;
    QString error;
    QVERIFY2(savegen::WriteInstalledGame(install, &error), qPrintable(error));
    QVERIFY2(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), options, gameFolder, &error),
             qPrintable(error));
    QSaveFile ghostly(gameFolder + "/profiles/" + savegen::ProfileFolderName("Alpine Freight") + "/profile.sii");
    QVERIFY(ghostly.open(QIODevice::WriteOnly));
    ghostly.write(savegen::ProfileSii("Alpine Freight", "Alpine Freight Logistics", 13, {kMissingMod + "|Ghost"}));
    QVERIFY(ghostly.commit());
    QVERIFY(WritePlayerGameFolder(FProgramFolder.path(), install).Ok);
}

// The modded profile brings the mod's cargo into the list, offered by its save, and the database
// information counts the mod; the profile without mods takes it away again; a mod that is nowhere
// is named after the load's own word, and the profile still loads.
void TestModsWindow::listsFollowTheProfilesMods()
{
    TModsWindow window(FProgramFolder.path() + "/");
    QVERIFY(window.Start());
    const QString caption = window.Form->windowTitle();
    QVERIFY2(caption.endsWith(" [ETS2 v" + savegen::GeneratedGameVersion() + ", your game]"), qPrintable(caption));
    QVERIFY(window.DatabaseInformation().contains(", 0 mods, 0 skipped)"));

    QVERIFY(window.LoadProfile("Kestrel Driver"));
    QCOMPARE(window.ModCargoEntry(), 1);
    QCOMPARE(window.State.Catalogue.Source.ModCount, 1);
    const QString modded = window.DatabaseInformation();
    QVERIFY2(modded.contains(", 1 mods, 0 skipped)"), qPrintable(modded));
    QVERIFY(!window.StatusLines().join('\n').contains("Left out"));

    QVERIFY(window.LoadProfile("Night Hauler"));
    QCOMPARE(window.ModCargoEntry(), -1);
    QVERIFY(window.Form->ComboBox8->count() > 0);
    QVERIFY(window.DatabaseInformation().contains(", 0 mods, 0 skipped)"));

    // Back to the mods: read again (from this profile's cache), the cargo returns.
    QVERIFY(window.LoadProfile("Kestrel Driver"));
    QCOMPARE(window.ModCargoEntry(), 1);

    // Named at every load of that profile, not only the first.
    for (int load = 0; load < 2; ++load) {
        QVERIFY(window.LoadProfile("Alpine Freight"));
        QCOMPARE(window.ModCargoEntry(), -1);
        const QStringList lines = window.StatusLines();
        QCOMPARE(lines.last(), window.State.Texts.Format(TLangText::StatusCatalogueSkipped, {kMissingMod}));
        QVERIFY(lines.size() >= 2);
    }

    // On request, a picture of the window with the modded profile loaded, for a look by eye.
    if (const QString file = qEnvironmentVariable("KVN_MODS_SCREENSHOT"); !file.isEmpty()) {
        QVERIFY(window.LoadProfile("Kestrel Driver"));
        window.Form->ComboBox8->setCurrentIndex(
            window.Form->ComboBox8->findText(QString::fromLatin1(savegen::ModCargoName)));
        emit window.Form->ComboBox8->activated(window.Form->ComboBox8->currentIndex());
        QTest::qWait(1500);
        QVERIFY(window.Form->grab().save(file));
    }
}

// A player who starts without the game named, loads the modded profile and then names the game in
// the options: the game is read at once and the loaded profile again, with its mod; emptying the
// field goes back to the compiled data with the profile still loaded.
void TestModsWindow::gameFolderNamedLaterIsReadAtOnce()
{
    const QString install = FHome.filePath("games/ETS2");
    QVERIFY(WritePlayerGameFolder(FProgramFolder.path(), QString()).Ok);
    TModsWindow window(FProgramFolder.path() + "/");
    QVERIFY(window.Start());
    QCOMPARE(window.State.Catalogue.Source.Origin, TCatalogueOrigin::Compiled);
    QVERIFY(window.LoadProfile("Kestrel Driver"));
    QCOMPARE(window.ModCargoEntry(), -1);

    window.Form->Edit3->setText(QDir::toNativeSeparators(install));
    emit window.Form->Edit3->editingFinished();
    QVERIFY(window.State.Catalogue.Source.FromGame());
    QVERIFY2(window.Form->windowTitle().endsWith(", your game]"), qPrintable(window.Form->windowTitle()));
    QVERIFY(window.State.Session.IsProfileLoaded());
    QCOMPARE(window.ModCargoEntry(), 1);
    const QString inUse = window.State.Texts.Format(
        TLangText::StatusCatalogueInUse,
        {window.State.Texts.Text(TLangText::CaptionCatalogueGame), savegen::GeneratedGameVersion()});
    QVERIFY2(window.StatusLines().contains(inUse), qPrintable(window.StatusLines().join('|')));
    QCOMPARE(ReadPlayerGameFolder(FProgramFolder.path()), install);

    window.Form->Edit3->clear();
    emit window.Form->Edit3->editingFinished();
    QCOMPARE(window.State.Catalogue.Source.Origin, TCatalogueOrigin::Compiled);
    QVERIFY2(window.Form->windowTitle().endsWith(", compiled data]"), qPrintable(window.Form->windowTitle()));
    QVERIFY(window.State.Session.IsProfileLoaded());
    QCOMPARE(window.ModCargoEntry(), -1);
    QVERIFY(window.Form->ComboBox8->count() > 0);
    QVERIFY(WritePlayerGameFolder(FProgramFolder.path(), install).Ok);
}

QTEST_MAIN(TestModsWindow)
#include "test_modswindow.moc"
