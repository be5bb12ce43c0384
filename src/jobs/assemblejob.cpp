#include "jobs/assemblejob.h"

#include "catalogue/countries.h"
#include "catalogue/distances.h"
#include "catalogue/placenames.h"
#include "lang/languages.h"
#include "shared/strings.h"

#include <algorithm>
#include <cmath>

namespace kvn {

namespace {

PTrailerDefinitionItem FindTrailerItem(const TCargoInfo &Cargo, const QString &TrailerDefinition)
{
    for (const auto &item : Cargo.TrailerDefinitionList())
        if (item && item->TrailerDefinitionData &&
            item->TrailerDefinitionData->TrailerDefinition() == TrailerDefinition)
            return item;
    return nullptr;
}

// The whole number nearest to V, halves to the even neighbour; clamped into int range.
int RoundHalfEven(double V)
{
    if (!std::isfinite(V))
        return 0;
    const double r = std::nearbyint(std::clamp(V, -2147483648.0, 2147483647.0));
    return int(r);
}

int FloorToInt(double V)
{
    if (!std::isfinite(V))
        return 0;
    return int(std::floor(std::clamp(V, -2147483648.0, 2147483647.0)));
}

TJobPreview BuildPreview(const TJobListDataSummary &Job, const TCargoInfo &Cargo, const TTrailerDefinitionItem &Item,
                         const TLanguageTexts &Texts, const TPlaceNames *Names, TJobPreview Preview)
{
    const auto city = [Names](const QString &Token) { return Names ? Names->CityName(Token) : UpperFirst(Token); };
    const auto country = [Names](const QString &Country) {
        return Names ? Names->CountryName(Country) : UpperFirst(Country);
    };
    const TTrailerDefinitionData &trailer = *Item.TrailerDefinitionData;
    const int units = Preview.SliderPosition;
    const int chassisT = trailer.ChassisMass() / 1000;
    const int cargoVolume = RoundHalfEven(double(units) * Cargo.CargoVolume());
    const int trailerVolume = FloorToInt(trailer.Volume());
    const int cargoT = FloorToInt(double(units) * Cargo.CargoWeightInKG() / 1000.0);
    const int totalT = cargoT + chassisT;
    const int fill = Percentage(cargoVolume, trailerVolume);
    const TDistanceDataResult &d = Job.DistanceDataResult();

    QString distanceText;
    if (Job.DistanceIsUnknown())
        distanceText = QStringLiteral(". ") + Texts.Text(TLangText::LabelJobPreviewDistanceUnknown);
    else if (d.IsEstimate())
        distanceText = Texts.Format(TLangText::LabelJobPreviewEstimatedDistance, {d.KM}) + QStringLiteral(" km");
    else
        distanceText = Texts.Format(TLangText::LabelJobPreviewShortestDistance, {d.KM}) + QStringLiteral(" km");
    Preview.RouteText = Texts.Format(TLangText::LabelJobPreviewFromAToB,
                                     {city(Job.DepartureCity()), country(Job.DepartureCountry()),
                                      city(Job.DestinationCity()), country(Job.DestinationCountry()), distanceText});
    if (d.NeedsFerry)
        Preview.RouteText += QStringLiteral(". ") + Texts.Text(TLangText::LabelJobPreviewFerryNeeded);
    if (d.IsEstimate() && d.MayCrossWater && !Job.DistanceIsUnknown())
        Preview.RouteText += QStringLiteral(". ") + Texts.Text(TLangText::LabelJobPreviewEstimateWithoutFerry);
    Preview.CargoText = Texts.Format(TLangText::LabelJobPreviewCargoTypeAndWeight, {Cargo.CargoName(), cargoT});
    Preview.TrailerFillText = Texts.Format(TLangText::LabelJobPreviewTrailerFilled, {fill, cargoVolume, trailerVolume});
    Preview.TrailerWeightText = Texts.Format(TLangText::LabelJobPreviewTrailerWeight, {chassisT, totalT});
    if (d.KM <= 0) {
        Preview.DistanceNoteText = Texts.Text(TLangText::LabelJobPreviewDistanceUnknownHelpImprove);
        Preview.DistanceNoteVisible = true;
    } else if (Cargo.CargoMaximumDistance() >= 0 && Cargo.CargoMaximumDistance() < d.KM) {
        Preview.DistanceNoteText =
            Texts.Format(TLangText::LabelJobPreviewCargoMaxDistance, {Cargo.CargoMaximumDistance()});
        Preview.DistanceNoteVisible = true;
    }
    return Preview;
}

} // namespace

QString ResolveCountry(const TCountries &Countries, int ItemIndex, const QString &CountryText, const QString &City)
{
    if (ItemIndex == 0)
        if (const TCountryInfo *country = Countries.FindCountryOfCity(AsciiLower(City)))
            return country->Country();
    return CountryText;
}

bool TrailerAllowedInCountry(const TTrailerDefinitionData &Trailer, const QString &Country)
{
    return !Trailer.IsCountryBoundTrailer() || Trailer.CountryValidityList().Contains(AsciiLower(Country));
}

QString CountryBoundTrailerKind(const TTrailerDefinitionData &Trailer, const TLanguageTexts &Texts)
{
    const QString andWord = Texts.Text(TLangText::LabelJobPreviewAnd);
    QString kind = (Trailer.IsDoubleTrailer() ? QStringLiteral("double") : QString()) + QStringLiteral(" ") + andWord +
                   QStringLiteral("  ") + Texts.Text(TLangText::LabelJobPreviewCountryBound) + QStringLiteral(" ");
    kind = TrimControl(kind);
    if (!andWord.isEmpty() && kind.startsWith(andWord))
        kind.remove(0, andWord.size());
    return kind;
}

TAssembledJob AssembleJob(const TJobSelection &Selection, const TCargoInfoList &Cargos, const TCountries &Countries,
                          const TDistanceTable *Distances, const TLanguageTexts &Texts, const TPlaceNames *Names)
{
    TAssembledJob result;
    const PCargoInfo cargo = FindCargo(Cargos, Selection.CargoName);
    if (!cargo)
        return result;
    const PTrailerDefinitionItem item = FindTrailerItem(*cargo, Selection.TrailerDefinition);
    if (!item)
        return result;

    auto job = std::make_unique<TJobListDataSummary>();
    job->SetID(GenerateJobID());
    job->SetDepartureCity(AsciiLower(Selection.DepartureCityText));
    job->SetDestinationCity(AsciiLower(Selection.DestinationCityText));
    job->SetDepartureCountry(ResolveCountry(Countries, Selection.DepartureCountryIndex, Selection.DepartureCountryText,
                                            job->DepartureCity()));
    job->SetDestinationCountry(ResolveCountry(Countries, Selection.DestinationCountryIndex,
                                              Selection.DestinationCountryText, job->DestinationCity()));
    job->SetDepartureCompany(Selection.DepartureCompany);
    job->SetDestinationCompany(Selection.DestinationCompany);
    // The job keeps its own values: the catalogue's cargo and its trailer list change with every
    // profile load, while the job may wait in the list across loads.
    job->SetCargoInfo(cargo->CopyWithoutTrailers());
    job->SetOwnedTrailerDefinition(*item);
    const TDistanceDataResult d =
        Distances ? Distances->GetDistance(job->DepartureCity(), job->DestinationCity()) : TDistanceDataResult{};
    job->SetDistanceDataResult(d);
    job->SetDistanceIsUnknown(IsUnknownDistance(d.KM));
    job->SetCargoUrgency(std::clamp(Selection.Urgency, 0, kMaxUrgency));

    TJobPreview &preview = result.Preview;
    preview.SliderMin = item->CargoUnitCountMin;
    preview.SliderMax = std::max(item->CargoUnitCountMin, item->CargoUnitCountMax);
    preview.SliderPosition = Selection.SenderIsSlider
                                 ? std::clamp(Selection.SliderPosition, preview.SliderMin, preview.SliderMax)
                                 : preview.SliderMax;
    preview.SliderEnabled = preview.SliderMin != preview.SliderMax;
    job->SetCargoUnitCountUserCustom(preview.SliderPosition);

    result.Preview = BuildPreview(*job, *cargo, *item, Texts, Names, preview);

    const TTrailerDefinitionData &trailer = *item->TrailerDefinitionData;
    if (!TrailerAllowedInCountry(trailer, job->DepartureCountry())) {
        result.TrailerOutsideItsCountries = true;
        result.TrailerWarning = Texts.Format(TLangText::MsgTrailerWarning, {CountryBoundTrailerKind(trailer, Texts),
                                                                            trailer.CountryValidityListCommaList()});
    }
    result.Job = std::move(job);
    result.Ok = true;
    return result;
}

TJobListDataSummary *AddAssembledJob(TAssembledJob &Assembled, TJobList &List, IJobListWindow *Window,
                                     const std::function<bool(const QString &Warning)> &AskTrailer)
{
    if (!Assembled.Ok || !Assembled.Job)
        return nullptr;
    if (Assembled.TrailerOutsideItsCountries && !(AskTrailer && AskTrailer(Assembled.TrailerWarning)))
        return nullptr;
    return AppendJob(List, std::move(Assembled.Job), Window);
}

} // namespace kvn
