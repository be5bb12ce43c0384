// The program's loading steps: the catalogue and the profile search behind the window's
// loading sequence.
#pragma once

#include "ui/loadsteps.h"

#include <atomic>

namespace kvn {

struct TProgramState;

class TLoadSequence : public TLoadSteps {
public:
    explicit TLoadSequence(TProgramState &State) : FState(State) {}

    void LoadDistances() override;
    void LoadCatalogue(const std::function<void(TCatalogueStage Stage, int Done, int Total)> &Progress) override;
    TProgramCatalogueRequest CatalogueRequest() const override;
    void StopLoading() override { FStop = true; }
    bool ListProfiles() override;
    QStringList ProfileCaptions() const override;
    int ProfileCount() const override;
    bool GameDocumentsFolderExists() const override;

private:
    TProgramState &FState;
    std::atomic_bool FStop = false;
};

} // namespace kvn
