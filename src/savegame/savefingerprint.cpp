#include "savegame/savefingerprint.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace kvn {

TSaveFingerprint SaveSizeAndTime(const QString &Path)
{
    TSaveFingerprint print;
    const QFileInfo info(Path);
    if (!info.isFile())
        return print;
    print.Size = info.size();
    print.ModifiedMsecs = info.lastModified().toMSecsSinceEpoch();
    return print;
}

TSaveFingerprint TakeSaveFingerprint(const QString &Path)
{
    TSaveFingerprint print = SaveSizeAndTime(Path);
    if (print.Size < 0)
        return print;
    QFile file(Path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // addData reads the device in slices of its own, so a large save costs no large buffer.
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file) || file.error() != QFileDevice::NoError)
        return TSaveFingerprint();
    print.Hash = hash.result();
    return print;
}

} // namespace kvn
