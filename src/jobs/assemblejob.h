// Assembling a job from the window's selection: the job itself (for "Add job") and the five
// preview texts with the unit slider's range (for every selection change).
#pragma once

#include "jobs/joblist.h"

#include <QString>
#include <functional>
#include <memory>

namespace kvn {

class TCountries;
class TDistanceTable;
class TLanguageTexts;
class TPlaceNames;

// What the selection boxes hold. Cities are the game's tokens (the window's city lists carry them
// beside the text they show); their ASCII letters are lowered here, never with the user's locale.
struct TJobSelection {
    int DepartureCountryIndex = 0; // 0 is "All countries"
    QString DepartureCountryText;
    QString DepartureCityText;
    QString DepartureCompany;
    int DestinationCountryIndex = 0;
    QString DestinationCountryText;
    QString DestinationCityText;
    QString DestinationCompany;
    QString CargoName;
    QString TrailerDefinition;
    int Urgency = 0;
    int SliderPosition = 0;
    // The slider itself asked: its position is kept instead of being reset to the maximum.
    bool SenderIsSlider = false;
};

// The preview beside the selection; the window shows the texts in JvHTLabel1 … JvHTLabel5.
struct TJobPreview {
    QString RouteText;         // route and distance
    QString CargoText;         // cargo and weight
    QString TrailerFillText;   // how full the trailer is
    QString TrailerWeightText; // trailer weight, with and without the cargo
    QString DistanceNoteText;  // unknown distance or the cargo's maximum distance
    bool DistanceNoteVisible = false;
    int SliderMin = 0;
    int SliderMax = 0;
    int SliderPosition = 0;
    bool SliderEnabled = false; // the custom-weight slider and its icons
};

struct TAssembledJob {
    bool Ok = false; // false: the cargo or its trailer is not known; nothing to show or add
    std::unique_ptr<TJobListDataSummary> Job;
    TJobPreview Preview;
    // The trailer is bound to countries the departure city is not in: "Add job" must ask first.
    bool TrailerOutsideItsCountries = false;
    QString TrailerWarning; // the question to ask, when TrailerOutsideItsCountries
};

// The country a country box means: with "All countries" the first country that lists the city,
// else (and when none does) the box's text.
QString ResolveCountry(const TCountries &Countries, int ItemIndex, const QString &CountryText, const QString &City);

// Builds the job and its preview. Distances may be null (every distance is then unknown). With
// Names the preview names cities and countries as the player reads them; the job keeps tokens.
TAssembledJob AssembleJob(const TJobSelection &Selection, const TCargoInfoList &Cargos, const TCountries &Countries,
                          const TDistanceTable *Distances, const TLanguageTexts &Texts,
                          const TPlaceNames *Names = nullptr);

// "Add job" with an assembled job: appended to the list (and shown through Window); a trailer used
// outside its countries only when AskTrailer, shown the warning, answers yes. Null when nothing was added.
TJobListDataSummary *AddAssembledJob(TAssembledJob &Assembled, TJobList &List, IJobListWindow *Window,
                                     const std::function<bool(const QString &Warning)> &AskTrailer);

// The trailer's kind as the warning names it ("double and  country bound", "  country bound").
QString CountryBoundTrailerKind(const TTrailerDefinitionData &Trailer, const TLanguageTexts &Texts);

// True when the trailer may be used from Country (a trailer bound to no country always may).
bool TrailerAllowedInCountry(const TTrailerDefinitionData &Trailer, const QString &Country);

} // namespace kvn
