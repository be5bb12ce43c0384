// Starting other programs and handing documents, folders and web addresses to the system.
#pragma once

#include <QString>
#include <QStringList>

namespace kvn {

enum class TShowMode { Normal, Hidden };

// - An address starting with "http://" or "https://" is opened with the system's default handler.
// - A folder, or a file that is not a program, is opened with the system's default handler
//   (Verb "open" or "explore" alike); a file that is not a program is not opened when Wait is true,
//   since a handler cannot be waited for (the result is then false).
// - A program file is started with Parameters as separate arguments (no shell quoting is involved)
//   in Folder (empty: the current folder). When Wait is true the call returns after the program
//   has ended; meanwhile the caller's event loop keeps running (all events when ProcessMessages is
//   true, everything but user input otherwise) so the window keeps painting. Without a
//   QCoreApplication, or off its thread, the call simply blocks.
// The result tells whether the system accepted the request or the program was started. Nothing
// is started when FileName is neither an address nor an existing file or folder. Opening with a
// default handler needs a QGuiApplication; without one the result is false.
bool ShellExecAndWait(const QString &Verb, const QString &FileName, const QStringList &Parameters = {},
                      const QString &Folder = {}, TShowMode ShowMode = TShowMode::Normal, bool Wait = false,
                      bool ProcessMessages = false);

// Starts program FileName like ShellExecAndWait with Wait and returns its exit code: -1 when it
// could not be started, is not a program file, or crashed.
int ShellExecAndWaitExitCode(const QString &FileName, const QStringList &Parameters, const QString &Folder = {},
                             TShowMode ShowMode = TShowMode::Hidden, bool ProcessMessages = true);

} // namespace kvn
