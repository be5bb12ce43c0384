// Raw file fixtures shared by the tests: bytes in, bytes out, nothing converted.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

namespace kvntest {

inline void WriteRaw(const QString &Path, const QByteArray &Data)
{
    QFile file(Path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(Data), Data.size());
}

// "<missing>" keeps a missing file apart from an empty one in comparisons.
inline QByteArray ReadRaw(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace kvntest
