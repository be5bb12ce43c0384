#include "shared/inifile.h"

#include "shared/files.h"
#include "shared/strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kvn {

namespace {

QString WithoutLineBreaks(const QString &S)
{
    if (!S.contains(QLatin1Char('\r')) && !S.contains(QLatin1Char('\n')))
        return S;
    QString out = S;
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

QString Shown(const QString &Path)
{
    return QDir::toNativeSeparators(Path);
}

} // namespace

TMemIniFile::TMemIniFile(const QString &FileName, bool ReadOnlyMode, const QString &DefaultFolder)
    : FFileName(FileName), FReadOnlyMode(ReadOnlyMode)
{
    Open(FileName, DefaultFolder);
}

TMemIniFile::~TMemIniFile()
{
    UpdateFile();
}

void TMemIniFile::Open(const QString &FileName, const QString &DefaultFolder)
{
    if (FileName.trimmed().isEmpty()) {
        FOpenError = QStringLiteral("No file name was given for the settings file.");
        return;
    }
    QString path = QDir::fromNativeSeparators(FileName);
    if (!path.contains(QLatin1Char('/'))) {
        if (DefaultFolder.isEmpty()) {
            FOpenError = QStringLiteral("\"%1\" has no folder to be kept in.").arg(FileName);
            return;
        }
        path = QDir(DefaultFolder).filePath(path);
    }
    FFileName = path;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        FOpenError = QStringLiteral("The folder \"%1\" could not be created.").arg(Shown(folder));
        return;
    }

    FEncoding = DetectFileEncoding(path, TTextEncoding::Utf8);
    const QFileInfo info(path);
    if (info.exists()) {
        // Anything we cannot read in full is left alone rather than overwritten with less.
        if (info.isDir()) {
            FOpenError = QStringLiteral("\"%1\" is a folder, not a file.").arg(Shown(path));
            return;
        }
        if (info.size() > MaxFileSize) {
            FOpenError = QStringLiteral("\"%1\" is too large to be read.").arg(Shown(path));
            return;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            FOpenError = QStringLiteral("\"%1\" could not be read (%2).").arg(Shown(path), file.errorString());
            return;
        }
        QByteArray bytes;
        if (!ReadFileAtMost(file, MaxFileSize, bytes)) {
            FOpenError = QStringLiteral("\"%1\" could not be read (%2).").arg(Shown(path), file.errorString());
            return;
        }
        FDocument.Parse(DecodeText(bytes, FEncoding));
    }
    FOpened = true;
}

QString TMemIniFile::ReadString(const QString &Section, const QString &Ident, const QString &Default) const
{
    QString value;
    return FDocument.Find(Section, Ident, value) ? value : Default;
}

int TMemIniFile::ReadInteger(const QString &Section, const QString &Ident, int Default) const
{
    QString text;
    if (!FDocument.Find(Section, Ident, text))
        return Default;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : Default;
}

qint64 TMemIniFile::ReadInt64(const QString &Section, const QString &Ident, qint64 Default) const
{
    QString text;
    if (!FDocument.Find(Section, Ident, text))
        return Default;
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    return ok ? value : Default;
}

bool TMemIniFile::ReadBool(const QString &Section, const QString &Ident, bool Default) const
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

double TMemIniFile::ReadFloat(const QString &Section, const QString &Ident, double Default) const
{
    QString text;
    if (!FDocument.Find(Section, Ident, text))
        return Default;
    return StrToFloatLocaleFree(text, Default);
}

QStringList TMemIniFile::ReadSections() const
{
    return FDocument.SectionNames();
}

QStringList TMemIniFile::ReadSection(const QString &Section) const
{
    return FDocument.EntryNames(Section);
}

bool TMemIniFile::SectionExists(const QString &Section) const
{
    return FDocument.HasSection(Section);
}

bool TMemIniFile::ValueExists(const QString &Section, const QString &Ident) const
{
    QString value;
    return FDocument.Find(Section, Ident, value);
}

void TMemIniFile::WriteString(const QString &Section, const QString &Ident, const QString &Value)
{
    if (FReadOnlyMode)
        return;
    FDocument.SetValue(WithoutLineBreaks(Section), WithoutLineBreaks(Ident), WithoutLineBreaks(Value));
    FModified = true;
}

void TMemIniFile::WriteInteger(const QString &Section, const QString &Ident, int Value)
{
    WriteString(Section, Ident, QString::number(Value));
}

void TMemIniFile::WriteInt64(const QString &Section, const QString &Ident, qint64 Value)
{
    WriteString(Section, Ident, QString::number(Value));
}

void TMemIniFile::WriteBool(const QString &Section, const QString &Ident, bool Value)
{
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TMemIniFile::DeleteKey(const QString &Section, const QString &Ident)
{
    if (FReadOnlyMode)
        return;
    FDocument.RemoveEntry(Section, Ident);
    FModified = true;
}

void TMemIniFile::EraseSection(const QString &Section)
{
    if (FReadOnlyMode)
        return;
    FDocument.RemoveSection(Section);
    FModified = true;
}

bool TMemIniFile::UpdateFile()
{
    if (FReadOnlyMode || !FModified)
        return true;
    FModified = false; // a failed save is not retried
    FLastSaveFailed = true;
    if (!FOpened) {
        FLastError = FOpenError;
        return false;
    }
    const QString folder = QFileInfo(FFileName).absolutePath();
    if (!QDir().mkpath(folder)) {
        FLastError = QStringLiteral("The folder \"%1\" could not be created.").arg(Shown(folder));
        return false;
    }
    const QString text = FDocument.ToText();
    const TTextEncoding encoding = CanEncodeLosslessly(text, FEncoding) ? FEncoding : TTextEncoding::Utf8;
    QString error;
    if (!WriteFileAtomically(FFileName, EncodeText(text, encoding, true), &error)) {
        FLastError = error;
        return false;
    }
    FEncoding = encoding;
    FLastSaveFailed = false;
    FLastError.clear();
    return true;
}

} // namespace kvn
