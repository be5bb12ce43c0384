#include "catalogue/countries.h"

#include "catalogue/distances.h"
#include "catalogue/fields.h"
#include "catalogue/resources.h"
#include "shared/strings.h"

#include <algorithm>

namespace kvn {
namespace {

const QString kCompaniesCountPrefix = QStringLiteral("companies: ");

// The trimmed line starts with Prefix (case-sensitive); avoids building the trimmed copy.
bool TrimmedStartsWith(const QString &Line, const QString &Prefix)
{
    qsizetype start = 0;
    while (start < Line.size() && IsBlankOrControl(Line.at(start)))
        ++start;
    return QStringView(Line).mid(start).startsWith(Prefix);
}

int CompanyCount(const QStringList &SaveLines)
{
    for (const QString &line : SaveLines) {
        if (!TrimmedStartsWith(line, kCompaniesCountPrefix))
            continue;
        const QStringList parts = Explode(QStringLiteral(": "), TrimControl(line));
        if (parts.size() < 2)
            return -1;
        return FieldToInt(TrimControl(parts[1]), -1);
    }
    return -1;
}

QString CityOfCompanyLine(const QString &Line)
{
    const qsizetype colon = Line.indexOf(u':');
    if (colon < 0)
        return {};
    const qsizetype next = Line.indexOf(u':', colon + 1);
    const QString value = TrimControl(Line.mid(colon + 1, next < 0 ? -1 : next - colon - 1));
    const QStringList parts = Explode(QStringLiteral("."), value);
    if (parts.size() < 4)
        return {};
    return TrimControl(parts[3]);
}

} // namespace

QStringList CompanyCitiesOfSave(const QStringList &SaveLines)
{
    QStringList cities;
    const int count = CompanyCount(SaveLines);
    if (count <= 0)
        return cities;
    int i = 0;
    QString prefix = QStringLiteral("companies[0]: ");
    for (const QString &line : SaveLines) {
        if (!TrimmedStartsWith(line, prefix))
            continue;
        const QString city = CityOfCompanyLine(TrimControl(line));
        if (!city.isEmpty())
            cities.append(city);
        if (++i >= count)
            break;
        prefix = QStringLiteral("companies[%1]: ").arg(i);
    }
    return cities;
}

void TCountries::ClearAll()
{
    FCountryInfoList.clear();
    FCitiesByLowerName.clear();
}

void TCountries::AddCityToSet(const QString &CityName)
{
    const QString key = CityName.toLower();
    if (!FCitiesByLowerName.contains(key))
        FCitiesByLowerName.insert(key, CityName);
}

bool TCountries::CityInSet(const QString &CityName) const
{
    if (CityName.isEmpty())
        return false;
    const auto it = FCitiesByLowerName.constFind(CityName.toLower());
    return it != FCitiesByLowerName.cend() && it.value() == CityName;
}

bool TCountries::CityInSetIgnoringCase(const QString &CityName) const
{
    return !CityName.isEmpty() && FCitiesByLowerName.contains(CityName.toLower());
}

void TCountries::LoadCountriesToDataClasses(const QStringList &SaveLines, const QStringList &CountryLines,
                                            const TDistanceTable *Distances, ICountryListSink *Sink)
{
    ClearAll();
    if (Sink)
        Sink->ClearCountryLists();
    if (SaveLines.isEmpty())
        return;

    for (const QString &city : CompanyCitiesOfSave(SaveLines)) {
        if (!CityInSet(city))
            AddCityToSet(city);
    }

    if (Distances) {
        // Each city name is looked up once, not once per entry.
        QHash<QString, bool> known;
        const auto inSet = [&](const QString &city) {
            auto it = known.find(city);
            if (it == known.end())
                it = known.insert(city, CityInSetIgnoringCase(city));
            return it.value();
        };
        for (const TDistanceData &entry : Distances->Entries()) {
            if (!inSet(entry.Departure()) || !inSet(entry.Destination()))
                entry.SetItemDeactivatedForProfile(true);
        }
    }

    // Countries collect their cities first and are put in order once at the end: the order is
    // the same as keeping it sorted after every new country, because names are unique.
    QHash<QString, qsizetype> countryIndex;
    std::vector<QStringList> cities;
    for (const QString &rawLine : CountryLines) {
        const QStringList fields = Explode(QStringLiteral(";"), TrimControl(rawLine));
        if (fields.size() != 2)
            continue;
        const QString city = TrimControl(fields[0]);
        const QString country = TrimControl(fields[1]);
        if (city.isEmpty() || country.isEmpty() || !CityInSet(city))
            continue;
        auto it = countryIndex.find(country);
        if (it == countryIndex.end()) {
            it = countryIndex.insert(country, static_cast<qsizetype>(FCountryInfoList.size()));
            FCountryInfoList.push_back(std::make_unique<TCountryInfo>(country));
            cities.emplace_back();
        }
        cities[static_cast<std::size_t>(it.value())].append(city);
    }
    for (std::size_t i = 0; i < FCountryInfoList.size(); ++i)
        FCountryInfoList[i]->AssignCities(cities[i]);
    std::sort(FCountryInfoList.begin(), FCountryInfoList.end(),
              [](const std::unique_ptr<TCountryInfo> &a, const std::unique_ptr<TCountryInfo> &b) {
                  return QString::compare(a->Country(), b->Country(), Qt::CaseSensitive) < 0;
              });

    if (FCountryInfoList.empty() || !Sink)
        return;
    QStringList entries{kAllCountriesEntry};
    for (const auto &country : FCountryInfoList) {
        const QString name = TrimControl(country->Country());
        if (!name.isEmpty())
            entries.append(name);
    }
    Sink->FillCountryLists(entries);
}

void TCountries::LoadCountriesToDataClasses(const QStringList &SaveLines, const TDistanceTable *Distances,
                                            ICountryListSink *Sink)
{
    LoadCountriesToDataClasses(SaveLines, CatalogueLines(QStringLiteral("Countries"), true), Distances, Sink);
}

TCountryInfo *TCountries::FindCountry(const QString &Name) const
{
    if (Name.isEmpty())
        return nullptr;
    for (const auto &country : FCountryInfoList) {
        if (country->Country() == Name)
            return country.get();
    }
    return nullptr;
}

TCountryInfo *TCountries::FindCountryOfCity(const QString &CityName) const
{
    for (const auto &country : FCountryInfoList) {
        if (!country->CityList().isEmpty() && country->HasCity(CityName))
            return country.get();
    }
    return nullptr;
}

QString TCountries::ResolveCountryName(int ItemIndex, const QString &CountryText, const QString &CityName) const
{
    if (ItemIndex > 0)
        return AsciiLower(CountryText);
    const TCountryInfo *country = FindCountryOfCity(AsciiLower(CityName));
    return country ? AsciiLower(country->Country()) : QString();
}

} // namespace kvn
