#include "catalogue/estimatedoffers.h"

#include "catalogue/fields.h"
#include "shared/files.h"

#include <QDir>
#include <QFile>

namespace kvn {
namespace {

bool IsStorableField(QStringView Field)
{
    if (Field.isEmpty())
        return false;
    for (const QChar c : Field) {
        if (IsBlankOrControl(c) || c == u',')
            return false;
    }
    return true;
}

QString LineOf(const TEstimatedOffer &Offer)
{
    return Offer.OfferID + u',' + Offer.Departure + u',' + Offer.Target + u',' + QString::number(Offer.KM);
}

// The file's lines, or false when it exists but cannot be read.
bool ReadLines(const QString &Path, QStringList &Lines)
{
    Lines.clear();
    if (!IsExistingFile(Path))
        return true;
    QFile file(Path);
    QByteArray bytes;
    if (file.size() > TEstimatedOffers::kMaxFileBytes || !file.open(QIODevice::ReadOnly) ||
        !ReadFileAtMost(file, TEstimatedOffers::kMaxFileBytes, bytes))
        return false;
    for (const QString &line : QString::fromUtf8(bytes).split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.split(u',').size() == 4)
            Lines.append(trimmed);
    }
    return true;
}

} // namespace

QString TEstimatedOffers::Key(QStringView OfferID, QStringView Departure, QStringView Target, std::int32_t KM)
{
    QString key;
    key.reserve(OfferID.size() + Departure.size() + Target.size() + 16);
    key.append(OfferID).append(u',').append(Departure).append(u',').append(Target).append(u',');
    return key + QString::number(KM);
}

QSet<QString> TEstimatedOffers::Read(const QString &Folder)
{
    QSet<QString> keys;
    QStringList lines;
    if (Folder.isEmpty() || !ReadLines(QDir(Folder).filePath(FileName()), lines))
        return keys;
    for (const QString &line : std::as_const(lines)) {
        const QStringList f = line.split(u',');
        const std::int32_t km = FieldToInt(f[3], 0);
        if (km > 0)
            keys.insert(Key(f[0], f[1], f[2], km));
    }
    return keys;
}

bool TEstimatedOffers::Remember(const QString &Folder, const std::vector<TEstimatedOffer> &Offers, QString *Error)
{
    if (Offers.empty())
        return true;
    if (Folder.isEmpty()) {
        if (Error)
            *Error = QStringLiteral("No folder for the offers written with an estimated distance.");
        return false;
    }
    const QString path = QDir(Folder).filePath(FileName());
    QStringList lines;
    if (!ReadLines(path, lines)) {
        if (Error)
            *Error = QStringLiteral("%1 could not be read.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    for (const TEstimatedOffer &offer : Offers) {
        if (IsStorableField(offer.OfferID) && IsStorableField(offer.Departure) && IsStorableField(offer.Target) &&
            offer.KM > 0)
            lines.append(LineOf(offer));
    }
    if (lines.size() > kMaxOffers)
        lines = lines.mid(lines.size() - kMaxOffers);
    QByteArray data;
    for (const QString &line : std::as_const(lines))
        data += line.toUtf8() + "\r\n";
    return WriteFileAtomically(path, data, Error);
}

} // namespace kvn
