// Trailer definitions of the game: the record, its country validity list, the loader and the look-up.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace kvn {

// A sorted string list compared without regard to case that ignores duplicates.
class TCaseInsensitiveSortedList {
public:
    // False when an entry equal but for case is already there.
    bool Add(const QString &S);
    bool Contains(const QString &S) const;
    // Replaces the entries with Items sorted, keeping the first of entries equal but for case.
    // One sort instead of an insertion per entry, for long lists.
    void Assign(const QStringList &Items);
    void Clear() { FItems.clear(); }
    bool IsEmpty() const { return FItems.isEmpty(); }
    qsizetype Count() const { return FItems.size(); }
    const QStringList &Items() const { return FItems; }

private:
    QStringList FItems;
};

class TTrailerDefinitionData {
public:
    const QString &TrailerDefinition() const { return FTrailerDefinition; }
    void SetTrailerDefinition(const QString &Value) { FTrailerDefinition = Value; }
    const QString &CountryValidityListCommaList() const { return FCountryValidityListCommaList; }
    std::int32_t WeightLimit() const { return FWeightLimit; }
    void SetWeightLimit(std::int32_t Value) { FWeightLimit = Value; }
    std::int32_t ChassisMass() const { return FChassisMass; }
    void SetChassisMass(std::int32_t Value) { FChassisMass = Value; }
    std::int32_t Axles() const { return FAxles; }
    void SetAxles(std::int32_t Value) { FAxles = Value; }
    double Volume() const { return FVolume; }
    void SetVolume(double Value) { FVolume = Value; }
    double Length() const { return FLength; }
    void SetLength(double Value) { FLength = Value; }
    bool IsDoubleTrailer() const { return FIsDoubleTrailer; }
    void SetIsDoubleTrailer(bool Value) { FIsDoubleTrailer = Value; }
    bool IsCountryBoundTrailer() const { return FIsCountryBoundTrailer; }
    // Country tokens the trailer may be used in; looked up without regard to case.
    const TCaseInsensitiveSortedList &CountryValidityList() const { return FCountryValidityList; }

    // Reads CommaList the way the game data writes it ("germany,france", quotes allowed) and
    // marks the trailer as bound to those countries.
    void AddCountryValidityList(const QString &CommaList);

private:
    QString FTrailerDefinition;
    QString FCountryValidityListCommaList;
    std::int32_t FWeightLimit = 0;
    std::int32_t FChassisMass = 0;
    std::int32_t FAxles = 0;
    double FVolume = 0;
    double FLength = 0;
    bool FIsDoubleTrailer = false;
    bool FIsCountryBoundTrailer = false;
    TCaseInsensitiveSortedList FCountryValidityList;
};

// Shared: the cargos' trailer choices and the queued jobs keep the trailer they name alive when the
// catalogue's trailer list is replaced, e.g. by one read with a profile's mods.
using PTrailerDefinitionData = std::shared_ptr<TTrailerDefinitionData>;
using TTrailerDefinitionDataList = std::vector<PTrailerDefinitionData>;

// Splits delimited text the classic way: items end at a comma and at any blank or control
// character; a double-quoted item may hold both; a trailing comma adds an empty item.
QStringList SplitCommaText(const QString &CommaList);

// Builds a trailer from one catalogue line; none for a comment or a line of fewer than six fields.
std::unique_ptr<TTrailerDefinitionData> ParseTrailerDefinitionLine(const QString &Line);

// Replaces List with the trailers of Lines, in line order.
void LoadTrailerDefinitionsFromLines(const QStringList &Lines, TTrailerDefinitionDataList &List);
// The same from the compiled-in resource.
void LoadTrailerDefinitionsFromResource(TTrailerDefinitionDataList &List);

// First trailer whose identifier equals Name exactly; nullptr when there is none.
PTrailerDefinitionData FindTrailerDefinition(const TTrailerDefinitionDataList &List, const QString &Name);

} // namespace kvn
