// Feeds arbitrary bytes to the jobs-file reader of "kestrovan-cli add-jobs" and checks what it
// promises: bounded results, each row numbered after the one before, usable rows fully checked.
#include "jobs/jobscsv.h"

#include <cstdint>
#include <cstdlib>

using namespace kvn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size));
    const TJobsCsv csv = ParseJobsCsv(bytes);
    if (!csv.Ok && !csv.Rows.empty() && csv.Error.isEmpty())
        std::abort();
    if (int(csv.Rows.size()) > kMaxJobsFileRows)
        std::abort();
    int line = 1;
    for (const TJobsCsvRow &row : csv.Rows) {
        if (row.Line <= line)
            std::abort();
        line = row.Line;
        if (row.Ok != row.Reason.isEmpty())
            std::abort();
        if (row.Ok && (row.Urgency < 0 || row.Urgency > 2 || row.Units == 0 || row.Units < -1 ||
                       row.DepartureCity.isEmpty() || row.TrailerDefinition.size() > kMaxJobsFieldLength))
            std::abort();
    }
    return 0;
}
