// The state that program entry and the main window share. One instance, made by program entry
// (or by a test) and handed to the window by reference.
#pragma once

#include "catalogue/catalogue.h"
#include "jobs/joblist.h"
#include "lang/languages.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"

#include <QString>

namespace kvn {

struct TProgramState {
    // The program's own folder, ending in "/": every file of the program is found from it.
    QString ProgramFolder;
    // Where the program's own files (settings, job history, learnt distances) are written: the
    // program's folder, or the user's data folder where the program's folder is not writable.
    // Empty means the program's folder.
    QString UserFilesFolder;
    QString LanguageCode;
    // The game's install folder the player named in the options, as read at start-up; empty: none.
    QString PlayerGameFolder;
    TLanguageTexts Texts;
    TCatalogue Catalogue;
    // The profiles found, the loaded profile and its save lines.
    TProfileSession Session;
    // What the last profile search found out about the game's folders.
    TProfileSearchResult LastProfileSearch;
    // The jobs queued for the next "Save all jobs".
    TJobList JobList;
    // The jobs written earlier, as read from the job history file.
    TJobList JobHistory;
};

} // namespace kvn
