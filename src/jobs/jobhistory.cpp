#include "jobs/jobhistory.h"

#include "shared/inifile.h"
#include "shared/strings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cmath>

namespace kvn {

namespace {

const QString CounterSection = QStringLiteral("0");
const QString CounterKey = QStringLiteral("items");

} // namespace

QString JobHistoryPath(const QString &Folder)
{
    return QDir(Folder).filePath(JobHistoryFileName());
}

std::int64_t LocalUnixSecondsNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toSecsSinceEpoch() + now.offsetFromUtc();
}

THistoryWriteResult AppendJobHistory(const QString &Folder, const std::vector<const TJobListDataSummary *> &Jobs,
                                     std::int64_t Date)
{
    THistoryWriteResult result;
    TMemIniFile ini(JobHistoryPath(Folder));
    if (!ini.IsOpened()) {
        result.Error = QStringLiteral("The job history \"%1\" could not be opened.")
                           .arg(QDir::toNativeSeparators(JobHistoryPath(Folder)));
        return result;
    }
    int n = ini.ReadInteger(CounterSection, CounterKey, 0);
    for (const TJobListDataSummary *job : Jobs) {
        if (!job)
            continue;
        n = n < 0 ? 1 : n + 1;
        ini.WriteInteger(CounterSection, CounterKey, n);
        const QString section = QString::number(n);
        const TCargoInfo *cargo = job->CargoInfo();
        const double weightKg = cargo ? cargo->CargoWeightInKG() : 0.0;
        const TDistanceDataResult &d = job->DistanceDataResult();
        ini.WriteString(section, QStringLiteral("departure"), job->DepartureCity());
        ini.WriteString(section, QStringLiteral("destination"), job->DestinationCity());
        ini.WriteString(section, QStringLiteral("cargo"), cargo ? cargo->CargoName() : QString());
        ini.WriteInt64(section, QStringLiteral("weight"),
                       std::int64_t(std::floor(double(job->CargoUnitCountUserCustom()) * weightKg / 1000.0)));
        ini.WriteInteger(section, QStringLiteral("distance"), d.KM);
        ini.WriteBool(section, QStringLiteral("ferry"), d.NeedsFerry);
        ini.WriteInteger(section, QStringLiteral("ferrytime"), d.FerryTime);
        if (d.IsEstimate())
            ini.WriteBool(section, QStringLiteral("estimated"), true);
        ini.WriteInt64(section, QStringLiteral("date"), Date);
    }
    result.Ok = ini.UpdateFile();
    if (!result.Ok)
        result.Error = ini.LastError();
    return result;
}

THistoryWriteResult AppendJobHistory(const QString &Folder, const TJobListDataSummary &Job, std::int64_t Date)
{
    return AppendJobHistory(Folder, std::vector<const TJobListDataSummary *>{&Job}, Date);
}

void ClearJobHistoryList(TJobList &History, IJobHistoryWindow *Window)
{
    if (Window)
        Window->ClearJobHistoryView();
    History.Clear(); // each entry frees the cargo record made for it
    if (Window) {
        Window->SetJobHistoryNodeCount(0);
        Window->SetDeleteHistoryEnabled(false);
        Window->SetEmptyHistoryPanelVisible(true);
    }
}

void LoadJobHistory(const QString &Folder, TJobList &History, IJobHistoryWindow *Window)
{
    ClearJobHistoryList(History, Window);
    {
        const TMemIniFile ini(JobHistoryPath(Folder), true);
        const QStringList sections = ini.ReadSections();
        for (qsizetype i = sections.size() - 1; i >= 0; --i) {
            const QString &section = sections.at(i);
            if (section == CounterSection)
                continue;
            auto entry = std::make_unique<TJobListDataSummary>();
            auto cargo = std::make_unique<TCargoInfo>();
            entry->SetDepartureCity(TrimControl(ini.ReadString(section, QStringLiteral("departure"), QString())));
            entry->SetDestinationCity(TrimControl(ini.ReadString(section, QStringLiteral("destination"), QString())));
            cargo->SetCargoName(TrimControl(ini.ReadString(section, QStringLiteral("cargo"), QString())));
            if (entry->DepartureCity().isEmpty() || entry->DestinationCity().isEmpty() || cargo->CargoName().isEmpty())
                continue;
            const double tonnes =
                StrToFloatLocaleFree(ini.ReadString(section, QStringLiteral("weight"), QStringLiteral("0")), 0.0);
            cargo->SetCargoWeightInKG(std::isfinite(tonnes) ? tonnes * 1000.0 : 0.0);
            TDistanceDataResult d;
            d.KM = ini.ReadInteger(section, QStringLiteral("distance"), 0);
            d.FerryTime = ini.ReadInteger(section, QStringLiteral("ferrytime"), 0);
            d.NeedsFerry = ini.ReadBool(section, QStringLiteral("ferry"), false);
            if (ini.ReadBool(section, QStringLiteral("estimated"), false))
                d.Source = TDistanceSource::Estimated;
            entry->SetDistanceDataResult(d);
            // Seconds since 1970 outgrow 32 bits in 2038; read the full width.
            entry->SetJobDate(ini.ReadInt64(section, QStringLiteral("date"), -1));
            entry->SetCargoInfo(std::move(cargo));
            History.Append(std::move(entry));
        }
    }
    if (Window) {
        Window->SetJobHistoryNodeCount(History.Count());
        Window->SetDeleteHistoryEnabled(History.Count() > 0);
        Window->SetEmptyHistoryPanelVisible(History.Count() == 0);
    }
}

bool DeleteJobHistory(const QString &Folder, TJobList &History, IJobHistoryWindow *Window)
{
    ClearJobHistoryList(History, Window);
    const QString path = JobHistoryPath(Folder);
    return !QFile::exists(path) || QFile::remove(path);
}

} // namespace kvn
