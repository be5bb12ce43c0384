#include "app/loadsequence.h"

#include "ui/programstate.h"

namespace kvn {

void TLoadSequence::CreateCatalogueLists()
{
    // Not yet wired: the catalogue lists arrive with the catalogue loaders.
}

void TLoadSequence::LoadDistances()
{
    // Not yet wired: the distance table arrives with the distance loader.
}

void TLoadSequence::LoadTrailerDefinitions()
{
    // Not yet wired: arrives with the trailer loader.
}

void TLoadSequence::LoadCargos()
{
    // Not yet wired: arrives with the cargo loader.
}

bool TLoadSequence::ListProfiles()
{
    // Not yet wired: arrives with the profile search.
    return false;
}

QStringList TLoadSequence::ProfileCaptions() const
{
    return {};
}

int TLoadSequence::ProfileCount() const
{
    return 0;
}

bool TLoadSequence::GameDocumentsFolderExists() const
{
    return false;
}

} // namespace kvn
