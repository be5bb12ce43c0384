// The work of the start-up loading sequence that is not window work. The window runs the
// sequence (order, status texts, hand-over to the main thread); the program supplies the
// steps, so the window needs to know nothing of how the catalogue or the profiles are read.
#pragma once

#include "savegame/programcatalogue.h"

#include <QStringList>

#include <functional>

namespace kvn {

class TLoadSteps {
public:
    virtual ~TLoadSteps() = default;

    // Loading task: the road-distance table, compiled table first, then the learnt distances.
    virtual void LoadDistances() = 0;
    // Loading task, or the main thread when the player names another game folder: the trailers,
    // cargos and cities, from the player's installed game when one is found (Progress: how far the
    // read has got, called from the same thread), from the compiled data otherwise.
    virtual void LoadCatalogue(const std::function<void(TCatalogueStage Stage, int Done, int Total)> &Progress) = 0;
    // Main thread: what a read of the player's game needs, for a profile's mods or another game folder
    // (the window adds the progress).
    virtual TProgramCatalogueRequest CatalogueRequest() const { return {}; }
    // Any thread: a catalogue read under way ends early; the compiled data is used.
    virtual void StopLoading() {}
    // Main thread: searches the game folder for profiles; false when there was no profiles
    // folder to search.
    virtual bool ListProfiles() = 0;
    // The entries of the profile list, one "name - company" per profile found, in search order.
    virtual QStringList ProfileCaptions() const = 0;
    // Any thread once the search has ended.
    virtual int ProfileCount() const = 0;
    // Main thread: whether the game's folder in the user's documents exists.
    virtual bool GameDocumentsFolderExists() const = 0;
};

} // namespace kvn
