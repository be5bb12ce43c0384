#include "ui/selectionlists.h"

#include "ui/formmain.h"
#include "ui/itemroles.h"

#include <algorithm>

namespace kvn {

namespace {

// Alphabetical without regard to case; equal names keep their order (the same city may lie in
// two countries and stays twice).
void SortIgnoringCase(QStringList &Items)
{
    std::stable_sort(Items.begin(), Items.end(), [](const QString &A, const QString &B) {
        return QString::compare(A, B, Qt::CaseInsensitive) < 0;
    });
}

} // namespace

void FillSorted(QComboBox *Box, QStringList Items)
{
    SortIgnoringCase(Items);
    Box->addItems(Items);
    if (Box->count() > 0)
        Box->setCurrentIndex(0);
}

void AppendShownEntries(QComboBox *Box, QList<TShownEntry> Entries, int Role)
{
    SortByShownName(Entries);
    for (const TShownEntry &entry : Entries) {
        Box->addItem(entry.Name);
        Box->setItemData(Box->count() - 1, entry.Token, Role);
    }
}

void FillCitiesSorted(QComboBox *Box, const QStringList &Tokens, const TPlaceNames &Names)
{
    QList<TShownEntry> entries;
    for (const QString &token : Tokens)
        entries.append({token, Names.CityName(token)});
    AppendShownEntries(Box, entries, kCityTokenRole);
    if (Box->count() > 0)
        Box->setCurrentIndex(0);
}

void TCountryListSink::ClearCountryLists()
{
    FForm.ComboBox5->clear();
    FForm.ComboBox2->clear();
}

void TCountryListSink::FillCountryLists(const QStringList &Entries)
{
    QList<TShownEntry> countries;
    for (qsizetype i = 1; i < Entries.size(); ++i)
        countries.append({Entries[i], FNames.CountryName(Entries[i])});
    for (QComboBox *box : {FForm.ComboBox5, FForm.ComboBox2}) {
        if (!Entries.isEmpty()) {
            box->addItem(Entries.first());
            box->setItemData(box->count() - 1, Entries.first(), kCountryTokenRole);
        }
        AppendShownEntries(box, countries, kCountryTokenRole);
        if (box->count() > 0)
            box->setCurrentIndex(0);
    }
}

void TCargoListSink::AppendCargo(const PCargoInfo &Cargo)
{
    FBox->addItem(Cargo->CargoName());
    SetItemShared(FBox, FBox->count() - 1, kCargoInfoRole, Cargo);
}

} // namespace kvn
