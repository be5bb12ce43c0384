// Profile loading, the selection cascade, the locks and the job actions of the window.
#include "ui/formmain.h"

namespace kvn {

void TFormMain::SetUpSelection()
{
}

} // namespace kvn
