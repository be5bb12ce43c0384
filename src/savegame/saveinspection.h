// Reading a save the way the window does, without a window: for the command-line inspector and tests.
#pragma once

#include "catalogue/catalogue.h"

#include <QString>
#include <cstdint>

namespace kvn {

class TSiiDecrypter;

// The outer form of an SII file: "text", "encrypted" (ScsC), "binary" (BSII), "3nK", "unknown";
// "none" when there is no such file.
QString SiiFileForm(const QString &FileName);

struct TSaveInspection {
    bool Ok = false;
    QString Error; // what went wrong, in words for the user
    QString Form;
    int GameTime = 0;
    QString LastVisitedCity;
    int Companies = 0;
    int CompanyBranches = 0;
    int ProfileCities = 0;
    int Countries = 0;
    int CompatibleCargos = 0;
    int CargoTrailerItems = 0;
    int JobOffers = 0;
    int LearnableDistances = 0; // pairs of cities the learner would take from the save
    // Over all ordered pairs of two different cities the player can compose from this save: where
    // their distance comes from.
    int KnownPairs = 0;     // the compiled table
    int LearntPairs = 0;    // learnt from the player's saves
    int EstimatedPairs = 0; // estimated from the cities' positions
    int UnknownPairs = 0;   // none of these
};

// Reads FileName as the profile load does. A file that is not plain text is decoded into a
// temporary copy; the original is never touched. Catalogue's cargos are changed as by a load.
TSaveInspection InspectSave(const QString &FileName, TCatalogue &Catalogue, const TSiiDecrypter &Decrypter);

} // namespace kvn
