// The names players read for the game's tokens: "A Coruña" for a_coruna, "Deutschland" for the
// country Germany, "Krone curtainsider" for a trailer definition. Only what is shown changes; the
// tokens stay what the program reads, matches and writes.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace kvn {

// An entry of a list the player picks from: the token it stands for and the name it shows.
struct TShownEntry {
    QString Token;
    QString Name;
};

// Puts Entries in the order the player reads them: by their names, in the user's language's
// alphabetical order without regard to case ("Łódź" among the L, not after "Zwolle"); entries
// with equal names keep their order.
void SortByShownName(QList<TShownEntry> &Entries);

class TPlaceNames {
public:
    // Longer names are not names; such a line is skipped like any other bad line.
    static constexpr qsizetype kMaxNameLength = 200;

    // Replaces the names with those of Lines ("city;a_coruna;A Coruña", "country;germany;Deutschland",
    // "trailer;trailer_def.krone.….curtain;Krone curtainsider"); "#" lines, lines without three fields
    // and empty or overlong names are skipped. Stops the compiled-in table from being read.
    void LoadFromLines(const QStringList &Lines);
    // The country names of the language file, keyed by the lower-case country token; they win
    // over the table's names.
    void SetCountryNameOverrides(const QHash<QString, QString> &Names);

    // The city's name, else the token with its first letter raised.
    QString CityName(const QString &CityToken) const;
    // The country's name in the language file, else in the table, else Country as it is (the
    // country as the city list names it, "Germany", or "All countries").
    QString CountryName(const QString &Country) const;
    // The trailer in words without its axles ("SCS double dry van"); empty when the table has none.
    QString TrailerName(const QString &TrailerDefinition) const;

private:
    // The compiled-in table is read at the first look-up, on the thread that shows names.
    void EnsureLoaded() const;
    void ReadLines(const QStringList &Lines) const;

    mutable bool FLoaded = false;
    mutable QHash<QString, QString> FCities;
    mutable QHash<QString, QString> FCountries;
    mutable QHash<QString, QString> FTrailers;
    QHash<QString, QString> FCountryOverrides;
};

} // namespace kvn
