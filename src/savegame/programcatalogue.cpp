#include "savegame/programcatalogue.h"

#include "catalogue/gamedefslocale.h"
#include "lang/languages.h"
#include "savegame/gamecataloguetexts.h"
#include "savegame/gameinstall.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

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

QStringList GameCityNameLines(const archives::IGameFileSource &Locale, const TGameDefinitions &Defs,
                              const QString &LanguageCode)
{
    QHash<QString, QString> names;
    // The locale is not in the cache: a player who changes language gets the names of the new one.
    const QString folder = LocaleFolderForLanguage(LocaleFolders(Locale), LanguageCode);
    if (!folder.isEmpty())
        names = ReadLocaleNames(Locale, folder);
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

namespace {

// The source a successful read gives, before its lists are used.
TCatalogueSource SourceOfRead(const QString &Install, const TGameCatalogueReport &Report,
                              const TProgramCatalogueRequest &Request)
{
    TCatalogueSource source;
    source.InstallFolder = Install;
    source.Skipped = SkippedLines(Report, Request.Texts);
    source.SkippedNames = SkippedNames(Report);
    source.Origin = Report.FromCache ? TCatalogueOrigin::Cache : TCatalogueOrigin::Game;
    source.GameVersion = Report.GameVersion;
    source.ArchiveCount = int(Report.ArchivesRead.size());
    source.ModCount = int(Report.ModsMounted.size());
    return source;
}

// A game whose definitions hold no trailer or cargo would leave the player nothing to choose.
bool Usable(const std::optional<TGameDefinitions> &Defs)
{
    return Defs && !Defs->Trailers.empty() && !Defs->Cargos.empty();
}

QString ReadFailure(const std::optional<TGameDefinitions> &Defs, const TGameCatalogueReport &Report,
                    const QString &Install, const TProgramCatalogueRequest &Request)
{
    if (Defs)
        return Request.Texts ? Request.Texts->Format(TLangText::CatalogueFailedNoTrailersOrCargos,
                                                     {QDir::toNativeSeparators(Install)})
                             : QStringLiteral("The game in \"%1\" defines no trailer or no cargo.").arg(Install);
    return Request.Texts ? CatalogueFailureText(Report, Install, *Request.Texts) : Report.Failure;
}

// One cache per profile with mods: switching between profiles with different mods reads each set
// once. Named after a hash of the profile's folder, which may hold any character.
QString ProfileModsCachePath(const QString &BaseCachePath, const QString &ProfileFolder)
{
    const QFileInfo base(BaseCachePath);
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(QDir::cleanPath(ProfileFolder).toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
    return base.dir().filePath(QStringLiteral("%1-%2.%3").arg(base.completeBaseName(), key, base.suffix()));
}

// What a profile's read could not use that the player should hear of: every mod of the profile
// (a missing mod is told at every load, as the game's mod manager would show it), and archives of
// the game only when the lists in use did not name them already.
QStringList NewsOfRead(const TGameCatalogueReport &Report, const TCatalogueSource &InUse)
{
    QStringList names;
    for (const TSkippedSource &skipped : Report.Skipped) {
        const bool gameArchive = skipped.Code == TSkipCode::DamagedArchive && InUse.SkippedNames.contains(skipped.Name);
        if (!gameArchive && !names.contains(skipped.Name))
            names.append(skipped.Name);
    }
    return names;
}

// A cache of a profile's mods that no load has written for this long belongs to a profile or a mod
// set long gone; a profile still in use only has its mods read once more.
constexpr int kModsCacheDays = 60;

void RemoveOldModsCaches(const QString &BaseCachePath)
{
    const QFileInfo base(BaseCachePath);
    const QDateTime oldest = QDateTime::currentDateTime().addDays(-kModsCacheDays);
    const QFileInfoList caches =
        base.dir().entryInfoList({QStringLiteral("%1-*.%2").arg(base.completeBaseName(), base.suffix())}, QDir::Files);
    for (const QFileInfo &cache : caches)
        if (cache.lastModified() < oldest)
            QFile::remove(cache.filePath());
}

} // namespace

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
    TCatalogueSource source = SourceOfRead(install, report, Request);
    source.Failure = playerFolderFailure;
    if (Usable(defs)) {
        UseGameDefinitions(source, Catalogue, *defs);
        Catalogue.GameNameLines = GameCityNameLines(*OpenLocaleSources(install, report), *defs, Request.LanguageCode);
        return;
    }
    const QString failure = ReadFailure(defs, report, install, Request);
    source.Failure = source.Failure.isEmpty() ? failure : source.Failure + u' ' + failure;
    UseCompiledCatalogue(Catalogue);
    source.Origin = TCatalogueOrigin::Compiled;
    source.ArchiveCount = source.ModCount = 0;
    source.GameVersion = Catalogue.Source.GameVersion;
    Catalogue.Source = std::move(source);
}

TProfileModsResult UseProfileMods(TCatalogue &Catalogue, const TProgramCatalogueRequest &Request,
                                  const QString &ProfileFolder)
{
    TProfileModsResult result;
    const QString install = Catalogue.Source.InstallFolder;
    if (!Catalogue.Source.FromGame() || install.isEmpty())
        return result;
    // An unreadable profile.sii counts as no mods here; the read below names it when it matters.
    const QStringList mods = ProfileActiveModPackages(ProfileFolder);
    // A profile with mods is read every time: a mod updated since is then seen, and the cache keeps
    // a read of unchanged mods short.
    if (mods.isEmpty() && Catalogue.Source.ActiveMods.isEmpty())
        return result;

    TGameCatalogueRequest request;
    request.InstallFolder = install;
    request.SteamLibraries = Request.SteamLibraries;
    request.StageProgress = Request.Progress;
    request.Stop = Request.Stop;
    if (!mods.isEmpty()) {
        request.ProfileFolder = ProfileFolder;
        request.ModFolders = Request.ModFolders;
    }
    if (!Request.CachePath.isEmpty())
        request.CachePath = mods.isEmpty() ? Request.CachePath : ProfileModsCachePath(Request.CachePath, ProfileFolder);
    if (!mods.isEmpty() && !Request.CachePath.isEmpty())
        RemoveOldModsCaches(Request.CachePath);
    TGameCatalogueReport report;
    const std::optional<TGameDefinitions> defs = LoadGameCatalogue(request, report);
    if (!Usable(defs)) {
        result.Failure = ReadFailure(defs, report, install, Request);
        result.SkippedNames = NewsOfRead(report, Catalogue.Source);
        return result;
    }
    TCatalogueSource source = SourceOfRead(install, report, Request);
    source.ActiveMods = mods;
    result.SkippedNames = NewsOfRead(report, Catalogue.Source);
    UseGameDefinitions(source, Catalogue, *defs);
    Catalogue.GameNameLines = GameCityNameLines(*OpenLocaleSources(install, report), *defs, Request.LanguageCode);
    result.Replaced = true;
    return result;
}

} // namespace kvn
