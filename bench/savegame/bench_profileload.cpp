// Profile load and distance learner on a generated save of 2,000,000 lines (or argv[1] lines).
// Reports times and the peak memory of the load; asserts nothing.
#include "savegen.h"

#include "catalogue/catalogue.h"
#include "savegame/companies.h"
#include "savegame/gamesavelines.h"
#include "savegame/profilesession.h"
#include "savegame/savegamecargos.h"
#include "savegame/savestructure.h"
#include "savegame/unknowndistances.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace kvn;

namespace {

// Resident and peak resident memory in kB (Linux); 0 elsewhere.
qint64 ProcStatus(const char *Key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(Key))
            return line.mid(qsizetype(qstrlen(Key))).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void ResetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 lines = argc > 1 ? QByteArray(argv[1]).toLongLong() : 2000000;
    const bool runBaseline = !(argc > 2 && QByteArray(argv[2]) == "--no-baseline");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("game.sii"));
    {
        savegen::Options options;
        options.Seed = 2024;
        options.Lines = lines;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        const savegen::Summary summary = savegen::WriteGameSii(savegen::Catalogue::FromResources(), options, file);
        if (!file.commit())
            return 1;
        std::printf("save: %lld lines, %lld bytes, %d branches, %d job offers\n", static_cast<long long>(summary.Lines),
                    static_cast<long long>(QFileInfo(path).size()), summary.CompanyBranches, summary.JobOffers);
    }
    const double fileMb = double(QFileInfo(path).size()) / (1024.0 * 1024.0);

    TCatalogue catalogue;
    catalogue.LoadTrailersAndCargos();
    catalogue.Distances.SetUserFolder(dir.path());
    catalogue.Distances.ReloadDistances();

    // Profile load: read, split, index, game time, countries, cargos, companies.
    ResetPeakMemory();
    const qint64 rssBefore = ProcStatus("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    TGameSaveLines save;
    if (!save.LoadFromFile(path).ok())
        return 1;
    const qint64 readMs = clock.elapsed();
    // The check for a whole save runs on every load and twice in every write.
    if (!CheckSaveStructure(save.Lines()).Ok())
        return 1;
    const qint64 checkMs = clock.elapsed();
    const TGameTimeAndCity timeAndCity = ReadGameTimeAndLastCity(save.Lines());
    catalogue.Distances.ResetDistanceDeactivation();
    const auto table = catalogue.Distances.Snapshot();
    catalogue.Countries.LoadCountriesToDataClasses(save.Lines(), table.get(), nullptr);
    const qint64 countriesMs = clock.elapsed();
    LoadCargosFromGameFileToClasses(save, catalogue.CargoInfoList, catalogue.TrailerDefinitionDataList, nullptr);
    const qint64 cargosMs = clock.elapsed();
    TCompanyList companies;
    LoadCompaniesFromGameFile(save, companies);
    const qint64 loadMs = clock.elapsed();
    const qint64 peakKb = ProcStatus("VmHWM:") - rssBefore;
    std::printf(
        "profile load: %lld ms (read+split+index %lld, whole-save check %lld, time/city/countries %lld, cargos %lld, "
        "companies %lld)\n",
        static_cast<long long>(loadMs), static_cast<long long>(readMs), static_cast<long long>(checkMs - readMs),
        static_cast<long long>(countriesMs - checkMs), static_cast<long long>(cargosMs - countriesMs),
        static_cast<long long>(loadMs - cargosMs));
    std::printf("  game_time %d, city %s, %d companies, %d branches, %d compatible cargos\n", timeAndCity.GameTime,
                qPrintable(timeAndCity.LastVisitedCity), companies.Count(), companies.BranchCount(),
                CompatibleCargoCount(catalogue.CargoInfoList));
    std::printf("peak memory of the load: %.1f MB = %.2f x the file (%.1f MB)\n", double(peakKb) / 1024.0,
                double(peakKb) / 1024.0 / fileMb, fileMb);

    // The learner: the indexed walk, its hand-over, and the plain scan as the baseline.
    clock.restart();
    const std::vector<TLearnedDistance> learned = CollectUnknownDistances(save, *table);
    const qint64 learnMs = clock.nsecsElapsed() / 1000000;
    const double learnSec = double(clock.nsecsElapsed()) / 1e9;
    clock.restart();
    const TSaveUserDistancesResult handOver = catalogue.Distances.SaveUserDistances(learned);
    const qint64 handOverMs = clock.elapsed();
    std::printf("learner: collected %d offers in %lld ms; hand-over (%d pairs, file + table swap) %lld ms%s\n",
                int(learned.size()), static_cast<long long>(learnMs), handOver.AddedPairs,
                static_cast<long long>(handOverMs), handOver.Ok ? "" : " FAILED");
    if (runBaseline) {
        clock.restart();
        const std::vector<TLearnedDistance> scanned = CollectUnknownDistancesByScan(save.Lines(), *table);
        const double scanSec = double(clock.nsecsElapsed()) / 1e9;
        std::printf("baseline scan: collected %d offers in %.1f s; indexed walk is %.0f x faster%s\n",
                    int(scanned.size()), scanSec, scanSec / std::max(learnSec, 1e-9),
                    scanned.size() == learned.size() ? "" : " (DIFFERENT RESULT)");
    }
    return 0;
}
