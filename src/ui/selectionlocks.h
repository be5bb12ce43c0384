// The nine selection locks of the main window and their chains, without any widget: which locks
// are closed and which ones a click also opens or closes. The window shows the result and makes
// the combo boxes follow.
#pragma once

#include <array>
#include <vector>

namespace kvn {

// Place of a lock in its chain: departure and destination are country, city, company; the cargo
// chain is cargo, trailer; the urgency lock stands alone.
enum class TImageType { itFirst, itMiddle, itLast, itNone };

struct TLockData {
    TImageType ImageType = TImageType::itNone;
    int AdditionalLock1 = -1; // first partner, -1 for none
    int AdditionalLock2 = -1; // second partner, -1 for none
};

class TSelectionLocks {
public:
    // Lock k (0 based) belongs to Image<k+1>.
    static constexpr int kLockCount = 9;

    TSelectionLocks();

    // The combo box number ("ComboBox" + n) that lock k freezes.
    static int ComboBoxNumber(int Lock);

    bool Closed(int Lock) const;
    // Sets one lock without touching its partners; a lock outside the range is ignored.
    void SetLockState(int Lock, bool Closed);
    // A click: flips the lock and applies the chain rule, so that the closed locks of a chain
    // always form a leading run (a city never locked under a free country). Returns the locks
    // whose combo boxes must follow, in the order first partner, the lock itself, second partner.
    std::vector<int> ToggleLock(int Lock);
    void OpenAll();

private:
    std::array<bool, kLockCount> FClosed{};
};

} // namespace kvn
