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

// What the generator draws from. The references must outlive the search; nothing found in them
// is kept across a pause, so the window may go on answering (and the lists change) meanwhile.
struct TRandomJobWorld {
    const TCountries &Countries;
    const TCargoInfoList &Cargos;
    const TCompanyList &Companies;
    std::shared_ptr<const TDistanceTable> Distances; // none: every distance is unknown
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
    // with options that nothing satisfies, only Pause ends the search.
    TRandomJobResult GenerateRandomJob(const TRandomJobSelection &Selection, const TRandomJobPause &Pause);

    // The pick operations. Current is what the box (or the search so far) holds: countries and
    // cities in lower case, companies, cargos and trailers as spelt.
    const TCountryInfo *PickCountry(const TRandomBox &Box, const QString &Current) const;
    QString PickCity(const TRandomBox &Box, const TCountryInfo *Country, const QString &Current) const;
    QString PickCompany(const TRandomBox &Box, const QString &City, const QString &Current) const;
    const TCargoInfo *PickCargo(const TRandomBox &Box, const QString &Current) const;
    PTrailerDefinitionItem PickTrailer(const TRandomBox &Box, const TCargoInfo &Cargo, const QString &Current) const;

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
    int Draw(int Range) const;

    TRandomJobWorld FWorld;
    TRandomiserOptions FOptions;
    TRandomNumbers FRandom;
};

} // namespace kvn
