#include "jobs/joblist.h"

#include <QRandomGenerator>

namespace kvn {

QString GenerateJobID()
{
    static constexpr char16_t Letters[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString id;
    id.reserve(32);
    while (id.size() < 32)
        id.append(QChar(Letters[QRandomGenerator::global()->bounded(52)]));
    return id;
}

void TJobListDataSummary::SetOwnedTrailerDefinition(const TTrailerDefinitionItem &Item)
{
    auto trailer = std::make_shared<TTrailerDefinitionItem>(Item);
    if (Item.TrailerDefinitionData)
        trailer->TrailerDefinitionData = std::make_shared<TTrailerDefinitionData>(*Item.TrailerDefinitionData);
    FTrailerDefinitionData = std::move(trailer);
}

TJobListDataSummary *TJobList::Append(std::unique_ptr<TJobListDataSummary> Job)
{
    if (!Job)
        return nullptr;
    FItems.push_back(std::move(Job));
    return FItems.back().get();
}

bool TJobList::Remove(const QString &ID)
{
    for (auto it = FItems.begin(); it != FItems.end(); ++it)
        if ((*it)->ID() == ID) {
            FItems.erase(it);
            return true;
        }
    return false;
}

bool TJobList::RemoveJob(const TJobListDataSummary *Job)
{
    for (auto it = FItems.begin(); it != FItems.end(); ++it)
        if (it->get() == Job) {
            FItems.erase(it);
            return true;
        }
    return false;
}

int JobListCount(const TJobList *List)
{
    return List ? List->Count() : 0;
}

TJobListDataSummary *AppendJob(TJobList &List, std::unique_ptr<TJobListDataSummary> Job, IJobListWindow *Window)
{
    TJobListDataSummary *added = List.Append(std::move(Job));
    if (Window && added) {
        Window->SetEmptyJobListPanelVisible(false);
        Window->SetJobViewNodeCount(List.Count());
        Window->ExpandJobView();
        Window->SetSaveJobsEnabled(true);
        UpdateDeleteButtons(&List, *Window);
    }
    return added;
}

void UpdateDeleteButtons(const TJobList *List, IJobListWindow &Window)
{
    const bool any = JobListCount(List) > 0;
    Window.SetDeleteSelectedEnabled(any);
    Window.SetDeleteAllEnabled(any);
}

void DeleteJobByID(TJobList *List, const QString &ID, IJobListWindow *Window)
{
    if (!List)
        return;
    for (int i = 0; i < List->Count(); ++i)
        if (List->At(i)->ID() == ID) {
            if (Window)
                Window->ClearJobView();
            List->Remove(ID);
            return;
        }
}

void DeleteJobs(TJobList &List, IJobListWindow &Window, TJobDeletion Which)
{
    if (Which == TJobDeletion::Selected) {
        const QString id = Window.SelectedJobID();
        if (!id.isEmpty())
            DeleteJobByID(&List, id, &Window);
    } else if (List.Count() > 0) {
        Window.ClearJobView();
        List.Clear();
    }
    if (Window.JobViewNodeCount() != List.Count()) {
        Window.SetJobViewNodeCount(List.Count());
        Window.RepaintJobView();
        if (List.Count() > 0)
            Window.ExpandJobView();
    }
    UpdateDeleteButtons(&List, Window);
    Window.SetEmptyJobListPanelVisible(List.Count() == 0);
}

} // namespace kvn
