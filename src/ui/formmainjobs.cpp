// TFormMain: the job preview, adding a job to the list and "Save all jobs".
#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "jobs/jobhistory.h"
#include "jobs/jobwriter.h"
#include "jobs/queuedjobs.h"
#include "savegame/backup.h"
#include "savegame/companies.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "savegame/unknowndistances.h"
#include "shared/strings.h"
#include "ui/dbinformation.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"
#include "ui/selectionlists.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace kvn {

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
    TProfileLoadContext load{FState.Catalogue, decrypter, &countrySink, &cargoSink, true, &FState.Texts};
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

} // namespace kvn
