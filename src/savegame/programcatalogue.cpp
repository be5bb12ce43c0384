#include "savegame/programcatalogue.h"

#include "archives/opengamearchive.h"
#include "catalogue/gamedefslocale.h"
#include "lang/languages.h"
#include "savegame/gamecataloguetexts.h"
#include "savegame/gameinstall.h"

#include <QDir>

namespace kvn {

QStringList SkippedLines(const TGameCatalogueReport &Report, const TLanguageTexts *Texts)
{
    if (Texts)
        return SkippedSourceLines(Report, *Texts);
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

QStringList GameCityNameLines(const QString &InstallFolder, const TGameDefinitions &Defs, const QString &LanguageCode)
{
    QHash<QString, QString> names;
    std::string error;
    // The locale is not in the cache: a player who changes language gets the names of the new one.
    if (const auto locale = archives::OpenGameArchive(
            std::filesystem::path(QDir(InstallFolder).filePath(QStringLiteral("locale.scs")).toStdString()), error)) {
        const QString folder = LocaleFolderForLanguage(LocaleFolders(*locale), LanguageCode);
        if (!folder.isEmpty())
            names = ReadLocaleNames(*locale, folder);
    }
    QStringList lines;
    for (const TGameCity &city : Defs.Cities) {
        const QString name = ResolveLocalised(city.Name, names).trimmed();
        if (!name.isEmpty() && !name.contains(QStringLiteral("@@")))
            lines.append(QStringLiteral("city;%1;%2").arg(city.Token, name));
    }
    return lines;
}

void UseCompiledCatalogue(TCatalogue &Catalogue)
{
    Catalogue.LoadTrailersAndCargos();
    Catalogue.CityLines = CatalogueLines(QStringLiteral("Countries"), true);
    Catalogue.GameNameLines.clear();
    Catalogue.Source = {};
    Catalogue.Source.GameVersion = CatalogueGameVersion();
    // The dialogue's counts are those of the lists in use.
    ReadDatabaseInfo(Catalogue.DatabaseInfo);
}

void UseGameDefinitions(TCatalogueSource &Source, TCatalogue &Catalogue, const TGameDefinitions &Defs)
{
    // Trailers first: the profile load pairs the cargos with them.
    BuildTrailerDefinitions(Defs, Catalogue.TrailerDefinitionDataList);
    BuildCargos(Defs, Catalogue.CargoInfoList);
    Catalogue.CityLines = CountryLinesOf(Defs);
    Catalogue.Source = std::move(Source);
    Catalogue.DatabaseInfo.TrailerLineCount = std::int32_t(Catalogue.TrailerDefinitionDataList.size());
    Catalogue.DatabaseInfo.CargoLineCount = std::int32_t(Catalogue.CargoInfoList.size());
}

void LoadProgramCatalogue(TCatalogue &Catalogue, const TProgramCatalogueRequest &Request)
{
    const QString playerFolder = Request.PlayerGameFolder.trimmed();
    const QString install = FindGameInstall(GameInstallCandidates(playerFolder, Request.SteamLibraries));
    // A folder the player named that holds no game is worth a word, whatever is used instead.
    QString playerFolderFailure;
    if (!playerFolder.isEmpty() && FindGameInstall(GameInstallCandidates(playerFolder, {})).isEmpty()) {
        TGameCatalogueReport missing;
        missing.FailureCode =
            QDir(playerFolder).exists() ? TCatalogueFailure::NotAGameFolder : TCatalogueFailure::FolderMissing;
        missing.Failure = missing.FailureCode == TCatalogueFailure::NotAGameFolder
                              ? QStringLiteral("\"%1\" is not a game folder: it has no \"def.scs\".").arg(playerFolder)
                              : QStringLiteral("The game folder \"%1\" does not exist.").arg(playerFolder);
        playerFolderFailure =
            Request.Texts ? CatalogueFailureText(missing, playerFolder, *Request.Texts) : missing.Failure;
    }
    if (install.isEmpty()) {
        UseCompiledCatalogue(Catalogue);
        Catalogue.Source.Failure = playerFolderFailure;
        return;
    }
    TGameCatalogueRequest request;
    request.InstallFolder = install;
    request.CachePath = Request.CachePath;
    request.StageProgress = Request.Progress;
    request.Stop = Request.Stop;
    TGameCatalogueReport report;
    const std::optional<TGameDefinitions> defs = LoadGameCatalogue(request, report);
    TCatalogueSource source;
    source.InstallFolder = install;
    source.Failure = playerFolderFailure;
    source.Skipped = SkippedLines(report, Request.Texts);
    source.SkippedNames = SkippedNames(report);
    // A game whose definitions hold no trailer or cargo would leave the player nothing to choose.
    if (defs && !defs->Trailers.empty() && !defs->Cargos.empty()) {
        source.Origin = report.FromCache ? TCatalogueOrigin::Cache : TCatalogueOrigin::Game;
        source.GameVersion = report.GameVersion;
        source.ArchiveCount = int(report.ArchivesRead.size());
        source.ModCount = int(report.ModsMounted.size());
        UseGameDefinitions(source, Catalogue, *defs);
        Catalogue.GameNameLines = GameCityNameLines(install, *defs, Request.LanguageCode);
        return;
    }
    QString failure;
    if (defs)
        failure = Request.Texts ? Request.Texts->Format(TLangText::CatalogueFailedNoTrailersOrCargos,
                                                        {QDir::toNativeSeparators(install)})
                                : QStringLiteral("The game in \"%1\" defines no trailer or no cargo.").arg(install);
    else
        failure = Request.Texts ? CatalogueFailureText(report, install, *Request.Texts) : report.Failure;
    source.Failure = source.Failure.isEmpty() ? failure : source.Failure + u' ' + failure;
    UseCompiledCatalogue(Catalogue);
    source.GameVersion = Catalogue.Source.GameVersion;
    Catalogue.Source = std::move(source);
}

} // namespace kvn
