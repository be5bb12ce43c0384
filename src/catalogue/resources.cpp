#include "catalogue/resources.h"

#include "shared/strings.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <vector>

namespace kvn {
namespace {

const QString kResourceFolder = QStringLiteral(":/catalogue");

QString FindResourcePath(const QString &ResName)
{
    const QDir dir(kResourceFolder);
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString &entry : entries) {
        if (entry.compare(ResName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

QStringList SplitLines(const QString &Text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return Text.split(lineBreak);
}

} // namespace

QString LoadResourceText(const QString &ResName)
{
    const QString path = FindResourcePath(ResName);
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringList lines = SplitLines(QString::fromUtf8(bytes));
    // A text that ends in a line break has no further (empty) line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString DescrambleText(const QString &Input, const QString &Key)
{
    const QString failure(QChar(0x0001));
    if (TrimControl(Input).isEmpty() || Key.size() < 16)
        return {};
    const QString alphabet = QString::fromUtf16(kDescrambleAlphabet);
    for (qsizetype i = 0; i < Key.size(); ++i) {
        if (Key.indexOf(Key.at(i), i + 1) >= 0 || !alphabet.contains(Key.at(i)))
            return failure;
    }
    // Position of each key character in the unrotated key; -1 for characters the key lacks.
    // Rotating the key right by one moves every character one place on, so after r rotations a
    // character sits at (its first position + r) mod key length; no rotated copy is needed.
    const qsizetype keyLength = Key.size();
    QHash<char16_t, qsizetype> positions;
    for (qsizetype i = 0; i < keyLength; ++i)
        positions.insert(Key.at(i).unicode(), i);
    std::vector<qsizetype> filtered;
    filtered.reserve(static_cast<std::size_t>(Input.size()));
    for (const QChar c : Input) {
        const auto it = positions.constFind(c.unicode());
        if (it != positions.cend())
            filtered.push_back(it.value());
    }
    if (filtered.size() % 2 != 0)
        return failure;
    if (filtered.empty())
        return {};

    QString plain;
    plain.reserve(static_cast<qsizetype>(filtered.size() / 2));
    qsizetype rotations = 0;
    for (std::size_t i = 0; i < filtered.size(); i += 2) {
        const auto low = (filtered[i] + rotations) % keyLength;
        ++rotations;
        const auto high = (filtered[i + 1] + rotations) % keyLength;
        ++rotations;
        plain += QChar(static_cast<char16_t>(low + 16 * high));
    }
    return plain;
}

QStringList CatalogueLines(const QString &ResName, bool Scrambled)
{
    QString text = LoadResourceText(ResName);
    if (Scrambled)
        text = DescrambleText(text, kCatalogueKey);
    text = TrimControl(text);
    if (text.isEmpty())
        return {};
    QStringList lines = SplitLines(text);
    for (QString &line : lines)
        line = TrimControl(line);
    return lines;
}

void ReadDatabaseInfoText(const QString &Text, TDatabaseInfo &Info)
{
    const QString trimmed = TrimControl(Text);
    if (trimmed.isEmpty())
        return;
    const QStringList lines = SplitLines(trimmed);
    if (lines.size() != 6)
        return;
    bool ok[5] = {};
    const qint32 lastUpdated = lines[1].trimmed().toInt(&ok[0]);
    const qint32 trailers = lines[2].trimmed().toInt(&ok[1]);
    const qint32 cargos = lines[3].trimmed().toInt(&ok[2]);
    const qint32 distances = lines[4].trimmed().toInt(&ok[3]);
    const qint32 km = lines[5].trimmed().toInt(&ok[4]);
    for (const bool b : ok) {
        if (!b)
            return; // a value that is not an integer keeps the whole record at its previous state
    }
    Info.LastUpdated = lastUpdated; // stored as 32-bit, sign-extended
    Info.TrailerLineCount = trailers;
    Info.CargoLineCount = cargos;
    Info.DistanceLineCount = distances;
    Info.DistanceKmTotal = km;
}

void ReadDatabaseInfo(TDatabaseInfo &Info)
{
    ReadDatabaseInfoText(LoadResourceText(QStringLiteral("DBInfo")), Info);
}

QString CatalogueGameVersion()
{
    return TrimControl(LoadResourceText(QStringLiteral("GameVersion")));
}

} // namespace kvn
