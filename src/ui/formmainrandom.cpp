// The random job generator and its options in the window: the options box with its settings
// file, "Create random job" / "Cancel", and the found job put into the selection boxes. The
// search itself is TRandomJobGenerator; this file hands it what the boxes show.
#include "jobs/gamefoldersetting.h"
#include "lang/languages.h"
#include "savegame/companies.h"
#include "ui/delay.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace kvn {

namespace {

// Each attempt of the search waits this long while the window answers, so "Cancel" is heard.
constexpr int kRandomAttemptPauseMs = 25;
// After this many attempts (about three seconds) the status line says that nothing was found
// yet, so that a search under limits nothing meets does not look like a window that hangs.
constexpr int kNothingFoundYetAttempts = 120;

TRandomBox BoxOf(const QComboBox *Combo)
{
    // A locked selection is a disabled box.
    return TRandomBox{!Combo->isEnabled(), Combo->currentText(), Combo->currentIndex()};
}

// City and country boxes are read by their tokens, not by the names they show.
TRandomBox TokenBoxOf(const QComboBox *Combo, int Role)
{
    return TRandomBox{!Combo->isEnabled(), SelectedToken(Combo, Role), Combo->currentIndex()};
}

// Selects the entry whose token in Role is Token; no entry when none is.
void SelectToken(QComboBox *Combo, const QString &Token, int Role)
{
    const QSignalBlocker quiet(Combo);
    Combo->setCurrentIndex(Combo->findData(Token, Role, Qt::MatchFixedString));
}

// Selects the entry whose text equals Text without regard to case; no entry when none does.
void SelectByText(QComboBox *Combo, const QString &Text)
{
    const QSignalBlocker quiet(Combo);
    Combo->setCurrentIndex(Combo->findText(Text, Qt::MatchFixedString));
}

} // namespace

void TFormMain::SetUpRandomiser()
{
    FRandomNumbers = SystemRandomNumbers();
    Button8->setText(MainText(QStringLiteral("button-create-random-job")));
    connect(Button8, &QPushButton::clicked, this, &TFormMain::Button8Click);
    for (QCheckBox *box : {CheckBox1, CheckBox2, CheckBox4, CheckBox5, CheckBox6, CheckBox7})
        connect(box, &QCheckBox::toggled, this, [this, box] { CheckBox1Click(box); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(Edit1); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit1Change(Edit2); });
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { Edit1Change(SpinEdit1); });
    connect(Edit3, &QLineEdit::editingFinished, this, &TFormMain::GameFolderEdited);
    connect(Button11, &QPushButton::clicked, this, &TFormMain::Button11Click);
    SetOptionsEnabled(true);
}

QString TFormMain::SettingsFolder() const
{
    return FState.UserFilesFolder.isEmpty() ? FState.ProgramFolder : FState.UserFilesFolder;
}

// ---- Options ------------------------------------------------------------------------------------

void TFormMain::LoadSettings()
{
    // Read once per run: a reload of the profile list later must not throw away what the user
    // has changed in the options box since.
    if (FSettingsLoaded)
        return;
    const TRandomiserSettings settings = ReadRandomiserSettings(SettingsFolder());
    {
        // The values follow from the settings as a whole below; the handlers must not step the
        // class read from the file (a 5 stays a 5) or ask about locks.
        const QSignalBlocker b1(CheckBox1), b2(Edit1), b4(CheckBox4), b5(CheckBox2), b6(Edit2), b7(CheckBox5),
            b8(CheckBox6), b9(CheckBox7), b10(SpinEdit1);
        CheckBox1->setChecked(settings.MinDistanceChecked);
        Edit1->setText(QString::number(settings.MinDistance));
        CheckBox4->setChecked(settings.MaxTourChecked);
        CheckBox2->setChecked(settings.MinWeightChecked);
        Edit2->setText(QString::number(settings.MinWeight));
        CheckBox5->setChecked(settings.ValuableChecked);
        CheckBox6->setChecked(settings.FragileChecked);
        CheckBox7->setChecked(settings.AdrChecked);
        SpinEdit1->setValue(settings.AdrClass);
    }
    FRandomiserOptions = OptionsFromSettings(settings);
    // The catalogue step of this load reads the game from the folder as it was at the start.
    FState.PlayerGameFolder = ReadPlayerGameFolder(SettingsFolder());
    Edit3->setText(QDir::toNativeSeparators(FState.PlayerGameFolder));
    FSettingsLoaded = true;
    SetOptionsEnabled(!FGeneratingRandomCargo);
}

TRandomiserSettings TFormMain::RandomiserSettingsShown() const
{
    TRandomiserSettings settings;
    settings.MinDistanceChecked = CheckBox1->isChecked();
    settings.MinDistance = NumberFieldValue(Edit1->text());
    settings.MaxTourChecked = CheckBox4->isChecked();
    settings.MinWeightChecked = CheckBox2->isChecked();
    settings.MinWeight = NumberFieldValue(Edit2->text());
    settings.ValuableChecked = CheckBox5->isChecked();
    settings.FragileChecked = CheckBox6->isChecked();
    settings.AdrChecked = CheckBox7->isChecked();
    settings.AdrClass = SpinEdit1->value();
    return settings;
}

void TFormMain::SaveSettings()
{
    // A window that never read the file holds only the defaults; writing them would wipe the
    // user's options.
    if (!FSettingsLoaded)
        return;
    // The window is closing: no one is left to tell when this fails, and the next start simply
    // begins with the options it finds.
    WriteRandomiserSettings(SettingsFolder(), RandomiserSettingsShown());
    // The folder field may still have the focus, so its last edit has not been written yet.
    SaveGameFolderSetting();
}

void TFormMain::SaveGameFolderSetting()
{
    if (!FSettingsLoaded)
        return;
    // Unreported like the options themselves: the next start then finds the folder it had before.
    WritePlayerGameFolder(SettingsFolder(), QDir::fromNativeSeparators(Edit3->text()));
}

void TFormMain::Button11Click()
{
    const QString start = Edit3->text().trimmed().isEmpty() ? QDir::homePath() : Edit3->text().trimmed();
    const QString folder = QFileDialog::getExistingDirectory(this, Label15->text(), start);
    if (folder.isEmpty())
        return;
    Edit3->setText(QDir::toNativeSeparators(folder));
    GameFolderEdited();
}

void TFormMain::GameFolderEdited()
{
    SaveGameFolderSetting();
    if (!FSettingsLoaded)
        return;
    const QString folder = QDir::fromNativeSeparators(Edit3->text()).trimmed();
    if (folder == FState.PlayerGameFolder.trimmed())
        return;
    // While the start-up load or a profile load runs, the folder is kept for the next start: the
    // lists they fill must not change under them.
    if (FLoadingData || FProfileLoadRunning || FGeneratingRandomCargo)
        return;
    FState.PlayerGameFolder = folder;
    ReadGameAgain();
}

void TFormMain::SetOptionsEnabled(bool On)
{
    for (QCheckBox *box : {CheckBox4, CheckBox2, CheckBox5, CheckBox6, CheckBox7})
        box->setEnabled(On);
    CheckBox1->setEnabled(On && !FRandomiserOptions.GetMaxPossibleTour);
    Edit1->setEnabled(On && CheckBox1->isChecked() && CheckBox1->isEnabled());
    Edit2->setEnabled(On && CheckBox2->isChecked());
    SpinEdit1->setEnabled(On && CheckBox7->isChecked());
}

void TFormMain::CheckBox1Click(QCheckBox *Sender)
{
    const bool checked = Sender->isChecked();
    if (Sender == CheckBox4 && checked && !FLoadingData && !EnsureDestinationUnlocked()) {
        CheckBox4->setChecked(false); // runs this handler again for the unchecked box
        return;
    }
    TRandomiserOptions &o = FRandomiserOptions;
    if (Sender == CheckBox1) {
        o.MinDistanceActive = checked && !o.GetMaxPossibleTour;
    } else if (Sender == CheckBox4) {
        o.GetMaxPossibleTour = checked;
        o.MinDistanceActive = !checked && CheckBox1->isChecked();
    } else if (Sender == CheckBox2) {
        o.MinWeightActive = checked;
    } else if (Sender == CheckBox5) {
        o.ValuableActive = checked;
    } else if (Sender == CheckBox6) {
        o.FragileActive = checked;
    } else if (Sender == CheckBox7) {
        o.AdrActive = checked;
    }
    // The edits follow their boxes (and the minimum distance the longest-tour box).
    SetOptionsEnabled(!FGeneratingRandomCargo);
}

void TFormMain::Edit1Change(QObject *Sender)
{
    if (Sender == Edit1) {
        FRandomiserOptions.MinDistance = NumberFieldValue(Edit1->text());
    } else if (Sender == Edit2) {
        FRandomiserOptions.MinWeight = NumberFieldValue(Edit2->text());
    } else if (Sender == SpinEdit1) {
        const int value = SpinEdit1->value();
        const int shown = ChangeAdrClass(FRandomiserOptions, value);
        if (shown != value) {
            const QSignalBlocker quiet(SpinEdit1);
            SpinEdit1->setValue(shown);
        }
    }
}

// ---- The search -----------------------------------------------------------------------------------

void TFormMain::Button8Click()
{
    if (FGeneratingRandomCargo) {
        CancelRandomJob();
        return;
    }
    if (RandomJobSelection().AllLocked())
        return;
    if (FRandomiserOptions.GetMaxPossibleTour)
        EnsureDestinationUnlocked(); // the search starts whatever the answer
    // Searching counts from the click, so that a close or a second click before the first step
    // has reached this thread is handled as during the search.
    FGeneratingRandomCargo = true;
    FRandomJobThread = QtConcurrent::run(QThreadPool::globalInstance(), [this] { RunRandomJobTask(); });
}

void TFormMain::RunRandomJobTask()
{
    // Only the order of the steps lives here; each of them runs on the window's thread.
    RunOnMainThread([this] { RandomJobStart(); });
    // Search and selection share one step: the job points into the cargo list, which a profile
    // load in between would rebuild.
    RunOnMainThread([this] {
        const std::unique_ptr<TJobListDataSummary> job = GenerateRandomJob();
        if (job && job->CargoInfo() && job->CargoInfo()->SavegameCompatibleCargo() && !FCancelGenerateRandomCargo)
            SelectRandomJob(*job);
    });
    RunOnMainThread([this] { RandomJobEnd(); });
}

void TFormMain::RandomJobStart()
{
    FGeneratingRandomCargo = true;
    Button8->setText(MainText(QStringLiteral("button-cancel-random-job")));
    ProgressBar1->setRange(0, 0); // running, no known end
    SetOptionsEnabled(false);
    // The search draws from the loaded profile; another profile or a restored backup would pull
    // the lists from under it.
    ComboBox1->setEnabled(false);
    ComboBox11->setEnabled(false);
}

TRandomJobSelection TFormMain::RandomJobSelection() const
{
    TRandomJobSelection s;
    s.DepartureCountry = TokenBoxOf(ComboBox5, kCountryTokenRole);
    s.DepartureCity = TokenBoxOf(ComboBox6, kCityTokenRole);
    s.DepartureCompany = BoxOf(ComboBox7);
    s.DestinationCountry = TokenBoxOf(ComboBox2, kCountryTokenRole);
    s.DestinationCity = TokenBoxOf(ComboBox3, kCityTokenRole);
    s.DestinationCompany = BoxOf(ComboBox4);
    s.Cargo = BoxOf(ComboBox8);
    s.Trailer = BoxOf(ComboBox9);
    s.Urgency = BoxOf(ComboBox10);
    return s;
}

std::unique_ptr<TJobListDataSummary> TFormMain::GenerateRandomJob()
{
    const TRandomJobWorld world{
        FState.Catalogue.Countries, FState.Catalogue.CargoInfoList, FState.Session.CompanyList(),
        FState.Catalogue.Distances.Snapshot(),
        [this](const QString &Company, const QString &City) { return FreeJobOffers(Company, City); }};
    TRandomJobGenerator generator(world, FRandomiserOptions, FRandomNumbers);
    int attempts = 0;
    const auto pause = [this, &attempts] {
        if (FCancelGenerateRandomCargo || QCoreApplication::closingDown())
            return false;
        if (++attempts == kNothingFoundYetAttempts)
            SetTextFader(FState.Texts.Text(TLangText::StatusRandomJobNothingFoundYet), true);
        Delay(kRandomAttemptPauseMs, true);
        return !FCancelGenerateRandomCargo;
    };
    // The locks are read at every attempt: a padlock closed during the search holds from then on.
    TRandomJobResult result = generator.GenerateRandomJob([this] { return RandomJobSelection(); }, pause);
    if (result.Job && attempts >= kNothingFoundYetAttempts)
        SetTextFader(QString(), true); // found after all: "nothing found yet" no longer holds
    if (result.Outcome == TRandomJobOutcome::NoLongestTour)
        FCancelGenerateRandomCargo = true; // ends as if cancelled: boxes and preview stay
    return std::move(result.Job);
}

void TFormMain::SelectRandomJob(const TJobListDataSummary &Job)
{
    // Only the boxes open now are set: a box locked at this moment keeps what it shows (the
    // generator has made the job agree with it).
    if (ComboBox5->isEnabled()) {
        SelectToken(ComboBox5, Job.DepartureCountry(), kCountryTokenRole);
        ComboBoxCountryChange(ComboBox5, true);
    }
    if (ComboBox6->isEnabled()) {
        SelectToken(ComboBox6, Job.DepartureCity(), kCityTokenRole);
        ComboBoxCityChange(ComboBox6, true);
    }
    if (ComboBox7->isEnabled())
        SelectByText(ComboBox7, Job.DepartureCompany());
    if (ComboBox2->isEnabled()) {
        SelectToken(ComboBox2, Job.DestinationCountry(), kCountryTokenRole);
        ComboBoxCountryChange(ComboBox2, true);
    }
    if (ComboBox3->isEnabled()) {
        SelectToken(ComboBox3, Job.DestinationCity(), kCityTokenRole);
        ComboBoxCityChange(ComboBox3, true);
    }
    if (ComboBox4->isEnabled())
        SelectByText(ComboBox4, Job.DestinationCompany());
    if (ComboBox8->isEnabled() && ComboBox8->count() > 0 && Job.CargoInfo()) {
        int cargoIndex = -1;
        for (int i = 0; i < ComboBox8->count() && cargoIndex < 0; ++i)
            if (ComboBox8->itemText(i).startsWith(Job.CargoInfo()->CargoName()))
                cargoIndex = i;
        {
            const QSignalBlocker quiet(ComboBox8);
            ComboBox8->setCurrentIndex(cargoIndex);
        }
        ComboBoxCargoChange(ComboBox8);
    }
    if (ComboBox9->isEnabled() && Job.TrailerDefinitionData() && Job.TrailerDefinitionData()->TrailerDefinitionData)
        SelectByText(ComboBox9, Job.TrailerDefinitionData()->TrailerDefinitionData->TrailerDefinition());
    if (ComboBox10->isEnabled()) {
        const QSignalBlocker quiet(ComboBox10);
        ComboBox10->setCurrentIndex(Job.CargoUrgency());
    }
    UpdateAddJobButton();
}

void TFormMain::RandomJobEnd()
{
    if (!FCancelGenerateRandomCargo)
        AssembleJobPreview();
    Button8->setText(MainText(QStringLiteral("button-create-random-job")));
    FGeneratingRandomCargo = false;
    FCancelGenerateRandomCargo = false;
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ComboBox1->setEnabled(!FLoadingData && !FProfileLoadRunning);
    ComboBox11->setEnabled(IsProfileLoaded());
    if (FWantClose)
        Timer1->start(); // the close refused during the search goes through now
    else
        SetOptionsEnabled(true);
}

int TFormMain::FreeJobOffers(const QString &Company, const QString &City) const
{
    const TCompanyInfo *company = FState.Session.CompanyList().FindCompany(Company);
    if (!company)
        return 0;
    int free = company->OfferCount(City);
    for (int i = 0; i < FState.JobList.Count(); ++i) {
        const TJobListDataSummary *job = FState.JobList.At(i);
        if (job && job->DepartureCompany() == Company && job->DepartureCity().compare(City, Qt::CaseInsensitive) == 0)
            --free;
    }
    return free;
}

void TFormMain::CancelRandomJob()
{
    // Only a flag: the search notices it after its current pause.
    if (FGeneratingRandomCargo)
        FCancelGenerateRandomCargo = true;
}

} // namespace kvn
