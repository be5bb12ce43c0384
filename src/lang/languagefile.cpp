#include "lang/languagefile.h"

#include "shared/files.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kvn {

namespace {

// Translators work with whatever editor they have; a byte-order mark is tolerated, and one that
// announces UTF-16 is honoured so such a file does not silently lose every text.
QString DecodeLanguageText(QByteArrayView Data)
{
    if (Data.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(Data.sliced(3));
    if (Data.startsWith("\xFF\xFE")) {
        QStringDecoder Decoder(QStringDecoder::Utf16LE);
        return Decoder(Data.sliced(2));
    }
    if (Data.startsWith("\xFE\xFF")) {
        QStringDecoder Decoder(QStringDecoder::Utf16BE);
        return Decoder(Data.sliced(2));
    }
    return QString::fromUtf8(Data);
}

} // namespace

QString TLanguageFile::Slot(const QString &Section, const QString &Key)
{
    return Section.trimmed().toCaseFolded() + QLatin1Char('\n') + Key.trimmed().toCaseFolded();
}

bool TLanguageFile::LoadFromFile(const QString &FileName)
{
    FValues.clear();
    FSections.clear();
    const QFileInfo Info(FileName);
    if (!Info.isFile() || Info.size() > MaxFileSize)
        return false;
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        return false;
    QByteArray Data;
    if (!ReadFileAtMost(File, MaxFileSize, Data))
        return false;
    LoadFromData(Data);
    return true;
}

void TLanguageFile::LoadFromData(QByteArrayView Data)
{
    FValues.clear();
    FSections.clear();
    const QString Text = DecodeLanguageText(Data);

    QString Section;
    bool InSection = false;
    qsizetype Start = 0;
    const qsizetype Length = Text.size();
    while (Start <= Length) {
        qsizetype End = Start;
        while (End < Length && Text[End] != QLatin1Char('\n') && Text[End] != QLatin1Char('\r'))
            ++End;
        const QStringView Line = QStringView(Text).mid(Start, End - Start).trimmed();
        // CR LF counts as one line end.
        Start =
            End + ((End + 1 < Length && Text[End] == QLatin1Char('\r') && Text[End + 1] == QLatin1Char('\n')) ? 2 : 1);

        if (Line.isEmpty() || Line.startsWith(QLatin1Char(';')))
            continue;
        if (Line.startsWith(QLatin1Char('[')) && Line.endsWith(QLatin1Char(']'))) {
            Section = Line.mid(1, Line.size() - 2).trimmed().toString().toCaseFolded();
            InSection = true;
            FSections.insert(Section, true);
            continue;
        }
        const qsizetype Equals = Line.indexOf(QLatin1Char('='));
        if (!InSection || Equals <= 0)
            continue;
        const QStringView Key = Line.left(Equals).trimmed();
        if (Key.isEmpty())
            continue;
        const QString Name = Slot(Section, Key.toString());
        if (!FValues.contains(Name))
            FValues.insert(Name, Line.mid(Equals + 1).trimmed().toString());
    }
}

bool TLanguageFile::HasKey(const QString &Section, const QString &Key) const
{
    return FValues.contains(Slot(Section, Key));
}

bool TLanguageFile::HasSection(const QString &Section) const
{
    return FSections.contains(Section.trimmed().toCaseFolded());
}

QHash<QString, QString> TLanguageFile::SectionValues(const QString &Section) const
{
    QHash<QString, QString> Result;
    const QString Prefix = Slot(Section, QString());
    for (auto It = FValues.cbegin(); It != FValues.cend(); ++It) {
        if (It.key().startsWith(Prefix))
            Result.insert(It.key().mid(Prefix.size()), It.value());
    }
    return Result;
}

QString TLanguageFile::ReadLanguageValue(const QString &Section, const QString &Key, bool ReplaceBreaks) const
{
    QString Value = FValues.value(Slot(Section, Key));
    if (ReplaceBreaks)
        Value.replace(QStringLiteral("<BREAK>"), QStringLiteral("\r\n"));
    return Value;
}

} // namespace kvn
