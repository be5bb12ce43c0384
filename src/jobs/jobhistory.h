// The history of written jobs: "job-history.ini" in the program's files folder, one section per
// written job, read back newest first for the "Previous jobs" view.
#pragma once

#include "jobs/joblist.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace kvn {

inline QString JobHistoryFileName()
{
    return QStringLiteral("job-history.ini");
}

// Folder + "/job-history.ini".
QString JobHistoryPath(const QString &Folder);

// Now as seconds since 1970-01-01 counted on the local wall clock (no time-zone conversion).
std::int64_t LocalUnixSecondsNow();

// The history view, the panel over the empty view and "Delete history" of the window.
class IJobHistoryWindow {
public:
    virtual ~IJobHistoryWindow() = default;
    virtual void ClearJobHistoryView() = 0;
    virtual void SetJobHistoryNodeCount(int Count) = 0;
    virtual void SetDeleteHistoryEnabled(bool Enabled) = 0;     // Button9
    virtual void SetEmptyHistoryPanelVisible(bool Visible) = 0; // Panel2
};

struct THistoryWriteResult {
    bool Ok = false;
    QString Error;
};

// Records written jobs, each in the next numbered section (counter "items" of section "0"), and
// writes the file at once.
THistoryWriteResult AppendJobHistory(const QString &Folder, const std::vector<const TJobListDataSummary *> &Jobs,
                                     std::int64_t Date = LocalUnixSecondsNow());
THistoryWriteResult AppendJobHistory(const QString &Folder, const TJobListDataSummary &Job,
                                     std::int64_t Date = LocalUnixSecondsNow());

// Rebuilds History from the file, newest entry first; entries without departure, destination or
// cargo are left out. Window (when given) shows the result.
void LoadJobHistory(const QString &Folder, TJobList &History, IJobHistoryWindow *Window);

void ClearJobHistoryList(TJobList &History, IJobHistoryWindow *Window);

// Clears the list and deletes the file; false when the file exists and could not be deleted.
bool DeleteJobHistory(const QString &Folder, TJobList &History, IJobHistoryWindow *Window);

} // namespace kvn
