// The program's game catalogue: everything compiled in about the game world, held once by the
// program and handed to the parts that need it by reference.
#pragma once

#include "catalogue/cargos.h"
#include "catalogue/cataloguesource.h"
#include "catalogue/countries.h"
#include "catalogue/distances.h"
#include "catalogue/placenames.h"
#include "catalogue/resources.h"
#include "catalogue/trailers.h"

namespace kvn {

struct TCatalogue {
    TTrailerDefinitionDataList TrailerDefinitionDataList;
    TCargoInfoList CargoInfoList;
    TDistances Distances;
    TCountries Countries;
    TDatabaseInfo DatabaseInfo;
    // What the lists, the preview and the job views show for the tokens.
    TPlaceNames Names;
    TCatalogueSource Source;
    // The "city;Country" lines the profile load groups the save's cities by. Empty: the compiled list.
    QStringList CityLines;
    // The names the game itself gives its cities, in the player's language where its locale has
    // them ("city;muenchen;München"), to be put before the compiled names; empty for the compiled data.
    QStringList GameNameLines;

    // Trailers first: cargos are later paired with them by the profile load.
    void LoadTrailersAndCargos()
    {
        LoadTrailerDefinitionsFromResource(TrailerDefinitionDataList);
        LoadCargosFromResource(CargoInfoList);
    }
};

} // namespace kvn
