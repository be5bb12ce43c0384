// Countries and cities of the loaded profile: the cities that have a company in the player's
// save, grouped into countries by the compiled-in city list, and the look-ups on them.
#pragma once

#include "catalogue/trailers.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace kvn {

class TDistanceTable;

// What the window shows of the countries: its two country lists (departure and destination).
// The core fills them through this so that it never touches a widget.
class ICountryListSink {
public:
    virtual ~ICountryListSink() = default;
    // Both lists lose all their entries.
    virtual void ClearCountryLists() = 0;
    // Both lists get Entries appended in this order and their first entry selected.
    virtual void FillCountryLists(const QStringList &Entries) = 0;
};

class TCountryInfo {
public:
    explicit TCountryInfo(const QString &Country = QString()) : FCountry(Country) {}

    const QString &Country() const { return FCountry; }
    // Sorted, compared without regard to case, no duplicates.
    const QStringList &CityList() const { return FCityList.Items(); }
    bool HasCity(const QString &CityName) const { return FCityList.Contains(CityName); }
    void AddCity(const QString &CityName) { FCityList.Add(CityName); }
    // Replaces the cities at once (sorted, first spelling of a name kept).
    void AssignCities(const QStringList &CityNames) { FCityList.Assign(CityNames); }

private:
    QString FCountry;
    TCaseInsensitiveSortedList FCityList;
};

using TCountryInfoList = std::vector<std::unique_ptr<TCountryInfo>>;

// The entry in front of the real countries in both country lists; not translated.
inline const QString kAllCountriesEntry = QStringLiteral("All countries");

// The profile's cities and countries. Held once by the program and rebuilt on every profile load.
class TCountries {
public:
    // Rebuilds the city set and the countries from the save's lines and the compiled city list
    // (CountryLines: "city;Country"), marks every distance of Distances whose ends are not both
    // in the city set, and refills the window's country lists through Sink (when given).
    void LoadCountriesToDataClasses(const QStringList &SaveLines, const QStringList &CountryLines,
                                    const TDistanceTable *Distances, ICountryListSink *Sink);
    // The same with the compiled-in city list.
    void LoadCountriesToDataClasses(const QStringList &SaveLines, const TDistanceTable *Distances,
                                    ICountryListSink *Sink);

    // Countries in ascending ordinal order of their names.
    const TCountryInfoList &CountryInfoList() const { return FCountryInfoList; }

    TCountryInfo *FindCountry(const QString &Name) const;
    bool CountryExists(const QString &Name) const { return FindCountry(Name) != nullptr; }
    // First country (in list order) holding the city, compared without regard to case.
    TCountryInfo *FindCountryOfCity(const QString &CityName) const;
    // The lower-case country a country selection means: the selected country (ItemIndex > 0),
    // otherwise the country of CityName; empty when no country has the city.
    QString ResolveCountryName(int ItemIndex, const QString &CountryText, const QString &CityName) const;
    // The exact spelling is in the profile's city set.
    bool CityInSet(const QString &CityName) const;
    // The city set, compared without regard to case.
    bool CityInSetIgnoringCase(const QString &CityName) const;
    qsizetype CityCount() const { return FCitiesByLowerName.size(); }

private:
    void AddCityToSet(const QString &CityName);
    void ClearAll();

    TCountryInfoList FCountryInfoList;
    // Lower-cased name -> the spelling first met; duplicates regardless of case are ignored.
    QHash<QString, QString> FCitiesByLowerName;
};

// Extracts the city set of a save: the fourth dot part of every "companies[i]: " identifier up
// to the count of the "companies: " line. Exposed for tests and the fuzzer.
QStringList CompanyCitiesOfSave(const QStringList &SaveLines);

} // namespace kvn
