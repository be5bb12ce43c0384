#include "jobs/randomjob.h"

#include "catalogue/countries.h"
#include "catalogue/distances.h"
#include "jobs/assemblejob.h"
#include "savegame/companies.h"
#include "shared/strings.h"

#include <QRandomGenerator>
#include <algorithm>
#include <vector>

namespace kvn {

namespace {

// The lower-case country a country box stands for: its own entry, or with "All countries" (or
// nothing selected) the country of the side's city.
QString CurrentCountry(const TCountries &Countries, const TRandomBox &Box, const QString &City)
{
    if (Box.ItemIndex > 0)
        return AsciiLower(Box.Text);
    const TCountryInfo *country = Countries.FindCountryOfCity(City);
    return country ? AsciiLower(country->Country()) : QString();
}

bool SameText(const QString &A, const QString &B)
{
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

} // namespace

TRandomNumbers SystemRandomNumbers()
{
    return [](int Range) { return Range > 1 ? int(QRandomGenerator::global()->bounded(Range)) : 0; };
}

TRandomNumbers SeededRandomNumbers(quint32 Seed)
{
    auto generator = std::make_shared<QRandomGenerator>(Seed);
    return [generator](int Range) { return Range > 1 ? int(generator->bounded(Range)) : 0; };
}

bool TRandomJobSelection::AllLocked() const
{
    for (const TRandomBox *box : {&DepartureCountry, &DepartureCity, &DepartureCompany, &DestinationCountry,
                                  &DestinationCity, &DestinationCompany, &Cargo, &Trailer, &Urgency})
        if (!box->Locked)
            return false;
    return true;
}

bool TRandomRoute::Complete() const
{
    return !DepartureCity.isEmpty() && !DepartureCompany.isEmpty() && !DestinationCity.isEmpty() &&
           !DestinationCompany.isEmpty();
}

TRandomJobGenerator::TRandomJobGenerator(const TRandomJobWorld &World, const TRandomiserOptions &Options,
                                         TRandomNumbers Random)
    : FWorld(World), FOptions(Options), FRandom(Random ? std::move(Random) : SystemRandomNumbers())
{
}

int TRandomJobGenerator::Draw(int Range) const
{
    if (Range <= 1)
        return 0;
    // A source that answers outside its range must not index past a list.
    return std::clamp(FRandom(Range), 0, Range - 1);
}

const TCountryInfo *TRandomJobGenerator::PickCountry(const TRandomBox &Box, const QString &Current) const
{
    const TCountryInfoList &countries = FWorld.Countries.CountryInfoList();
    const auto random = [&]() -> const TCountryInfo * {
        return countries.empty() ? nullptr : countries[size_t(Draw(int(countries.size())))].get();
    };
    if (!Box.Locked)
        return random();
    const QString wanted = Box.ItemIndex > 0 ? AsciiLower(Box.Text) : Current;
    if (!wanted.isEmpty())
        for (const auto &country : countries)
            if (AsciiLower(country->Country()) == wanted)
                return country.get();
    // A locked "All countries" without a city to tell the country leaves the country open.
    return Box.ItemIndex > 0 ? nullptr : random();
}

QString TRandomJobGenerator::PickCity(const TRandomBox &Box, const TCountryInfo *Country, const QString &Current) const
{
    if (Box.Locked && !Current.isEmpty())
        return Current;
    // A country without cities (or none at all) fails the attempt instead of drawing from nothing.
    if (!Country || Country->CityList().isEmpty())
        return QString();
    const QStringList &cities = Country->CityList();
    return cities.at(Draw(int(cities.size())));
}

QString TRandomJobGenerator::PickCompany(const TRandomBox &Box, const QString &City, const QString &Current,
                                         bool NeedsOffer) const
{
    if (Box.Locked && !Current.isEmpty())
        return Current;
    if (City.isEmpty())
        return QString();
    std::vector<const TCompanyInfo *> present;
    for (int i = 0; i < FWorld.Companies.Count(); ++i) {
        const TCompanyInfo *company = FWorld.Companies.At(i);
        if (company && company->HasCity(City) && (!NeedsOffer || BranchHasOffer(company->CompanyName(), City)))
            present.push_back(company);
    }
    if (present.empty())
        return QString();
    return present[size_t(Draw(int(present.size())))]->CompanyName();
}

const TCargoInfo *TRandomJobGenerator::PickCargo(const TRandomBox &Box, const QString &Current) const
{
    if (Box.Locked && !Current.isEmpty())
        return FindCargo(FWorld.Cargos, Current).get();
    // Drawing among the compatible cargos is the same as drawing until one is compatible, but
    // ends when none is, instead of spinning without a pause.
    std::vector<const TCargoInfo *> compatible;
    for (const auto &cargo : FWorld.Cargos)
        if (cargo && cargo->SavegameCompatibleCargo())
            compatible.push_back(cargo.get());
    if (compatible.empty())
        return nullptr;
    return compatible[size_t(Draw(int(compatible.size())))];
}

PTrailerDefinitionItem TRandomJobGenerator::PickTrailer(const TRandomBox &Box, const TCargoInfo &Cargo,
                                                        const QString &Current, const QString &DepartureCountry) const
{
    const auto allowed = [&DepartureCountry](const TTrailerDefinitionData &Trailer) {
        return DepartureCountry.isEmpty() || TrailerAllowedInCountry(Trailer, DepartureCountry);
    };
    std::vector<PTrailerDefinitionItem> items;
    for (const auto &item : Cargo.TrailerDefinitionList())
        if (item && item->TrailerDefinitionData)
            items.push_back(item);
    if (Box.Locked && !Current.isEmpty()) {
        // A locked trailer the cargo does not offer, or that may not start in this country,
        // gives no trailer, never one of another cargo.
        for (const PTrailerDefinitionItem &item : items)
            if (item->TrailerDefinitionData->TrailerDefinition() == Current)
                return allowed(*item->TrailerDefinitionData) ? item : nullptr;
        return nullptr;
    }
    // A trailer bound to other countries would only make "Add job" warn that the game refuses it.
    std::erase_if(items, [&](const PTrailerDefinitionItem &Item) { return !allowed(*Item->TrailerDefinitionData); });
    if (items.empty())
        return nullptr;
    return items[size_t(Draw(int(items.size())))];
}

bool TRandomJobGenerator::BranchHasOffer(const QString &Company, const QString &City) const
{
    return !FWorld.FreeOffers || FWorld.FreeOffers(Company, City) > 0;
}

bool TRandomJobGenerator::RouteUsable(const TRandomRoute &Route) const
{
    if (!Route.Complete())
        return false;
    // A company cannot send a job to its own branch.
    if (Route.DepartureCompany == Route.DestinationCompany && SameText(Route.DepartureCity, Route.DestinationCity))
        return false;
    return BranchHasOffer(Route.DepartureCompany, Route.DepartureCity);
}

bool TRandomJobGenerator::RouteKeepsLocks(const TRandomRoute &Route, const TRandomJobSelection &Selection) const
{
    const auto keeps = [](const TRandomBox &CountryBox, const TRandomBox &CityBox, const TRandomBox &CompanyBox,
                          const QString &Country, const QString &City, const QString &Company) {
        if (CountryBox.Locked && CountryBox.ItemIndex > 0 && !SameText(CountryBox.Text, Country))
            return false;
        if (CityBox.Locked && !CityBox.Text.isEmpty() && !SameText(CityBox.Text, City))
            return false;
        return !(CompanyBox.Locked && !CompanyBox.Text.isEmpty() && CompanyBox.Text != Company);
    };
    return keeps(Selection.DepartureCountry, Selection.DepartureCity, Selection.DepartureCompany,
                 Route.DepartureCountry, Route.DepartureCity, Route.DepartureCompany) &&
           keeps(Selection.DestinationCountry, Selection.DestinationCity, Selection.DestinationCompany,
                 Route.DestinationCountry, Route.DestinationCity, Route.DestinationCompany);
}

QString TRandomJobGenerator::TrailerCountry(const TRandomRoute &Route, const TRandomJobSelection &Selection) const
{
    if (Selection.DepartureCountry.Locked && Selection.DepartureCountry.ItemIndex <= 0)
        if (const TCountryInfo *country = FWorld.Countries.FindCountryOfCity(AsciiLower(Route.DepartureCity)))
            return country->Country();
    return Route.DepartureCountry;
}

TRandomJobGenerator::TCurrent TRandomJobGenerator::CurrentOf(const TRandomJobSelection &Selection) const
{
    TCurrent current;
    current.DepartureCity = AsciiLower(Selection.DepartureCity.Text);
    current.DestinationCity = AsciiLower(Selection.DestinationCity.Text);
    current.DepartureCountry = CurrentCountry(FWorld.Countries, Selection.DepartureCountry, current.DepartureCity);
    current.DestinationCountry =
        CurrentCountry(FWorld.Countries, Selection.DestinationCountry, current.DestinationCity);
    current.DepartureCompany = Selection.DepartureCompany.Text;
    current.DestinationCompany = Selection.DestinationCompany.Text;
    return current;
}

TRandomRoute TRandomJobGenerator::PickRoute(bool Random, const QString &DepartureCity, const QString &DestinationCity,
                                            const TRandomJobSelection &Selection, const TCurrent &Current) const
{
    TRandomRoute route;
    const auto side = [&](bool Departure, const TRandomBox &CountryBox, const TRandomBox &CityBox,
                          const TRandomBox &CompanyBox, const QString &CurrentCountryName, const QString &City,
                          const QString &CurrentCompany, QString &CountryOut, QString &CityOut, QString &CompanyOut) {
        const TCountryInfo *country =
            Random ? PickCountry(CountryBox, CurrentCountryName) : FWorld.Countries.FindCountryOfCity(City);
        CountryOut = country ? country->Country() : QString();
        CityOut = Random ? PickCity(CityBox, country, City) : City;
        CompanyOut = PickCompany(CompanyBox, CityOut, CurrentCompany, Departure);
    };
    side(true, Selection.DepartureCountry, Selection.DepartureCity, Selection.DepartureCompany,
         Current.DepartureCountry, DepartureCity, Current.DepartureCompany, route.DepartureCountry, route.DepartureCity,
         route.DepartureCompany);
    side(false, Selection.DestinationCountry, Selection.DestinationCity, Selection.DestinationCompany,
         Current.DestinationCountry, DestinationCity, Current.DestinationCompany, route.DestinationCountry,
         route.DestinationCity, route.DestinationCompany);
    if (FWorld.Distances && !route.DepartureCity.isEmpty() && !route.DestinationCity.isEmpty())
        route.Distance = FWorld.Distances->GetDistance(route.DepartureCity, route.DestinationCity);
    return route;
}

const TDistanceData *TRandomJobGenerator::LongestTour(const TRandomJobSelection &Selection) const
{
    if (!FWorld.Distances)
        return nullptr;
    const TCurrent current = CurrentOf(Selection);
    const auto endAllowed = [&](const QString &City, const TRandomBox &CountryBox, const TRandomBox &CityBox,
                                const QString &CurrentCountryName, const QString &CurrentCity) {
        const TCountryInfo *country = FWorld.Countries.FindCountryOfCity(City);
        if (!country)
            return false;
        if (CountryBox.Locked && AsciiLower(country->Country()) != CurrentCountryName)
            return false;
        return !CityBox.Locked || SameText(City, CurrentCity);
    };
    const TDistanceData *longest = nullptr;
    for (const TDistanceData &entry : FWorld.Distances->Entries()) {
        if (entry.DistanceIsUnknown() || entry.ItemDeactivatedForProfile() || entry.Distance() <= 0)
            continue;
        if (longest && entry.Distance() <= longest->Distance())
            continue;
        // Destination locks are honoured as well: a tour that ignored them would put a locked
        // company into a city where it has no branch.
        if (!endAllowed(entry.Departure(), Selection.DepartureCountry, Selection.DepartureCity,
                        current.DepartureCountry, current.DepartureCity) ||
            !endAllowed(entry.Destination(), Selection.DestinationCountry, Selection.DestinationCity,
                        current.DestinationCountry, current.DestinationCity))
            continue;
        longest = &entry;
    }
    return longest;
}

bool TRandomJobGenerator::CargoPasses(const TCargoInfo &Cargo, const TTrailerDefinitionItem &Trailer) const
{
    if (FOptions.MinWeightActive && FOptions.MinWeight > 0 && Trailer.CargoWeightApproxInKG / 1000 < FOptions.MinWeight)
        return false;
    if (FOptions.ValuableActive && !Cargo.CargoIsValuable())
        return false;
    if (FOptions.FragileActive && !(Cargo.IsFragile() && (Cargo.CargoGroups().Contains(TCargoGroups::nogroup) ||
                                                          Cargo.CargoGroups().Contains(TCargoGroups::liquid))))
        return false;
    if (FOptions.AdrActive && Cargo.CargoADR() != FOptions.AdrClass)
        return false;
    return true;
}

TRandomJobResult TRandomJobGenerator::GenerateRandomJob(const TRandomJobSelection &Selection,
                                                        const TRandomJobPause &Pause)
{
    return GenerateRandomJob([&Selection] { return Selection; }, Pause);
}

TRandomJobResult TRandomJobGenerator::GenerateRandomJob(const TRandomJobSelectionSource &Source,
                                                        const TRandomJobPause &Pause)
{
    TRandomJobResult result;
    const TRandomJobSelection first = Source();
    const int drawnUrgency =
        first.Urgency.Locked ? std::clamp(first.Urgency.ItemIndex, 0, kMaxUrgency) : Draw(kMaxUrgency + 1);
    // Each attempt first pauses (the window answers, and the player may close a lock meanwhile),
    // then reads the boxes again: a lock counts from the attempt after it was closed.
    TRandomJobSelection selection = first;
    const auto goOn = [&] {
        ++result.Attempts;
        if (Pause && !Pause())
            return false;
        selection = Source();
        return true;
    };

    for (;;) {
        TRandomRoute route;
        for (;;) {
            if (!goOn())
                return result;
            const TCurrent current = CurrentOf(selection);
            if (FOptions.MinDistanceActive && FOptions.MinDistance > 0) {
                route = PickRoute(true, current.DepartureCity, current.DestinationCity, selection, current);
                // An unknown distance (none, or the placeholder) shows nothing about the tour's
                // length, so it never passes for a long one.
                if (RouteUsable(route) && !IsUnknownDistance(route.Distance.KM) &&
                    route.Distance.KM >= FOptions.MinDistance)
                    break;
            } else if (FOptions.GetMaxPossibleTour) {
                const TDistanceData *longest = LongestTour(selection);
                if (longest)
                    route = PickRoute(false, longest->Departure(), longest->Destination(), selection, current);
                if (!longest || !RouteUsable(route)) {
                    result.Outcome = TRandomJobOutcome::NoLongestTour;
                    return result;
                }
                break;
            } else {
                route = PickRoute(true, current.DepartureCity, current.DestinationCity, selection, current);
                if (RouteUsable(route))
                    break;
            }
        }

        for (;;) {
            if (!goOn())
                return result;
            // A lock closed since the route was drawn holds another value: draw the route again.
            if (!RouteKeepsLocks(route, selection))
                break;
            const TCargoInfo *picked = PickCargo(selection.Cargo, selection.Cargo.Text);
            if (!picked)
                continue;
            // The job refers to the first cargo of that name, as every look-up by name does.
            const PCargoInfo cargo = FindCargo(FWorld.Cargos, picked->CargoName());
            if (!cargo)
                continue;
            const PTrailerDefinitionItem trailer =
                PickTrailer(selection.Trailer, *cargo, selection.Trailer.Text, TrailerCountry(route, selection));
            if (!trailer || !CargoPasses(*cargo, *trailer))
                continue;

            auto job = std::make_unique<TJobListDataSummary>();
            job->SetID(GenerateJobID());
            job->SetDepartureCountry(route.DepartureCountry);
            job->SetDepartureCity(route.DepartureCity);
            job->SetDepartureCompany(route.DepartureCompany);
            job->SetDestinationCountry(route.DestinationCountry);
            job->SetDestinationCity(route.DestinationCity);
            job->SetDestinationCompany(route.DestinationCompany);
            job->SetDistanceDataResult(route.Distance);
            job->SetDistanceIsUnknown(IsUnknownDistance(route.Distance.KM));
            job->SetCargoInfo(cargo);
            job->SetTrailerDefinitionData(trailer);
            job->SetCargoUrgency(selection.Urgency.Locked ? std::clamp(selection.Urgency.ItemIndex, 0, kMaxUrgency)
                                                          : drawnUrgency);
            result.Outcome = TRandomJobOutcome::Found;
            result.Job = std::move(job);
            return result;
        }
    }
}

} // namespace kvn
