#include "catalogue/citypositions.h"

#include <QLocale>
#include <cmath>

namespace kvn {
namespace {

// The game's maps span about +-150,000 units; anything far beyond is not a position.
constexpr double kMaxCoordinate = 1.0e6;

bool ReadCoordinate(const QString &Field, double &Value)
{
    bool ok = false;
    Value = Field.trimmed().toDouble(&ok); // always "." as the decimal point
    return ok && std::isfinite(Value) && std::abs(Value) <= kMaxCoordinate;
}

} // namespace

std::shared_ptr<const TCityPositions> TCityPositions::FromLines(const QStringList &PositionLines,
                                                                const QStringList &CountryLines)
{
    auto positions = std::make_shared<TCityPositions>();
    for (const QString &raw : PositionLines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u';');
        double x = 0;
        double z = 0;
        if (fields.size() != 3 || !ReadCoordinate(fields[1], x) || !ReadCoordinate(fields[2], z))
            continue;
        const QString city = fields[0].trimmed();
        if (!city.isEmpty() && !positions->FPositions.contains(city))
            positions->FPositions.insert(city, QPointF(x, z));
    }
    for (const QString &raw : CountryLines) {
        const QStringList fields = raw.trimmed().split(u';');
        if (fields.size() != 2)
            continue;
        const QString city = fields[0].trimmed();
        const QString country = QLocale().toLower(fields[1].trimmed());
        if (!city.isEmpty() && !country.isEmpty() && !positions->FCountries.contains(city))
            positions->FCountries.insert(city, country);
    }
    return positions;
}

std::int32_t TCityPositions::EstimateKm(const QString &Departure, const QString &Destination) const
{
    const auto a = FPositions.constFind(Departure);
    const auto b = FPositions.constFind(Destination);
    if (a == FPositions.cend() || b == FPositions.cend())
        return 0;
    const double units = std::hypot(a->x() - b->x(), a->y() - b->y());
    return static_cast<std::int32_t>(std::lround(kRoadKmPerGameUnit * units));
}

} // namespace kvn
