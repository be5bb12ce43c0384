#include "savegame/gamecatalogue.h"

#include "archives/layeredfilesystem.h"
#include "archives/opengamearchive.h"
#include "catalogue/gamedefscache.h"
#include "savegame/gameinstall.h"
#include "savegame/gamemods.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <siicodec/siicodec.h>

#include <filesystem>
#include <limits>
#include <memory>

namespace kvn {
namespace {

// One folder of a shared package ("base/", "dlc_east/"), seen as if it were the package's root:
// split mods carry their files for the base game and for each DLC side by side.
class TSubFolderSource final : public archives::IGameFileSource {
public:
    TSubFolderSource(std::shared_ptr<const archives::IGameFileSource> Package, std::string Prefix)
        : FPackage(std::move(Package)), FPrefix(std::move(Prefix))
    {
    }
    std::string Describe() const override { return FPackage->Describe() + " (" + FPrefix + ")"; }
    bool HasFile(std::string_view Path) const override { return FPackage->HasFile(Full(Path)); }
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override
    {
        return FPackage->ReadFile(Full(Path), Bytes, Error);
    }
    bool ListFolder(std::string_view Path, std::vector<archives::TFolderEntry> &Entries) const override
    {
        std::string folder = Full(Path);
        if (Path.empty() && !folder.empty() && folder.back() == '/')
            folder.pop_back();
        return FPackage->ListFolder(folder, Entries);
    }
    std::vector<std::string> Problems() const override { return FPackage->Problems(); }

private:
    std::string Full(std::string_view Path) const { return FPrefix + std::string(Path); }
    std::shared_ptr<const archives::IGameFileSource> FPackage;
    std::string FPrefix; // ends in '/'
};

// A package shared by several layers; the layered view owns each layer alone.
class TSharedSource final : public archives::IGameFileSource {
public:
    explicit TSharedSource(std::shared_ptr<const archives::IGameFileSource> Package) : FPackage(std::move(Package)) {}
    std::string Describe() const override { return FPackage->Describe(); }
    bool HasFile(std::string_view Path) const override { return FPackage->HasFile(Path); }
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override
    {
        return FPackage->ReadFile(Path, Bytes, Error);
    }
    bool ListFolder(std::string_view Path, std::vector<archives::TFolderEntry> &Entries) const override
    {
        return FPackage->ListFolder(Path, Entries);
    }
    std::vector<std::string> Problems() const override { return FPackage->Problems(); }

private:
    std::shared_ptr<const archives::IGameFileSource> FPackage;
};

struct TOpenedMod {
    QString Package;
    QString Path;
    std::shared_ptr<const archives::IGameFileSource> Source;
    QStringList Parts;
};

QString Identity(const QString &Path)
{
    const QFileInfo info(Path);
    return QStringLiteral("%1|%2|%3\n")
        .arg(QDir::cleanPath(info.absoluteFilePath()))
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}

QByteArray ReadSmallFile(const QString &Path, qint64 Limit)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > Limit)
        return {};
    return file.readAll();
}

// The game keeps profile.sii encrypted, usually around binary SII. It is decoded in memory; the
// player's file is only read. An empty result with a reason means it could not be read.
QStringList ProfileLines(const QString &Path, QString &Reason)
{
    constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;
    if (!QFileInfo::exists(Path))
        return {};
    const QByteArray bytes = ReadSmallFile(Path, kMaxProfileBytes);
    if (bytes.isEmpty()) {
        Reason = QStringLiteral("cannot be read or is larger than 16 MiB");
        return {};
    }
    siicodec::TextBuffer text;
    siicodec::Options options;
    options.maxPayloadBytes = options.maxTextBytes = std::size_t(4) * kMaxProfileBytes;
    const siicodec::Result result = siicodec::ConvertToText(
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())), text, options);
    if (!result.Ok() && result.status != siicodec::Status::AlreadyPlain) {
        Reason = QString::fromStdString(result.message);
        return {};
    }
    const std::string_view view = text.View();
    return QString::fromUtf8(view.data(), qsizetype(view.size())).split(u'\n');
}

bool StopAsked(const TGameCatalogueRequest &Request)
{
    return Request.Stop && Request.Stop->load();
}

// How many problems of the definition read the report names one by one.
constexpr int kProblemsNamed = 5;

QString ProblemLine(const TDefProblem &Problem)
{
    QString where = Problem.File;
    if (Problem.Line > 0)
        where += QStringLiteral(":%1").arg(Problem.Line);
    return Problem.Detail.isEmpty() ? where : QStringLiteral("%1: %2").arg(where, Problem.Detail);
}

// One progress scale for the whole load: mounting the archives takes the first part, reading the
// definitions the rest. Total never changes during a load, so a progress bar never runs back.
class TLoadProgress {
public:
    static constexpr int Total = 1000;
    static constexpr int MountingShare = 50;

    explicit TLoadProgress(const TGameCatalogueRequest &Request) : FRequest(Request) {}

    void Stage(TCatalogueStage Stage, int Done, int Of)
    {
        if (FRequest.StageProgress)
            FRequest.StageProgress(Stage, Done, Of);
        const int from = Stage == TCatalogueStage::OpeningArchives ? 0 : MountingShare;
        const int to = Stage == TCatalogueStage::OpeningArchives ? MountingShare : Total;
        Overall(Of > 0 ? from + int(qint64(to - from) * Done / Of) : to);
    }
    void Finished() { Overall(Total); }

private:
    // Only forward steps reach the caller, and each at most once.
    void Overall(int Done)
    {
        if (Done <= FDone)
            return;
        FDone = Done;
        if (FRequest.Progress)
            FRequest.Progress(FDone, Total);
    }

    const TGameCatalogueRequest &FRequest;
    int FDone = 0;
};

std::optional<TGameDefinitions> Fail(TGameCatalogueReport &Report, TCatalogueFailure Code, QString Why,
                                     QString Detail = {})
{
    Report.FailureCode = Code;
    Report.Failure = std::move(Why);
    Report.FailureDetail = std::move(Detail);
    Report.Stopped = Code == TCatalogueFailure::Stopped;
    return std::nullopt;
}

std::optional<TGameDefinitions> Stopped(TGameCatalogueReport &Report)
{
    return Fail(Report, TCatalogueFailure::Stopped, QStringLiteral("stopped"));
}

} // namespace

std::optional<TGameDefinitions> LoadGameCatalogue(const TGameCatalogueRequest &Request, TGameCatalogueReport &Report)
{
    Report = {};
    if (Request.InstallFolder.isEmpty() || !QFileInfo(Request.InstallFolder).isDir())
        return Fail(Report, TCatalogueFailure::FolderMissing, QStringLiteral("the folder does not exist"));
    // Every definition the catalogue needs lives in def.scs; without it the folder is something else.
    const QString definitionArchive = QDir(Request.InstallFolder).filePath(QLatin1String(GameDefinitionArchive));
    if (!QFileInfo(definitionArchive).isFile())
        return Fail(Report, TCatalogueFailure::NotAGameFolder,
                    QStringLiteral("it has no \"%1\": not a game folder").arg(QLatin1String(GameDefinitionArchive)));
    const QStringList archivePaths = DefinitionArchives(Request.InstallFolder);

    // The mod list first, so that the number of packages to open is known before opening them.
    QString profileReason;
    std::vector<TActiveMod> activeMods;
    if (!Request.ProfileFolder.isEmpty())
        activeMods = ParseActiveMods(
            ProfileLines(QDir(Request.ProfileFolder).filePath(QStringLiteral("profile.sii")), profileReason));
    TLoadProgress progress(Request);
    const int packages = int(archivePaths.size() + qsizetype(activeMods.size()));
    int opened = 0;

    // Open every archive first: the version is needed to choose mod versions, and the key needs them all.
    std::vector<std::pair<QString, std::unique_ptr<archives::IGameFileSource>>> archives;
    QString key;
    for (const QString &path : archivePaths) {
        if (StopAsked(Request))
            return Stopped(Report);
        std::string error;
        auto source = archives::OpenGameArchive(std::filesystem::path(path.toStdString()), error);
        progress.Stage(TCatalogueStage::OpeningArchives, ++opened, packages);
        if (!source) {
            const QString message = QString::fromStdString(error);
            Report.Skipped.push_back({QFileInfo(path).fileName(), message, TSkipCode::DamagedArchive, message});
            if (QFileInfo(path).fileName() == QLatin1String(GameDefinitionArchive))
                return Fail(
                    Report, TCatalogueFailure::DefinitionsUnreadable,
                    QStringLiteral("\"%1\" could not be opened: %2").arg(QLatin1String(GameDefinitionArchive), message),
                    message);
            continue;
        }
        key += Identity(path);
        archives.emplace_back(path, std::move(source));
    }

    std::vector<std::uint8_t> versionBytes;
    std::string versionError;
    for (const auto &archive : archives)
        if (archive.second->HasFile("version.sii") &&
            archive.second->ReadFile("version.sii", versionBytes, versionError))
            break;
    Report.GameVersion = ParseGameVersion(QByteArray(reinterpret_cast<const char *>(versionBytes.data()),
                                                     qsizetype(versionBytes.size())))
                             .Version;
    key.prepend(QStringLiteral("version|%1\n").arg(Report.GameVersion));

    std::vector<TOpenedMod> mods;
    // The game keeps a profile's mods in the mod folder beside its profiles folder, wherever the
    // documents folder is ("<documents>/Euro Truck Simulator 2/profiles/<id>/../../mod").
    QStringList modFolders = Request.ModFolders;
    if (!Request.ProfileFolder.isEmpty()) {
        const QString beside = QDir::cleanPath(QDir(Request.ProfileFolder).filePath(QStringLiteral("../../mod")));
        if (!modFolders.contains(beside))
            modFolders.append(beside);
    }
    if (!profileReason.isEmpty())
        Report.Skipped.push_back({QStringLiteral("profile.sii"), profileReason + QStringLiteral(": no mods read"),
                                  TSkipCode::ProfileUnreadable, profileReason});
    if (!activeMods.empty()) {
        const QStringList dlcs = InstalledDlcs(Request.InstallFolder);
        for (const TActiveMod &mod : activeMods) {
            if (StopAsked(Request))
                return Stopped(Report);
            progress.Stage(TCatalogueStage::OpeningArchives, ++opened, packages);
            key += QStringLiteral("mod|%1\n").arg(mod.Package);
            QString path = FindModPackage(mod, modFolders, Request.SteamLibraries);
            QString reason;
            TModRefusal refusal;
            if (path.isEmpty()) {
                Report.Skipped.push_back({mod.Package, QStringLiteral("not found"), TSkipCode::ModNotFound, {}});
                continue;
            }
            if (!WorkshopItemId(mod.Package).isEmpty())
                path = ChooseWorkshopVersion(path, Report.GameVersion, &reason, &refusal);
            if (path.isEmpty()) {
                const TSkipCode code = refusal.Kind == TModRefusal::TKind::VersionPackageMissing
                                           ? TSkipCode::ModVersionMissing
                                           : TSkipCode::ModForOtherVersion;
                Report.Skipped.push_back({mod.Package, reason, code, refusal.Detail});
                continue;
            }
            std::string error;
            std::shared_ptr<const archives::IGameFileSource> source =
                archives::OpenGameArchive(std::filesystem::path(path.toStdString()), error);
            if (!source) {
                const QString message = QString::fromStdString(error);
                Report.Skipped.push_back({mod.Package, message, TSkipCode::DamagedArchive, message});
                continue;
            }
            const QStringList parts = ModMountFolders(*source, Report.GameVersion, dlcs, &reason, &refusal);
            if (parts.isEmpty()) {
                Report.Skipped.push_back({mod.Package, reason, TSkipCode::ModForOtherVersion, refusal.Detail});
                continue;
            }
            key += Identity(path);
            mods.push_back({mod.Package, path, std::move(source), parts});
        }
    }
    const QString cacheKey =
        QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex());

    for (const auto &archive : archives)
        Report.ArchivesRead.append(QFileInfo(archive.first).fileName());
    for (const TOpenedMod &mod : mods)
        Report.ModPackages.push_back({mod.Path, mod.Parts});
    for (const TOpenedMod &mod : mods)
        for (const QString &part : mod.Parts)
            Report.ModsMounted.append(part.isEmpty() ? mod.Package : QStringLiteral("%1 (%2)").arg(mod.Package, part));

    if (!Request.CachePath.isEmpty()) {
        if (auto cached = ReadGameDefinitionsCache(Request.CachePath, cacheKey); cached && !cached->Cities.empty()) {
            Report.FromCache = true;
            Report.DefinitionProblems = SummariseProblems(cached->Problems);
            progress.Finished();
            return cached;
        }
    }

    archives::TLayeredFileSystem layered;
    int priority = 0;
    for (auto &archive : archives)
        layered.AddSource(std::move(archive.second), priority++);
    for (const TOpenedMod &mod : mods) {
        for (const QString &part : mod.Parts) {
            if (part.isEmpty())
                layered.AddSource(std::make_unique<TSharedSource>(mod.Source), priority++);
            else
                layered.AddSource(std::make_unique<TSubFolderSource>(mod.Source, part.toStdString()), priority++);
        }
    }
    if (StopAsked(Request))
        return Stopped(Report);
    progress.Stage(TCatalogueStage::OpeningArchives, packages, packages);

    TDefReadControl control;
    control.Stop = Request.Stop;
    control.Progress = [&progress](int Done, int Total) {
        progress.Stage(TCatalogueStage::ReadingDefinitions, Done, Total);
    };
    std::optional<TGameDefinitions> defs = ReadGameDefinitions(layered, TDefReadLimits{}, control);
    if (!defs || StopAsked(Request))
        return Stopped(Report);
    Report.DefinitionProblems = SummariseProblems(defs->Problems);
    if (defs->Cities.empty())
        return Fail(Report, TCatalogueFailure::NoCities, QStringLiteral("its archives define no city"));
    if (!Request.CachePath.isEmpty())
        WriteGameDefinitionsCache(Request.CachePath, cacheKey, *defs);
    progress.Finished();
    return defs;
}

std::unique_ptr<archives::IGameFileSource> OpenLocaleSources(const QString &InstallFolder,
                                                             const TGameCatalogueReport &Report)
{
    auto layered = std::make_unique<archives::TLayeredFileSystem>();
    int priority = 0;
    for (const QString &path : DefinitionArchives(InstallFolder)) {
        const QString name = QFileInfo(path).fileName();
        if (name != QLatin1String("locale.scs") && !name.startsWith(QLatin1String("dlc_")))
            continue;
        std::string error;
        if (auto source = archives::OpenGameArchive(std::filesystem::path(path.toStdString()), error))
            layered->AddSource(std::move(source), priority++);
    }
    for (const TMountedMod &mod : Report.ModPackages) {
        std::string error;
        std::shared_ptr<const archives::IGameFileSource> source =
            archives::OpenGameArchive(std::filesystem::path(mod.Path.toStdString()), error);
        if (!source)
            continue;
        for (const QString &part : mod.Parts) {
            if (part.isEmpty())
                layered->AddSource(std::make_unique<TSharedSource>(source), priority++);
            else
                layered->AddSource(std::make_unique<TSubFolderSource>(source, part.toStdString()), priority++);
        }
    }
    return layered;
}

QStringList ProfileActiveModPackages(const QString &ProfileFolder, QString *Reason)
{
    QString reason;
    QStringList packages;
    for (const TActiveMod &mod :
         ParseActiveMods(ProfileLines(QDir(ProfileFolder).filePath(QStringLiteral("profile.sii")), reason)))
        packages.append(mod.Package);
    if (Reason)
        *Reason = reason;
    return packages;
}

TDefinitionProblemSummary SummariseProblems(const std::vector<TDefProblem> &Problems)
{
    TDefinitionProblemSummary summary;
    summary.Count = int(std::min<std::size_t>(Problems.size(), std::size_t(std::numeric_limits<int>::max())));
    for (std::size_t i = 0; i < Problems.size() && i < std::size_t(kProblemsNamed); ++i)
        summary.First.append(ProblemLine(Problems[i]));
    return summary;
}

} // namespace kvn
