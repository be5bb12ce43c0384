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

TProgramCatalogueRequest TLoadSequence::CatalogueRequest() const
{
    TProgramCatalogueRequest request;
    request.PlayerGameFolder = FState.PlayerGameFolder;
    request.SteamLibraries = SteamLibraryFolders();
    request.CachePath = QDir(FState.UserFilesFolder.isEmpty() ? FState.ProgramFolder : FState.UserFilesFolder)
                            .filePath(QLatin1String(GameCatalogueCacheFileName));
    // Read only while a load runs: the texts are loaded before the window starts one.
    request.Texts = &FState.Texts;
    request.LanguageCode = FState.LanguageCode;
    for (const QString &folder : GameFolderCandidates())
        request.ModFolders.append(QDir(folder).filePath(QStringLiteral("mod")));
    return request;
}

void TLoadSequence::LoadCatalogue(const std::function<void(TCatalogueStage Stage, int Done, int Total)> &Progress)
{
    TProgramCatalogueRequest request = CatalogueRequest();
    request.Progress = Progress;
    request.Stop = &FStop;
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
