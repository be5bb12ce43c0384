// TFormMain: loading a profile and its quick save, watching the learner, and opening the profile
// folder and the help.
#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "jobs/jobhistory.h"
#include "jobs/jobwriter.h"
#include "jobs/queuedjobs.h"
#include "savegame/backup.h"
#include "savegame/companies.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "shared/strings.h"
#include "ui/dbinformation.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/loadsteps.h"
#include "ui/programstate.h"
#include "ui/selectionlists.h"
#include "ui/textfade.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <memory>

namespace kvn {

namespace {

// Shown while a profile loads; a fixed English text like the other texts of the load.
const QString kLoadingProfileText = QStringLiteral("Loading profile data ... please wait");

// The help document: the player's guide that comes beside the program.
const QString kHelpDocumentName = QStringLiteral("help.html");

// What a locked selection held before a profile load refilled its list.
struct TLockedSelection {
    QComboBox *Box = nullptr;
    QString Text;
};

} // namespace

void TFormMain::ComboBox1Change()
{
    TProfileSession &session = FState.Session;
    // A random search draws from the loaded profile until it ends.
    if (FProfileLoadRunning || session.IsProfileLoadRunning() || FLoadingData || FGeneratingRandomCargo)
        return;
    if (!ConfirmProfileChange())
        return;
    FProfileLoadRunning = true;

    // A locked selection keeps its value across a load where the new save offers it too.
    std::vector<TLockedSelection> locked;
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock) {
        QComboBox *box = ComboBoxNumber(TSelectionLocks::ComboBoxNumber(lock));
        if (FLocks.Closed(lock) && box->currentIndex() >= 0)
            locked.push_back({box, box->currentText()});
    }

    Timer2->stop();
    ProgressBar1->setRange(0, 0);
    Label3->setText(kLoadingProfileText);
    SetTextFader(kLoadingProfileText, true);
    const TFocusReturn focus = DisableKeepingFocus(ComboBox1);
    Button3->setEnabled(false);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    TCountryListSink countrySink(*this, FState.Catalogue.Names);
    TCargoListSink cargoSink(ComboBox8);
    const TSiiDecrypter decrypter(FState.ProgramFolder);
    TProfileLoadContext context{FState.Catalogue, decrypter, &countrySink, &cargoSink, true, &FState.Texts};
    // A profile with mods has the game read again with them; the window keeps painting meanwhile.
    TProgramCatalogueRequest modsRead = FLoadSteps.CatalogueRequest();
    modsRead.Progress = PaintedCatalogueProgress();
    context.GameRead = &modsRead;
    // Every profile entry carries its profile; the session counts entries the same way.
    const TProfileLoadResult result = session.LoadProfile(ComboBox1->currentIndex(), context);
    if (result.Mods.Replaced)
        ShowCatalogueInUse();

    const bool loaded = session.IsProfileLoaded();
    FProfileLoadRunning = false;
    if (loaded) {
        const QString path = session.CurrentProfile()->QuickSavePath();
        Label3->setText(
            Label3->fontMetrics().elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, Label3->width()));
        RefreshBackupList();
        Timer2->start();
    } else {
        Label3->clear();
        ClearAllComboBoxes();
    }
    EnableReturningFocus(ComboBox1, focus);
    Button4->setEnabled(loaded);
    if (!FGeneratingRandomCargo)
        Button8->setEnabled(loaded);
    ComboBox11->setEnabled(loaded);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    if (loaded) {
        RunProfilePreselection();
        for (const TLockedSelection &keep : locked) {
            const int index = keep.Box->findText(keep.Text);
            if (index < 0)
                continue;
            keep.Box->setCurrentIndex(index);
            if (keep.Box == ComboBox5 || keep.Box == ComboBox2)
                ComboBoxCountryChange(keep.Box, true);
            else if (keep.Box == ComboBox6 || keep.Box == ComboBox3)
                ComboBoxCityChange(keep.Box, true);
            else if (keep.Box == ComboBox8) {
                ComboBox9->setEnabled(true);
                ComboBoxCargoChange(ComboBox8);
            }
        }
        // The locks' combo boxes follow the locks again.
        for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock)
            ComboBoxNumber(TSelectionLocks::ComboBoxNumber(lock))->setEnabled(!FLocks.Closed(lock));
    }
    // The jobs waited across the load: what the save now loaded cannot take is marked, and after a
    // failed load no mark of the previous save stays.
    CheckQueuedJobs(FState.JobList, session, FState.Catalogue, FState.Texts);
    ShowQueuedJobs();
    ShowLoadResult(result);
    ShowProfileModsNotes(result.Mods);
    UpdateAddJobButton();
    AssembleJobPreview();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    emit ProfileLoadFinished(loaded);
    if (FWantClose && !FLoadingData && !FGeneratingRandomCargo)
        Timer1->start();
}

bool TFormMain::ConfirmProfileChange()
{
    const TJobList &jobs = FState.JobList;
    const TProfileList &profiles = FState.Session.ProfileList();
    QString owner;
    for (int i = 0; i < jobs.Count() && owner.isEmpty(); ++i)
        owner = jobs.At(i)->SaveFile();
    if (owner.isEmpty())
        return true;
    const int index = ComboBox1->currentIndex();
    const TProfileInfo *chosen = index > 0 && index <= profiles.Count() ? profiles.At(index - 1) : nullptr;
    if (chosen && chosen->GameFilePath() == owner)
        return true;
    int ownerEntry = 0;
    QString ownerName = QDir::toNativeSeparators(owner);
    for (int k = 0; k < profiles.Count(); ++k)
        if (profiles.At(k)->GameFilePath() == owner) {
            ownerEntry = k + 1;
            ownerName = profiles.At(k)->ProfileName();
        }
    const int answer =
        Ask(FState.Texts.Format(TLangText::MsgDiscardQueuedJobs, {jobs.Count(), ownerName}),
            FState.Texts.Text(TLangText::CaptionConfirmation), TMsgDlgType::mtConfirmation, mbYes | mbNo, mbNo);
    if (answer == mrYes) {
        Button2Click(Button2); // "Delete all"
        return true;
    }
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->setCurrentIndex(ownerEntry > 0 ? ownerEntry : FState.Session.CurrentProfileComboIndex());
    return false;
}

void TFormMain::ShowQueuedJobs()
{
    IJobListWindow *window = JobListWindow();
    if (!window)
        return;
    window->SetJobViewNodeCount(FState.JobList.Count());
    if (FState.JobList.Count() > 0)
        window->ExpandJobView();
    window->RepaintJobView();
    window->SetSaveJobsEnabled(FState.JobList.Count() > 0);
}

void TFormMain::RunProfilePreselection()
{
    const TProfileSession &session = FState.Session;
    const QString lastCity = session.LastVisitedCity();
    if (!lastCity.isEmpty()) {
        if (const TCountryInfo *country = FState.Catalogue.Countries.FindCountryOfCity(lastCity)) {
            ComboBox5->setCurrentIndex(ComboBox5->findData(country->Country(), kCountryTokenRole));
            if (ComboBox5->currentIndex() > 0) {
                ComboBoxCountryChange(ComboBox5, true);
                ComboBox6->setCurrentIndex(ComboBox6->findData(lastCity, kCityTokenRole, Qt::MatchFixedString));
                ComboBoxCityChange(ComboBox6, true);
            }
        }
    }
    if (ComboBox5->currentIndex() <= 0) {
        if (ComboBox5->count() > 0)
            ComboBox5->setCurrentIndex(0);
        ComboBoxCountryChange(ComboBox5, true);
    }
    ComboBoxCountryChange(ComboBox2, true);
    ComboBox8->setCurrentIndex(ComboBox8->count() > 0 ? 0 : -1);
    ComboBox9->setEnabled(true);
    ComboBoxCargoChange(ComboBox8);
    ComboBox10->setCurrentIndex(0);
}

void TFormMain::ShowLoadResult(const TProfileLoadResult &Result)
{
    const TProfileInfo *profile = nullptr;
    const int index = ComboBox1->currentIndex();
    if (index > 0 && index <= FState.Session.ProfileList().Count())
        profile = FState.Session.ProfileList().At(index - 1);
    const QString name = profile ? profile->ProfileName() : QString();
    switch (Result.Status) {
    case TProfileLoadStatus::NotDecoded:
        SetTextFader(FState.Texts.Format(TLangText::StatusProfileNotDecoded, {name}), true);
        break;
    case TProfileLoadStatus::ReadFailed:
        SetTextFader(FState.Texts.Format(TLangText::StatusProfileNotRead, {name}), true);
        break;
    case TProfileLoadStatus::Damaged:
        SetTextFader(FState.Texts.Format(TLangText::StatusProfileDamaged,
                                         {name, DescribeSaveFault(Result.Structure, &FState.Texts)}),
                     true);
        break;
    case TProfileLoadStatus::OriginalNotKept:
        SetTextFader(FState.Texts.Format(TLangText::StatusProfileOriginalNotKept, {name, Result.Error}), true);
        break;
    case TProfileLoadStatus::Loaded:
        SetTextFader(Result.SaveTooOldForJobs ? FState.Texts.Format(TLangText::StatusProfileTooOldForJobs, {name})
                                              : Result.StatusText,
                     true);
        break;
    case TProfileLoadStatus::Ignored:
        break;
    default:
        SetTextFader(Result.StatusText, true);
        break;
    }
}

void TFormMain::ShowProfileModsNotes(const TProfileModsResult &Mods)
{
    // After the load's own word, as at start-up: what of the profile's mods could not be used.
    if (!Mods.Failure.isEmpty())
        TextFader1->AddLine(TTextFader::EscapeLine(Mods.Failure));
    if (!Mods.SkippedNames.isEmpty())
        TextFader1->AddLine(TTextFader::EscapeLine(
            FState.Texts.Format(TLangText::StatusCatalogueSkipped, {Mods.SkippedNames.join(QStringLiteral(", "))})));
}

void TFormMain::ShowLearnerOutcome(const TLearnerOutcome &Outcome)
{
    // The learner's file may be read-only or the disk full; the player should know the learnt
    // distances were not kept, instead of finding them unknown again next time.
    if (!Outcome.Saved.Ok) {
        SetTextFader(FState.Texts.Format(TLangText::StatusLearntDistancesNotSaved, {Outcome.Saved.Error}), true);
    } else if (Outcome.Learning.PairsAdded > 0 || Outcome.Learning.SavesRead > 0 || Outcome.Learning.SavesSkipped > 0) {
        // Only a run that did something speaks; otherwise the load's own word stays.
        if (const auto table = FState.Catalogue.Distances.Snapshot())
            SetTextFader(DistancesKnownStatus(FState.Texts, table->Coverage(), Outcome.Learning, QLocale()), true);
    }
}

void TFormMain::Reload()
{
    if (FProfileLoadRunning || FLoadingData || FGeneratingRandomCargo)
        return;
    ClearAllComboBoxes();
    ClearPreviewLabels();
    if (IsProfileLoaded())
        ComboBox1Change();
    else
        LoadCode(true);
}

void TFormMain::Timer2Timer()
{
    // A reload in the middle of a load or a random search would pull the lists from under them.
    if (!IsProfileLoaded() || FProfileLoadRunning || FGeneratingRandomCargo || FAsking ||
        !FState.Session.QuickSaveChanged())
        return;
    Timer2->stop();
    const int answer = Ask(FState.Texts.Text(TLangText::MsgGetSavegameModifiedWarning),
                           FState.Texts.Text(TLangText::CaptionWarning), TMsgDlgType::mtWarning, mbYes | mbNo, mbYes);
    if (answer == mrYes)
        Reload();
}

void TFormMain::Button4Click()
{
    const QString folder = FState.Session.ProfileFolderToOpen();
    if (folder.isEmpty())
        return;
    const QUrl url = QUrl::fromLocalFile(folder);
    if (FOpenUrl)
        FOpenUrl(url);
    else
        QDesktopServices::openUrl(url);
}

void TFormMain::OpenHelpDocument()
{
    const QUrl url = QUrl::fromLocalFile(QDir(FState.ProgramFolder).filePath(kHelpDocumentName));
    if (FOpenUrl)
        FOpenUrl(url);
    else
        QDesktopServices::openUrl(url);
}

} // namespace kvn
