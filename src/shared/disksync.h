#pragma once

class QFile;

namespace kvn {

// Pushes a written file's bytes from the system's cache onto the disk before it is renamed over a
// save, so that a power cut after the rename cannot leave an empty or partial file behind it.
bool SyncFileToDisk(QFile &File);

} // namespace kvn
