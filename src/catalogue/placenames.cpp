#include "catalogue/placenames.h"

#include "catalogue/resources.h"
#include "shared/strings.h"

#include <QCollator>
#include <algorithm>

namespace kvn {

namespace {

QString Lookup(const QHash<QString, QString> &Names, const QString &Token)
{
    return Names.value(AsciiLower(TrimControl(Token)));
}

} // namespace

void SortByShownName(QList<TShownEntry> &Entries)
{
    // The bare "C" locale of a system without a language would order by code points and put
    // every accented first letter after "Z".
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(Entries.begin(), Entries.end(), [&collator](const TShownEntry &A, const TShownEntry &B) {
        const int order = collator.compare(A.Name, B.Name);
        // A collation that finds two different names equal still orders them the same way every time.
        return order != 0 ? order < 0 : QString::compare(A.Name, B.Name, Qt::CaseInsensitive) < 0;
    });
}

void TPlaceNames::LoadFromLines(const QStringList &Lines)
{
    ReadLines(Lines);
}

void TPlaceNames::SetCountryNameOverrides(const QHash<QString, QString> &Names)
{
    FCountryOverrides.clear();
    for (auto it = Names.cbegin(); it != Names.cend(); ++it) {
        const QString name = TrimControl(it.value());
        if (!name.isEmpty() && name.size() <= kMaxNameLength)
            FCountryOverrides.insert(AsciiLower(TrimControl(it.key())), name);
    }
}

void TPlaceNames::ReadLines(const QStringList &Lines) const
{
    FLoaded = true;
    FCities.clear();
    FCountries.clear();
    FTrailers.clear();
    for (const QString &rawLine : Lines) {
        const QString line = TrimControl(rawLine);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = Explode(QStringLiteral(";"), line);
        if (fields.size() != 3)
            continue;
        const QString kind = TrimControl(fields[0]);
        const QString token = AsciiLower(TrimControl(fields[1]));
        const QString name = TrimControl(fields[2]);
        if (token.isEmpty() || name.isEmpty() || name.size() > kMaxNameLength)
            continue;
        QHash<QString, QString> *names = kind == u"city"      ? &FCities
                                         : kind == u"country" ? &FCountries
                                         : kind == u"trailer" ? &FTrailers
                                                              : nullptr;
        // The first line of a token wins, as everywhere in the catalogue.
        if (names && !names->contains(token))
            names->insert(token, name);
    }
}

void TPlaceNames::EnsureLoaded() const
{
    if (FLoaded)
        return;
    ReadLines(CatalogueLines(QStringLiteral("Names"), false));
}

QString TPlaceNames::CityName(const QString &CityToken) const
{
    EnsureLoaded();
    const QString name = Lookup(FCities, CityToken);
    return name.isEmpty() ? UpperFirst(CityToken) : name;
}

QString TPlaceNames::CountryName(const QString &Country) const
{
    EnsureLoaded();
    QString name = Lookup(FCountryOverrides, Country);
    if (name.isEmpty())
        name = Lookup(FCountries, Country);
    return name.isEmpty() ? Country : name;
}

QString TPlaceNames::TrailerName(const QString &TrailerDefinition) const
{
    EnsureLoaded();
    return Lookup(FTrailers, TrailerDefinition);
}

} // namespace kvn
