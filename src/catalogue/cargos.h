// Cargos of the game: the record with its trailer choices, the cargo groups, the loader and the look-ups.
#pragma once

#include "catalogue/trailers.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace kvn {

enum class TCargoGroups : std::uint8_t {
    nogroup = 0,
    bulk,
    construction,
    containers,
    machinery,
    refrigerated,
    gooseneck,
    liquid,
    livestock,
    inloader,
};

// The game's cargo groups held in 16 bits, bit i standing for the i-th group.
class TCargoGroupSet {
public:
    TCargoGroupSet() = default;
    explicit TCargoGroupSet(std::uint16_t Bits) : FBits(Bits) {}
    bool Contains(TCargoGroups Group) const { return (FBits >> static_cast<unsigned>(Group)) & 1u; }
    void Include(TCargoGroups Group)
    {
        FBits = static_cast<std::uint16_t>(FBits | (1u << static_cast<unsigned>(Group)));
    }
    std::uint16_t Bits() const { return FBits; }
    bool operator==(const TCargoGroupSet &Other) const = default;

private:
    std::uint16_t FBits = 0;
};

// One trailer choice of a cargo, as the save's own offers pair them.
struct TTrailerDefinitionItem {
    QString TrailerVariant;
    QString Truck;
    PTrailerDefinitionData TrailerDefinitionData;
    std::int32_t CargoUnitCountMin = 0;
    std::int32_t CargoUnitCountMax = 0;
    std::int32_t CargoWeightApproxInKG = 0;
};
// Shared, so that a job or a list entry that holds a choice keeps it when the cargo's choices are
// rebuilt for another save.
using PTrailerDefinitionItem = std::shared_ptr<TTrailerDefinitionItem>;

class TCargoInfo {
public:
    const QString &CargoName() const { return FCargoName; }
    void SetCargoName(const QString &Value) { FCargoName = Value; }
    double CargoFragility() const { return FCargoFragility; }
    void SetCargoFragility(double Value) { FCargoFragility = Value; }
    double CargoVolume() const { return FCargoVolume; }
    void SetCargoVolume(double Value) { FCargoVolume = Value; }
    double CargoWeightInKG() const { return FCargoWeightInKG; }
    // Also sets the whole tonnes, rounded down.
    void SetCargoWeightInKG(double Value);
    double CargoWeightInT() const { return FCargoWeightInT; }
    // Also sets the kilograms, rounded down to a whole number.
    void SetCargoWeightInT(double Value);
    double CargoRewardPerKM() const { return FCargoRewardPerKM; }
    void SetCargoRewardPerKM(double Value) { FCargoRewardPerKM = Value; }
    std::int32_t CargoADR() const { return FCargoADR; }
    void SetCargoADR(std::int32_t Value) { FCargoADR = Value; }
    std::int32_t CargoUrgency() const { return FCargoUrgency; }
    void SetCargoUrgency(std::int32_t Value) { FCargoUrgency = Value; }
    std::int32_t CargoUnitCountMin() const { return FCargoUnitCountMin; }
    void SetCargoUnitCountMin(std::int32_t Value) { FCargoUnitCountMin = Value; }
    std::int32_t CargoUnitCountMax() const { return FCargoUnitCountMax; }
    void SetCargoUnitCountMax(std::int32_t Value) { FCargoUnitCountMax = Value; }
    std::int32_t CargoMaximumDistance() const { return FCargoMaximumDistance; }
    void SetCargoMaximumDistance(std::int32_t Value) { FCargoMaximumDistance = Value; }
    std::int32_t CargoUnitCountUserCustom() const { return FCargoUnitCountUserCustom; }
    void SetCargoUnitCountUserCustom(std::int32_t Value) { FCargoUnitCountUserCustom = Value; }
    bool CargoIsValuable() const { return FCargoIsValuable; }
    void SetCargoIsValuable(bool Value) { FCargoIsValuable = Value; }
    bool IsHeavy() const { return FIsHeavy; }
    void SetIsHeavy(bool Value) { FIsHeavy = Value; }
    bool IsFragile() const { return FIsFragile; }
    void SetIsFragile(bool Value) { FIsFragile = Value; }
    bool SavegameCompatibleCargo() const { return FSavegameCompatibleCargo; }
    void SetSavegameCompatibleCargo(bool Value) { FSavegameCompatibleCargo = Value; }
    const std::vector<PTrailerDefinitionItem> &TrailerDefinitionList() const { return FTrailerDefinitionList; }
    double CargoWeightMaxDoubleTrailerInKG() const { return FCargoWeightMaxDoubleTrailer; }
    void SetCargoWeightMaxDoubleTrailerInKG(double Value) { FCargoWeightMaxDoubleTrailer = Value; }
    TCargoGroupSet CargoGroups() const { return FCargoGroups; }
    void SetCargoGroups(TCargoGroupSet Value) { FCargoGroups = Value; }
    std::int32_t CargoWeightMinUnitCountWeightInT() const { return FCargoWeightMinUnitCountWeightInT; }
    void SetCargoWeightMinUnitCountWeightInT(std::int32_t Value) { FCargoWeightMinUnitCountWeightInT = Value; }
    std::int32_t CargoWeightMaxUnitCountWeightInT() const { return FCargoWeightMaxUnitCountWeightInT; }
    void SetCargoWeightMaxUnitCountWeightInT(std::int32_t Value) { FCargoWeightMaxUnitCountWeightInT = Value; }
    std::int32_t CargoWeightMaxDoubleTrailerInT() const { return FCargoWeightMaxDoubleTrailerInT; }
    void SetCargoWeightMaxDoubleTrailerInT(std::int32_t Value) { FCargoWeightMaxDoubleTrailerInT = Value; }

    // Appends a trailer choice unless one for the same trailer definition is already there
    // (the first found wins). Returns the item that stands for the trailer.
    PTrailerDefinitionItem AddTrailerDefinition(const QString &TrailerVariant, const QString &Truck,
                                                std::int32_t CargoWeightApproxInKG, std::int32_t UnitCountMin,
                                                std::int32_t UnitCountMax,
                                                const PTrailerDefinitionData &TrailerDefinitionData);
    // Forgets the trailer choices, e.g. before the next profile attaches its own.
    void ClearTrailerDefinitions() { FTrailerDefinitionList.clear(); }
    // Every value but the trailer choices, which belong to the save loaded now: what a queued job
    // keeps of its cargo, so that the next profile load cannot change or free it.
    std::unique_ptr<TCargoInfo> CopyWithoutTrailers() const;

private:
    QString FCargoName;
    double FCargoFragility = 0;
    double FCargoVolume = 0;
    double FCargoWeightInKG = 0;
    double FCargoWeightInT = 0;
    double FCargoRewardPerKM = 0;
    std::int32_t FCargoADR = 0;
    std::int32_t FCargoUrgency = 0;
    std::int32_t FCargoUnitCountMin = 0;
    std::int32_t FCargoUnitCountMax = 0;
    std::int32_t FCargoMaximumDistance = 0;
    std::int32_t FCargoUnitCountUserCustom = 0;
    bool FCargoIsValuable = false;
    bool FIsHeavy = false;
    bool FIsFragile = false;
    bool FSavegameCompatibleCargo = false;
    std::vector<PTrailerDefinitionItem> FTrailerDefinitionList;
    double FCargoWeightMaxDoubleTrailer = 0;
    TCargoGroupSet FCargoGroups;
    std::int32_t FCargoWeightMinUnitCountWeightInT = 0;
    std::int32_t FCargoWeightMaxUnitCountWeightInT = 0;
    std::int32_t FCargoWeightMaxDoubleTrailerInT = 0;
};

// Shared: a job or a list entry made before the catalogue's cargo list is replaced (e.g. by one read
// with a profile's mods) keeps the cargo it was made with.
using PCargoInfo = std::shared_ptr<TCargoInfo>;
using TCargoInfoList = std::vector<PCargoInfo>;

// Cargos of fragility 0.75 and more count as fragile.
inline constexpr double kFragileFrom = 0.75;

// Builds a cargo from one catalogue line; none for a comment or a line without exactly ten fields.
std::unique_ptr<TCargoInfo> ParseCargoLine(const QString &Line);

// Replaces List with the cargos of Lines, in line order.
void LoadCargosFromLines(const QStringList &Lines, TCargoInfoList &List);
// The same from the compiled-in resource.
void LoadCargosFromResource(TCargoInfoList &List);

// First cargo whose name equals Name exactly; nullptr when there is none.
PCargoInfo FindCargo(const TCargoInfoList &List, const QString &Name);
bool CargoExists(const TCargoInfoList &List, const QString &Name);

} // namespace kvn
