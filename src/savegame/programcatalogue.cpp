#include "savegame/programcatalogue.h"

#include "savegame/gameinstall.h"

namespace kvn {

QStringList SkippedLines(const TGameCatalogueReport &Report)
{
    QStringList lines;
    for (const TSkippedSource &skipped : Report.Skipped)
        lines.append(skipped.Reason.isEmpty() ? skipped.Name : skipped.Name + QStringLiteral(": ") + skipped.Reason);
    return lines;
}

QStringList SkippedNames(const TGameCatalogueReport &Report)
{
    QStringList names;
    for (const TSkippedSource &skipped : Report.Skipped)
        names.append(skipped.Name);
    return names;
}

void UseCompiledCatalogue(TCatalogue &Catalogue)
{
    Catalogue.LoadTrailersAndCargos();
    Catalogue.CityLines = CatalogueLines(QStringLiteral("Countries"), true);
    Catalogue.Source = {};
    Catalogue.Source.GameVersion = CatalogueGameVersion();
    // The dialogue's counts are those of the lists in use.
    ReadDatabaseInfo(Catalogue.DatabaseInfo);
}

void UseGameDefinitions(TCatalogue &Catalogue, const TGameDefinitions &Defs, const TGameCatalogueReport &Report,
                        const QString &InstallFolder)
{
    // Trailers first: the profile load pairs the cargos with them.
    BuildTrailerDefinitions(Defs, Catalogue.TrailerDefinitionDataList);
    BuildCargos(Defs, Catalogue.CargoInfoList);
    Catalogue.CityLines = CountryLinesOf(Defs);
    TCatalogueSource &source = Catalogue.Source;
    source.Origin = Report.FromCache ? TCatalogueOrigin::Cache : TCatalogueOrigin::Game;
    source.GameVersion = Report.GameVersion;
    source.InstallFolder = InstallFolder;
    source.ArchiveCount = int(Report.ArchivesRead.size());
    source.ModCount = int(Report.ModsMounted.size());
    source.Skipped = SkippedLines(Report);
    source.SkippedNames = SkippedNames(Report);
    Catalogue.DatabaseInfo.TrailerLineCount = std::int32_t(Catalogue.TrailerDefinitionDataList.size());
    Catalogue.DatabaseInfo.CargoLineCount = std::int32_t(Catalogue.CargoInfoList.size());
}

void LoadProgramCatalogue(TCatalogue &Catalogue, const TProgramCatalogueRequest &Request)
{
    const QString install =
        FindGameInstall(GameInstallCandidates(Request.PlayerGameFolder.trimmed(), Request.SteamLibraries));
    if (!install.isEmpty()) {
        TGameCatalogueRequest request;
        request.InstallFolder = install;
        request.CachePath = Request.CachePath;
        request.Progress = Request.Progress;
        request.Stop = Request.Stop;
        TGameCatalogueReport report;
        const std::optional<TGameDefinitions> defs = LoadGameCatalogue(request, report);
        // A game whose definitions hold no trailer or cargo would leave the player nothing to choose.
        if (defs && !defs->Trailers.empty() && !defs->Cargos.empty()) {
            UseGameDefinitions(Catalogue, *defs, report, install);
            return;
        }
        UseCompiledCatalogue(Catalogue);
        Catalogue.Source.InstallFolder = install;
        Catalogue.Source.Skipped = SkippedLines(report);
        Catalogue.Source.SkippedNames = SkippedNames(report);
        return;
    }
    UseCompiledCatalogue(Catalogue);
}

} // namespace kvn
