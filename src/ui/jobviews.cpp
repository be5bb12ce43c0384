#include "ui/jobviews.h"

#include "ui/jobviewmodel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace kvn {

namespace {

class TJobRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QStyleOptionViewItem option = Option;
        option.state &= ~QStyle::State_HasFocus;
        // Hot tracking in every style, not only in those that draw it themselves.
        if ((option.state & QStyle::State_MouseOver) && !(option.state & QStyle::State_Selected)) {
            QColor hover = option.palette.color(QPalette::Highlight);
            hover.setAlpha(40);
            Painter->fillRect(option.rect, hover);
        }
        QStyledItemDelegate::paint(Painter, option, Index);
    }

    QSize sizeHint(const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(Option, Index);
        size.setHeight(kJobViewRowHeight);
        return size;
    }
};

// The hand cursor over rows, the arrow elsewhere.
class TRowCursor : public QObject {
public:
    explicit TRowCursor(QTreeView *View) : QObject(View), FView(View), FViewport(View->viewport())
    {
        FViewport->installEventFilter(this);
    }

protected:
    // The viewport outlives the view's own destructor by a little and still sends events then: the
    // event type is checked first, and the view is not asked for its viewport.
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() == QEvent::MouseMove && Watched == FViewport) {
            const auto *move = static_cast<QMouseEvent *>(Event);
            if (FView->indexAt(move->position().toPoint()).isValid())
                FView->viewport()->setCursor(Qt::PointingHandCursor);
            else
                FView->viewport()->unsetCursor();
        }
        return false;
    }

private:
    QTreeView *FView;
    QWidget *FViewport;
};

} // namespace

void ConfigureJobView(QTreeView *View, TJobTreeModel *Model)
{
    View->setModel(Model);
    View->setItemDelegate(new TJobRowDelegate(View));
    View->setHeaderHidden(true);
    View->header()->setStretchLastSection(true);
    View->setIndentation(kJobViewIndent);
    View->setUniformRowHeights(true);
    View->setEditTriggers(QAbstractItemView::NoEditTriggers);
    View->setSelectionMode(QAbstractItemView::SingleSelection);
    View->setSelectionBehavior(QAbstractItemView::SelectRows);
    View->setAllColumnsShowFocus(true);
    View->setSortingEnabled(false);
    View->setMouseTracking(true);
    View->viewport()->setAttribute(Qt::WA_Hover);
    View->setTextElideMode(Qt::ElideRight);
    new TRowCursor(View);
}

TJobListViewAdapter::TJobListViewAdapter(QTreeView *View, TJobTreeModel *Model, QWidget *EmptyPanel,
                                         QAbstractButton *SaveJobs, QAbstractButton *DeleteSelected,
                                         QAbstractButton *DeleteAll, QObject *Parent)
    : QObject(Parent), FView(View), FModel(Model), FEmptyPanel(EmptyPanel), FSaveJobs(SaveJobs),
      FDeleteSelected(DeleteSelected), FDeleteAll(DeleteAll)
{
    setObjectName(QStringLiteral("JobListWindow"));
    FViewport = FView->viewport();
    FViewport->installEventFilter(this);
}

int TJobListViewAdapter::JobViewNodeCount() const
{
    return FModel->RootCount();
}

void TJobListViewAdapter::SetJobViewNodeCount(int Count)
{
    FModel->SetRootCount(Count);
}

void TJobListViewAdapter::ClearJobView()
{
    FModel->Clear();
}

void TJobListViewAdapter::ExpandJobView()
{
    FView->expandAll();
}

void TJobListViewAdapter::RepaintJobView()
{
    FView->viewport()->update();
}

QString TJobListViewAdapter::SelectedJobID() const
{
    const QModelIndexList selected = FView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return QString();
    const TJobListDataSummary *job = FModel->JobAt(selected.first());
    return job ? job->ID() : QString();
}

void TJobListViewAdapter::SetEmptyJobListPanelVisible(bool Visible)
{
    FEmptyPanel->setVisible(Visible);
}

void TJobListViewAdapter::SetSaveJobsEnabled(bool Enabled)
{
    FSaveJobs->setEnabled(Enabled);
}

void TJobListViewAdapter::SetDeleteSelectedEnabled(bool Enabled)
{
    FDeleteSelected->setEnabled(Enabled);
}

void TJobListViewAdapter::SetDeleteAllEnabled(bool Enabled)
{
    FDeleteAll->setEnabled(Enabled);
}

bool TJobListViewAdapter::eventFilter(QObject *Watched, QEvent *Event)
{
    // Type first: while the window is destroyed the viewport still sends events, and the view is
    // by then no longer a view.
    if (Event->type() == QEvent::MouseButtonRelease && Watched == FViewport)
        FDeleteSelected->setEnabled(FView->selectionModel()->hasSelection());
    return false;
}

TJobHistoryViewAdapter::TJobHistoryViewAdapter(QTreeView *View, TJobTreeModel *Model, QWidget *EmptyPanel,
                                               QAbstractButton *DeleteHistory, QObject *Parent)
    : QObject(Parent), FView(View), FModel(Model), FEmptyPanel(EmptyPanel), FDeleteHistory(DeleteHistory)
{
    setObjectName(QStringLiteral("JobHistoryWindow"));
}

void TJobHistoryViewAdapter::ClearJobHistoryView()
{
    FModel->Clear();
}

void TJobHistoryViewAdapter::SetJobHistoryNodeCount(int Count)
{
    FModel->SetRootCount(Count);
}

void TJobHistoryViewAdapter::SetDeleteHistoryEnabled(bool Enabled)
{
    FDeleteHistory->setEnabled(Enabled);
}

void TJobHistoryViewAdapter::SetEmptyHistoryPanelVisible(bool Visible)
{
    FEmptyPanel->setVisible(Visible);
}

} // namespace kvn
