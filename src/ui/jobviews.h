// The window side of the job list and the history: the two tree views' look and behaviour, and
// the objects through which the job list and the history code drive the views, panels and
// buttons.
#pragma once

#include "jobs/jobhistory.h"
#include "jobs/joblist.h"

#include <QObject>

class QAbstractButton;
class QTreeView;
class QWidget;

namespace kvn {

class TJobTreeModel;

inline constexpr int kJobViewRowHeight = 24;
inline constexpr int kJobViewIndent = 20;

// Row height, indent, whole-row single selection, hot tracking and the hand cursor over rows;
// no header, no editing, no focus frame, no tooltips.
void ConfigureJobView(QTreeView *View, TJobTreeModel *Model);

// VST, Panel1, "Save all jobs", "Delete selected" and "Delete all".
class TJobListViewAdapter : public QObject, public IJobListWindow {
    Q_OBJECT
public:
    TJobListViewAdapter(QTreeView *View, TJobTreeModel *Model, QWidget *EmptyPanel, QAbstractButton *SaveJobs,
                        QAbstractButton *DeleteSelected, QAbstractButton *DeleteAll, QObject *Parent);

    int JobViewNodeCount() const override;
    void SetJobViewNodeCount(int Count) override;
    void ClearJobView() override;
    void ExpandJobView() override;
    void RepaintJobView() override;
    QString SelectedJobID() const override;
    void SetEmptyJobListPanelVisible(bool Visible) override;
    void SetSaveJobsEnabled(bool Enabled) override;
    void SetDeleteSelectedEnabled(bool Enabled) override;
    void SetDeleteAllEnabled(bool Enabled) override;

protected:
    // A click in the view: "Delete selected" is usable exactly when a row is selected.
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    QTreeView *FView;
    QWidget *FViewport = nullptr;
    TJobTreeModel *FModel;
    QWidget *FEmptyPanel;
    QAbstractButton *FSaveJobs;
    QAbstractButton *FDeleteSelected;
    QAbstractButton *FDeleteAll;
};

// VSTJobHistory, Panel2 and "Delete history".
class TJobHistoryViewAdapter : public QObject, public IJobHistoryWindow {
    Q_OBJECT
public:
    TJobHistoryViewAdapter(QTreeView *View, TJobTreeModel *Model, QWidget *EmptyPanel, QAbstractButton *DeleteHistory,
                           QObject *Parent);

    void ClearJobHistoryView() override;
    void SetJobHistoryNodeCount(int Count) override;
    void SetDeleteHistoryEnabled(bool Enabled) override;
    void SetEmptyHistoryPanelVisible(bool Visible) override;

private:
    QTreeView *FView;
    TJobTreeModel *FModel;
    QWidget *FEmptyPanel;
    QAbstractButton *FDeleteHistory;
};

} // namespace kvn
