// "Save all jobs": every queued job takes over a job offer that the game generated for its
// departure company, rewritten with the job's destination, cargo, trailer, urgency, distance and
// expiry; the company's economy event is retimed to the expiry and queued last. The save is backed
// up first, written once (aside, read back, renamed over game.sii), and the written jobs enter the
// history. The job writer says what changes in an offer, its event and the queue; the save
// document (savegame/savedocument.h) finds the units, sets the values, moves them and writes.
#pragma once

#include "jobs/joblist.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace kvn {

class TGameSaveLines;
class TDistanceTable;
class TLanguageTexts;
class TProfileInfo;

// Each written job expires this many game minutes after the one before it.
inline constexpr std::int32_t kJobExpirationStep = 360;
// An offer unit must reach this many lines below its header.
inline constexpr int kMinOfferUnitLines = 13;

struct TJobWriteContext {
    TGameSaveLines *Lines = nullptr;
    TProfileInfo *Profile = nullptr; // its QuickSavePath; GameFileLastWriteTime is updated
    std::int32_t GameTime = 0;
    const TDistanceTable *Distances = nullptr; // null: every distance is unknown
    QString HistoryFolder;                     // where job-history.ini lives; empty: no history
    // Where the offers written with an estimated distance are remembered for the learner (the
    // folder of the learnt distances); empty: nowhere.
    QString EstimatesFolder;
    const TLanguageTexts *Texts = nullptr;
    // Called before each job (Done jobs written so far) and at the end; the status text is ready
    // for the status line.
    std::function<void(int Done, int Total, const QString &Status)> Progress;
    // Asked just before game.sii is replaced: false when the file on disk is no longer the one the
    // lines were read from (the game quick-saved meanwhile). Nothing is written then. Unset: not asked.
    std::function<bool()> SaveStillAsLoaded;
};

struct TJobWriteOutcome {
    bool Written = false;
    QString Reason; // why not, for the player
    QString OfferID;
    bool DistanceEstimated = false; // the offer carries an estimated distance
};

struct TSaveJobsResult {
    int Jobs = 0;
    int Written = 0;          // jobs that are in game.sii now
    bool FileWritten = false; // game.sii was replaced
    QString BackupPath;
    QString Error; // backup or write failure; empty otherwise
    // The save itself cannot take jobs (read-only, or incomplete or damaged): nothing was tried
    // and no backup was made.
    bool SaveRefused = false;
    QString HistoryError;                   // the jobs are in game.sii, but job-history.ini could not be updated
    std::vector<TJobWriteOutcome> Outcomes; // one per job, in order
    QString StatusText;                     // the final status line
    // game.sii changed on disk after the load; nothing was written and the lines are stale.
    bool SaveChangedOnDisk = false;
};

// Writes Jobs into the save. Without a verified backup nothing is written. Each job is checked
// completely before its first edit, so it is written whole or not at all. When the file cannot be
// written, game.sii stays as it was, Written is 0 and the in-memory lines must be read again (the
// caller reloads the profile after every run anyway).
TSaveJobsResult SaveAllJobs(const std::vector<const TJobListDataSummary *> &Jobs, const TJobWriteContext &Context);

// Why each of Jobs could not be written into Lines, as a run of SaveAllJobs would find (a later
// job of the same branch takes the branch's next offer); empty for a job that would be written.
// Changes nothing. The reasons are in the language of Texts, or English without them.
std::vector<QString> JobWriteObstacles(const TGameSaveLines &Lines,
                                       const std::vector<const TJobListDataSummary *> &Jobs,
                                       const TLanguageTexts *Texts = nullptr);

} // namespace kvn
