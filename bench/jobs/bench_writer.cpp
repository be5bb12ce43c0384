// 50 jobs written into a generated save of about 2,000,000 lines: the whole "Save all jobs" run,
// verified backup and verified atomic write included. Target: at most 1.0 s.
#include "savegen.h"

#include "catalogue/catalogue.h"
#include "jobs/jobwriter.h"
#include "lang/languages.h"
#include "savegame/backup.h"
#include "savegame/profilesession.h"
#include "savegame/savedocument.h"
#include "savegame/siidecryption.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace kvn;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 lines = argc > 1 ? QByteArray(argv[1]).toLongLong() : 2000000;
    const int jobCount = argc > 2 ? QByteArray(argv[2]).toInt() : 50;
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + "/save/quicksave");
    const QString game = dir.path() + "/save/quicksave/game.sii";
    {
        QFile out(game);
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        savegen::Options opt;
        opt.Lines = lines;
        savegen::WriteGameSii(savegen::Catalogue::FromResources(), opt, out);
    }

    TCatalogue catalogue;
    catalogue.LoadTrailersAndCargos();
    catalogue.Distances.SetUserFolder(dir.path());
    catalogue.Distances.ReloadDistances();
    const TSiiDecrypter decrypter(QCoreApplication::applicationDirPath());
    TProfileSession session;
    auto profile = std::make_unique<TProfileInfo>();
    profile->SetQuickSavePath(dir.path() + "/save/quicksave/");
    session.ProfileList().Append(std::move(profile));
    TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
    if (!session.LoadProfile(1, context).Loaded())
        return 1;

    // One job per branch, to the next branch, with the first cargo and trailer the save offers.
    PCargoInfo cargo;
    for (const auto &c : catalogue.CargoInfoList)
        if (c->SavegameCompatibleCargo() && !c->TrailerDefinitionList().empty()) {
            cargo = c;
            break;
        }
    if (!cargo)
        return 1;
    std::vector<std::pair<QString, QString>> branches;
    for (int i = 0; i < session.CompanyList().Count(); ++i)
        for (const QString &city : session.CompanyList().At(i)->CityList())
            branches.emplace_back(session.CompanyList().At(i)->CompanyName(), city);
    std::vector<std::unique_ptr<TJobListDataSummary>> jobs;
    std::vector<const TJobListDataSummary *> pointers;
    for (size_t i = 0; i < branches.size() && int(jobs.size()) < jobCount;
         i += std::max<size_t>(1, branches.size() / size_t(jobCount))) {
        auto job = std::make_unique<TJobListDataSummary>();
        job->SetID(GenerateJobID());
        job->SetDepartureCompany(branches[i].first);
        job->SetDepartureCity(branches[i].second);
        const auto &to = branches[(i + 1) % branches.size()];
        job->SetDestinationCompany(to.first);
        job->SetDestinationCity(to.second);
        job->SetCargoInfo(cargo);
        job->SetTrailerDefinitionData(cargo->TrailerDefinitionList().front());
        job->SetCargoUnitCountUserCustom(cargo->TrailerDefinitionList().front()->CargoUnitCountMax);
        pointers.push_back(job.get());
        jobs.push_back(std::move(job));
    }

    const TLanguageTexts texts;
    TJobWriteContext write;
    write.Lines = &session.SaveLines();
    write.Profile = session.CurrentProfile();
    write.GameTime = session.GameTime();
    const auto table = catalogue.Distances.Snapshot();
    write.Distances = table.get();
    write.HistoryFolder = dir.path();
    write.Texts = &texts;
    QElapsedTimer timer;
    timer.start();
    const TSaveJobsResult r = SaveAllJobs(pointers, write);
    const qint64 ms = timer.elapsed();
    std::printf("save lines: %d, file: %lld bytes, jobs: %d, written: %d, file written: %s\n",
                session.SaveLines().Count(), QFile(game).size(), r.Jobs, r.Written, r.FileWritten ? "yes" : "no");
    std::printf("Save all jobs (backup, edits, verified atomic write, history): %lld ms (target <= 1000 ms)\n", ms);
    // Where the time goes.
    timer.restart();
    const TBackupResult b = BackupSaveFile(*session.CurrentProfile(), game);
    std::printf("  verified backup alone: %lld ms\n", timer.elapsed());
    timer.restart();
    TSaveDocument(session.SaveLines()).WriteVerified(game);
    std::printf("  verified atomic write alone: %lld ms\n", timer.elapsed());
    return r.FileWritten && b.Ok ? 0 : 1;
}
