// Profile loading, the selection cascade, the locks and the job actions of the window.
#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "jobs/backup.h"
#include "jobs/jobhistory.h"
#include "jobs/jobwriter.h"
#include "jobs/queuedjobs.h"
#include "savegame/companies.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "savegame/unknowndistances.h"
#include "shared/strings.h"
#include "ui/clickimage.h"
#include "ui/dbinformation.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QUrl>
#include <algorithm>
#include <memory>

namespace kvn {

namespace {

// Shown while a profile loads; a fixed English text like the other texts of the load.
const QString kLoadingProfileText = QStringLiteral("Loading profile data ... please wait");

// The help document: the player's guide that comes beside the program.
const QString kHelpDocumentName = QStringLiteral("help.html");

QPixmap LockPicture(bool Closed)
{
    const QString file =
        Closed ? QStringLiteral(":/icons/padlock-closed.svg") : QStringLiteral(":/icons/padlock-open.svg");
    return QFile::exists(file) ? QIcon(file).pixmap(16, 16) : QPixmap();
}

// Alphabetical without regard to case; equal names keep their order (the same city may lie in
// two countries and stays twice).
void SortIgnoringCase(QStringList &Items)
{
    std::stable_sort(Items.begin(), Items.end(), [](const QString &A, const QString &B) {
        return QString::compare(A, B, Qt::CaseInsensitive) < 0;
    });
}

void FillSorted(QComboBox *Box, QStringList Items)
{
    SortIgnoringCase(Items);
    Box->addItems(Items);
    if (Box->count() > 0)
        Box->setCurrentIndex(0);
}

// Appends the entries in the order of their names, each carrying its token in Role: the lists
// show names ("A Coruña") while everything that reads, matches or writes takes the token.
void AppendShownEntries(QComboBox *Box, QList<TShownEntry> Entries, int Role)
{
    SortByShownName(Entries);
    for (const TShownEntry &entry : Entries) {
        Box->addItem(entry.Name);
        Box->setItemData(Box->count() - 1, entry.Token, Role);
    }
}

void FillCitiesSorted(QComboBox *Box, const QStringList &Tokens, const TPlaceNames &Names)
{
    QList<TShownEntry> entries;
    for (const QString &token : Tokens)
        entries.append({token, Names.CityName(token)});
    AppendShownEntries(Box, entries, kCityTokenRole);
    if (Box->count() > 0)
        Box->setCurrentIndex(0);
}

// The two country lists, filled by the profile load.
class TCountryListSink : public ICountryListSink {
public:
    TCountryListSink(TFormMain &Form, const TPlaceNames &Names) : FForm(Form), FNames(Names) {}
    void ClearCountryLists() override
    {
        FForm.ComboBox5->clear();
        FForm.ComboBox2->clear();
    }
    // "All countries" stays first; the countries follow in the order of their names.
    void FillCountryLists(const QStringList &Entries) override
    {
        QList<TShownEntry> countries;
        for (qsizetype i = 1; i < Entries.size(); ++i)
            countries.append({Entries[i], FNames.CountryName(Entries[i])});
        for (QComboBox *box : {FForm.ComboBox5, FForm.ComboBox2}) {
            if (!Entries.isEmpty()) {
                box->addItem(Entries.first());
                box->setItemData(box->count() - 1, Entries.first(), kCountryTokenRole);
            }
            AppendShownEntries(box, countries, kCountryTokenRole);
            if (box->count() > 0)
                box->setCurrentIndex(0);
        }
    }

private:
    TFormMain &FForm;
    const TPlaceNames &FNames;
};

// The cargo list: every entry carries its cargo for the painting code.
class TCargoListSink : public ICargoListSink {
public:
    explicit TCargoListSink(QComboBox *Box) : FBox(Box) {}
    void ClearCargoList() override { FBox->clear(); }
    void AppendCargo(TCargoInfo *Cargo) override
    {
        FBox->addItem(Cargo->CargoName());
        SetItemPointer(FBox, FBox->count() - 1, kCargoInfoRole, Cargo);
    }

private:
    QComboBox *FBox;
};

// What a locked selection held before a profile load refilled its list.
struct TLockedSelection {
    QComboBox *Box = nullptr;
    QString Text;
};

} // namespace

void TFormMain::SetUpSelection()
{
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &TFormMain::Timer2Timer);

    SetUpLocks();

    // Only the player's own picks run the handlers; the cascade sets the lists itself.
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    for (QComboBox *box : {ComboBox5, ComboBox2})
        connect(box, &QComboBox::activated, this, [this, box] { ComboBox2Change(box); });
    for (QComboBox *box : {ComboBox6, ComboBox3})
        connect(box, &QComboBox::activated, this, [this, box] { ComboBox3Change(box); });
    for (QComboBox *box : {ComboBox7, ComboBox4})
        connect(box, &QComboBox::activated, this, [this, box] { ComboBox4Change(box); });
    connect(ComboBox8, &QComboBox::activated, this, [this] { ComboBox8Change(); });
    connect(ComboBox9, &QComboBox::activated, this, [this] { ComboBox9Change(); });
    connect(ComboBox10, &QComboBox::activated, this, [this] { ComboBox10Change(); });
    connect(ComboBox11, &QComboBox::activated, this, [this](int Index) { ComboBox11Change(Index); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(Image11, &TClickImage::clicked, this, [this] { Image11Click(Image11); });
    connect(Image12, &TClickImage::clicked, this, [this] { Image11Click(Image12); });
    connect(Image10, &TClickImage::clicked, this, [this] { Reload(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });

    // A table the learner rebuilt may know the distance the preview called unknown.
    FState.Session.OnDistancesLearned = [this] { AssembleJobPreview(true); };
}

int TFormMain::Ask(const QString &Msg, const QString &Caption, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                   TMsgDlgBtn DefaultButton)
{
    const bool wasAsking = FAsking;
    FAsking = true;
    const int answer = FAsk ? FAsk(Msg, Caption, DlgType, Buttons, DefaultButton)
                            : MessageDialogueSimple(FState.Texts, Msg, Caption, DlgType, Buttons, DefaultButton,
                                                    QColor(Qt::black), 0, this);
    FAsking = wasAsking;
    return answer;
}

bool TFormMain::IsProfileLoaded() const
{
    return FState.Session.IsProfileLoaded();
}

QComboBox *TFormMain::ComboBoxNumber(int Number) const
{
    switch (Number) {
    case 2:
        return ComboBox2;
    case 3:
        return ComboBox3;
    case 4:
        return ComboBox4;
    case 5:
        return ComboBox5;
    case 6:
        return ComboBox6;
    case 7:
        return ComboBox7;
    case 8:
        return ComboBox8;
    case 9:
        return ComboBox9;
    case 10:
        return ComboBox10;
    case 11:
        return ComboBox11;
    default:
        return nullptr;
    }
}

TCargoInfo *TFormMain::SelectedCargo() const
{
    const int index = ComboBox8->currentIndex();
    if (TCargoInfo *cargo = ItemPointer<TCargoInfo>(ComboBox8, index, kCargoInfoRole))
        return cargo;
    return index >= 0 ? FindCargo(FState.Catalogue.CargoInfoList, ComboBox8->currentText()) : nullptr;
}

// ---- Profile loading ----------------------------------------------------------------------

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
    TProfileLoadContext context{FState.Catalogue, decrypter, &countrySink, &cargoSink, true};
    // Every profile entry carries its profile; the session counts entries the same way.
    const TProfileLoadResult result = session.LoadProfile(ComboBox1->currentIndex(), context);

    const bool loaded = session.IsProfileLoaded();
    FProfileLoadRunning = false;
    if (loaded) {
        const QString path = session.CurrentProfile()->QuickSavePath();
        Label3->setText(
            Label3->fontMetrics().elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, Label3->width()));
        RefreshBackupList();
        Timer2->start();
        WatchLearner();
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
    if (loaded) {
        // The jobs waited across the load: what the save now loaded cannot take is marked.
        CheckQueuedJobs(FState.JobList, session, FState.Catalogue, FState.Texts);
        ShowQueuedJobs();
    }
    ShowLoadResult(result);
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

void TFormMain::WatchLearner()
{
    QPointer<TGetUnkownDistances> learner = FState.Session.UnknownDistancesThread();
    if (!learner)
        return;
    // The learner's file may be read-only or the disk full; the player should know the learnt
    // distances were not kept, instead of finding them unknown again next time.
    auto told = std::make_shared<bool>(false);
    const auto tell = [this, learner, told] {
        if (*told || !learner || learner->StopRequested())
            return;
        *told = true;
        const TSaveUserDistancesResult &saved = learner->SaveResult();
        const TSavesLearning learning = learner->Learning();
        if (!saved.Ok) {
            SetTextFader(FState.Texts.Format(TLangText::StatusLearntDistancesNotSaved, {saved.Error}), true);
        } else if (learning.PairsAdded > 0 || learning.SavesRead > 0 || learning.SavesSkipped > 0) {
            // Only a run that did something speaks; otherwise the load's own word stays.
            if (const auto table = FState.Catalogue.Distances.Snapshot())
                SetTextFader(DistancesKnownStatus(FState.Texts, table->Coverage(), learning, QLocale()), true);
        }
    };
    connect(learner, &QThread::finished, this, tell);
    // A small save is learnt before the connection above exists.
    if (learner->isFinished())
        QMetaObject::invokeMethod(this, tell, Qt::QueuedConnection);
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

// ---- Backups --------------------------------------------------------------------------------

void TFormMain::RefreshBackupList()
{
    const TProfileInfo *profile = FState.Session.CurrentProfile();
    const QStringList backups = profile ? ListBackups(*profile) : QStringList();
    const QSignalBlocker blocker(ComboBox11);
    ComboBox11->clear();
    ComboBox11->addItems(BackupComboItems(MainText(QStringLiteral("backup-restore-savegame")),
                                          MainText(QStringLiteral("backup-restore-delete-all-backups")), backups));
    ComboBox11->setCurrentIndex(0);
}

void TFormMain::ComboBox11Change(int Index)
{
    const TProfileInfo *profile = FState.Session.CurrentProfile();
    if (!profile)
        return;
    const auto confirm = [this](const QString &Text) {
        // Both questions destroy something; Enter must not answer them with Yes.
        return Ask(Text, FState.Texts.Text(TLangText::CaptionConfirmation), TMsgDlgType::mtConfirmation, mbYes | mbNo,
                   mbNo) == mrYes;
    };
    switch (BackupComboAction(Index, ComboBox11->count())) {
    case TBackupComboAction::None:
        return;
    case TBackupComboAction::Restore: {
        const TBackupActionResult result = RestoreBackup(*profile, ComboBox11->itemText(Index), confirm);
        if (result.Outcome == TBackupOutcome::Done)
            Reload(); // lists the backups again, without the one used up
        else if (result.Outcome == TBackupOutcome::Failed)
            SetTextFader(result.Error, true);
        break;
    }
    case TBackupComboAction::DeleteAll: {
        const TBackupActionResult result = DeleteAllBackups(*profile, confirm);
        if (result.Outcome == TBackupOutcome::Failed)
            SetTextFader(result.Error, true);
        // Names of deleted files must not stay on offer.
        RefreshBackupList();
        break;
    }
    }
    ComboBox11->setCurrentIndex(0);
}

// ---- The selection cascade ----------------------------------------------------------------

void TFormMain::ComboBoxCountryChange(QComboBox *Sender, bool ForceChange)
{
    if (!ForceChange && (!IsProfileLoaded() || FProfileLoadRunning || !Sender || !Sender->isEnabled()))
        return;
    QComboBox *cities = nullptr;
    QComboBox *companies = nullptr;
    if (Sender == ComboBox5) {
        cities = ComboBox6;
        companies = ComboBox7;
    } else if (Sender == ComboBox2) {
        cities = ComboBox3;
        companies = ComboBox4;
    } else {
        return;
    }
    cities->clear();
    companies->clear();
    const bool all = Sender->currentIndex() == 0;
    const QString selected = SelectedCountryToken(Sender);
    QStringList tokens;
    for (const auto &country : FState.Catalogue.Countries.CountryInfoList()) {
        if (!all && country->Country() != selected)
            continue;
        tokens << country->CityList();
        if (!all)
            break;
    }
    if (tokens.isEmpty()) {
        UpdateAddJobButton(); // nothing to pick on this side any more
        return;
    }
    FillCitiesSorted(cities, tokens, FState.Catalogue.Names);
    ComboBoxCityChange(cities, ForceChange);
}

void TFormMain::ComboBoxCityChange(QComboBox *Sender, bool ForceChange)
{
    if (!ForceChange && (!IsProfileLoaded() || FProfileLoadRunning || !Sender || !Sender->isEnabled()))
        return;
    QComboBox *companies = nullptr;
    if (Sender == ComboBox6)
        companies = ComboBox7;
    else if (Sender == ComboBox3)
        companies = ComboBox4;
    else
        return;
    companies->clear();
    const QString city = SelectedCityToken(Sender);
    QStringList names;
    const TCompanyList &list = FState.Session.CompanyList();
    for (int i = 0; i < list.Count(); ++i)
        if (list.At(i)->HasCity(city))
            names << list.At(i)->CompanyName();
    FillSorted(companies, names);
    if (companies == ComboBox7)
        MarkBranchesWithoutOffers(city);
    ComboBoxCompanyChange(companies);
    UpdateAddJobButton();
}

void TFormMain::MarkBranchesWithoutOffers(const QString &City)
{
    // No job can start at a branch the game gave no offers (truck dealers and the like): grey,
    // as the cargo list greys the cargos the save does not offer, with the reason as a tip.
    const TCompanyList &list = FState.Session.CompanyList();
    for (int i = 0; i < ComboBox7->count(); ++i) {
        const TCompanyInfo *company = list.FindCompany(ComboBox7->itemText(i));
        const bool offers = company && company->OfferCount(City) > 0;
        ComboBox7->setItemData(i, offers ? QVariant() : QVariant(QColor(111, 111, 111)), Qt::ForegroundRole);
        ComboBox7->setItemData(i,
                               offers ? QVariant() : QVariant(FState.Texts.Text(TLangText::LabelCompanyWithoutOffers)),
                               Qt::ToolTipRole);
    }
}

void TFormMain::ComboBoxCompanyChange(QComboBox *)
{
    // The company list is filled sorted already.
    UpdateAddJobButton();
}

void TFormMain::ComboBoxCargoChange(QComboBox *)
{
    // A locked trailer keeps its list.
    if (!ComboBox9->isEnabled())
        return;
    ComboBox9->clear();
    const TCargoInfo *cargo = SelectedCargo();
    if (cargo) {
        QStringList seen;
        for (const auto &item : cargo->TrailerDefinitionList()) {
            if (!item->TrailerDefinitionData)
                continue;
            const QString name = item->TrailerDefinitionData->TrailerDefinition();
            if (seen.contains(name, Qt::CaseInsensitive))
                continue;
            seen << name;
            ComboBox9->addItem(name);
            SetItemPointer(ComboBox9, ComboBox9->count() - 1, kTrailerDefinitionRole, item->TrailerDefinitionData);
            // The entry shows the trailer in words; its definition stays at hand for the curious.
            ComboBox9->setItemData(ComboBox9->count() - 1, name, Qt::ToolTipRole);
        }
    }
    if (ComboBox9->currentIndex() < 0 && ComboBox9->count() > 0)
        ComboBox9->setCurrentIndex(0);
    UpdateAddJobButton();
}

void TFormMain::ComboBox2Change(QComboBox *Sender)
{
    ComboBoxCountryChange(Sender, false);
    AssembleJobPreview();
}

void TFormMain::ComboBox3Change(QComboBox *Sender)
{
    ComboBoxCityChange(Sender, false);
    AssembleJobPreview();
}

void TFormMain::ComboBox4Change(QComboBox *)
{
    AssembleJobPreview();
}

void TFormMain::ComboBox8Change()
{
    ComboBoxCargoChange(ComboBox8);
    const TCargoInfo *cargo = SelectedCargo();
    if (!cargo || !cargo->SavegameCompatibleCargo()) {
        UpdateAddJobButton();
        ClearPreviewLabels(); // the preview of the cargo before would describe a job that cannot be made
    } else {
        AssembleJobPreview();
    }
}

void TFormMain::ComboBox9Change()
{
    AssembleJobPreview();
}

void TFormMain::ComboBox10Change()
{
    UpdateAddJobButton();
    AssembleJobPreview();
}

void TFormMain::TrackBar1Change()
{
    AssembleJobPreview(true);
}

void TFormMain::Image11Click(TClickImage *Sender)
{
    // The slider keeps its range, so at either end nothing changes.
    if (Sender == Image11)
        TrackBar1->setValue(TrackBar1->value() - 1);
    else if (Sender == Image12)
        TrackBar1->setValue(TrackBar1->value() + 1);
}

void TFormMain::UpdateAddJobButton()
{
    bool enabled = IsProfileLoaded();
    for (QComboBox *box : {ComboBox2, ComboBox5, ComboBox3, ComboBox6, ComboBox4, ComboBox7, ComboBox8})
        enabled = enabled && box->currentIndex() >= 0;
    if (enabled) {
        const TCargoInfo *cargo = SelectedCargo();
        enabled = cargo && cargo->SavegameCompatibleCargo();
    }
    enabled = enabled && ComboBox9->currentIndex() >= 0 && ComboBox10->currentIndex() >= 0;
    Button3->setEnabled(enabled);
}

void TFormMain::ClearAllComboBoxes()
{
    ResetAllLocks();
    // Nothing is left to keep: a lock over an empty list would only be in the way.
    FLocks.OpenAll();
    ShowLockPictures();
    for (int n = 2; n <= 9; ++n) {
        QComboBox *box = ComboBoxNumber(n);
        box->setEnabled(true);
        box->clear();
    }
    ComboBox10->setEnabled(true);
    ComboBox10->setCurrentIndex(-1);
    UpdateAddJobButton();
}

// ---- Preview and jobs -----------------------------------------------------------------------

namespace {

TJobSelection SelectionOf(const TFormMain &Form, bool SliderAsked)
{
    TJobSelection selection;
    selection.DepartureCountryIndex = Form.ComboBox5->currentIndex();
    selection.DepartureCountryText = SelectedCountryToken(Form.ComboBox5);
    selection.DepartureCityText = SelectedCityToken(Form.ComboBox6);
    selection.DepartureCompany = Form.ComboBox7->currentText();
    selection.DestinationCountryIndex = Form.ComboBox2->currentIndex();
    selection.DestinationCountryText = SelectedCountryToken(Form.ComboBox2);
    selection.DestinationCityText = SelectedCityToken(Form.ComboBox3);
    selection.DestinationCompany = Form.ComboBox4->currentText();
    selection.CargoName = Form.ComboBox8->currentText();
    selection.TrailerDefinition = Form.ComboBox9->currentText();
    selection.Urgency = Form.ComboBox10->currentIndex();
    selection.SliderPosition = Form.TrackBar1->value();
    selection.SenderIsSlider = SliderAsked;
    return selection;
}

} // namespace

void TFormMain::AssembleJobPreview(bool SliderAsked)
{
    if (!IsProfileLoaded() || !Button3->isEnabled()) {
        ClearPreviewLabels();
        return;
    }
    const auto table = FState.Catalogue.Distances.Snapshot();
    const TAssembledJob assembled =
        AssembleJob(SelectionOf(*this, SliderAsked), FState.Catalogue.CargoInfoList, FState.Catalogue.Countries,
                    table.get(), FState.Texts, &FState.Catalogue.Names);
    if (!assembled.Ok) {
        ClearPreviewLabels();
        return;
    }
    const TJobPreview &preview = assembled.Preview;
    JvHTLabel1->setText(preview.RouteText);
    JvHTLabel2->setText(preview.CargoText);
    JvHTLabel3->setText(preview.TrailerFillText);
    JvHTLabel4->setText(preview.TrailerWeightText);
    JvHTLabel5->setText(preview.DistanceNoteText);
    JvHTLabel5->setVisible(preview.DistanceNoteVisible);
    {
        // Setting the range is not the player moving the slider.
        const QSignalBlocker blocker(TrackBar1);
        TrackBar1->setRange(preview.SliderMin, preview.SliderMax);
        TrackBar1->setValue(preview.SliderPosition);
    }
    SetCustomWeightEnabled(preview.SliderEnabled);
}

void TFormMain::Button3Click()
{
    if (!IsProfileLoaded() || !Button3->isEnabled())
        return;
    const auto table = FState.Catalogue.Distances.Snapshot();
    TAssembledJob assembled =
        AssembleJob(SelectionOf(*this, true), FState.Catalogue.CargoInfoList, FState.Catalogue.Countries, table.get(),
                    FState.Texts, &FState.Catalogue.Names);
    if (!assembled.Ok)
        return;
    assembled.Job->SetSaveFile(FState.Session.CurrentProfile()->GameFilePath());
    if (!ConfirmJobCanBeWritten(*assembled.Job))
        return;
    AddAssembledJob(assembled, FState.JobList, JobListWindow(), [this](const QString &Warning) {
        return Ask(Warning, FState.Texts.Text(TLangText::CaptionWarning), TMsgDlgType::mtWarning, mbYes | mbNo, mbNo) ==
               mrYes;
    });
    if (!JobListWindow())
        Button5->setEnabled(FState.JobList.Count() > 0);
}

bool TFormMain::ConfirmJobCanBeWritten(const TJobListDataSummary &Job)
{
    const auto ask = [this](const QString &Question) {
        return Ask(Question, FState.Texts.Text(TLangText::CaptionWarning), TMsgDlgType::mtWarning, mbYes | mbNo,
                   mbNo) == mrYes;
    };
    if (Job.DepartureCompany() == Job.DestinationCompany() &&
        Job.DepartureCity().compare(Job.DestinationCity(), Qt::CaseInsensitive) == 0 &&
        !ask(FState.Texts.Text(TLangText::MsgSameCompanyWarning)))
        return false;
    // Each job takes over an offer of its departure branch; the queued jobs have taken theirs.
    const int free = FreeJobOffers(Job.DepartureCompany(), Job.DepartureCity());
    if (free > 0)
        return true;
    const TCompanyInfo *company = FState.Session.CompanyList().FindCompany(Job.DepartureCompany());
    const int offers = company ? company->OfferCount(Job.DepartureCity()) : 0;
    return ask(FState.Texts.Format(
        TLangText::MsgNoJobOfferLeft,
        {Job.DepartureCompany(), FState.Catalogue.Names.CityName(Job.DepartureCity()), offers, offers - free}));
}

void TFormMain::Button5Click()
{
    if (!FState.Session.IsProfileLoaded() || FState.JobList.Count() == 0 || FProfileLoadRunning)
        return;
    // The quick-save may have to be read again first, into the window's lists like any load.
    TCountryListSink countrySink(*this, FState.Catalogue.Names);
    TCargoListSink cargoSink(ComboBox8);
    const TSiiDecrypter decrypter(FState.ProgramFolder);
    TProfileLoadContext load{FState.Catalogue, decrypter, &countrySink, &cargoSink, true};
    TQueuedJobsContext context;
    context.Session = &FState.Session;
    context.Load = &load;
    context.EstimatesFolder = FState.Catalogue.Distances.UserFolder();
    context.Texts = &FState.Texts;
    context.HistoryFolder = UserFilesFolder();
    context.Progress = [this](int Done, int Total, const QString &Status) {
        ProgressBar1->setRange(0, std::max(Total, 1));
        ProgressBar1->setValue(Done);
        if (!Status.isEmpty())
            SetTextFader(Status, false);
        ProgressBar1->repaint();
    };
    Button5->setEnabled(false);
    // Reading the save again may wait for the decrypter while the window answers: no other load,
    // no save watch question and no close meanwhile.
    FProfileLoadRunning = true;
    const TQueuedJobsResult result =
        SaveQueuedJobs(FState.JobList, context, JobListWindow(), &FState.JobHistory, JobHistoryWindow());
    FProfileLoadRunning = false;
    // The save on disk is what counts now, whatever was written: read it again.
    Reload();
    SetTextFader(result.StatusText, true);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    Button5->setEnabled(FState.JobList.Count() > 0);
}

// ---- Locks ----------------------------------------------------------------------------------

void TFormMain::SetUpLocks()
{
    TClickImage *images[] = {Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9};
    for (TClickImage *image : images)
        connect(image, &TClickImage::clicked, this, [this, image] { ToggleLock(image); });
    ShowLockPictures();
}

void TFormMain::ShowLockPictures()
{
    TClickImage *images[] = {Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9};
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock) {
        images[lock]->SetPicture(LockPicture(FLocks.Closed(lock)));
        images[lock]->SetChecked(FLocks.Closed(lock));
    }
}

void TFormMain::ToggleLock(TClickImage *Image)
{
    if (!IsProfileLoaded() || !Image)
        return;
    TClickImage *images[] = {Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9};
    const auto found = std::find(std::begin(images), std::end(images), Image);
    if (found == std::end(images))
        return;
    const std::vector<int> follow = FLocks.ToggleLock(int(found - std::begin(images)));
    ShowLockPictures();
    for (int lock : follow)
        SyncLockedComboBox(ComboBoxNumber(TSelectionLocks::ComboBoxNumber(lock)), lock);
    if (!FGeneratingRandomCargo)
        Button8->setEnabled(!AllComboBoxesDisabled(-1, -1));
}

void TFormMain::SyncLockedComboBox(QComboBox *ComboBox, int Lock)
{
    if (!ComboBox || Lock < 0)
        return;
    // A lock freezes a value, so there must be one: the first entry, as if the player had picked it.
    if (ComboBox->currentIndex() < 0 && ComboBox->count() > 0) {
        ComboBox->setCurrentIndex(0);
        RunChangeHandler(ComboBox);
    }
    ComboBox->setEnabled(!FLocks.Closed(Lock));
}

void TFormMain::RunChangeHandler(QComboBox *Sender)
{
    if (Sender == ComboBox5 || Sender == ComboBox2)
        ComboBox2Change(Sender);
    else if (Sender == ComboBox6 || Sender == ComboBox3)
        ComboBox3Change(Sender);
    else if (Sender == ComboBox7 || Sender == ComboBox4)
        ComboBox4Change(Sender);
    else if (Sender == ComboBox8)
        ComboBox8Change();
    else if (Sender == ComboBox9)
        ComboBox9Change();
    else if (Sender == ComboBox10)
        ComboBox10Change();
}

bool TFormMain::AllComboBoxesDisabled(int From, int To) const
{
    if (From == -1)
        From = 2;
    if (To == -1)
        To = 10;
    for (int n = From; n <= To; ++n)
        if (const QComboBox *box = ComboBoxNumber(n); box && box->isEnabled())
            return false;
    return true;
}

bool TFormMain::AnyComboBoxDisabled(int From, int To) const
{
    if (From == -1)
        From = 2;
    if (To == -1)
        To = 10;
    for (int n = From; n <= To; ++n)
        if (const QComboBox *box = ComboBoxNumber(n); box && !box->isEnabled())
            return true;
    return false;
}

bool TFormMain::EnsureDestinationUnlocked()
{
    if (!AnyComboBoxDisabled(2, 4))
        return true;
    const int answer =
        Ask(FState.Texts.Text(TLangText::MsgGetMaxDistanceWarning), FState.Texts.Text(TLangText::CaptionConfirmation),
            TMsgDlgType::mtWarning, mbYes | mbNo, mbYes);
    if (answer != mrYes)
        return false;
    ResetCityCountryCompanyLocks(true);
    return true;
}

void TFormMain::ResetAllLocks()
{
    TClickImage *images[] = {Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9};
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock)
        if (FLocks.Closed(lock))
            ToggleLock(images[lock]);
}

void TFormMain::ResetCityCountryCompanyLocks(bool DestinationOnly)
{
    // A chain's first lock is closed whenever any of its locks is, so opening it opens the chain.
    if (!DestinationOnly && FLocks.Closed(0))
        ToggleLock(Image1);
    if (FLocks.Closed(3))
        ToggleLock(Image4);
}

} // namespace kvn
