// Where the cities lie in the game world, and the road distance estimated from that for a pair of
// cities that neither the compiled table nor the player's saves know.
#pragma once

#include <QHash>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace kvn {

// Road km per game-world unit of straight-line distance: the least-squares fit over the known
// pairs without a ferry (about 10 % median error, 29 % at the 90th percentile).
inline constexpr double kRoadKmPerGameUnit = 0.02448;

class TCityPositions {
public:
    // PositionLines "city;x;z" (x and z in game-world units); CountryLines "city;country" as the
    // Countries resource has them. Comments, malformed lines, positions off the map and repeated
    // cities (after the first) are left out.
    static std::shared_ptr<const TCityPositions> FromLines(const QStringList &PositionLines,
                                                           const QStringList &CountryLines = {});

    qsizetype Count() const { return FPositions.size(); }
    QStringList Cities() const { return FPositions.keys(); }
    // The lower-case country of a city, or an empty string.
    QString CountryOf(const QString &City) const { return FCountries.value(City); }

    // round(kRoadKmPerGameUnit x straight-line distance); 0 when either city has no position or
    // the two lie less than half a km apart.
    std::int32_t EstimateKm(const QString &Departure, const QString &Destination) const;

private:
    QHash<QString, QPointF> FPositions;
    QHash<QString, QString> FCountries;
};

} // namespace kvn
