// The game's install folder the player names in the options, kept in "Kvn-settings.ini" beside
// the randomiser options in a section of its own.
#pragma once

#include "jobs/randomiseroptions.h"

#include <QString>

namespace kvn {

// The folder named in the settings file in Folder; empty when the file or the key is missing or the
// file cannot be read.
QString ReadPlayerGameFolder(const QString &Folder);

// Sets the folder in the settings file in Folder, keeping everything else the file holds; an empty
// GameFolder removes the key. The old file stays as it was until the new one is completely written.
TSettingsWriteResult WritePlayerGameFolder(const QString &Folder, const QString &GameFolder);

} // namespace kvn
