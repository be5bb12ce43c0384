#include "app/loadsequence.h"

#include "savegame/siidecryption.h"
#include "ui/programstate.h"

namespace kvn {

void TLoadSequence::CreateCatalogueLists()
{
    // The trailer and cargo lists belong to the catalogue and the save's lines to the profile
    // session, both made with the program state, so they exist already.
}

void TLoadSequence::LoadDistances()
{
    FState.Catalogue.Distances.SetUserFolder(FState.UserFilesFolder.isEmpty() ? FState.ProgramFolder
                                                                              : FState.UserFilesFolder);
    FState.Catalogue.Distances.ReloadDistances();
}

void TLoadSequence::LoadTrailerDefinitions()
{
    LoadTrailerDefinitionsFromResource(FState.Catalogue.TrailerDefinitionDataList);
}

void TLoadSequence::LoadCargos()
{
    LoadCargosFromResource(FState.Catalogue.CargoInfoList);
}

bool TLoadSequence::ListProfiles()
{
    // The search frees the profiles a loaded profile would point into.
    FState.Session.Unload();
    const TSiiDecrypter decrypter(FState.ProgramFolder);
    FState.LastProfileSearch = kvn::ListProfiles(FState.Session.ProfileList(), decrypter);
    return FState.LastProfileSearch.GameFolderExists;
}

QStringList TLoadSequence::ProfileCaptions() const
{
    QStringList captions;
    const TProfileList &profiles = FState.Session.ProfileList();
    for (int i = 0; i < profiles.Count(); ++i)
        captions << profiles.At(i)->ProfileName() + QStringLiteral(" - ") + profiles.At(i)->CompanyName();
    return captions;
}

int TLoadSequence::ProfileCount() const
{
    return kvn::ProfileCount(FState.Session.ProfileList());
}

bool TLoadSequence::GameDocumentsFolderExists() const
{
    return FState.LastProfileSearch.GameFolderExists;
}

} // namespace kvn
