// The window's selection lists filled in the order the player reads them: sorted names, each
// carrying the game's token, and the sinks through which a profile load fills the country and
// cargo lists.
#pragma once

#include "catalogue/countries.h"
#include "catalogue/placenames.h"
#include "savegame/savegamecargos.h"

#include <QComboBox>
#include <QList>
#include <QStringList>

namespace kvn {

class TFormMain;

void FillSorted(QComboBox *Box, QStringList Items);
// Appends the entries in the order of their names, each carrying its token in Role: the lists
// show names ("A Coruña") while everything that reads, matches or writes takes the token.
void AppendShownEntries(QComboBox *Box, QList<TShownEntry> Entries, int Role);
void FillCitiesSorted(QComboBox *Box, const QStringList &Tokens, const TPlaceNames &Names);

// The two country lists, filled by the profile load.
class TCountryListSink : public ICountryListSink {
public:
    TCountryListSink(TFormMain &Form, const TPlaceNames &Names) : FForm(Form), FNames(Names) {}
    void ClearCountryLists() override;
    // "All countries" stays first; the countries follow in the order of their names.
    void FillCountryLists(const QStringList &Entries) override;

private:
    TFormMain &FForm;
    const TPlaceNames &FNames;
};

// The cargo list: every entry carries its cargo for the painting code.
class TCargoListSink : public ICargoListSink {
public:
    explicit TCargoListSink(QComboBox *Box) : FBox(Box) {}
    void ClearCargoList() override { FBox->clear(); }
    void AppendCargo(const PCargoInfo &Cargo) override;

private:
    QComboBox *FBox;
};

} // namespace kvn
