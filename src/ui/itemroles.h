// What the entries of the owner-drawn lists carry: the filling code stores it, the painting code
// reads it. The profiles belong to the profile session and outlive the entries, because every
// reload clears the lists before it frees what they point to. Cargos and trailers are shared with
// the entries, which keep them valid while the catalogue's lists are replaced under them.
#pragma once

#include "catalogue/cargos.h"

#include <QComboBox>
#include <QVariant>
#include <memory>

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

// What the entry carries in Role: a shared record as SetItemShared stored it, or a plain pointer.
template <typename T> T *ItemPointer(const QComboBox *Box, int Index, int Role)
{
    if (Box == nullptr || Index < 0 || Index >= Box->count())
        return nullptr;
    const QVariant data = Box->itemData(Index, Role);
    // The entry holds its own share, so the record outlives this copy of it.
    if (data.metaType() == QMetaType::fromType<std::shared_ptr<T>>())
        return data.value<std::shared_ptr<T>>().get();
    return static_cast<T *>(data.value<void *>());
}

// The shared record the entry carries in Role; none when it carries none or a plain pointer.
template <typename T> std::shared_ptr<T> ItemShared(const QComboBox *Box, int Index, int Role)
{
    if (Box == nullptr || Index < 0 || Index >= Box->count())
        return nullptr;
    const QVariant data = Box->itemData(Index, Role);
    return data.metaType() == QMetaType::fromType<std::shared_ptr<T>>() ? data.value<std::shared_ptr<T>>() : nullptr;
}

template <typename T> void SetItemShared(QComboBox *Box, int Index, int Role, std::shared_ptr<T> Shared)
{
    Box->setItemData(Index, QVariant::fromValue(std::move(Shared)), Role);
}

template <typename T> void SetItemPointer(QComboBox *Box, int Index, int Role, T *Pointer)
{
    Box->setItemData(Index, QVariant::fromValue(static_cast<void *>(Pointer)), Role);
}

} // namespace kvn
