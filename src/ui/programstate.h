// The state that program entry and the main window share. One instance, made by program entry
// (or by a test) and handed to the window by reference.
#pragma once

#include "catalogue/resources.h"
#include "lang/languages.h"

#include <QString>

namespace kvn {

struct TProgramState {
    // The program's own folder, ending in "/": every file of the program is found from it.
    QString ProgramFolder;
    QString LanguageCode;
    TLanguageTexts Texts;
    TDatabaseInfo DatabaseInfo;
};

} // namespace kvn
