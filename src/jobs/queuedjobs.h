// Queued jobs across profile loads, and "Save all jobs" on a quick-save that may have changed on
// disk since it was loaded. A queued job holds its own values; after every load it is checked
// against the save now loaded, and a job that save cannot take stays queued with the reason and
// is not written. Before writing, game.sii must still be the file that was loaded; when the game
// has quick-saved meanwhile, the save is read again and the jobs go into the newer one.
#pragma once

#include "jobs/jobwriter.h"

#include <QString>
#include <functional>
#include <vector>

namespace kvn {

class IJobHistoryWindow;
class TLanguageTexts;
class TProfileSession;
struct TProfileLoadContext;
struct TCatalogue;

// Marks each queued job with the reason the loaded save cannot take it (the job belongs to another
// profile; a city, a company branch, the cargo or its trailer is missing; no offer to take over)
// and clears the mark of every job it can take. Returns how many jobs are marked. Without a
// loaded profile every mark goes: it spoke of a save that is no longer loaded.
int CheckQueuedJobs(TJobList &List, const TProfileSession &Session, const TCatalogue &Catalogue,
                    const TLanguageTexts &Texts);

struct TQueuedJobsContext {
    TProfileSession *Session = nullptr;
    TProfileLoadContext *Load = nullptr; // to read the quick-save again when it changed
    const TLanguageTexts *Texts = nullptr;
    QString HistoryFolder;   // where job-history.ini lives; empty: no history
    QString EstimatesFolder; // where the writer remembers offers written with an estimated distance
    std::function<void(int Done, int Total, const QString &Status)> Progress;
};

struct TQueuedJobOutcome {
    QString ID;
    bool Written = false;
    QString Reason; // why not
};

struct TQueuedJobsResult {
    int Jobs = 0;              // queued at the start
    int Written = 0;           // now in game.sii
    int Kept = 0;              // still queued, each with its reason
    bool Reloaded = false;     // game.sii had changed on disk and was read again first
    bool ReloadFailed = false; // ... and could not be read; nothing was written
    QString BackupPath;
    QString Error;
    bool SaveRefused = false;                // the save itself cannot take jobs (read-only, damaged): nothing tried
    QString HistoryError;                    // the jobs are in game.sii, but job-history.ini could not be updated
    QString OriginalBackup;                  // the reread save as the game wrote it, when that load converted it
    std::vector<TQueuedJobOutcome> Outcomes; // one per job queued at the start, in list order
    QString StatusText;                      // for the status line
};

// "Save all jobs": the quick-save is read again first when it changed on disk, every job is
// checked against the save, the jobs nothing stands in the way of are written, and those leave
// the list; the others stay, marked with their reason. The history is read again when given.
// The window and its views follow through Window. Reloading the profile afterwards is left to the
// caller.
TQueuedJobsResult SaveQueuedJobs(TJobList &List, const TQueuedJobsContext &Context, IJobListWindow *Window = nullptr,
                                 TJobList *History = nullptr, IJobHistoryWindow *HistoryWindow = nullptr);

} // namespace kvn
