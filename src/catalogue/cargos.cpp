#include "catalogue/cargos.h"

#include "catalogue/fields.h"
#include "catalogue/resources.h"
#include "shared/strings.h"

#include <cmath>

namespace kvn {
namespace {

// Rounds down into the 32-bit range; values out of range or not a number stay representable.
double FloorWhole(double Value)
{
    if (std::isnan(Value))
        return 0;
    return std::floor(Value);
}

} // namespace

void TCargoInfo::SetCargoWeightInKG(double Value)
{
    FCargoWeightInKG = Value;
    FCargoWeightInT = FloorWhole(Value / 1000);
}

void TCargoInfo::SetCargoWeightInT(double Value)
{
    FCargoWeightInT = Value;
    FCargoWeightInKG = FloorWhole(Value * 1000);
}

PTrailerDefinitionItem TCargoInfo::AddTrailerDefinition(const QString &TrailerVariant, const QString &Truck,
                                                        std::int32_t CargoWeightApproxInKG, std::int32_t UnitCountMin,
                                                        std::int32_t UnitCountMax,
                                                        const PTrailerDefinitionData &TrailerDefinitionData)
{
    for (const auto &item : FTrailerDefinitionList) {
        if (item->TrailerDefinitionData == TrailerDefinitionData)
            return item;
    }
    auto item = std::make_shared<TTrailerDefinitionItem>();
    item->TrailerVariant = TrailerVariant;
    item->Truck = Truck;
    item->TrailerDefinitionData = TrailerDefinitionData;
    item->CargoUnitCountMin = UnitCountMin;
    item->CargoUnitCountMax = UnitCountMax;
    item->CargoWeightApproxInKG = CargoWeightApproxInKG;
    FTrailerDefinitionList.push_back(item);
    return item;
}

std::unique_ptr<TCargoInfo> TCargoInfo::CopyWithoutTrailers() const
{
    auto copy = std::make_unique<TCargoInfo>();
    copy->FCargoName = FCargoName;
    copy->FCargoFragility = FCargoFragility;
    copy->FCargoVolume = FCargoVolume;
    copy->FCargoWeightInKG = FCargoWeightInKG;
    copy->FCargoWeightInT = FCargoWeightInT;
    copy->FCargoRewardPerKM = FCargoRewardPerKM;
    copy->FCargoADR = FCargoADR;
    copy->FCargoUrgency = FCargoUrgency;
    copy->FCargoUnitCountMin = FCargoUnitCountMin;
    copy->FCargoUnitCountMax = FCargoUnitCountMax;
    copy->FCargoMaximumDistance = FCargoMaximumDistance;
    copy->FCargoUnitCountUserCustom = FCargoUnitCountUserCustom;
    copy->FCargoIsValuable = FCargoIsValuable;
    copy->FIsHeavy = FIsHeavy;
    copy->FIsFragile = FIsFragile;
    copy->FSavegameCompatibleCargo = FSavegameCompatibleCargo;
    copy->FCargoWeightMaxDoubleTrailer = FCargoWeightMaxDoubleTrailer;
    copy->FCargoGroups = FCargoGroups;
    copy->FCargoWeightMinUnitCountWeightInT = FCargoWeightMinUnitCountWeightInT;
    copy->FCargoWeightMaxUnitCountWeightInT = FCargoWeightMaxUnitCountWeightInT;
    copy->FCargoWeightMaxDoubleTrailerInT = FCargoWeightMaxDoubleTrailerInT;
    return copy;
}

std::unique_ptr<TCargoInfo> ParseCargoLine(const QString &Line)
{
    const QString line = TrimControl(Line);
    if (line.isEmpty() || line.startsWith(u'#'))
        return nullptr;
    const QStringList fields = Explode(QStringLiteral(";"), line);
    if (fields.size() != 10)
        return nullptr;
    auto cargo = std::make_unique<TCargoInfo>();
    const qsizetype dot = fields[0].indexOf(u'.');
    cargo->SetCargoName(dot < 0 ? fields[0] : fields[0].mid(dot + 1));
    cargo->SetCargoFragility(StrToFloatLocaleFree(fields[1], 1));
    cargo->SetCargoIsValuable(fields[2] == QStringLiteral("1"));
    cargo->SetCargoADR(FieldToInt(fields[3], -1));
    cargo->SetCargoGroups(TCargoGroupSet(static_cast<std::uint16_t>(FieldToInt(fields[4], 0) & 0xFFFF)));
    cargo->SetCargoVolume(StrToFloatLocaleFree(fields[5], 1));
    cargo->SetCargoWeightInKG(StrToFloatLocaleFree(fields[6], 0));
    cargo->SetCargoRewardPerKM(StrToFloatLocaleFree(fields[7], 0));
    cargo->SetIsHeavy(fields[8] == QStringLiteral("1"));
    cargo->SetIsFragile(cargo->CargoFragility() >= kFragileFrom);
    cargo->SetCargoMaximumDistance(FieldToInt(fields[9], -1));
    return cargo;
}

void LoadCargosFromLines(const QStringList &Lines, TCargoInfoList &List)
{
    List.clear();
    List.reserve(static_cast<std::size_t>(Lines.size()));
    for (const QString &line : Lines) {
        if (auto cargo = ParseCargoLine(line))
            List.push_back(std::move(cargo));
    }
}

void LoadCargosFromResource(TCargoInfoList &List)
{
    LoadCargosFromLines(CatalogueLines(QStringLiteral("Cargos"), true), List);
}

PCargoInfo FindCargo(const TCargoInfoList &List, const QString &Name)
{
    for (const auto &cargo : List) {
        if (cargo->CargoName() == Name)
            return cargo;
    }
    return nullptr;
}

bool CargoExists(const TCargoInfoList &List, const QString &Name)
{
    return FindCargo(List, Name) != nullptr;
}

} // namespace kvn
