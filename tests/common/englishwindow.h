// The main window as the program makes it for a player whose language is English: the texts
// loaded from the program folder before and after the window is built, as program entry does.
#pragma once

#include "ui/formmain.h"
#include "ui/programstate.h"

#include <QString>
#include <memory>

namespace kvntest {

inline std::unique_ptr<kvn::TFormMain> MakeEnglishWindow(kvn::TProgramState &State, kvn::TLoadSteps &Steps,
                                                         const QString &ProgramFolder)
{
    State.ProgramFolder = ProgramFolder;
    State.UserFilesFolder = ProgramFolder;
    State.LanguageCode = "en";
    State.Texts.LoadMessageTexts(State.ProgramFolder, State.LanguageCode);
    auto form = std::make_unique<kvn::TFormMain>(State, Steps);
    State.Texts.LoadInterfaceTexts(State.ProgramFolder, State.LanguageCode);
    form->ApplyInterfaceTexts();
    return form;
}

} // namespace kvntest
