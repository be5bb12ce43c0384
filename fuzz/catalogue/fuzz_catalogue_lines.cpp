// Feeds arbitrary text to the catalogue's line loaders (trailers, cargos, countries with the
// company lines of a save, the distance table, the shown names) and to the country-list splitter.
#include "catalogue/cargos.h"
#include "catalogue/countries.h"
#include "catalogue/distances.h"
#include "catalogue/placenames.h"
#include "catalogue/trailers.h"

#include <cstddef>
#include <cstdint>

namespace {

class NullSink : public kvn::ICountryListSink {
public:
    void ClearCountryLists() override {}
    void FillCountryLists(const QStringList &Entries) override
    {
        if (Entries.isEmpty() || Entries.first() != kvn::kAllCountriesEntry)
            __builtin_trap();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    if (Size < 1 || Size > 1 << 20)
        return 0;
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char *>(Data) + 1, static_cast<qsizetype>(Size - 1));
    const QStringList lines = text.split(u'\n');
    switch (Data[0] % 6) {
    case 0: {
        kvn::TTrailerDefinitionDataList trailers;
        kvn::LoadTrailerDefinitionsFromLines(lines, trailers);
        for (const auto &t : trailers) {
            if (!t->IsCountryBoundTrailer() && !t->CountryValidityListCommaList().isEmpty())
                __builtin_trap();
        }
        break;
    }
    case 1: {
        kvn::TCargoInfoList cargos;
        kvn::LoadCargosFromLines(lines, cargos);
        for (const auto &c : cargos) {
            if (c->IsFragile() != (c->CargoFragility() >= kvn::kFragileFrom))
                __builtin_trap();
        }
        break;
    }
    case 2: {
        // The first half are the save's lines, the rest the city list.
        const auto table = kvn::TDistanceTable::Build(lines, {});
        kvn::TCountries countries;
        NullSink sink;
        const qsizetype half = lines.size() / 2;
        countries.LoadCountriesToDataClasses(lines.mid(0, half), lines.mid(half), table.get(), &sink);
        for (const auto &country : countries.CountryInfoList())
            for (const QString &city : country->CityList())
                if (countries.FindCountryOfCity(city) == nullptr)
                    __builtin_trap();
        break;
    }
    case 3: {
        const qsizetype half = lines.size() / 2;
        const auto table = kvn::TDistanceTable::Build(lines.mid(0, half), lines.mid(half));
        for (const auto &e : table->Entries()) {
            if (!table->DistanceExists(e.Departure(), e.Destination()) && !e.Departure().isEmpty() &&
                !e.Destination().isEmpty())
                __builtin_trap();
            (void)table->GetDistance(e.Destination(), e.Departure());
        }
        break;
    }
    case 4: {
        kvn::TPlaceNames names;
        names.LoadFromLines(lines);
        QList<kvn::TShownEntry> entries;
        for (const QString &line : lines) {
            const QString token = line.section(u';', 1, 1);
            const QString shown = names.CityName(token);
            if (shown.size() > kvn::TPlaceNames::kMaxNameLength && shown.size() > token.size())
                __builtin_trap();
            (void)names.CountryName(token);
            (void)names.TrailerName(token);
            entries.append({token, shown});
        }
        kvn::SortByShownName(entries);
        break;
    }
    default:
        (void)kvn::SplitCommaText(text);
        break;
    }
    return 0;
}
