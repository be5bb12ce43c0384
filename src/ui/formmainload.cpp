// TFormMain: the loading sequence that fills the catalogue and the profile list after the
// window is first shown, and the rules for closing the window while work is running.
#include "lang/textformat.h"
#include "savegame/gamecataloguetexts.h"
#include "savegame/profiles.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/loadsteps.h"
#include "ui/programstate.h"
#include "ui/textfade.h"
#include "ui/versioninfo.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace kvn {

void TFormMain::LoadCode(bool ProfilesOnly)
{
    // One sequence at a time: a second one would rebuild the lists the first is filling. The
    // sequence ends with its last step, which clears the flag; its task may take a moment longer
    // to return, and a reload asked for in that moment must not be lost.
    if (FLoadingData)
        return;
    // Loading counts from here, not from the first step, so that a close arriving before the
    // task has reached the main thread is refused as well.
    FLoadingData = true;
    ++FLoadCodeRuns;
    FLoadTask =
        QtConcurrent::run(QThreadPool::globalInstance(), [this, ProfilesOnly] { RunLoadSequence(ProfilesOnly); });
}

void TFormMain::RunOnMainThread(const std::function<void()> &Step)
{
    QMetaObject::invokeMethod(
        this, [&Step] { Step(); }, Qt::BlockingQueuedConnection);
}

void TFormMain::RunLoadSequence(bool ProfilesOnly)
{
    RunOnMainThread([this] { LoadStepBegin(); });
    if (!ProfilesOnly) {
        RunOnMainThread([this] { LoadStepPreparing(); });
        RunOnMainThread([this] { LoadStepStatus(QStringLiteral("status-loading-city-data")); });
        FLoadSteps.LoadDistances();
        RunOnMainThread([this] { LoadStepStatus(QStringLiteral("status-loading-trailer-data")); });
        // Reading a game's archives takes a while: the count goes to the status line without
        // waiting for the window, in the order it was sent.
        // A game has thousands of definition files: a new text for every whole percent is enough.
        FLoadSteps.LoadCatalogue([this, shown = std::pair(-1, -1)](TCatalogueStage Stage, int Done, int Total) mutable {
            const std::pair now(int(Stage), Total > 0 ? int(qint64(Done) * 100 / Total) : 0);
            if (now == shown && Done != Total)
                return;
            shown = now;
            QMetaObject::invokeMethod(
                this, [this, Stage, Done, Total] { LoadStepCatalogueProgress(Stage, Done, Total); },
                Qt::QueuedConnection);
        });
        RunOnMainThread([this] { LoadStepCatalogueLoaded(); });
    }
    RunOnMainThread([this] { LoadStepProfiles(); });
    const bool profilesFound = FLoadSteps.ProfileCount() > 0;
    RunOnMainThread([this, profilesFound] { LoadStepEnd(profilesFound); });
}

void TFormMain::LoadStepBegin()
{
    FLoadingData = true;
    FLoadingFocus = DisableKeepingFocus(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItem(MainText(QStringLiteral("status-loading-user-profiles")));
    ComboBox1->setCurrentIndex(0);
    SetTextFader(MainText(QStringLiteral("status-loading-program-options")), true);
    LoadSettings();
}

void TFormMain::LoadStepStatus(const QString &Key)
{
    SetTextFader(MainText(Key), true);
}

void TFormMain::LoadStepCatalogueProgress(TCatalogueStage Stage, int Done, int Total)
{
    SetTextFader(CatalogueStageText(Stage, Done, Total, FState.Texts), false);
    ProgressBar1->setRange(0, Total);
    ProgressBar1->setValue(Done);
}

void TFormMain::LoadStepCatalogueLoaded()
{
    ProgressBar1->setRange(0, 0);
    ShowCatalogueInUse();
    // The names only: the reasons are long, the database information gives them.
    FCatalogueNotesToShow.clear();
    if (!FState.Catalogue.Source.Failure.isEmpty())
        FCatalogueNotesToShow << FState.Catalogue.Source.Failure;
    if (!FState.Catalogue.Source.SkippedNames.isEmpty())
        FCatalogueNotesToShow << FState.Texts.Format(TLangText::StatusCatalogueSkipped,
                                                     {FState.Catalogue.Source.SkippedNames.join(QStringLiteral(", "))});
}

std::function<void(TCatalogueStage, int, int)> TFormMain::PaintedCatalogueProgress()
{
    // A game has thousands of definition files: the window is painted a few times a second.
    constexpr qint64 kRepaintMs = 50;
    auto sinceRepaint = std::make_shared<QElapsedTimer>();
    sinceRepaint->start();
    return [this, sinceRepaint](TCatalogueStage Stage, int Done, int Total) {
        if (Done < Total && sinceRepaint->elapsed() < kRepaintMs)
            return;
        sinceRepaint->restart();
        LoadStepCatalogueProgress(Stage, Done, Total);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

void TFormMain::ReadGameAgain()
{
    // Like a profile load: on this thread, the window painting its progress, the player's input held.
    FProfileLoadRunning = true;
    const TFocusReturn focus = DisableKeepingFocus(ComboBox1);
    Timer2->stop();
    FLoadSteps.LoadCatalogue(PaintedCatalogueProgress());
    LoadStepCatalogueLoaded();
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    FProfileLoadRunning = false;
    EnableReturningFocus(ComboBox1, focus);

    // The loaded profile is read again with the new lists; its notes follow those of the read.
    const QStringList notes = FCatalogueNotesToShow;
    FCatalogueNotesToShow.clear();
    if (IsProfileLoaded() && !FWantClose)
        Reload();
    else if (IsProfileLoaded())
        Timer2->start();
    const TCatalogueSource &source = FState.Catalogue.Source;
    TextFader1->AddLine(TTextFader::EscapeLine(FState.Texts.Format(
        TLangText::StatusCatalogueInUse,
        {FState.Texts.Text(source.FromGame() ? TLangText::CaptionCatalogueGame : TLangText::CaptionCatalogueCompiled),
         source.GameVersion})));
    for (const QString &note : notes)
        TextFader1->AddLine(TTextFader::EscapeLine(note));
    if (FWantClose)
        Timer1->start();
}

void TFormMain::ShowCatalogueInUse()
{
    ShowCatalogueSource();
    // The names are read on this thread only; the game's come first, the compiled ones fill in.
    FState.Catalogue.Names.LoadFromLines(FState.Catalogue.GameNameLines +
                                         CatalogueLines(QStringLiteral("Names"), false));
}

void TFormMain::ShowCatalogueSource()
{
    const TCatalogueSource &source = FState.Catalogue.Source;
    setWindowTitle(MainWindowCaption(
        ProgramFileVersion(), source.GameVersion,
        FState.Texts.Text(source.FromGame() ? TLangText::CaptionCatalogueGame : TLangText::CaptionCatalogueCompiled)));
}

void TFormMain::LoadStepPreparing()
{
    SetTextFader(MainText(QStringLiteral("status-preparing")), true);
    ProgressBar1->setRange(0, 0); // busy, no known end
}

void TFormMain::LoadStepProfiles()
{
    SetTextFader(MainText(QStringLiteral("status-loading-user-profiles")), true);
    ComboBox1->clear();
    const bool searched = FLoadSteps.ListProfiles();
    const QStringList captions = FLoadSteps.ProfileCaptions();
    ComboBox1->addItems(captions);
    if (!captions.isEmpty()) {
        ComboBox1->insertItem(0, MainText(QStringLiteral("label-select-a-profile")));
        ComboBox1->setCurrentIndex(0);
    }
    // Profile k is entry k + 1; the painting code reads the profile from its entry.
    const TProfileList &profiles = FState.Session.ProfileList();
    for (int k = 0; k < profiles.Count() && k + 1 < ComboBox1->count(); ++k)
        SetItemPointer(ComboBox1, k + 1, kProfileInfoRole, profiles.At(k));
    if (!searched)
        return; // without a profiles folder the count keeps its text
    if (captions.isEmpty())
        Label1->setText(MainText(QStringLiteral("label-no-profile-loaded")));
    else if (captions.size() == 1)
        Label1->setText(MainText(QStringLiteral("label-profile-found")));
    else
        Label1->setText(FormatText(MainText(QStringLiteral("label-profiles-found")), {captions.size()}));
}

void TFormMain::LoadStepEnd(bool ProfilesFound)
{
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    QString status;
    if (ProfilesFound)
        status = QStringLiteral("status-profiles-and-meta-loaded");
    else if (FLoadSteps.GameDocumentsFolderExists())
        status = QStringLiteral("status-no-profiles-found");
    else
        status = QLatin1String(NoGameFolderStatusKey());
    SetTextFader(MainText(status), true);
    // What the catalogue could not read stays in the status line after the load's own word.
    for (const QString &note : std::as_const(FCatalogueNotesToShow))
        TextFader1->AddLine(TTextFader::EscapeLine(note));
    FCatalogueNotesToShow.clear();
    FLoadingData = false;
    if (FWantClose)
        Timer1->start();
    else
        Timer1->stop();
    EnableReturningFocus(ComboBox1, FLoadingFocus);
    emit LoadingFinished();
}

void TFormMain::StopUnknownDistancesLearner()
{
    FState.Session.StopUnknownDistancesThread();
}

void TFormMain::closeEvent(QCloseEvent *Event)
{
    StopUnknownDistancesLearner();
    // A profile load may be waiting for the decrypter while the window answers.
    FWantClose = FLoadingData || FGeneratingRandomCargo || FProfileLoadRunning;
    if (FLoadingData)
        FLoadSteps.StopLoading();
    if (FGeneratingRandomCargo)
        FCancelGenerateRandomCargo = true;
    if (FWantClose)
        Event->ignore();
    else
        Event->accept();
}

void TFormMain::Timer1Timer()
{
    Timer1->stop();
    close();
}

void TFormMain::FormDestroy()
{
    SaveSettings();
}

} // namespace kvn
