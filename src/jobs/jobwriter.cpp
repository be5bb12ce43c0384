#include "jobs/jobwriter.h"

#include "catalogue/estimatedoffers.h"

#include "catalogue/distances.h"
#include "jobs/backup.h"
#include "jobs/jobhistory.h"
#include "lang/languages.h"
#include "savegame/gamesavelines.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"
#include "savegame/savestructure.h"
#include "shared/disksync.h"
#include "shared/files.h"
#include "shared/strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <filesystem>
#include <system_error>

namespace kvn {

namespace {

const QString OfferHeaderPrefix = QStringLiteral("job_offer_data : ");
const QString EventHeaderPrefix = QStringLiteral("economy_event : ");
const QString QueueHeaderPrefix = QStringLiteral("economy_event_queue : ");

// The attributes of an offer, in the order they are written.
const char *const OfferAttributes[] = {"target",          "expiration_time",    "urgency",     "shortest_distance_km",
                                       "ferry_time",      "ferry_price",        "cargo",       "company_truck",
                                       "trailer_variant", "trailer_definition", "units_count", "fill_ratio",
                                       "trailer_place"};

QString CompanyLink(const QString &Company, const QString &City)
{
    return QStringLiteral("company.volatile.") + Company + u'.' + City;
}

// The identifier of a unit header "class : id {".
QString UnitID(const QString &Header, const QString &Prefix)
{
    QStringView t = TrimmedView(Header);
    if (!t.startsWith(Prefix))
        return {};
    t = t.mid(Prefix.size());
    if (t.endsWith(u'{'))
        t.chop(1);
    return t.trimmed().toString();
}

// Attribute lines are found by name inside the unit only: [From, End).
int FindAttribute(const GameSaveLines &Lines, const QString &Name, int From, int End)
{
    const QString key = Name + u':';
    for (int i = From; i < End; ++i)
        if (TrimmedStartsWith(Lines.Line(i), key))
            return i;
    return -1;
}

// The value of a "data[i]: id" entry, without copying it.
QStringView EntryValue(const QString &Line)
{
    const qsizetype colon = Line.indexOf(u':');
    return colon < 0 ? QStringView() : QStringView(Line).mid(colon + 1).trimmed();
}

// Keeps everything before the first colon, indentation included.
QString RewriteValue(const QString &Line, const QString &Value)
{
    const qsizetype colon = Line.indexOf(u':');
    return (colon < 0 ? Line : Line.left(colon)) + QStringLiteral(": ") + Value;
}

// The blank line that separates a unit from the one above travels with it; any other line above
// (a closing brace, the file's opening brace) stays where it is.
int BlockStart(const GameSaveLines &Lines, int Header)
{
    return Header > 0 && TrimmedView(Lines.Line(Header - 1)).isEmpty() ? Header - 1 : Header;
}

// Moving a unit behind the last unit of its class: the units moved in one run, in their final
// order. Each move puts a unit behind the one moved before it, so together they stand where the
// class's last unit stood at the start of the run, also when a later job moves that unit itself.
// The moves are applied in one pass at the end of the run; until then no line changes its place.
class TUnitMoves {
public:
    TUnitMoves(const GameSaveLines &Lines, const QString &ClassPrefix) : FPrefix(ClassPrefix)
    {
        const int last = Lines.FindLastLine(ClassPrefix);
        if (last >= 0) {
            FAnchor = UnitID(Lines.Line(last), ClassPrefix);
            FOrder << FAnchor;
        }
    }
    void Move(const QString &ID)
    {
        if (!FOrder.isEmpty() && FOrder.back() == ID)
            return; // already the last of its class
        FOrder.removeAll(ID);
        FOrder << ID;
    }
    bool HasMoves() const { return FOrder.size() > 1; }
    const QString &Prefix() const { return FPrefix; }
    const QStringList &Order() const { return FOrder; }
    // The class's last unit at the start of the run: where the moved units go.
    const QString &Anchor() const { return FAnchor; }

private:
    QString FPrefix;
    QString FAnchor;
    QStringList FOrder; // every moved unit and the anchor, in their final order
};

// The lines of a unit's block: the blank line above (when there is one) through its closing line.
std::pair<int, int> UnitBlock(const GameSaveLines &Lines, const QString &Prefix, const QString &ID)
{
    const int header = Lines.FindLineFrom(Prefix + ID + QStringLiteral(" {"), 0);
    const int end = header < 0 ? -1 : Lines.FindUnitEnd(header + 1);
    if (end < 0)
        return {-1, -1};
    return {BlockStart(Lines, header), end};
}

void ApplyMoves(GameSaveLines &Lines, const std::vector<const TUnitMoves *> &AllMoves)
{
    const int count = Lines.Count();
    std::vector<char> skip(size_t(count), 0);
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> anchors; // anchor start -> blocks
    for (const TUnitMoves *moves : AllMoves) {
        if (!moves->HasMoves())
            continue;
        std::vector<std::pair<int, int>> blocks;
        for (const QString &id : moves->Order()) {
            const auto block = UnitBlock(Lines, moves->Prefix(), id);
            if (block.first < 0)
                return; // cannot happen for units the run itself found; leave the order alone
            blocks.push_back(block);
        }
        for (const auto &b : blocks)
            std::fill(skip.begin() + b.first, skip.begin() + b.second + 1, 1);
        anchors.emplace_back(UnitBlock(Lines, moves->Prefix(), moves->Anchor()).first, std::move(blocks));
    }
    if (anchors.empty())
        return;
    std::vector<int> order;
    order.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        for (const auto &anchor : anchors)
            if (anchor.first == i)
                for (const auto &b : anchor.second)
                    for (int k = b.first; k <= b.second; ++k)
                        order.push_back(k);
        if (!skip[size_t(i)])
            order.push_back(i);
    }
    Lines.PermuteLines(order);
}

// Event identifiers by the company they belong to (the last event of a company wins), built once
// per run: identifiers do not change when units move.
QHash<QString, QString> EventsByCompanyLink(const GameSaveLines &Lines)
{
    QHash<QString, QString> events;
    for (int h = Lines.FindLineFrom(EventHeaderPrefix, 0); h >= 0; h = Lines.FindLineFrom(EventHeaderPrefix, h + 1)) {
        const int end = std::min(Lines.Count(), h + 8);
        for (int i = h + 1; i < end; ++i) {
            const QStringView t = TrimmedView(Lines.Line(i));
            if (t.startsWith(u'}'))
                break;
            if (t.startsWith(u"unit_link:")) {
                events.insert(SiiLineValue(Lines.Line(i)), UnitID(Lines.Line(h), EventHeaderPrefix));
                break;
            }
        }
    }
    return events;
}

// Everything one job needs, found before its first edit.
struct TJobPlan {
    QString OfferID;
    int OfferHeader = -1;
    int OfferEnd = -1;
    QString EventID;
    int EventHeader = -1;
    int TimeLine = -1;
    int LinkLine = -1;
    int ParamLine = -1;
    int QueueHeader = -1;
    int QueueCount = 0;
    std::vector<int> QueueEntries; // line numbers of the "data[i]: id" entries
    int EventEntry = -1;           // index among them of the event's entry; -1 when not queued
};

bool PlanJob(const GameSaveLines &Lines, const TJobListDataSummary &Job, const QSet<QString> &UsedOffers,
             const QHash<QString, QString> &Events, TJobPlan &Plan, QString &Reason)
{
    if (!Job.CargoInfo() || !Job.TrailerDefinitionData() || !Job.TrailerDefinitionData()->TrailerDefinitionData) {
        Reason = QStringLiteral("The job has no cargo or trailer.");
        return false;
    }
    const QString city = AsciiLower(Job.DepartureCity());
    const QString company = Job.DepartureCompany();
    const QString link = CompanyLink(company, city);

    const int branch = Lines.FindLineFrom(QStringLiteral("company : ") + link + QStringLiteral(" {"), 0);
    if (branch < 0) {
        Reason = QStringLiteral("The save has no company \"%1\" in \"%2\".").arg(company, city);
        return false;
    }
    const int branchEnd = Lines.FindUnitEnd(branch);
    // Each job of a run takes the branch's next offer that no earlier job of the run took.
    bool anyOffer = false;
    for (int k = 0;; ++k) {
        const int at = FindAttribute(Lines, QStringLiteral("job_offer[%1]").arg(k), branch + 1, branchEnd);
        if (at < 0)
            break;
        anyOffer = true;
        const QString id = SiiLineValue(Lines.Line(at));
        if (!id.isEmpty() && id != QLatin1String("null") && !UsedOffers.contains(id)) {
            Plan.OfferID = id;
            break;
        }
    }
    if (Plan.OfferID.isEmpty()) {
        Reason =
            anyOffer
                ? QStringLiteral("The company \"%1\" in \"%2\" has no job offer left in this save.").arg(company, city)
                : QStringLiteral("The company \"%1\" in \"%2\" has no job offer in this save.").arg(company, city);
        return false;
    }

    Plan.EventID = Events.value(link);
    Plan.OfferHeader = Lines.FindLineFrom(OfferHeaderPrefix + Plan.OfferID + QStringLiteral(" {"), 0);
    if (Plan.OfferHeader < 0) {
        Reason = QStringLiteral("The job offer \"%1\" is missing from the save.").arg(Plan.OfferID);
        return false;
    }
    Plan.OfferEnd = Lines.FindUnitEnd(Plan.OfferHeader + 1);
    if (Plan.OfferEnd < Plan.OfferHeader + kMinOfferUnitLines) {
        Reason = QStringLiteral("The job offer \"%1\" is shorter than expected.").arg(Plan.OfferID);
        return false;
    }

    if (!Plan.EventID.isEmpty())
        Plan.EventHeader = Lines.FindLineFrom(EventHeaderPrefix + Plan.EventID + QStringLiteral(" {"), 0);
    if (Plan.EventHeader < 0) {
        Reason = QStringLiteral("The save has no economy event for \"%1\" in \"%2\".").arg(company, city);
        return false;
    }
    const int eventEnd = Lines.FindUnitEnd(Plan.EventHeader + 1);
    Plan.TimeLine = FindAttribute(Lines, QStringLiteral("time"), Plan.EventHeader + 1, eventEnd);
    Plan.LinkLine = FindAttribute(Lines, QStringLiteral("unit_link"), Plan.EventHeader + 1, eventEnd);
    Plan.ParamLine = FindAttribute(Lines, QStringLiteral("param"), Plan.EventHeader + 1, eventEnd);
    if (eventEnd < 0 || Plan.TimeLine < 0 || Plan.LinkLine < 0 || Plan.ParamLine < 0 ||
        SiiLineValue(Lines.Line(Plan.LinkLine)) != link) {
        Reason = QStringLiteral("The economy event \"%1\" is not as expected.").arg(Plan.EventID);
        return false;
    }

    Plan.QueueHeader = Lines.FindLineFrom(QueueHeaderPrefix, 0);
    const int queueEnd = Plan.QueueHeader < 0 ? -1 : Lines.FindUnitEnd(Plan.QueueHeader + 1);
    if (queueEnd < 0 || Plan.QueueHeader + 1 >= queueEnd ||
        !TrimmedStartsWith(Lines.Line(Plan.QueueHeader + 1), u"data:")) {
        Reason = QStringLiteral("The save has no economy event queue.");
        return false;
    }
    Plan.QueueCount = ToIntDefault(SiiLineValue(Lines.Line(Plan.QueueHeader + 1)), -1);
    for (int i = Plan.QueueHeader + 2; i < queueEnd && TrimmedStartsWith(Lines.Line(i), u"data["); ++i) {
        if (Plan.EventEntry < 0 && EntryValue(Lines.Line(i)) == Plan.EventID)
            Plan.EventEntry = int(Plan.QueueEntries.size());
        Plan.QueueEntries.push_back(i);
    }
    if (Plan.QueueCount != int(Plan.QueueEntries.size())) {
        Reason = QStringLiteral("The economy event queue does not hold as many entries as it says.");
        return false;
    }
    return true;
}

void RewriteOffer(GameSaveLines &Lines, const TJobPlan &Plan, const TJobOfferData &Offer)
{
    const QString values[] = {Offer.target,
                              QString::number(Offer.expiration_time),
                              QString::number(Offer.urgency),
                              QString::number(Offer.DistanceData.KM),
                              QString::number(Offer.DistanceData.FerryTime),
                              QStringLiteral("0"),
                              QStringLiteral("cargo.") + Offer.cargo,
                              Offer.company_truck,
                              Offer.trailer_variant,
                              Offer.trailer_definition,
                              QString::number(Offer.units_count),
                              Offer.fill_ratio,
                              Offer.trailer_place};
    for (size_t k = 0; k < std::size(OfferAttributes); ++k) {
        const int at =
            FindAttribute(Lines, QString::fromLatin1(OfferAttributes[k]), Plan.OfferHeader + 1, Plan.OfferEnd);
        if (at >= 0)
            Lines.SetLine(at, RewriteValue(Lines.Line(at), values[k]));
    }
}

// The event's entry goes last; the others keep their order; all are numbered afresh. Entries in
// front of the event's keep their number and identifier, so only the lines from there on change.
void RequeueEvent(GameSaveLines &Lines, const TJobPlan &Plan)
{
    const int n = int(Plan.QueueEntries.size());
    const int from = Plan.EventEntry >= 0 ? Plan.EventEntry : 0;
    QStringList ids;
    ids.reserve(n - from);
    for (int k = from; k < n; ++k)
        ids << EntryValue(Lines.Line(Plan.QueueEntries[size_t(k)])).toString();
    if (Plan.EventEntry >= 0)
        ids.append(ids.takeFirst());
    for (int k = from; k < n; ++k) {
        const QString &id = ids.at(k - from);
        QString text;
        text.reserve(id.size() + 16);
        text += QLatin1String(" data[") + QString::number(k) + QLatin1String("]: ") + id;
        if (Lines.Line(Plan.QueueEntries[size_t(k)]) != text)
            Lines.SetLine(Plan.QueueEntries[size_t(k)], text);
    }
}

// Returns the distance written into the offer.
TDistanceDataResult WriteJob(GameSaveLines &Lines, const TJobListDataSummary &Job, const TJobPlan &Plan,
                             std::int32_t Expiration, const TDistanceTable *Distances)
{
    const TTrailerDefinitionItem &item = *Job.TrailerDefinitionData();
    const QString city = AsciiLower(Job.DepartureCity());
    const QString destinationCity = AsciiLower(Job.DestinationCity());

    TJobOfferData offer;
    offer.DataID = Plan.OfferID;
    offer.target = u'"' + Job.DestinationCompany() + u'.' + destinationCity + u'"';
    offer.expiration_time = Expiration;
    offer.urgency = std::clamp(Job.CargoUrgency(), 0, kMaxUrgency);
    offer.cargo = Job.CargoInfo()->CargoName();
    offer.company_truck = item.Truck;
    offer.trailer_variant = item.TrailerVariant;
    offer.trailer_definition = item.TrailerDefinitionData->TrailerDefinition();
    offer.units_count = Job.CargoUnitCountUserCustom();
    offer.DistanceData = Distances ? Distances->GetDistance(city, destinationCity) : TDistanceDataResult{};
    if (Job.DistanceIsUnknown() || IsUnknownDistance(offer.DistanceData.KM)) {
        offer.DistanceData.KM = kUnknownDistanceKm;
        offer.DistanceData.Source = TDistanceSource::None;
    }
    offer.DistanceData.FerryTime = std::max(0, offer.DistanceData.FerryTime);
    const int fill = FindAttribute(Lines, QStringLiteral("fill_ratio"), Plan.OfferHeader + 1, Plan.OfferEnd);
    const int place = FindAttribute(Lines, QStringLiteral("trailer_place"), Plan.OfferHeader + 1, Plan.OfferEnd);
    offer.fill_ratio = fill < 0 ? QString() : SiiLineValue(Lines.Line(fill));
    offer.trailer_place = place < 0 ? QString() : SiiLineValue(Lines.Line(place));
    RewriteOffer(Lines, Plan, offer);

    TEconomyEvent event;
    event.DataID = Plan.EventID;
    event.time = Expiration;
    event.unit_link = CompanyLink(Job.DepartureCompany(), city);
    event.param = SiiLineValue(Lines.Line(Plan.ParamLine));
    Lines.SetLine(Plan.TimeLine, RewriteValue(Lines.Line(Plan.TimeLine), QString::number(event.time)));
    Lines.SetLine(Plan.LinkLine, RewriteValue(Lines.Line(Plan.LinkLine), event.unit_link));
    Lines.SetLine(Plan.ParamLine, RewriteValue(Lines.Line(Plan.ParamLine), event.param));

    RequeueEvent(Lines, Plan);
    return offer.DistanceData;
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
        return Texts ? Texts->Text(TLangText::JobNoneSaved) : QStringLiteral("No job was saved.");
    if (!Texts)
        return QStringLiteral("%1 of %2 jobs saved successfully.").arg(Written).arg(Total);
    const QString text =
        Texts->Text(Total == 1 ? TLangText::Job1OfMSavedSuccessfully : TLangText::JobNOfMSavedSuccessfully) + u' ' +
        Texts->Text(TLangText::JobDontForgetReloadAfterQuicksave);
    return FormatText(text, {Written, Total});
}

} // namespace

bool WriteSaveVerified(const GameSaveLines &Lines, const QString &Path, QString *Error)
{
    auto fail = [&](const QString &Text) {
        if (Error)
            *Error = Text;
        return false;
    };
    const QFileInfo info(Path);
    const QString temporary = QDir(info.absolutePath()).filePath(info.fileName() + QStringLiteral(".kestrovan-new"));
    const QString shown = QDir::toNativeSeparators(temporary);
    // Renaming would replace a file the player protected; the rename itself never asks.
    if (IsWriteProtectedFile(Path))
        return fail(QStringLiteral("\"%1\" is read-only.").arg(QDir::toNativeSeparators(Path)));
    if (QFileInfo(temporary).isFile())
        QFile::remove(temporary);

    const QByteArray bytes = EncodeSiiLines(Lines.Lines(), Lines.Form());
    {
        QFile out(temporary);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("No temporary file could be created beside the savegame (\"%1\": %2).")
                            .arg(shown, out.errorString()));
        const bool written = out.write(bytes) == bytes.size() && SyncFileToDisk(out);
        const QString why = out.errorString();
        out.close();
        if (!written || out.error() != QFileDevice::NoError) {
            QFile::remove(temporary);
            return fail(
                QStringLiteral("The savegame could not be written completely (%1). Is the disk full?").arg(why));
        }
    }
    {
        QFile in(temporary);
        QByteArray back;
        if (in.open(QIODevice::ReadOnly))
            back = in.readAll();
        in.close();
        QStringList lines;
        SiiTextForm form;
        if (back == bytes)
            ReadSiiBytes(back, lines, form);
        if (back != bytes || lines != Lines.Lines()) {
            QFile::remove(temporary);
            return fail(QStringLiteral("The written savegame did not read back as it was meant to be."));
        }
        // Whatever the edits did, only a whole save may take the place of game.sii.
        const SaveStructureCheck check = CheckSaveStructure(lines);
        if (!check.Ok()) {
            QFile::remove(temporary);
            return fail(QStringLiteral("The new savegame would be incomplete or damaged: %1.")
                            .arg(DescribeSaveFault(check, nullptr)));
        }
    }
    // The new file takes the old one's permissions (a save kept at 0640 stays 0640), not the
    // defaults a new file gets.
    if (QFileInfo::exists(Path))
        QFile::setPermissions(temporary, QFile::permissions(Path));
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(Path.toStdU16String()), ec);
    if (ec) {
        QFile::remove(temporary);
        return fail(QStringLiteral("The new savegame could not replace \"%1\" (%2).")
                        .arg(QDir::toNativeSeparators(Path), QString::fromLocal8Bit(ec.message())));
    }
    return true;
}

TSaveJobsResult SaveAllJobs(const std::vector<const TJobListDataSummary *> &Jobs, const TJobWriteContext &Context)
{
    TSaveJobsResult result;
    result.Jobs = int(Jobs.size());
    if (!Context.Lines || !Context.Profile || Context.Lines->IsEmpty() || Jobs.empty())
        return result;
    GameSaveLines &lines = *Context.Lines;
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
        return refuse(QStringLiteral("\"%1\" is read-only.").arg(shown),
                      texts ? texts->Format(TLangText::JobSaveReadOnly, {shown})
                            : QStringLiteral("No job was saved: game.sii is read-only and was left as it was. Remove "
                                             "the write protection from \"%1\" if you want jobs written into it.")
                                  .arg(shown));
    }
    if (const SaveStructureCheck check = CheckSaveStructure(lines.Lines()); !check.Ok()) {
        const QString fault = DescribeSaveFault(check, texts);
        return refuse(fault, texts ? texts->Format(TLangText::JobSaveDamaged, {fault})
                                   : QStringLiteral("No job was saved: game.sii is incomplete or damaged (%1) and was "
                                                    "left as it was.")
                                         .arg(fault));
    }

    const TBackupResult backup = BackupSaveFile(*Context.Profile, path);
    if (!backup.Ok) {
        result.Error = backup.Error;
        result.StatusText =
            texts ? texts->Format(TLangText::JobSaveNoBackup, {backup.Error})
                  : QStringLiteral("No job was saved: the savegame could not be backed up. ") + backup.Error;
        result.Outcomes.assign(Jobs.size(), TJobWriteOutcome{false, backup.Error, {}});
        report(0, result.StatusText);
        return result;
    }
    result.BackupPath = backup.BackupPath;

    const QHash<QString, QString> events = EventsByCompanyLink(lines);
    TUnitMoves offerMoves(lines, OfferHeaderPrefix);
    TUnitMoves eventMoves(lines, EventHeaderPrefix);
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
        } else if (PlanJob(lines, *job, usedOffers, events, plan, outcome.Reason)) {
            const std::int64_t expiration =
                std::int64_t(Context.GameTime) + std::int64_t(kJobExpirationStep) * (result.Written + 1);
            const TDistanceDataResult distance = WriteJob(
                lines, *job, plan, std::int32_t(std::min<std::int64_t>(expiration, INT32_MAX)), Context.Distances);
            outcome.DistanceEstimated = distance.IsEstimate();
            writtenKm.push_back(distance.KM);
            offerMoves.Move(plan.OfferID);
            eventMoves.Move(plan.EventID);
            usedOffers.insert(plan.OfferID);
            outcome.Written = true;
            outcome.OfferID = plan.OfferID;
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
        ApplyMoves(lines, {&offerMoves, &eventMoves});
        QString error;
        if (!WriteSaveVerified(lines, path, &error)) {
            result.Error = error;
            result.Written = 0;
            for (TJobWriteOutcome &o : result.Outcomes)
                if (o.Written) {
                    o.Written = false;
                    o.Reason = error;
                }
            result.StatusText = texts ? texts->Format(TLangText::JobSaveNotWritten, {error})
                                      : QStringLiteral("No job was saved: game.sii could not be written and was left "
                                                       "as it was. ") +
                                            error;
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
        result.StatusText +=
            u' ' + (texts ? texts->Format(TLangText::JobHistoryNotWritten, {result.HistoryError})
                          : QStringLiteral("The jobs are in your save, but the job history could not be updated: ") +
                                result.HistoryError);
    report(result.Written, result.StatusText);
    return result;
}

std::vector<QString> JobWriteObstacles(const GameSaveLines &Lines, const std::vector<const TJobListDataSummary *> &Jobs)
{
    std::vector<QString> reasons;
    reasons.reserve(Jobs.size());
    const QHash<QString, QString> events = EventsByCompanyLink(Lines);
    QSet<QString> usedOffers;
    for (const TJobListDataSummary *job : Jobs) {
        QString reason;
        TJobPlan plan;
        if (!job)
            reason = QStringLiteral("No job.");
        else if (PlanJob(Lines, *job, usedOffers, events, plan, reason))
            usedOffers.insert(plan.OfferID);
        reasons.push_back(reason);
    }
    return reasons;
}

} // namespace kvn
