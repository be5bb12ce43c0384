// The random job generator and its options in the window.
#include "ui/formmain.h"

namespace kvn {

void TFormMain::SetUpRandomiser()
{
}

} // namespace kvn
