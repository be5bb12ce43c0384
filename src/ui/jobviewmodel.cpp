#include "ui/jobviewmodel.h"

#include "jobs/joblist.h"
#include "jobs/jobviewtexts.h"

#include <QColor>

namespace kvn {

namespace {

// Root rows carry 0, detail rows their parent's row + 1.
constexpr quintptr kRootId = 0;

} // namespace

TJobTreeModel::TJobTreeModel(TKind Kind, const TJobList &List, const TLanguageTexts &Texts, QObject *Parent,
                             const TPlaceNames *Names)
    : QAbstractItemModel(Parent), FKind(Kind), FList(List), FTexts(Texts), FNames(Names)
{
}

void TJobTreeModel::SetRootCount(int Count)
{
    beginResetModel();
    FRootCount = qMax(0, Count);
    endResetModel();
}

int TJobTreeModel::ChildCount() const
{
    return FKind == TKind::JobList ? kJobViewChildCount : kHistoryViewChildCount;
}

QModelIndex TJobTreeModel::index(int Row, int Column, const QModelIndex &Parent) const
{
    if (Column != 0 || Row < 0)
        return QModelIndex();
    if (!Parent.isValid())
        return Row < FRootCount ? createIndex(Row, 0, kRootId) : QModelIndex();
    if (Parent.internalId() != kRootId || Parent.row() >= FRootCount || Row >= ChildCount())
        return QModelIndex();
    return createIndex(Row, 0, quintptr(Parent.row()) + 1);
}

QModelIndex TJobTreeModel::parent(const QModelIndex &Child) const
{
    if (!Child.isValid() || Child.internalId() == kRootId)
        return QModelIndex();
    return createIndex(int(Child.internalId() - 1), 0, kRootId);
}

int TJobTreeModel::rowCount(const QModelIndex &Parent) const
{
    if (!Parent.isValid())
        return FRootCount;
    return Parent.internalId() == kRootId ? ChildCount() : 0;
}

int TJobTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

const TJobListDataSummary *TJobTreeModel::JobAt(const QModelIndex &Index) const
{
    if (!Index.isValid())
        return nullptr;
    const int root = Index.internalId() == kRootId ? Index.row() : int(Index.internalId() - 1);
    return root < FRootCount ? FList.At(root) : nullptr;
}

QString TJobTreeModel::RowText(const QModelIndex &Index) const
{
    const TJobListDataSummary *job = JobAt(Index);
    const bool root = Index.internalId() == kRootId;
    QString text;
    if (FKind == TKind::JobList && root) {
        // A job the save cannot take says why on its own row, where the player looks for it.
        text = JobRootText(job, FNames);
        const QString notSaved = JobNotSavedText(FTexts, job);
        if (!text.isEmpty() && !notSaved.isEmpty())
            text += QStringLiteral("  \u2014  ") + notSaved;
    } else if (FKind == TKind::JobList)
        text = JobChildText(FTexts, job, Index.row(), FNames);
    else
        text = root ? HistoryRootText(FTexts, job, Index.row(), QLocale(), FNames)
                    : HistoryChildText(FTexts, job, Index.row());
    return text.isEmpty() ? UndefinedRowText() : text;
}

QVariant TJobTreeModel::data(const QModelIndex &Index, int Role) const
{
    if (!Index.isValid())
        return QVariant();
    if (Role == Qt::ForegroundRole && FKind == TKind::JobList && Index.internalId() == kRootId) {
        const TJobListDataSummary *job = JobAt(Index);
        return job && !job->NotSavedReason().isEmpty() ? QVariant(QColor(0xc0, 0x00, 0x00)) : QVariant();
    }
    if (Role != Qt::DisplayRole)
        return QVariant();
    return RowText(Index);
}

Qt::ItemFlags TJobTreeModel::flags(const QModelIndex &Index) const
{
    return Index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace kvn
