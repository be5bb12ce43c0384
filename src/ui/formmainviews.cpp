// The job and history views, the owner-drawn lists and the options slide of the window.
#include "ui/formmain.h"

namespace kvn {

void TFormMain::SetUpViews()
{
}

IJobListWindow *TFormMain::JobListWindow()
{
    return nullptr;
}

IJobHistoryWindow *TFormMain::JobHistoryWindow()
{
    return nullptr;
}

} // namespace kvn
