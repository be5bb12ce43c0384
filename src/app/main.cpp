// Program entry: finds the program's folder and language, makes sure the decrypter is there,
// then shows the main window, which loads everything else once it is on screen.
#include "app/loadsequence.h"
#include "app/startup.h"
#include "lang/languages.h"
#include "ui/formmain.h"
#include "ui/messagedialogue.h"
#include "ui/programstate.h"

#include <QApplication>
#include <QFontInfo>
#include <QScreen>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Names the user's data folder, shared with the command-line tool.
    QApplication::setApplicationName(QStringLiteral("Kestrovan"));

    kvn::TProgramState state;
    state.ProgramFolder = kvn::ProgramFolderPath();
    state.UserFilesFolder = kvn::UserFilesFolderFor(state.ProgramFolder);
    state.LanguageCode = kvn::GetSystemLanguageCode();
    state.Texts.LoadMessageTexts(state.ProgramFolder, state.LanguageCode);

    const auto showError = [&state](const QString &Message, const QString &Caption) {
        kvn::MessageDialogueSimple(state.Texts, Message, Caption, kvn::TMsgDlgType::mtError, kvn::mbOK, kvn::mbOK);
    };
    if (!kvn::CheckDecrypterPresent(state.ProgramFolder, state.Texts, showError))
        return 1;

    kvn::TLoadSequence loadSequence(state);
    kvn::TFormMain formMain(state, loadSequence);
    state.Texts.LoadInterfaceTexts(state.ProgramFolder, state.LanguageCode);
    formMain.ApplyInterfaceTexts();
    // At a high display scaling the designed pixels may not fit the screen; a desktop font
    // larger than the designed one makes the window grow with it.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        formMain.FitToScreen(screen->availableGeometry(), QFontInfo(QApplication::font()).pixelSize());
    formMain.show();
    return app.exec();
}
