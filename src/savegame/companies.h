// The companies present in the loaded save, each with the cities it has a branch in.
#pragma once

#include "catalogue/trailers.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace kvn {

class TGameSaveLines;

class TCompanyInfo {
public:
    explicit TCompanyInfo(const QString &CompanyName = QString()) : FCompanyName(CompanyName) {}
    const QString &CompanyName() const { return FCompanyName; }
    void SetCompanyName(const QString &V) { FCompanyName = V; }
    // Sorted, compared without regard to case, no duplicates.
    const QStringList &CityList() const { return FCityList.Items(); }
    bool HasCity(const QString &City) const { return FCityList.Contains(City); }
    void AddCity(const QString &City) { FCityList.Add(City); }
    // The job offers the game generated for the branch in City, which "Save all jobs" can take
    // over; 0 for a branch without any (truck dealers and the like).
    int OfferCount(const QString &City) const { return FOfferCounts.value(City.toLower(), 0); }
    void SetOfferCount(const QString &City, int Count) { FOfferCounts.insert(City.toLower(), Count); }

private:
    QString FCompanyName;
    TCaseInsensitiveSortedList FCityList;
    QHash<QString, int> FOfferCounts;
};

// Companies in order of first appearance in the save.
class TCompanyList {
public:
    int Count() const { return int(FItems.size()); }
    TCompanyInfo *At(int Index) const { return Index >= 0 && Index < Count() ? FItems[size_t(Index)].get() : nullptr; }
    void Clear() { FItems.clear(); }
    // First company whose name equals Name exactly (case-sensitive); nullptr when none.
    TCompanyInfo *FindCompany(const QString &Name) const;
    TCompanyInfo *Append(std::unique_ptr<TCompanyInfo> Company);
    // Company/city pairs over all companies.
    int BranchCount() const;

private:
    std::vector<std::unique_ptr<TCompanyInfo>> FItems;
};

// Replaces the content of List with the companies of the save's "companies[i]: " items, each
// branch with the number of job offers its company unit holds. A save always starts from an
// empty list: companies of an earlier profile must not be offered for this one.
void LoadCompaniesFromGameFile(const TGameSaveLines &Save, TCompanyList &List);

} // namespace kvn
