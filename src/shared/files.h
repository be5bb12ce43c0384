// File and folder helpers. They take full paths, never throw, and report failure by their result.
// Paths use "/" (QDir notation) on every platform; Qt's file engine adds the extended-length prefix
// on Windows by itself, so the long-path string helpers below are only needed where a path is
// handed to a system call directly.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class QFile;

namespace kvn {

// Writes Data to a temporary file beside Path, flushes it and renames it over Path, so Path holds
// either its old content or all of Data, never a half-written file. On failure the old file is left
// untouched and *Error (when given) receives a text a player can understand. A write-protected Path
// is never replaced.
bool WriteFileAtomically(const QString &Path, const QByteArray &Data, QString *Error = nullptr);

// Reads the rest of File, which is open for reading, into Out when that is at most Limit bytes.
// False (Out empty) when there is more or a read fails. A file can grow between a size check and
// the read, so the limit is kept here; memory grows with the file, not with the limit.
bool ReadFileAtMost(QFile &File, qint64 Limit, QByteArray &Out);

// Path is not empty, can be looked at, and is not a folder.
bool IsExistingFile(const QString &Path);
// Path can be looked at and is a folder.
bool IsExistingFolder(const QString &Path);
// An existing file whose owner may not write it: the player's "read-only" (on Windows the
// read-only attribute). Judged by the permission bits, not by trying to open it, because an
// administrator or root opens such a file all the same, and replacing a file by renaming never
// asks the file at all.
bool IsWriteProtectedFile(const QString &Path);

// Why a copy failed, without words: the layers above put it into the player's language.
enum class TCopyFault {
    None,
    SourceMissing,     // Path: the source
    TargetNotAFile,    // Path: the source; the target is empty or a folder
    TargetIsSource,    // Path: the source
    SourceUnreadable,  // Path: the source; opening or reading it failed
    TargetNotOpened,   // Path: the target; no temporary file beside it could be made
    TargetIncomplete,  // Path: the target; writing stopped short (a full disk)
    TargetNotReplaced, // Path: the target; the rename over it failed, the old file is as it was
};
struct TCopyFailure {
    TCopyFault Fault = TCopyFault::None;
    QString Path;          // the file the fault is about, in native separators
    QString SystemMessage; // the system's own words, empty when there are none
};
// Copies Source over Target (an existing Target is replaced). The copy is written beside Target
// and renamed over it, so a failed copy never leaves Target damaged. Source's last write time is
// carried over, as the system's own file copy does. False when Source is not an existing file;
// Failure then says why as a code and detail, which the layers above put into words.
bool CopyFileTo(const QString &Source, const QString &Target, TCopyFailure &Failure);

// False when Path is not an existing file; otherwise whether deleting it worked.
bool DeleteExistingFile(const QString &Path);

// Deletes Folder with everything inside it. False when Folder is not an existing folder or when
// anything in it could not be removed.
bool DeleteFolder(const QString &Folder);

// The file's last write time in local time as a date-time value (days since 1899-12-30, the time
// of day as fraction); 0 when Path is not an existing file or its time cannot be read.
double FileLastWriteTime(const QString &Path);
// The same as a QDateTime in local time; invalid when there is none.
QDateTime FileLastWriteDateTime(const QString &Path);
// Local date-time -> date-time value (days since 1899-12-30), no time-zone conversion.
double DateTimeToValue(const QDateTime &LocalTime);

// Windows extended-length prefixes, as pure string functions (they work on "\" paths).
// C:\x -> \\?\C:\x; \\server\share -> \\?\UNC\server\share; a path that already has an extended
// prefix ("\\?\...") is returned unchanged.
QString AddLongPathPrefix(const QString &Path);
// \\?\C:\x -> C:\x; a path whose rest after the prefix has no drive part (a network path such as
// \\?\UNC\server\share) is returned unchanged.
QString RemoveLongPathPrefix(const QString &Path);

// Names of the folders directly inside Folder, hidden and system ones included, without "." and
// "..", in the order the file system lists them. Every name ends in "/" so that it can be put
// in front of a file name as it is. Empty for an empty Folder, "/" or "\".
QStringList ListSubFolders(const QString &Folder);

// Appends to List the bare names of the files (not folders) directly inside Folder whose name
// matches Mask (wildcards, case-insensitive; "*.*" matches every name, also one without a dot),
// hidden ones included, in the order the file system lists them. Nothing for an empty Folder,
// "/" or "\".
void GetFilesInDirectory(const QString &Folder, const QString &Mask, QStringList &List);

} // namespace kvn
