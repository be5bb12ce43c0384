#include "shared/shell.h"

#include "shared/files.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kvn {

namespace {

constexpr int NotStarted = -1;

bool IsWebAddress(const QString &FileName)
{
    return FileName.startsWith(QLatin1String("http://")) || FileName.startsWith(QLatin1String("https://"));
}

// The default handlers live in the GUI platform plugin; asking them without one would crash.
bool OpenWithDefaultHandler(const QUrl &Url)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    return QDesktopServices::openUrl(Url);
}

bool IsProgramFile(const QString &FileName)
{
    return IsExistingFile(FileName) && QFileInfo(FileName).isExecutable();
}

void Configure(QProcess &Process, const QString &FileName, const QStringList &Parameters, const QString &Folder,
               TShowMode ShowMode)
{
    Process.setProgram(FileName);
    Process.setArguments(Parameters);
    if (!Folder.isEmpty())
        Process.setWorkingDirectory(Folder);
    // Nobody reads the program's output, and it must not wait for input that never comes.
    Process.setStandardInputFile(QProcess::nullDevice());
    Process.setStandardOutputFile(QProcess::nullDevice());
    Process.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_WIN
    if (ShowMode == TShowMode::Hidden) {
        Process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *Args) {
            Args->flags |= CREATE_NO_WINDOW;
            Args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
            Args->startupInfo->wShowWindow = SW_HIDE;
        });
    }
#else
    Q_UNUSED(ShowMode);
#endif
}

bool CanRunEventLoop()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Waits for the end of a started process; returns its exit code, -1 after a crash.
int WaitForEnd(QProcess &Process, bool ProcessMessages)
{
    if (CanRunEventLoop() && Process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QObject::connect(&Process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&Process, &QProcess::errorOccurred, &loop, [&Process, &loop] {
            if (Process.state() == QProcess::NotRunning)
                loop.quit();
        });
        loop.exec(ProcessMessages ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    // Also reached when the application quits while we wait: the program (the decrypter rewriting
    // a save) is let finish instead of being killed half-way.
    if (Process.state() != QProcess::NotRunning)
        Process.waitForFinished(-1);
    if (Process.exitStatus() != QProcess::NormalExit)
        return NotStarted;
    return Process.exitCode();
}

} // namespace

bool ShellExecAndWait(const QString &Verb, const QString &FileName, const QStringList &Parameters,
                      const QString &Folder, TShowMode ShowMode, bool Wait, bool ProcessMessages)
{
    Q_UNUSED(Verb); // "open" and "explore" lead to the same default handler
    if (IsWebAddress(FileName))
        return OpenWithDefaultHandler(QUrl(FileName));
    if (IsExistingFolder(FileName))
        return OpenWithDefaultHandler(QUrl::fromLocalFile(FileName));
    if (!IsExistingFile(FileName))
        return false;
    if (!IsProgramFile(FileName)) {
        // A handler cannot be waited for; a caller that waits expects a program (and its result),
        // so a file that lost its program flag is reported as not started instead of being opened.
        return !Wait && OpenWithDefaultHandler(QUrl::fromLocalFile(FileName));
    }

    QProcess process;
    Configure(process, FileName, Parameters, Folder, ShowMode);
    if (!Wait)
        return process.startDetached();
    process.start();
    if (!process.waitForStarted(-1))
        return false;
    WaitForEnd(process, ProcessMessages);
    return true;
}

int ShellExecAndWaitExitCode(const QString &FileName, const QStringList &Parameters, const QString &Folder,
                             TShowMode ShowMode, bool ProcessMessages)
{
    if (!IsProgramFile(FileName))
        return NotStarted;
    QProcess process;
    Configure(process, FileName, Parameters, Folder, ShowMode);
    process.start();
    if (!process.waitForStarted(-1))
        return NotStarted;
    return WaitForEnd(process, ProcessMessages);
}

} // namespace kvn
