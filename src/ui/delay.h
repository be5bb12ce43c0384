// Waiting on the main thread without freezing the window.
#pragma once

namespace kvn {

// Waits up to Milliseconds; with ProcessMessages the window keeps handling input meanwhile.
void Delay(int Milliseconds, bool ProcessMessages);

} // namespace kvn
