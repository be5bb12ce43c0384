#include "savegame/savegamecargos.h"

#include "savegame/gamesavelines.h"
#include "shared/strings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvn {

namespace {

// The value of the first line inside [From, To) that begins with Key.
QString ValueInUnit(const TGameSaveLines &Save, QStringView Key, int From, int To, int *At = nullptr)
{
    for (int i = From; i < To; ++i)
        if (TrimmedStartsWith(Save.Line(i), Key)) {
            if (At)
                *At = i;
            return SiiLineValue(Save.Line(i));
        }
    return {};
}

bool NeedsMinimumUnits(const TCargoInfo &Cargo)
{
    const TCargoGroupSet groups = Cargo.CargoGroups();
    const bool bulky = groups.Contains(TCargoGroups::machinery) || groups.Contains(TCargoGroups::gooseneck) ||
                       groups.Contains(TCargoGroups::livestock) || groups.Contains(TCargoGroups::construction);
    return (!Cargo.IsHeavy() && !bulky) || groups.Contains(TCargoGroups::liquid);
}

std::int32_t ClampToInt(double Value)
{
    if (!std::isfinite(Value) || Value <= 0)
        return 0;
    return Value >= double(std::numeric_limits<std::int32_t>::max()) ? std::numeric_limits<std::int32_t>::max()
                                                                     : std::int32_t(Value);
}

} // namespace

void ForEachCargoOffer(const TGameSaveLines &Save, const std::function<void(const TSaveCargoOffer &)> &Visit)
{
    for (int header = Save.FindLineFrom(u"job_offer_data : ", 0); header >= 0;
         header = Save.FindLineFrom(u"job_offer_data : ", header + 1)) {
        int end = Save.FindUnitEnd(header + 1);
        if (end < 0)
            end = Save.Count();
        TSaveCargoOffer offer;
        const QString cargo = ValueInUnit(Save, u"cargo: cargo", header + 1, end, &offer.Line);
        if (offer.Line < 0)
            continue;
        const QStringList parts = cargo.split(u'.');
        offer.Cargo = parts.size() > 1 ? TrimControl(parts.at(1)) : QString();
        offer.Truck = ValueInUnit(Save, u"company_truck:", header + 1, end);
        offer.Variant = ValueInUnit(Save, u"trailer_variant:", header + 1, end);
        offer.Definition = ValueInUnit(Save, u"trailer_definition:", header + 1, end);
        Visit(offer);
    }
}

bool OffersNameNoTrailers(const TGameSaveLines &Save)
{
    bool anyOffer = false;
    for (int header = Save.FindLineFrom(u"job_offer_data : ", 0); header >= 0;
         header = Save.FindLineFrom(u"job_offer_data : ", header + 1)) {
        int end = Save.FindUnitEnd(header + 1);
        if (end < 0)
            end = Save.Count();
        anyOffer = true;
        int at = -1;
        ValueInUnit(Save, u"trailer_definition:", header + 1, end, &at);
        if (at >= 0)
            return false;
    }
    return anyOffer;
}

std::int32_t MinimumUnits(std::int32_t Units, double UnitWeightKg)
{
    auto tonnes = [UnitWeightKg](std::int64_t n) { return std::floor(double(n) * UnitWeightKg / 1000.0); };
    std::int32_t minUnits = 0;
    if (Units > 0 && UnitWeightKg > 0 && std::isfinite(UnitWeightKg)) {
        // The mass grows with n, so the largest n of exactly one tonne is found by starting just
        // above two tonnes' worth and stepping down, instead of walking down from Units.
        const double above = std::ceil(2000.0 / UnitWeightKg) + 1;
        std::int64_t n = above >= double(Units) ? Units : std::int64_t(above);
        while (n > 0 && tonnes(n) > 1)
            --n;
        if (n >= 0 && tonnes(n) == 1)
            minUnits = std::int32_t(n);
    }
    return minUnits <= 0 ? Units : minUnits;
}

void LoadCargosFromGameFileToClasses(const TGameSaveLines &Save, TCargoInfoList &Cargos,
                                     const TTrailerDefinitionDataList &Trailers, ICargoListSink *Sink)
{
    for (auto &cargo : Cargos) {
        cargo->ClearTrailerDefinitions();
        cargo->SetSavegameCompatibleCargo(false);
        cargo->SetCargoWeightMaxDoubleTrailerInKG(0);
        cargo->SetCargoWeightMaxDoubleTrailerInT(0);
    }
    if (Sink)
        Sink->ClearCargoList();

    ForEachCargoOffer(Save, [&](const TSaveCargoOffer &offer) {
        const PCargoInfo cargo = FindCargo(Cargos, offer.Cargo);
        if (!cargo)
            return;
        const PTrailerDefinitionData trailer = FindTrailerDefinition(Trailers, offer.Definition);
        if (!trailer)
            return;
        const double weight = cargo->CargoWeightInKG();
        const double volume = cargo->CargoVolume();
        if (!(volume > 0))
            return; // a unit without volume fits no count at all
        const std::int32_t units = ClampToInt(std::floor(trailer->Volume() / volume));
        const std::int32_t total = ClampToInt(std::floor(double(units) * weight));
        const std::int32_t minUnits = NeedsMinimumUnits(*cargo) ? MinimumUnits(units, weight) : units;
        cargo->SetCargoWeightMinUnitCountWeightInT(ClampToInt(std::floor(double(minUnits) * weight / 1000.0)));
        cargo->SetCargoWeightMaxUnitCountWeightInT(total / 1000);
        cargo->SetCargoUnitCountMin(units);
        cargo->SetCargoUnitCountMax(units);
        cargo->AddTrailerDefinition(offer.Variant, offer.Truck, total, minUnits, units, trailer);
    });
    std::stable_sort(Cargos.begin(), Cargos.end(),
                     [](const auto &a, const auto &b) { return a->CargoName() < b->CargoName(); });

    for (auto &cargo : Cargos) {
        const auto &items = cargo->TrailerDefinitionList();
        cargo->SetSavegameCompatibleCargo(!items.empty());
        if (items.empty())
            continue;
        std::int32_t heaviest = 0;
        for (const auto &item : items)
            heaviest = std::max(heaviest, item->CargoWeightApproxInKG);
        cargo->SetCargoWeightMaxDoubleTrailerInKG(heaviest);
        cargo->SetCargoWeightMaxDoubleTrailerInT(heaviest / 1000);
    }
    if (Sink)
        for (auto &cargo : Cargos)
            Sink->AppendCargo(cargo);
}

int CompatibleCargoCount(const TCargoInfoList &Cargos)
{
    return int(std::count_if(Cargos.begin(), Cargos.end(), [](const auto &c) { return c->SavegameCompatibleCargo(); }));
}

int CargoTrailerItemCount(const TCargoInfoList &Cargos)
{
    int items = 0;
    for (const auto &cargo : Cargos)
        items += int(cargo->TrailerDefinitionList().size());
    return items;
}

} // namespace kvn
