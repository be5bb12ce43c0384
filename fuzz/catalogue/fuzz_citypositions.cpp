// Feeds arbitrary text to the city-position table and the estimates made from it, and arbitrary
// bytes to the file of offers written with an estimated distance.
#include "catalogue/citypositions.h"
#include "catalogue/estimatedoffers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    if (Size > 1 << 20)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size));
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    const auto positions = kvn::TCityPositions::FromLines(lines, lines);
    for (const QString &line : lines) {
        const QString city = line.section(u';', 0, 0).trimmed();
        const std::int32_t km = positions->EstimateKm(city, QStringLiteral("berlin"));
        // Positions are bounded, so no estimate can leave the int range or go negative.
        if (km < 0 || km > 100000)
            __builtin_trap();
    }

    static QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath(kvn::TEstimatedOffers::FileName()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    (void)kvn::TEstimatedOffers::Read(dir.path());
    return 0;
}
