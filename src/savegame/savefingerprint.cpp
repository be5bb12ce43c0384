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
    // A detector of changed bytes, not a signature: the fastest of Qt's hashes does, and a large
    // save is hashed at every load and twice before every write.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    // addData reads the device in slices of its own, so a large save costs no large buffer.
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file) || file.error() != QFileDevice::NoError)
        return TSaveFingerprint();
    print.Hash = hash.result();
    return print;
}

} // namespace kvn
