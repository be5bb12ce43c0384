// The program's loading steps: the catalogue and the profile search behind the window's
// loading sequence.
#pragma once

#include "ui/loadsteps.h"

namespace kvn {

struct TProgramState;

class TLoadSequence : public TLoadSteps {
public:
    explicit TLoadSequence(TProgramState &State) : FState(State) {}

    void CreateCatalogueLists() override;
    void LoadDistances() override;
    void LoadTrailerDefinitions() override;
    void LoadCargos() override;
    bool ListProfiles() override;
    QStringList ProfileCaptions() const override;
    int ProfileCount() const override;
    bool GameDocumentsFolderExists() const override;

private:
    TProgramState &FState;
};

} // namespace kvn
