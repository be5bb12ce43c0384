#include "savegame/siidecryption.h"

#include "savegame/siitext.h"
#include "shared/files.h"
#include "shared/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kvn {

bool IsSiiFileEncrypted(const QString &FileName)
{
    return IsExistingFile(FileName) && !IsPlainSiiText(FileName);
}

QString TSiiDecrypter::DecrypterPath() const
{
    return QDir(FProgramFolder).filePath(SiiDecrypterFileName);
}

TSiiDecryptStatus TSiiDecrypter::DecryptSiiFile(const QString &FileName) const
{
    if (!IsSiiFileEncrypted(FileName))
        return TSiiDecryptStatus::AlreadyPlain;
    const QString program = DecrypterPath();
    if (!IsExistingFile(program))
        return TSiiDecryptStatus::StartFailed;

    // The window keeps answering while the decrypter runs (events are served during the wait).
    const int exitCode =
        ShellExecAndWaitExitCode(program, {QDir::toNativeSeparators(FileName)}, QString(), TShowMode::Hidden, true);
    if (exitCode < 0 && IsSiiFileEncrypted(FileName) && !IsExistingFile(program))
        return TSiiDecryptStatus::StartFailed;
    // The decrypter's word is not taken for it: the file itself must be plain text now.
    return IsSiiFileEncrypted(FileName) ? TSiiDecryptStatus::NotDecoded : TSiiDecryptStatus::Converted;
}

TSiiDecryptStatus TSiiDecrypter::DecryptCopy(const QString &FileName, const QString &ScratchFolder,
                                             QString &Readable) const
{
    Readable = FileName;
    if (!IsSiiFileEncrypted(FileName))
        return TSiiDecryptStatus::AlreadyPlain;
    if (!IsExistingFile(DecrypterPath()))
        return TSiiDecryptStatus::StartFailed;
    // A copy that cannot be made (no scratch folder, disk full) is a file that could not be turned
    // into text; an empty folder name must not put the copy into the working folder.
    if (ScratchFolder.isEmpty() || !IsExistingFolder(ScratchFolder))
        return TSiiDecryptStatus::NotDecoded;
    const QString copy = QDir(ScratchFolder).filePath(QFileInfo(FileName).fileName());
    QFile::remove(copy);
    if (!QFile::copy(FileName, copy))
        return TSiiDecryptStatus::NotDecoded;
    // The game's files may be read-only; the decrypter must be able to replace its copy.
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    const TSiiDecryptStatus status = DecryptSiiFile(copy);
    if (IsReadable(status))
        Readable = copy;
    return status;
}

} // namespace kvn
