// The distance learner on every save of two profiles: 50 saves of 300,000 lines each (or argv[1]
// saves of argv[2] lines), plain text, none of them loaded. Reports the time until the pairs of
// the first save are in the table, the time for all of them, and a second run that finds every
// save already read. Asserts nothing.
#include "savegen.h"

#include "catalogue/catalogue.h"
#include "savegame/unknowndistances.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>

using namespace kvn;

namespace {

bool WriteSave(const savegen::Catalogue &Cat, const QString &Path, std::uint64_t Seed, qint64 Lines, int AgeSeconds)
{
    QDir().mkpath(QFileInfo(Path).path());
    savegen::Options options;
    options.Seed = Seed;
    options.Lines = Lines;
    QSaveFile file(Path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    savegen::WriteGameSii(Cat, options, file);
    if (!file.commit())
        return false;
    QFile touch(Path);
    return touch.open(QIODevice::ReadWrite) &&
           touch.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-AgeSeconds), QFileDevice::FileModificationTime);
}

struct Timings {
    qint64 FirstMs = -1;
    qint64 TotalMs = 0;
    TSavesLearning Learning;
};

Timings Learn(TDistances &Distances, const TOtherSaves &Others)
{
    TGetUnkownDistances learner(TGameSaveLines(), Distances, Others);
    QElapsedTimer clock;
    std::atomic<qint64> first{-1};
    QObject::connect(
        &learner, &TGetUnkownDistances::DistancesLearned, &learner,
        [&] {
            if (first.load() < 0)
                first = clock.elapsed();
        },
        Qt::DirectConnection);
    clock.start();
    learner.start();
    learner.wait();
    return {first.load(), clock.elapsed(), learner.Learning()};
}

void Report(const char *Name, const Timings &T)
{
    std::printf("%s: %lld ms in all; first save's pairs usable after %lld ms; %d saves found, %d read, %d already "
                "read, %d skipped; %d pairs learnt\n",
                Name, static_cast<long long>(T.TotalMs), static_cast<long long>(T.FirstMs), T.Learning.SavesFound,
                T.Learning.SavesRead, T.Learning.SavesAlreadyRead, T.Learning.SavesSkipped, T.Learning.PairsAdded);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int saves = argc > 1 ? QByteArray(argv[1]).toInt() : 50;
    const qint64 lines = argc > 2 ? QByteArray(argv[2]).toLongLong() : 300000;

    QTemporaryDir dir;
    const QStringList profiles{dir.filePath(QStringLiteral("profiles/A/")),
                               dir.filePath(QStringLiteral("profiles/B/"))};
    const savegen::Catalogue cat = savegen::Catalogue::FromResources();
    QElapsedTimer clock;
    clock.start();
    static const char *const kNames[] = {"quicksave", "autosave", "autosave_job"};
    for (int i = 0; i < saves; ++i) {
        const int inProfile = i / 2;
        const QString name = inProfile < 3 ? QString::fromLatin1(kNames[inProfile]) : QString::number(inProfile - 2);
        if (!WriteSave(cat, profiles[i % 2] + QStringLiteral("save/") + name + QStringLiteral("/game.sii"),
                       std::uint64_t(1000 + i), lines, 60 * i))
            return 1;
    }
    std::printf("%d saves of %lld lines written in %lld ms\n", saves, static_cast<long long>(lines),
                static_cast<long long>(clock.elapsed()));

    TCatalogue catalogue;
    catalogue.Distances.SetUserFolder(dir.path());
    catalogue.Distances.ReloadDistances();
    const TOtherSaves others{profiles, QString(), QString()};
    Report("first run", Learn(catalogue.Distances, others));
    Report("second run", Learn(catalogue.Distances, others));
    return 0;
}
