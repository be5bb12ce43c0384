// What assistive technology (screen readers, UI automation) is told about the window's own
// controls, beyond what Qt's standard interfaces tell:
// - an image that acts is a button (a padlock a check box, checked while closed) with a press
//   action, so that it can be used without a mouse;
// - a drop-down list reads as its accessible name, with its current entry as its value, and takes
//   the focus when asked to.
#pragma once

namespace kvn {

// Installs the window's interfaces; idempotent. Needed before the widgets are first asked for.
void InstallAccessibleInterfaces();

} // namespace kvn
