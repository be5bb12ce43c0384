#include "ui/selectionlocks.h"

#include <cstddef>

namespace kvn {

namespace {

// Images 1-3 lock the departure country, city and company; 4-6 the destination's; 7-8 cargo and
// trailer; 9 the urgency.
constexpr std::array<TLockData, TSelectionLocks::kLockCount> kLocks = {{
    {TImageType::itFirst, 1, 2},
    {TImageType::itMiddle, 0, 2},
    {TImageType::itLast, 0, 1},
    {TImageType::itFirst, 4, 5},
    {TImageType::itMiddle, 3, 5},
    {TImageType::itLast, 3, 4},
    {TImageType::itFirst, 7, -1},
    {TImageType::itLast, 6, -1},
    {TImageType::itNone, -1, -1},
}};

constexpr std::array<int, TSelectionLocks::kLockCount> kComboBoxNumbers = {5, 6, 7, 2, 3, 4, 8, 9, 10};

bool ValidLock(int Lock)
{
    return Lock >= 0 && Lock < TSelectionLocks::kLockCount;
}

} // namespace

TSelectionLocks::TSelectionLocks() = default;

int TSelectionLocks::ComboBoxNumber(int Lock)
{
    return ValidLock(Lock) ? kComboBoxNumbers[std::size_t(Lock)] : -1;
}

bool TSelectionLocks::Closed(int Lock) const
{
    return ValidLock(Lock) && FClosed[std::size_t(Lock)];
}

void TSelectionLocks::SetLockState(int Lock, bool Closed)
{
    if (ValidLock(Lock))
        FClosed[std::size_t(Lock)] = Closed;
}

std::vector<int> TSelectionLocks::ToggleLock(int Lock)
{
    if (!ValidLock(Lock))
        return {};
    const bool closed = !FClosed[std::size_t(Lock)];
    FClosed[std::size_t(Lock)] = closed;
    const TLockData &data = kLocks[std::size_t(Lock)];
    switch (data.ImageType) {
    case TImageType::itFirst:
        if (!closed) {
            SetLockState(data.AdditionalLock1, false);
            SetLockState(data.AdditionalLock2, false);
        }
        break;
    case TImageType::itMiddle:
        if (closed)
            SetLockState(data.AdditionalLock1, true);
        else
            SetLockState(data.AdditionalLock2, false);
        break;
    case TImageType::itLast:
        if (closed) {
            SetLockState(data.AdditionalLock1, true);
            SetLockState(data.AdditionalLock2, true);
        }
        break;
    case TImageType::itNone:
        break;
    }
    std::vector<int> follow;
    for (int lock : {data.AdditionalLock1, Lock, data.AdditionalLock2})
        if (ValidLock(lock))
            follow.push_back(lock);
    return follow;
}

void TSelectionLocks::OpenAll()
{
    FClosed.fill(false);
}

} // namespace kvn
