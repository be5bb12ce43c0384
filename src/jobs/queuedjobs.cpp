#include "jobs/queuedjobs.h"

#include "catalogue/catalogue.h"
#include "jobs/jobhistory.h"
#include "lang/languages.h"
#include "savegame/profilesession.h"

namespace kvn {

namespace {

// A game that keeps quick-saving while we write is met this many times before we give up.
constexpr int kSaveAttempts = 3;

bool BranchInSave(const TCompanyList &Companies, const QString &Company, const QString &City)
{
    const TCompanyInfo *company = Companies.FindCompany(Company);
    return company && company->HasCity(City);
}

bool CargoHasTrailer(const TCargoInfo &Cargo, const QString &Definition)
{
    for (const auto &item : Cargo.TrailerDefinitionList())
        if (item->TrailerDefinitionData && item->TrailerDefinitionData->TrailerDefinition() == Definition)
            return true;
    return false;
}

// What the loaded save lacks for the job, before the writer's own look at offers and events.
QString MissingInSave(const TJobListDataSummary &Job, const TProfileSession &Session, const TCatalogue &Catalogue,
                      const TLanguageTexts &Texts)
{
    if (!Job.SaveFile().isEmpty() && Job.SaveFile() != Session.CurrentProfile()->GameFilePath())
        return Texts.Text(TLangText::JobCheckOtherProfile);
    for (const QString &city : {Job.DepartureCity(), Job.DestinationCity()})
        if (!Catalogue.Countries.CityInSetIgnoringCase(city))
            return Texts.Format(TLangText::JobCheckNoCity, {city});
    if (!BranchInSave(Session.CompanyList(), Job.DepartureCompany(), Job.DepartureCity()))
        return Texts.Format(TLangText::JobCheckNoCompany, {Job.DepartureCompany(), Job.DepartureCity()});
    if (!BranchInSave(Session.CompanyList(), Job.DestinationCompany(), Job.DestinationCity()))
        return Texts.Format(TLangText::JobCheckNoCompany, {Job.DestinationCompany(), Job.DestinationCity()});
    const QString cargoName = Job.CargoInfo() ? Job.CargoInfo()->CargoName() : QString();
    const PCargoInfo cargo = FindCargo(Catalogue.CargoInfoList, cargoName);
    if (!cargo || !cargo->SavegameCompatibleCargo())
        return Texts.Format(TLangText::JobCheckNoCargo, {cargoName});
    const TTrailerDefinitionItem *trailer = Job.TrailerDefinitionData();
    const QString definition =
        trailer && trailer->TrailerDefinitionData ? trailer->TrailerDefinitionData->TrailerDefinition() : QString();
    if (!CargoHasTrailer(*cargo, definition))
        return Texts.Format(TLangText::JobCheckNoTrailer, {definition, cargoName});
    return {};
}

QString FinalStatus(const TLanguageTexts &Texts, const TQueuedJobsResult &Result, const TSaveJobsResult &Saved)
{
    QString text;
    if (!Saved.Error.isEmpty())
        text = Saved.StatusText; // says what failed
    else if (Result.Written == 0)
        text = Texts.Text(TLangText::JobNoneSaved);
    else
        text = FormatText(
            Texts.Text(Result.Jobs == 1 ? TLangText::Job1OfMSavedSuccessfully : TLangText::JobNOfMSavedSuccessfully) +
                u' ' + Texts.Text(TLangText::JobDontForgetReloadAfterQuicksave),
            {Result.Written, Result.Jobs});
    if (!Saved.HistoryError.isEmpty() && Saved.Error.isEmpty())
        text += u' ' + Texts.Format(TLangText::JobHistoryNotWritten, {Saved.HistoryError});
    if (Result.Reloaded)
        text = Texts.Text(TLangText::JobSavegameReloaded) + u' ' + text;
    if (Result.Kept > 0)
        text += u' ' + Texts.Format(TLangText::JobNotSavedKept, {Result.Kept});
    return text;
}

void ShowList(const TJobList &List, IJobListWindow *Window)
{
    if (!Window)
        return;
    Window->SetJobViewNodeCount(List.Count());
    if (List.Count() > 0)
        Window->ExpandJobView();
    Window->RepaintJobView();
    Window->SetEmptyJobListPanelVisible(List.Count() == 0);
    Window->SetSaveJobsEnabled(List.Count() > 0);
    UpdateDeleteButtons(&List, *Window);
}

} // namespace

int CheckQueuedJobs(TJobList &List, const TProfileSession &Session, const TCatalogue &Catalogue,
                    const TLanguageTexts &Texts)
{
    if (!Session.IsProfileLoaded()) {
        for (int i = 0; i < List.Count(); ++i)
            List.At(i)->SetNotSavedReason({});
        return 0;
    }
    // The writer's own look runs as one run would: a later job of a branch takes its next offer.
    std::vector<const TJobListDataSummary *> carried;
    std::vector<TJobListDataSummary *> carriedJobs;
    int marked = 0;
    for (int i = 0; i < List.Count(); ++i) {
        TJobListDataSummary *job = List.At(i);
        const QString missing = MissingInSave(*job, Session, Catalogue, Texts);
        job->SetNotSavedReason(missing);
        if (missing.isEmpty()) {
            carried.push_back(job);
            carriedJobs.push_back(job);
        } else {
            ++marked;
        }
    }
    if (carried.empty())
        return marked; // the writer's look reads every event of the save
    const std::vector<QString> obstacles = JobWriteObstacles(Session.SaveLines(), carried, &Texts);
    for (size_t k = 0; k < carriedJobs.size(); ++k) {
        carriedJobs[k]->SetNotSavedReason(obstacles[k]);
        marked += obstacles[k].isEmpty() ? 0 : 1;
    }
    return marked;
}

TQueuedJobsResult SaveQueuedJobs(TJobList &List, const TQueuedJobsContext &Context, IJobListWindow *Window,
                                 TJobList *History, IJobHistoryWindow *HistoryWindow)
{
    TQueuedJobsResult result;
    result.Jobs = List.Count();
    if (!Context.Session || !Context.Load || !Context.Texts || !Context.Session->IsProfileLoaded() || List.Count() == 0)
        return result;
    TProfileSession &session = *Context.Session;
    const TLanguageTexts &texts = *Context.Texts;

    TSaveJobsResult saved;
    std::vector<TJobListDataSummary *> attempted;
    for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
        if (!session.QuickSaveStillAsLoaded()) {
            // The game quick-saved after the load: the jobs go into that newer save, never the
            // lines read before it over it.
            result.Reloaded = true;
            const TProfileLoadResult load = session.LoadProfile(session.CurrentProfileComboIndex(), *Context.Load);
            if (!load.OriginalBackup.isEmpty())
                result.OriginalBackup = load.OriginalBackup;
            if (!load.Loaded()) {
                result.ReloadFailed = true;
                result.Error = load.StatusText;
                break;
            }
        }
        CheckQueuedJobs(List, session, Context.Load->Catalogue, texts);
        attempted.clear();
        std::vector<const TJobListDataSummary *> jobs;
        for (int i = 0; i < List.Count(); ++i)
            if (List.At(i)->NotSavedReason().isEmpty()) {
                attempted.push_back(List.At(i));
                jobs.push_back(List.At(i));
            }
        if (jobs.empty())
            break;
        TJobWriteContext write;
        write.Lines = &session.SaveLines();
        write.Profile = session.CurrentProfile();
        write.GameTime = session.GameTime();
        const auto distances = Context.Load->Catalogue.Distances.Snapshot();
        write.Distances = distances.get();
        write.HistoryFolder = Context.HistoryFolder;
        write.EstimatesFolder = Context.EstimatesFolder;
        write.Texts = &texts;
        write.Progress = Context.Progress;
        write.SaveStillAsLoaded = [&session] { return session.QuickSaveStillAsLoaded(); };
        saved = SaveAllJobs(jobs, write);
        if (!saved.SaveChangedOnDisk)
            break;
        attempted.clear(); // the lines are stale; read the save again and check the jobs again
    }

    if (saved.SaveChangedOnDisk) {
        // The game quick-saved during every try: nothing was written, and each job says why.
        saved.Error = texts.Text(TLangText::JobSaveKeptChanging);
        saved.StatusText = saved.Error;
        for (int i = 0; i < List.Count(); ++i)
            if (List.At(i)->NotSavedReason().isEmpty())
                List.At(i)->SetNotSavedReason(texts.Text(TLangText::JobCheckSaveKeptChanging));
    }
    if (saved.FileWritten)
        session.RecordWrittenQuickSave();
    result.BackupPath = saved.BackupPath;
    result.SaveRefused = saved.SaveRefused;
    result.HistoryError = saved.HistoryError;
    if (result.Error.isEmpty())
        result.Error = saved.Error;

    std::vector<const TJobListDataSummary *> written;
    for (size_t k = 0; k < attempted.size() && k < saved.Outcomes.size(); ++k) {
        if (saved.Outcomes[k].Written)
            written.push_back(attempted[k]);
        else
            attempted[k]->SetNotSavedReason(saved.Outcomes[k].Reason);
    }
    for (int i = 0; i < List.Count(); ++i) {
        const TJobListDataSummary *job = List.At(i);
        const bool isWritten = std::find(written.begin(), written.end(), job) != written.end();
        result.Outcomes.push_back({job->ID(), isWritten, isWritten ? QString() : job->NotSavedReason()});
    }
    if (Window && !written.empty())
        Window->ClearJobView(); // no row may refer to a job about to be freed
    for (const TJobListDataSummary *job : written)
        List.RemoveJob(job);
    result.Written = int(written.size());
    result.Kept = List.Count();
    if (result.ReloadFailed)
        result.StatusText = texts.Format(TLangText::JobSavegameReloadFailed, {result.Error});
    else
        result.StatusText = FinalStatus(texts, result, saved);
    if (Context.Progress)
        Context.Progress(result.Written, result.Jobs, result.StatusText);

    if (History && result.Written > 0)
        LoadJobHistory(Context.HistoryFolder, *History, HistoryWindow);
    ShowList(List, Window);
    return result;
}

} // namespace kvn
