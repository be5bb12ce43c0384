#include "savegame/siidecryption.h"

#include "savegame/siitext.h"
#include "shared/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

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

    QProcess process;
    process.setProgram(program);
    process.setArguments({QDir::toNativeSeparators(FileName)});
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(10000))
        return SiiDecryptStatus::StartFailed;

    // Short waits, with the window's events served in between, so the window stays responsive.
    const bool onMainThread =
        QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
    QElapsedTimer clock;
    clock.start();
    while (!process.waitForFinished(25)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (onMainThread)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 25);
        if (clock.elapsed() > FTimeoutMs) {
            process.kill();
            process.waitForFinished(5000);
            return SiiDecryptStatus::NotDecoded;
        }
    }
    // The decrypter's word is not taken for it: the file itself must be plain text now.
    return IsSiiFileEncrypted(FileName) ? SiiDecryptStatus::NotDecoded : SiiDecryptStatus::Converted;
}

} // namespace kvn
