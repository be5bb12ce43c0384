// The job and history views, the owner-drawn lists and the options slide of the window.
#include "ui/formmain.h"

namespace kvn {

void TFormMain::SetUpViews()
{
}

} // namespace kvn
