// The start-up checks of program entry, apart from main() so that they can be tested.
#pragma once

#include <QString>
#include <functional>

namespace kvn {

class TLanguageTexts;

// The decrypter's file name; it keeps the Windows name on every platform.
inline const QString kDecrypterFileName = QStringLiteral("SII_Decrypt.exe");

// The program's own folder with a trailing "/".
QString ProgramFolderPath();

// ProgramFolder when the program may write there (a copy unpacked by the user), otherwise the
// user's data folder for this program (an installed package); ends in "/".
QString UserFilesFolderFor(const QString &ProgramFolder);

// Shows an error with a single OK button: (message, caption).
using TShowError = std::function<void(const QString &Message, const QString &Caption)>;

// True when the decrypter lies in ProgramFolder as a file (a folder of that name does not
// count). Otherwise ShowError is called once with the translated message and false returned.
bool CheckDecrypterPresent(const QString &ProgramFolder, const TLanguageTexts &Texts, const TShowError &ShowError);

} // namespace kvn
