#include "cli/addjobs.h"

#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "jobs/jobscsv.h"
#include "jobs/jobwriter.h"
#include "jobs/queuedjobs.h"
#include "lang/languages.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "savegame/unknowndistances.h"
#include "shared/files.h"
#include "shared/strings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace kvn {

namespace {

constexpr int ExitAllWritten = 0;
constexpr int ExitUnusableInput = 2;
constexpr int ExitSomeNotWritten = 3;

// The quick-save folder of a profile folder or of a game.sii; empty when there is none.
QString QuickSaveFolder(const QString &Path)
{
    const QFileInfo info(Path);
    if (info.isFile())
        return info.absolutePath() + u'/';
    if (!info.isDir())
        return {};
    const QDir dir(info.absoluteFilePath());
    if (QFileInfo(dir.filePath(QStringLiteral("save/quicksave/game.sii"))).isFile())
        return dir.filePath(QStringLiteral("save/quicksave")) + u'/';
    if (QFileInfo(dir.filePath(QStringLiteral("game.sii"))).isFile())
        return dir.absolutePath() + u'/';
    return {};
}

bool CompanyInCity(const TCompanyList &Companies, const QString &Company, const QString &City)
{
    const TCompanyInfo *c = Companies.FindCompany(Company);
    return c && c->HasCity(City);
}

struct TLineResult {
    int Line = 0;
    bool Written = false;
    QString Reason;
};

// Checks one row against the loaded save and assembles it as "Add job" does; the reason when not.
std::unique_ptr<TJobListDataSummary> AssembleRow(const TJobsCsvRow &Row, const TCatalogue &Catalogue,
                                                 const TProfileSession &Session, const TDistanceTable *Distances,
                                                 const TLanguageTexts &Texts, bool AllowCountryBound, QString &Reason)
{
    const QString from = AsciiLower(Row.DepartureCity), to = AsciiLower(Row.DestinationCity);
    QString cargoName = Row.Cargo;
    if (cargoName.startsWith(QLatin1String("cargo.")))
        cargoName.remove(0, 6);
    if (!Catalogue.Countries.CityInSetIgnoringCase(from))
        Reason = QStringLiteral("The departure city \"%1\" has no company in this save.").arg(Row.DepartureCity);
    else if (!Catalogue.Countries.CityInSetIgnoringCase(to))
        Reason = QStringLiteral("The destination city \"%1\" has no company in this save.").arg(Row.DestinationCity);
    else if (!CompanyInCity(Session.CompanyList(), Row.DepartureCompany, from))
        Reason = QStringLiteral("The save has no company \"%1\" in \"%2\".").arg(Row.DepartureCompany, from);
    else if (!CompanyInCity(Session.CompanyList(), Row.DestinationCompany, to))
        Reason = QStringLiteral("The save has no company \"%1\" in \"%2\".").arg(Row.DestinationCompany, to);
    if (!Reason.isEmpty())
        return nullptr;
    const PCargoInfo cargo = FindCargo(Catalogue.CargoInfoList, cargoName);
    if (!cargo) {
        Reason = QStringLiteral("The cargo \"%1\" is not known.").arg(Row.Cargo);
        return nullptr;
    }
    if (!cargo->SavegameCompatibleCargo()) {
        Reason = QStringLiteral("The save does not offer the cargo \"%1\".").arg(cargoName);
        return nullptr;
    }
    TJobSelection s;
    s.DepartureCountryText = kAllCountriesEntry;
    s.DepartureCityText = from;
    s.DepartureCompany = Row.DepartureCompany;
    s.DestinationCountryText = kAllCountriesEntry;
    s.DestinationCityText = to;
    s.DestinationCompany = Row.DestinationCompany;
    s.CargoName = cargoName;
    s.TrailerDefinition = Row.TrailerDefinition;
    s.Urgency = Row.Urgency;
    s.SenderIsSlider = Row.Units >= 0;
    s.SliderPosition = Row.Units;
    TAssembledJob a = AssembleJob(s, Catalogue.CargoInfoList, Catalogue.Countries, Distances, Texts);
    if (!a.Ok) {
        Reason = QStringLiteral("The save does not offer the trailer \"%1\" with the cargo \"%2\".")
                     .arg(Row.TrailerDefinition, cargoName);
        return nullptr;
    }
    if (Row.Units >= 0 && (Row.Units < a.Preview.SliderMin || Row.Units > a.Preview.SliderMax)) {
        Reason = QStringLiteral("The trailer takes %1 to %2 units, not %3.")
                     .arg(a.Preview.SliderMin)
                     .arg(a.Preview.SliderMax)
                     .arg(Row.Units);
        return nullptr;
    }
    if (a.TrailerOutsideItsCountries && !AllowCountryBound) {
        Reason = QStringLiteral("The trailer \"%1\" may only be used in: %2 (use --allow-country-bound to add it "
                                "anyway; the game may not accept the job).")
                     .arg(Row.TrailerDefinition,
                          a.Job->TrailerDefinitionData()->TrailerDefinitionData->CountryValidityListCommaList());
        return nullptr;
    }
    return std::move(a.Job);
}

// Backup: the copy made before this write; Original: the save as the game wrote it, kept before
// the load turned it into text (empty when it was text already).
int Finish(bool Json, int Jobs, int Written, const QString &Backup, const QString &Original,
           const std::vector<TLineResult> &Results, const QString &Message, QTextStream &Out,
           const QStringList &Warnings = {})
{
    if (Json) {
        QJsonArray results;
        for (const TLineResult &r : Results)
            results.append(QJsonObject{{"line", r.Line}, {"written", r.Written}, {"reason", r.Reason}});
        Out << QJsonDocument(QJsonObject{{"jobs", Jobs},
                                         {"written", Written},
                                         {"backup", Backup},
                                         {"original_backup", Original},
                                         {"results", results},
                                         {"warnings", QJsonArray::fromStringList(Warnings)}})
                   .toJson(QJsonDocument::Indented);
    } else {
        for (const TLineResult &r : Results)
            Out << "line " << r.Line << ": " << (r.Written ? QStringLiteral("written") : "not written: " + r.Reason)
                << "\n";
        if (!Original.isEmpty())
            Out << "original form kept in: " << QDir::toNativeSeparators(Original) << "\n";
        if (!Backup.isEmpty())
            Out << "backup: " << QDir::toNativeSeparators(Backup) << "\n";
        Out << Message << "\n";
    }
    return Written == Jobs && Jobs > 0 ? ExitAllWritten : ExitSomeNotWritten;
}

} // namespace

QString ProgramFilesFolder()
{
    const QString own = QCoreApplication::applicationDirPath();
    if (QFileInfo(own).isWritable())
        return own;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

int AddJobsCommand(const QStringList &Args, bool Json, QTextStream &Out, QTextStream &Err)
{
    QStringList args = Args;
    const bool allowCountryBound = args.removeAll(QStringLiteral("--allow-country-bound")) > 0;
    if (args.size() != 2) {
        Err << "usage: kestrovan-cli add-jobs <profile folder or game.sii> <jobs.csv> [--json] "
               "[--allow-country-bound]\n";
        return ExitUnusableInput;
    }
    const QString quickSave = QuickSaveFolder(args.at(0));
    if (quickSave.isEmpty()) {
        Err << "kestrovan-cli: no game.sii was found at \"" << QDir::toNativeSeparators(args.at(0)) << "\"\n";
        return ExitUnusableInput;
    }
    const TJobsCsv csv = ReadJobsCsvFile(args.at(1));
    if (!csv.Ok) {
        Err << "kestrovan-cli: " << csv.Error << "\n";
        return ExitUnusableInput;
    }
    if (csv.Rows.empty()) {
        Err << "kestrovan-cli: the jobs file holds no job\n";
        return ExitUnusableInput;
    }

    const QString filesFolder = ProgramFilesFolder();
    TCatalogue catalogue;
    catalogue.LoadTrailersAndCargos();
    catalogue.Distances.SetUserFolder(filesFolder);
    catalogue.Distances.ReloadDistances();
    const TSiiDecrypter decrypter(QCoreApplication::applicationDirPath());
    TProfileSession session;
    auto profile = std::make_unique<TProfileInfo>();
    profile->SetQuickSavePath(quickSave);
    profile->SetProfileName(QDir(quickSave).dirName());
    session.ProfileList().Append(std::move(profile));
    TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, true};
    const TProfileLoadResult load = session.LoadProfile(1, context);
    if (!load.Loaded() || load.SaveTooOldForJobs) {
        Err << "kestrovan-cli: " << load.StatusText << "\n";
        return ExitUnusableInput;
    }
    if (IsWriteProtectedFile(session.CurrentProfile()->GameFilePath())) {
        Err << "kestrovan-cli: \"" << QDir::toNativeSeparators(session.CurrentProfile()->GameFilePath())
            << "\" is read-only; no job was written.\n";
        return ExitUnusableInput;
    }
    // What the save teaches about distances is used for the jobs below.
    if (TGetUnkownDistances *learner = session.UnknownDistancesThread())
        learner->wait();
    const std::shared_ptr<const TDistanceTable> distances = catalogue.Distances.Snapshot();
    const TLanguageTexts texts;

    std::vector<TLineResult> results;
    TJobList jobs;
    QHash<QString, size_t> jobResult; // job ID -> index into results
    for (const TJobsCsvRow &row : csv.Rows) {
        TLineResult r{row.Line, false, row.Reason};
        if (row.Ok) {
            auto job = AssembleRow(row, catalogue, session, distances.get(), texts, allowCountryBound, r.Reason);
            if (job) {
                job->SetSaveFile(session.CurrentProfile()->GameFilePath());
                jobResult.insert(job->ID(), results.size());
                jobs.Append(std::move(job));
            }
        }
        results.push_back(r);
    }
    const int total = int(csv.Rows.size());
    if (jobs.Count() == 0)
        return Finish(Json, total, 0, QString(), load.OriginalBackup, results, QStringLiteral("No job could be added."),
                      Out);

    // The same path as the window's: a quick-save the game wrote after our load is read again and
    // the jobs go into it, not the lines read before over it.
    TQueuedJobsContext write;
    write.Session = &session;
    write.Load = &context;
    write.EstimatesFolder = catalogue.Distances.UserFolder();
    write.Texts = &texts;
    write.HistoryFolder = filesFolder;
    const TQueuedJobsResult saved = SaveQueuedJobs(jobs, write);
    if (saved.SaveRefused) {
        Err << "kestrovan-cli: " << saved.StatusText << "\n";
        return ExitUnusableInput;
    }
    QStringList warnings;
    if (!saved.HistoryError.isEmpty()) {
        warnings << QStringLiteral("The job history could not be updated: ") + saved.HistoryError;
        Err << "kestrovan-cli: warning: " << warnings.back() << "\n";
    }
    for (const TQueuedJobOutcome &outcome : saved.Outcomes) {
        const auto at = jobResult.constFind(outcome.ID);
        if (at == jobResult.constEnd())
            continue;
        TLineResult &r = results[*at];
        r.Written = outcome.Written;
        r.Reason = outcome.Written ? QString() : outcome.Reason;
    }
    // A save the game wrote meanwhile was read again, and kept in its own form first.
    const QString original = saved.OriginalBackup.isEmpty() ? load.OriginalBackup : saved.OriginalBackup;
    return Finish(Json, total, saved.Written, saved.BackupPath, original, results, saved.StatusText, Out, warnings);
}

} // namespace kvn
