#include "app/loadsequence.h"

#include "savegame/gamefolders.h"
#include "savegame/programcatalogue.h"
#include "savegame/siidecryption.h"
#include "ui/programstate.h"

#include <QDir>

namespace kvn {

void TLoadSequence::LoadDistances()
{
    FState.Catalogue.Distances.SetUserFolder(FState.UserFilesFolder.isEmpty() ? FState.ProgramFolder
                                                                              : FState.UserFilesFolder);
    FState.Catalogue.Distances.ReloadDistances();
}

void TLoadSequence::LoadCatalogue(const std::function<void(TCatalogueStage Stage, int Done, int Total)> &Progress)
{
    TProgramCatalogueRequest request;
    request.PlayerGameFolder = FState.PlayerGameFolder;
    request.SteamLibraries = SteamLibraryFolders();
    request.CachePath = QDir(FState.UserFilesFolder.isEmpty() ? FState.ProgramFolder : FState.UserFilesFolder)
                            .filePath(QLatin1String(GameCatalogueCacheFileName));
    request.Progress = Progress;
    request.Stop = &FStop;
    // Read only while the load runs: the texts are loaded before the window starts it.
    request.Texts = &FState.Texts;
    request.LanguageCode = FState.LanguageCode;
    LoadProgramCatalogue(FState.Catalogue, request);
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
