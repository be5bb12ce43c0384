// Jobs: the record that carries a queued job (also a history entry), the two records that mirror
// the save units the writer edits, the job list and the rules the window's job controls follow.
#pragma once

#include "catalogue/cargos.h"
#include "catalogue/distances.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace kvn {

// 0 standard, 1 important, 2 urgent.
inline constexpr std::int32_t kMaxUrgency = 2;

class TJobListDataSummary {
public:
    TJobListDataSummary() = default;
    TJobListDataSummary(const TJobListDataSummary &) = delete;
    TJobListDataSummary &operator=(const TJobListDataSummary &) = delete;

    const QString &ID() const { return FID; }
    void SetID(const QString &V) { FID = V; }
    // History entries: seconds since 1970 on the local clock; -1 when the file had none.
    std::int64_t JobDate() const { return FJobDate; }
    void SetJobDate(std::int64_t V) { FJobDate = V; }
    const QString &DepartureCountry() const { return FDepartureCountry; }
    void SetDepartureCountry(const QString &V) { FDepartureCountry = V; }
    const QString &DestinationCountry() const { return FDestinationCountry; }
    void SetDestinationCountry(const QString &V) { FDestinationCountry = V; }
    const QString &DepartureCity() const { return FDepartureCity; }
    void SetDepartureCity(const QString &V) { FDepartureCity = V; }
    const QString &DestinationCity() const { return FDestinationCity; }
    void SetDestinationCity(const QString &V) { FDestinationCity = V; }
    const QString &DepartureCompany() const { return FDepartureCompany; }
    void SetDepartureCompany(const QString &V) { FDepartureCompany = V; }
    const QString &DestinationCompany() const { return FDestinationCompany; }
    void SetDestinationCompany(const QString &V) { FDestinationCompany = V; }
    const TDistanceDataResult &DistanceDataResult() const { return FDistanceDataResult; }
    void SetDistanceDataResult(const TDistanceDataResult &V) { FDistanceDataResult = V; }
    // The cargo's chosen trailer, shared with the cargo that offered it.
    const TTrailerDefinitionItem *TrailerDefinitionData() const { return FTrailerDefinitionData.get(); }
    void SetTrailerDefinitionData(PTrailerDefinitionItem V) { FTrailerDefinitionData = std::move(V); }
    // A queued job keeps its own copy of the trailer choice and of the trailer: a profile load may
    // rebuild or change the cargos' trailer choices the job was made from.
    void SetOwnedTrailerDefinition(const TTrailerDefinitionItem &Item);
    // A queued job holds a copy of its cargo (see TCargoInfo::CopyWithoutTrailers); a history entry a
    // cargo made for it; a job being assembled may share the catalogue's cargo. Shared either way,
    // so that replacing the catalogue's cargo list leaves the job's cargo valid.
    TCargoInfo *CargoInfo() const { return FCargoInfo.get(); }
    void SetCargoInfo(PCargoInfo V) { FCargoInfo = std::move(V); }
    bool DistanceIsUnknown() const { return FDistanceIsUnknown; }
    void SetDistanceIsUnknown(bool V) { FDistanceIsUnknown = V; }

    // Every job keeps its own urgency and unit count: the catalogue's cargo is shared by all jobs
    // of that cargo, so values kept there would let the last choice win for all of them.
    std::int32_t CargoUrgency() const { return FCargoUrgency; }
    void SetCargoUrgency(std::int32_t V) { FCargoUrgency = V; }
    std::int32_t CargoUnitCountUserCustom() const { return FCargoUnitCountUserCustom; }
    void SetCargoUnitCountUserCustom(std::int32_t V) { FCargoUnitCountUserCustom = V; }

    // The quick-save (game.sii) of the profile the job was composed for; it is written into no
    // other. Empty: not bound to a profile.
    const QString &SaveFile() const { return FSaveFile; }
    void SetSaveFile(const QString &V) { FSaveFile = V; }
    // Why the loaded save cannot take the job, or why the last "Save all jobs" did not write it;
    // empty when nothing stands in its way. A job with a reason is kept but not written.
    const QString &NotSavedReason() const { return FNotSavedReason; }
    void SetNotSavedReason(const QString &V) { FNotSavedReason = V; }

private:
    QString FID;
    std::int64_t FJobDate = 0;
    QString FDepartureCountry;
    QString FDestinationCountry;
    QString FDepartureCity;
    QString FDestinationCity;
    QString FDepartureCompany;
    QString FDestinationCompany;
    TDistanceDataResult FDistanceDataResult;
    PTrailerDefinitionItem FTrailerDefinitionData;
    PCargoInfo FCargoInfo;
    bool FDistanceIsUnknown = false;
    std::int32_t FCargoUrgency = 0;
    std::int32_t FCargoUnitCountUserCustom = 0;
    QString FSaveFile;
    QString FNotSavedReason;
};

// True for a looked-up distance that stands for "not known": below 1 km or the placeholder.
inline bool IsUnknownDistance(std::int32_t KM)
{
    return KM < 1 || KM == kUnknownDistanceKm;
}

// 32 random letters a-z, A-Z.
QString GenerateJobID();

// The queued jobs in the order they were added; the list owns them.
class TJobList {
public:
    int Count() const { return int(FItems.size()); }
    TJobListDataSummary *At(int Index) const
    {
        return Index >= 0 && Index < Count() ? FItems[size_t(Index)].get() : nullptr;
    }
    TJobListDataSummary *Append(std::unique_ptr<TJobListDataSummary> Job);
    // Removes and frees the first job with this ID (exact match); false when none has it.
    bool Remove(const QString &ID);
    // Removes and frees this very job; false when it is not in the list.
    bool RemoveJob(const TJobListDataSummary *Job);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TJobListDataSummary>> FItems;
};

// 0 without a list.
int JobListCount(const TJobList *List);

// What the job list needs of the window: the job view, the panel over the empty view, the save
// and delete buttons. The window implements it; tests use a fake.
class IJobListWindow {
public:
    virtual ~IJobListWindow() = default;
    virtual int JobViewNodeCount() const = 0;
    virtual void SetJobViewNodeCount(int Count) = 0;
    // Removes every node, so that none refers to a job about to be freed.
    virtual void ClearJobView() = 0;
    virtual void ExpandJobView() = 0;
    virtual void RepaintJobView() = 0;
    // ID of the job of the first selected node; empty when no node is selected.
    virtual QString SelectedJobID() const = 0;
    virtual void SetEmptyJobListPanelVisible(bool Visible) = 0; // Panel1
    virtual void SetSaveJobsEnabled(bool Enabled) = 0;          // Button5
    virtual void SetDeleteSelectedEnabled(bool Enabled) = 0;    // Button6
    virtual void SetDeleteAllEnabled(bool Enabled) = 0;         // Button2
};

// Adds the job at the end and updates the view, the panel and the buttons.
TJobListDataSummary *AppendJob(TJobList &List, std::unique_ptr<TJobListDataSummary> Job, IJobListWindow *Window);

// Both delete buttons enabled exactly when jobs are queued.
void UpdateDeleteButtons(const TJobList *List, IJobListWindow &Window);

// Clears the view's nodes first, then removes the first job with this ID. Nothing happens when no
// job has it.
void DeleteJobByID(TJobList *List, const QString &ID, IJobListWindow *Window);

// Which jobs DeleteJobs removes; the window's "Delete selected" (Button6) and "Delete all" (Button2).
enum class TJobDeletion { Selected, All };

// Removes the selected job or every job, and brings the view, the panel and the buttons up to date.
void DeleteJobs(TJobList &List, IJobListWindow &Window, TJobDeletion Which);

} // namespace kvn
