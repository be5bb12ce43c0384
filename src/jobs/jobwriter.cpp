#include "jobs/jobwriter.h"

#include "catalogue/estimatedoffers.h"

#include "catalogue/distances.h"
#include "jobs/jobhistory.h"
#include "lang/languages.h"
#include "savegame/backup.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"
#include "savegame/savedocument.h"
#include "savegame/savestructure.h"
#include "shared/files.h"
#include "shared/strings.h"

#include <QDir>
#include <QHash>
#include <QSet>

namespace kvn {

namespace {

// The save's unit classes the writer edits.
constexpr QStringView kOfferClass = u"job_offer_data";
constexpr QStringView kEventClass = u"economy_event";
constexpr QStringView kQueueClass = u"economy_event_queue";
constexpr QStringView kCompanyClass = u"company";

QString CompanyLink(const QString &Company, const QString &City)
{
    return QStringLiteral("company.volatile.") + Company + u'.' + City;
}

// Event identifiers by the company they belong to (the last event of a company wins), built once
// per run: identifiers do not change when units move.
QHash<QString, QString> EventsByCompanyLink(const TSaveView &Save)
{
    QHash<QString, QString> events;
    Save.ForEachUnit(kEventClass, [&](const TSaveUnit &Event) {
        const int link = Save.AttributeLine(Event, u"unit_link");
        if (link >= 0)
            events.insert(SiiLineValue(Save.Lines().Line(link)), Event.ID);
    });
    return events;
}

// Everything one job needs, found before its first edit.
struct TJobPlan {
    TSaveUnit Offer;
    TSaveUnit Event;
    TSaveArray Queue;    // the "data" entries of the event queue
    int EventEntry = -1; // index of the event's entry among them; -1 when not queued
};

bool PlanJob(const TSaveView &Save, const TJobListDataSummary &Job, const QSet<QString> &UsedOffers,
             const QHash<QString, QString> &Events, const TLanguageTexts *Texts, TJobPlan &Plan, QString &Reason)
{
    if (!Job.CargoInfo() || !Job.TrailerDefinitionData() || !Job.TrailerDefinitionData()->TrailerDefinitionData) {
        Reason = TextOrEnglish(Texts, TLangText::JobWriteNoCargoOrTrailer);
        return false;
    }
    const QString city = AsciiLower(Job.DepartureCity());
    const QString company = Job.DepartureCompany();
    const QString link = CompanyLink(company, city);

    const TSaveUnit branch = Save.FindUnit(kCompanyClass, link);
    if (branch.Header < 0) {
        Reason = TextOrEnglish(Texts, TLangText::JobCheckNoCompany, {company, city});
        return false;
    }
    // Each job of a run takes the branch's next offer that no earlier job of the run took.
    bool anyOffer = false;
    QString offerID;
    for (int k = 0;; ++k) {
        const int at = Save.AttributeLine(branch, QStringLiteral("job_offer[%1]").arg(k));
        if (at < 0)
            break;
        anyOffer = true;
        const QString id = SiiLineValue(Save.Lines().Line(at));
        if (!id.isEmpty() && id != QLatin1String("null") && !UsedOffers.contains(id)) {
            offerID = id;
            break;
        }
    }
    if (offerID.isEmpty()) {
        Reason = TextOrEnglish(Texts, anyOffer ? TLangText::JobWriteNoOfferLeft : TLangText::JobWriteNoOffer,
                               {company, city});
        return false;
    }

    Plan.Offer = Save.FindUnit(kOfferClass, offerID);
    if (Plan.Offer.Header < 0) {
        Reason = TextOrEnglish(Texts, TLangText::JobWriteOfferMissing, {offerID});
        return false;
    }
    if (Plan.Offer.End < Plan.Offer.Header + kMinOfferUnitLines) {
        Reason = TextOrEnglish(Texts, TLangText::JobWriteOfferTooShort, {offerID});
        return false;
    }

    const QString eventID = Events.value(link);
    if (!eventID.isEmpty())
        Plan.Event = Save.FindUnit(kEventClass, eventID);
    if (Plan.Event.Header < 0) {
        Reason = TextOrEnglish(Texts, TLangText::JobWriteNoEvent, {company, city});
        return false;
    }
    if (!Plan.Event.IsValid() || Save.AttributeLine(Plan.Event, u"time") < 0 ||
        Save.AttributeLine(Plan.Event, u"param") < 0 || Save.AttributeLine(Plan.Event, u"unit_link") < 0 ||
        Save.Attribute(Plan.Event, u"unit_link") != link) {
        Reason = TextOrEnglish(Texts, TLangText::JobWriteEventUnexpected, {eventID});
        return false;
    }

    Plan.Queue = Save.ReadArray(Save.FirstUnit(kQueueClass), u"data");
    if (!Plan.Queue.IsValid()) {
        Reason = TextOrEnglish(Texts, TLangText::JobWriteNoEventQueue);
        return false;
    }
    if (!Plan.Queue.CountMatches()) {
        Reason = TextOrEnglish(Texts, TLangText::JobWriteEventQueueMiscounted);
        return false;
    }
    for (std::size_t k = 0; k < Plan.Queue.EntryLines.size(); ++k)
        if (Save.ArrayValue(Plan.Queue.EntryLines[k]) == eventID) {
            Plan.EventEntry = int(k);
            break;
        }
    return true;
}

// The offer's values as the game keeps them; its fill ratio and trailer place stay as the game
// generated them.
void RewriteOffer(TSaveDocument &Save, const TSaveUnit &Offer, const TJobListDataSummary &Job, std::int32_t Expiration,
                  const TDistanceDataResult &Distance)
{
    const TTrailerDefinitionItem &item = *Job.TrailerDefinitionData();
    const std::pair<QStringView, QString> values[] = {
        {u"target", u'"' + Job.DestinationCompany() + u'.' + AsciiLower(Job.DestinationCity()) + u'"'},
        {u"expiration_time", QString::number(Expiration)},
        {u"urgency", QString::number(std::clamp(Job.CargoUrgency(), 0, kMaxUrgency))},
        {u"shortest_distance_km", QString::number(Distance.KM)},
        {u"ferry_time", QString::number(Distance.FerryTime)},
        {u"ferry_price", QStringLiteral("0")},
        {u"cargo", QStringLiteral("cargo.") + Job.CargoInfo()->CargoName()},
        {u"company_truck", item.Truck},
        {u"trailer_variant", item.TrailerVariant},
        {u"trailer_definition", item.TrailerDefinitionData->TrailerDefinition()},
        {u"units_count", QString::number(Job.CargoUnitCountUserCustom())}};
    for (const auto &[name, value] : values)
        Save.SetAttribute(Offer, name, value);
}

// The distance written into the offer: the table's, or the unknown distance.
TDistanceDataResult OfferDistance(const TJobListDataSummary &Job, const TDistanceTable *Distances)
{
    TDistanceDataResult distance =
        Distances ? Distances->GetDistance(AsciiLower(Job.DepartureCity()), AsciiLower(Job.DestinationCity()))
                  : TDistanceDataResult{};
    if (Job.DistanceIsUnknown() || IsUnknownDistance(distance.KM)) {
        distance.KM = kUnknownDistanceKm;
        distance.Source = TDistanceSource::None;
    }
    distance.FerryTime = std::max(0, distance.FerryTime);
    return distance;
}

// The offer is rewritten, the company's event is retimed to the offer's expiry and its entry in
// the queue goes last. Returns the distance written into the offer.
TDistanceDataResult WriteJob(TSaveDocument &Save, const TJobListDataSummary &Job, const TJobPlan &Plan,
                             std::int32_t Expiration, const TDistanceTable *Distances)
{
    const TDistanceDataResult distance = OfferDistance(Job, Distances);
    RewriteOffer(Save, Plan.Offer, Job, Expiration, distance);
    Save.SetAttribute(Plan.Event, u"time", QString::number(Expiration));
    Save.MoveArrayEntryToEnd(Plan.Queue, u"data", Plan.EventEntry);
    Save.MoveUnitToClassEnd(kOfferClass, Plan.Offer.ID);
    Save.MoveUnitToClassEnd(kEventClass, Plan.Event.ID);
    return distance;
}

// The written offers whose distance is an estimate, for the learner to pass over.
std::vector<TEstimatedOffer> EstimatedOffersOf(const std::vector<TJobWriteOutcome> &Outcomes,
                                               const std::vector<const TJobListDataSummary *> &Jobs,
                                               const std::vector<std::int32_t> &WrittenKm)
{
    std::vector<TEstimatedOffer> offers;
    for (std::size_t i = 0; i < Outcomes.size() && i < Jobs.size(); ++i) {
        if (Outcomes[i].Written && Outcomes[i].DistanceEstimated && Jobs[i])
            offers.push_back({Outcomes[i].OfferID, QLocale().toLower(Jobs[i]->DepartureCity()),
                              QLocale().toLower(Jobs[i]->DestinationCity()), WrittenKm[i]});
    }
    return offers;
}

QString FinalStatus(const TLanguageTexts *Texts, int Written, int Total)
{
    // Nothing written is no success, however many jobs were asked for.
    if (Written == 0)
        return TextOrEnglish(Texts, TLangText::JobNoneSaved);
    if (!Texts)
        return QStringLiteral("%1 of %2 jobs saved successfully.").arg(Written).arg(Total);
    const QString text =
        Texts->Text(Total == 1 ? TLangText::Job1OfMSavedSuccessfully : TLangText::JobNOfMSavedSuccessfully) + u' ' +
        Texts->Text(TLangText::JobDontForgetReloadAfterQuicksave);
    return FormatText(text, {Written, Total});
}

} // namespace

TSaveJobsResult SaveAllJobs(const std::vector<const TJobListDataSummary *> &Jobs, const TJobWriteContext &Context)
{
    TSaveJobsResult result;
    result.Jobs = int(Jobs.size());
    if (!Context.Lines || !Context.Profile || Context.Lines->IsEmpty() || Jobs.empty())
        return result;
    TSaveDocument save(*Context.Lines);
    const QString path = Context.Profile->GameFilePath();
    const TLanguageTexts *texts = Context.Texts;
    auto report = [&](int Done, const QString &Status) {
        if (Context.Progress)
            Context.Progress(Done, result.Jobs, Status);
    };

    // A save the player protected, or one that is not whole, is not touched at all: not even a
    // backup is made, since nothing is going to change.
    auto refuse = [&](const QString &Error, const QString &Status) {
        result.SaveRefused = true;
        result.Error = Error;
        result.StatusText = Status;
        result.Outcomes.assign(Jobs.size(), TJobWriteOutcome{false, Status, {}});
        report(0, result.StatusText);
        return result;
    };
    if (IsWriteProtectedFile(path)) {
        const QString shown = QDir::toNativeSeparators(path);
        return refuse(TextOrEnglish(texts, TLangText::SaveWriteReadOnly, {shown}),
                      TextOrEnglish(texts, TLangText::JobSaveReadOnly, {shown}));
    }
    if (const TSaveStructureCheck check = CheckSaveStructure(save.Lines().Lines()); !check.Ok()) {
        const QString fault = DescribeSaveFault(check, texts);
        return refuse(fault, TextOrEnglish(texts, TLangText::JobSaveDamaged, {fault}));
    }

    const TBackupResult backup = BackupSaveFile(*Context.Profile, path);
    if (!backup.Ok) {
        result.Error = backup.Error;
        result.StatusText = TextOrEnglish(texts, TLangText::JobSaveNoBackup, {backup.Error});
        result.Outcomes.assign(Jobs.size(), TJobWriteOutcome{false, backup.Error, {}});
        report(0, result.StatusText);
        return result;
    }
    result.BackupPath = backup.BackupPath;

    const QHash<QString, QString> events = EventsByCompanyLink(save);
    QSet<QString> usedOffers;
    std::vector<const TJobListDataSummary *> written;
    std::vector<std::int32_t> writtenKm; // per job, as written into its offer
    for (const TJobListDataSummary *job : Jobs) {
        report(result.Written,
               texts ? texts->Format(TLangText::JobNOfMSaving, {result.Written + 1, result.Jobs}) : QString());
        TJobWriteOutcome outcome;
        TJobPlan plan;
        if (!job) {
            outcome.Reason = QStringLiteral("No job.");
        } else if (PlanJob(save, *job, usedOffers, events, texts, plan, outcome.Reason)) {
            const std::int64_t expiration =
                std::int64_t(Context.GameTime) + std::int64_t(kJobExpirationStep) * (result.Written + 1);
            const TDistanceDataResult distance = WriteJob(
                save, *job, plan, std::int32_t(std::min<std::int64_t>(expiration, INT32_MAX)), Context.Distances);
            outcome.DistanceEstimated = distance.IsEstimate();
            writtenKm.push_back(distance.KM);
            usedOffers.insert(plan.Offer.ID);
            outcome.Written = true;
            outcome.OfferID = plan.Offer.ID;
            ++result.Written;
            written.push_back(job);
        }
        if (!outcome.Written)
            writtenKm.push_back(0);
        result.Outcomes.push_back(outcome);
    }

    if (result.Written > 0 && Context.SaveStillAsLoaded && !Context.SaveStillAsLoaded()) {
        result.SaveChangedOnDisk = true;
        result.Written = 0;
        for (TJobWriteOutcome &o : result.Outcomes)
            o.Written = false;
        return result;
    }
    if (result.Written > 0) {
        save.ApplyUnitMoves();
        QString error;
        if (!save.WriteVerified(path, &error, texts)) {
            result.Error = error;
            result.Written = 0;
            for (TJobWriteOutcome &o : result.Outcomes)
                if (o.Written) {
                    o.Written = false;
                    o.Reason = error;
                }
            result.StatusText = TextOrEnglish(texts, TLangText::JobSaveNotWritten, {error});
            report(0, result.StatusText);
            return result;
        }
        result.FileWritten = true;
        // The save watch must not take our own write for the game's.
        Context.Profile->SetGameFileLastWriteTime(FileLastWriteSeconds(path));
        // Only jobs that really are in the save enter the history. A history that cannot be
        // written does not undo them: they are in the save, and the player must hear both.
        if (!Context.HistoryFolder.isEmpty()) {
            const THistoryWriteResult history = AppendJobHistory(Context.HistoryFolder, written);
            if (!history.Ok)
                result.HistoryError = history.Error.isEmpty()
                                          ? QDir::toNativeSeparators(JobHistoryPath(Context.HistoryFolder))
                                          : history.Error;
        }
        // Failing to remember them costs only learnt distances that may be estimates; the jobs
        // are written, so the run still counts as done.
        if (!Context.EstimatesFolder.isEmpty())
            TEstimatedOffers::Remember(Context.EstimatesFolder, EstimatedOffersOf(result.Outcomes, Jobs, writtenKm));
    }
    result.StatusText = FinalStatus(texts, result.Written, result.Jobs);
    if (!result.HistoryError.isEmpty())
        result.StatusText += u' ' + TextOrEnglish(texts, TLangText::JobHistoryNotWritten, {result.HistoryError});
    report(result.Written, result.StatusText);
    return result;
}

std::vector<QString> JobWriteObstacles(const TGameSaveLines &Lines,
                                       const std::vector<const TJobListDataSummary *> &Jobs,
                                       const TLanguageTexts *Texts)
{
    std::vector<QString> reasons;
    reasons.reserve(Jobs.size());
    const TSaveView save(Lines);
    const QHash<QString, QString> events = EventsByCompanyLink(save);
    QSet<QString> usedOffers;
    for (const TJobListDataSummary *job : Jobs) {
        QString reason;
        TJobPlan plan;
        if (!job)
            reason = QStringLiteral("No job.");
        else if (PlanJob(save, *job, usedOffers, events, Texts, plan, reason))
            usedOffers.insert(plan.Offer.ID);
        reasons.push_back(reason);
    }
    return reasons;
}

} // namespace kvn
