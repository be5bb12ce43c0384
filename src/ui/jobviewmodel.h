// The job list and the history as two-level trees: one root row per job, a fixed number of
// detail rows under each. The model keeps no texts; every text is made from the job when a row
// is shown, and the number of root rows is set by whoever changes the list, so that the view
// never refers to a job that has been freed.
#pragma once

#include <QAbstractItemModel>
#include <QLocale>
#include <functional>

namespace kvn {

class TJobList;
class TJobListDataSummary;
class TLanguageTexts;
class TPlaceNames;

class TJobTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum class TKind { JobList, History };

    // Names, when given, names the cities and countries; the jobs keep their tokens.
    TJobTreeModel(TKind Kind, const TJobList &List, const TLanguageTexts &Texts, QObject *Parent = nullptr,
                  const TPlaceNames *Names = nullptr);

    int RootCount() const { return FRootCount; }
    // Binds root rows 0 … Count-1 to the jobs at the same places of the list.
    void SetRootCount(int Count);
    void Clear() { SetRootCount(0); }

    // The job of a root row or of one of its detail rows; null when the row has none.
    const TJobListDataSummary *JobAt(const QModelIndex &Index) const;

    QModelIndex index(int Row, int Column, const QModelIndex &Parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &Child) const override;
    int rowCount(const QModelIndex &Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &Index) const override;

private:
    int ChildCount() const;
    QString RowText(const QModelIndex &Index) const;

    TKind FKind;
    const TJobList &FList;
    const TLanguageTexts &FTexts;
    const TPlaceNames *FNames = nullptr;
    int FRootCount = 0;
};

} // namespace kvn
