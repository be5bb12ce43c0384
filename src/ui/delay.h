// Waiting on the main thread without freezing the window.
#pragma once

#include <cstdint>

namespace kvn {

// Milliseconds since some fixed point, never wrapping.
std::uint64_t TickCount64();

// Waits up to Milliseconds; with ProcessMessages the window keeps handling input meanwhile.
void Delay(int Milliseconds, bool ProcessMessages);

} // namespace kvn
