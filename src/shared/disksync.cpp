#include "shared/disksync.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kvn {

bool SyncFileToDisk(QFile &File)
{
    if (!File.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(File.handle()) == 0;
#else
    // Elsewhere Qt offers no portable descriptor to sync; the rename that follows still replaces
    // the save in one step.
    return true;
#endif
}

} // namespace kvn
