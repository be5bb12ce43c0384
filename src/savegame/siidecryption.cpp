#include "savegame/siidecryption.h"

#include "savegame/siitext.h"
#include "shared/files.h"
#include "shared/shell.h"

#include <QDir>

namespace kvn {

bool IsSiiFileEncrypted(const QString &FileName)
{
    return IsExistingFile(FileName) && !IsPlainSiiText(FileName);
}

QString SiiDecrypter::DecrypterPath() const
{
    return QDir(FProgramFolder).filePath(SiiDecrypterFileName);
}

SiiDecryptStatus SiiDecrypter::DecryptSiiFile(const QString &FileName) const
{
    if (!IsSiiFileEncrypted(FileName))
        return SiiDecryptStatus::AlreadyPlain;
    const QString program = DecrypterPath();
    if (!IsExistingFile(program))
        return SiiDecryptStatus::StartFailed;

    // The window keeps answering while the decrypter runs (events are served during the wait).
    const int exitCode =
        ShellExecAndWaitExitCode(program, {QDir::toNativeSeparators(FileName)}, QString(), TShowMode::Hidden, true);
    if (exitCode < 0 && IsSiiFileEncrypted(FileName) && !IsExistingFile(program))
        return SiiDecryptStatus::StartFailed;
    // The decrypter's word is not taken for it: the file itself must be plain text now.
    return IsSiiFileEncrypted(FileName) ? SiiDecryptStatus::NotDecoded : SiiDecryptStatus::Converted;
}

} // namespace kvn
