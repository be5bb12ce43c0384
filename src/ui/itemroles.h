// What the entries of the owner-drawn lists carry: the filling code stores it, the painting code
// reads it. The pointers belong to the catalogue or the profile session and outlive the entries,
// because every reload clears the lists before it frees what they point to.
#pragma once

#include "catalogue/cargos.h"

#include <QComboBox>
#include <QVariant>

namespace kvn {

class TProfileInfo;

// ComboBox1: the profile of the entry; entry 0 ("select a profile") carries none.
inline constexpr int kProfileInfoRole = Qt::UserRole + 1;
// ComboBox8: the cargo of the entry.
inline constexpr int kCargoInfoRole = Qt::UserRole + 2;
// ComboBox9: the trailer definition of the entry.
inline constexpr int kTrailerDefinitionRole = Qt::UserRole + 3;
// ComboBox6 and ComboBox3: the city's token as the game writes it ("istanbul"); the entry's text
// is only for showing ("Istanbul").
inline constexpr int kCityTokenRole = Qt::UserRole + 4;

// ComboBox5 and ComboBox2: the country as the city list names it ("Germany", and "All countries"
// for entry 0); the entry's text is its name for the player ("Deutschland").
inline constexpr int kCountryTokenRole = Qt::UserRole + 5;

// The token the selected entry carries in Role, or the entry's text when it carries none.
inline QString SelectedToken(const QComboBox *Box, int Role)
{
    if (Box == nullptr || Box->currentIndex() < 0)
        return QString();
    const QVariant token = Box->currentData(Role);
    return token.isValid() ? token.toString() : Box->currentText();
}

inline QString SelectedCityToken(const QComboBox *Box)
{
    return SelectedToken(Box, kCityTokenRole);
}

inline QString SelectedCountryToken(const QComboBox *Box)
{
    return SelectedToken(Box, kCountryTokenRole);
}

template <typename T> T *ItemPointer(const QComboBox *Box, int Index, int Role)
{
    if (Box == nullptr || Index < 0 || Index >= Box->count())
        return nullptr;
    return static_cast<T *>(Box->itemData(Index, Role).value<void *>());
}

template <typename T> void SetItemPointer(QComboBox *Box, int Index, int Role, T *Pointer)
{
    Box->setItemData(Index, QVariant::fromValue(static_cast<void *>(Pointer)), Role);
}

} // namespace kvn
