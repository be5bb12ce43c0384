// The random job generator: draws a job that satisfies the randomiser options, keeping every
// selection the user has locked. Free of widgets: the window hands in what its boxes show, the
// random numbers and the pause between attempts, so tests run it with a fixed seed.
#pragma once

#include "jobs/joblist.h"
#include "jobs/randomiseroptions.h"

#include <QString>
#include <functional>
#include <memory>

namespace kvn {

class TCompanyList;
class TCountries;
class TCountryInfo;
class TDistanceTable;

// A uniform random number from 0 to Range - 1 (Range is at least 1).
using TRandomNumbers = std::function<int(int Range)>;
// The program's random numbers.
TRandomNumbers SystemRandomNumbers();
// The same sequence for the same seed, on every platform.
TRandomNumbers SeededRandomNumbers(quint32 Seed);

// One selection box as the generator sees it: a locked box keeps its value.
struct TRandomBox {
    bool Locked = false;
    QString Text;       // the selected entry's text, empty without a selection
    int ItemIndex = -1; // country boxes: 0 is "All countries"; urgency: 0 … 2
};

struct TRandomJobSelection {
    TRandomBox DepartureCountry, DepartureCity, DepartureCompany;
    TRandomBox DestinationCountry, DestinationCity, DestinationCompany;
    TRandomBox Cargo, Trailer, Urgency;

    // Nothing left to draw: the generator is not started.
    bool AllLocked() const;
};

// How many more jobs a departure branch can take: its job offers in the save less the jobs
// queued for it already.
using TFreeOffers = std::function<int(const QString &Company, const QString &City)>;

// What the generator draws from. The references must outlive the search; nothing found in them
// is kept across a pause, so the window may go on answering (and the lists change) meanwhile.
struct TRandomJobWorld {
    const TCountries &Countries;
    const TCargoInfoList &Cargos;
    const TCompanyList &Companies;
    std::shared_ptr<const TDistanceTable> Distances; // none: every distance is unknown
    TFreeOffers FreeOffers = {};                     // none: every branch takes any number of jobs
};

enum class TRandomJobOutcome {
    Found,
    Cancelled,     // the pause said stop
    NoLongestTour, // the longest possible tour was asked for, and no route qualifies
};

struct TRandomJobResult {
    TRandomJobOutcome Outcome = TRandomJobOutcome::Cancelled;
    std::unique_ptr<TJobListDataSummary> Job; // only when Found
    int Attempts = 0;                         // pauses taken, route and cargo search together
};

// Called before every attempt: waits while the window answers, and tells whether to go on.
using TRandomJobPause = std::function<bool()>;
// What the boxes show at this moment; read again after every pause, since the player may close
// or open a lock while the search runs.
using TRandomJobSelectionSource = std::function<TRandomJobSelection()>;

// A route drawn for a job: names as the catalogue and the save spell them.
struct TRandomRoute {
    QString DepartureCountry, DepartureCity, DepartureCompany;
    QString DestinationCountry, DestinationCity, DestinationCompany;
    TDistanceDataResult Distance;
    // Both ends have a city and a company.
    bool Complete() const;
};

class TRandomJobGenerator {
public:
    TRandomJobGenerator(const TRandomJobWorld &World, const TRandomiserOptions &Options, TRandomNumbers Random);

    // Searches until a job satisfies every option or Pause says stop. Attempts are not limited:
    // with options that nothing satisfies, only Pause ends the search. A job is only what "Add
    // job" takes without a question: a departure branch with an offer left, a trailer allowed in
    // the departure country, and not the same company in the same city at both ends. It agrees
    // with every box that is locked when it is found.
    TRandomJobResult GenerateRandomJob(const TRandomJobSelectionSource &Selection, const TRandomJobPause &Pause);
    // The same with boxes that do not change during the search.
    TRandomJobResult GenerateRandomJob(const TRandomJobSelection &Selection, const TRandomJobPause &Pause);

    // The pick operations. Current is what the box (or the search so far) holds: countries and
    // cities in lower case, companies, cargos and trailers as spelt.
    const TCountryInfo *PickCountry(const TRandomBox &Box, const QString &Current) const;
    QString PickCity(const TRandomBox &Box, const TCountryInfo *Country, const QString &Current) const;
    // NeedsOffer: only a branch with a job offer left (the departure).
    QString PickCompany(const TRandomBox &Box, const QString &City, const QString &Current,
                        bool NeedsOffer = false) const;
    const TCargoInfo *PickCargo(const TRandomBox &Box, const QString &Current) const;
    // With a DepartureCountry, only a trailer allowed to start there.
    PTrailerDefinitionItem PickTrailer(const TRandomBox &Box, const TCargoInfo &Cargo, const QString &Current,
                                       const QString &DepartureCountry = QString()) const;

    // The farthest known connection of the table that the locked boxes allow: departure (and
    // destination) country and city where locked; both ends must lie in a country of the
    // profile. The first of equal distances wins. None: nullptr.
    const TDistanceData *LongestTour(const TRandomJobSelection &Selection) const;

private:
    struct TCurrent {
        QString DepartureCountry, DepartureCity, DepartureCompany;
        QString DestinationCountry, DestinationCity, DestinationCompany;
    };
    TCurrent CurrentOf(const TRandomJobSelection &Selection) const;
    TRandomRoute PickRoute(bool Random, const QString &DepartureCity, const QString &DestinationCity,
                           const TRandomJobSelection &Selection, const TCurrent &Current) const;
    bool CargoPasses(const TCargoInfo &Cargo, const TTrailerDefinitionItem &Trailer) const;
    bool BranchHasOffer(const QString &Company, const QString &City) const;
    // The route can become a job that "Add job" takes without a question.
    bool RouteUsable(const TRandomRoute &Route) const;
    // The route keeps the values of the boxes locked now.
    bool RouteKeepsLocks(const TRandomRoute &Route, const TRandomJobSelection &Selection) const;
    // The country "Add job" checks the trailer against: the box's, or with "All countries" the
    // country of the departure city.
    QString TrailerCountry(const TRandomRoute &Route, const TRandomJobSelection &Selection) const;
    int Draw(int Range) const;

    TRandomJobWorld FWorld;
    TRandomiserOptions FOptions;
    TRandomNumbers FRandom;
};

} // namespace kvn
