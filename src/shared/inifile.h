// The INI store of the program's own files (settings, job history): held in memory, written back
// in the encoding it was read in, and saved when it is destroyed.
#pragma once

#include "shared/encoding.h"
#include "shared/inidocument.h"

#include <QString>
#include <QStringList>

namespace kvn {

class TMemIniFile {
public:
    // Larger files are not opened: they are not ours, and reading them would cost memory for nothing.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    // Opens FileName. A name with a folder part ("/", or "\" on Windows) is used as it is; a bare
    // file name lies in DefaultFolder (the program's folder). Missing folders are created. When the
    // name is empty, has no folder to lie in, its folder cannot be created, or the file exists but
    // cannot be read, the store stays empty and never saves (a later UpdateFile with changes reports
    // the failure). A missing file gives an empty store whose first save creates it as UTF-8 with a
    // byte-order mark.
    explicit TMemIniFile(const QString &FileName, bool ReadOnlyMode = false, const QString &DefaultFolder = QString());
    // Saves pending changes (UpdateFile); errors are not raised, so callers that must know whether
    // the file was written call UpdateFile themselves first.
    ~TMemIniFile();

    TMemIniFile(const TMemIniFile &) = delete;
    TMemIniFile &operator=(const TMemIniFile &) = delete;

    // Reads: a missing entry gives Default; numbers are decimal text (Default when not a number);
    // a Boolean is true when its integer value is not 0.
    QString ReadString(const QString &Section, const QString &Ident, const QString &Default) const;
    int ReadInteger(const QString &Section, const QString &Ident, int Default) const;
    qint64 ReadInt64(const QString &Section, const QString &Ident, qint64 Default) const;
    bool ReadBool(const QString &Section, const QString &Ident, bool Default) const;
    // Accepts "." and "," as decimal separator.
    double ReadFloat(const QString &Section, const QString &Ident, double Default) const;
    QStringList ReadSections() const;
    QStringList ReadSection(const QString &Section) const;
    bool SectionExists(const QString &Section) const;
    bool ValueExists(const QString &Section, const QString &Ident) const;

    // Writes are ignored in read-only mode; otherwise they create or replace the entry and mark the
    // store modified. Line breaks inside names and values are turned into blanks, because they would
    // split the entry when the file is read again.
    void WriteString(const QString &Section, const QString &Ident, const QString &Value);
    void WriteInteger(const QString &Section, const QString &Ident, int Value);
    void WriteInt64(const QString &Section, const QString &Ident, qint64 Value);
    // "1" for true, "0" for false.
    void WriteBool(const QString &Section, const QString &Ident, bool Value);

    // Remove an entry or a whole section and mark the store modified (ignored in read-only mode).
    void DeleteKey(const QString &Section, const QString &Ident);
    void EraseSection(const QString &Section);

    // Writes the whole file atomically in the store's encoding, with its byte-order mark, when the
    // store was modified and is not read-only. A text that the file's 8-bit code page cannot hold is
    // written as UTF-8 instead, so that no character is lost. Modified is false afterwards even when
    // saving failed (the failure is not retried); the result and LastSaveFailed tell whether it worked.
    bool UpdateFile();

    bool Modified() const { return FModified; }
    bool ReadOnlyMode() const { return FReadOnlyMode; }
    QString FileName() const { return FFileName; }
    TTextEncoding Encoding() const { return FEncoding; }
    // False when the store could not be opened (see the constructor); it then never saves.
    bool IsOpened() const { return FOpened; }

    // Whether the last save that was needed failed, and why, in words a player understands.
    bool LastSaveFailed() const { return FLastSaveFailed; }
    QString LastError() const { return FLastError; }

private:
    void Open(const QString &FileName, const QString &DefaultFolder);

    TIniDocument FDocument;
    TTextEncoding FEncoding = TTextEncoding::Utf8;
    QString FFileName;
    bool FModified = false;
    bool FReadOnlyMode = false;
    bool FOpened = false;
    bool FLastSaveFailed = false;
    QString FLastError;
    QString FOpenError;
};

} // namespace kvn
