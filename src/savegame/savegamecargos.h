// The cargo/trailer combinations of the save's own job offers, attached to the catalogue cargos.
#pragma once

#include "catalogue/cargos.h"
#include "catalogue/trailers.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kvn {

class TGameSaveLines;

// The window's cargo list; the core refills it through this so that it never touches a widget.
class ICargoListSink {
public:
    virtual ~ICargoListSink() = default;
    virtual void ClearCargoList() = 0;
    // Every cargo in list order, compatible or not; the window attaches what it needs to draw it.
    virtual void AppendCargo(const PCargoInfo &Cargo) = 0;
};

// One job offer's cargo, truck, trailer variant and trailer definition.
struct TSaveCargoOffer {
    int Line = -1; // the cargo line
    QString Cargo; // cargo name without "cargo."
    QString Truck;
    QString Variant;
    QString Definition;
};

// The offers of the save in line order, one at a time (no list of all offers in memory).
// Attributes are read by name inside each job offer unit, so saves that order them differently
// (older game versions) are read as well as today's.
void ForEachCargoOffer(const TGameSaveLines &Save, const std::function<void(const TSaveCargoOffer &)> &Visit);

// The save has job offers, but none of them names a trailer definition: the game wrote it before
// it had them (2018 and earlier), and no job can be composed from it.
bool OffersNameNoTrailers(const TGameSaveLines &Save);

// The smallest unit count worth offering: the largest n <= Units whose mass floor(n*W/1000) is
// exactly one tonne, or Units when there is none.
std::int32_t MinimumUnits(std::int32_t Units, double UnitWeightKg);

// Rebuilds the trailer choices and compatibility marks of every cargo from the save, sorts the
// cargos by name and refills the window's cargo list (when Sink is given). Every load starts from
// empty trailer lists: a trailer that this save does not have must never be offered for it.
void LoadCargosFromGameFileToClasses(const TGameSaveLines &Save, TCargoInfoList &Cargos,
                                     const TTrailerDefinitionDataList &Trailers, ICargoListSink *Sink);

// Cargos that the save offers at least one trailer for, and the number of trailer items over all.
int CompatibleCargoCount(const TCargoInfoList &Cargos);
int CargoTrailerItemCount(const TCargoInfoList &Cargos);

} // namespace kvn
