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

} // namespace

std::optional<TGameDefinitions> LoadGameCatalogue(const TGameCatalogueRequest &Request, TGameCatalogueReport &Report)
{
    Report = {};
    const QStringList archivePaths = DefinitionArchives(Request.InstallFolder);
    if (archivePaths.isEmpty())
        return std::nullopt;

    // Open every archive first: the version is needed to choose mod versions, and the key needs them all.
    std::vector<std::pair<QString, std::unique_ptr<archives::IGameFileSource>>> archives;
    QString key;
    for (const QString &path : archivePaths) {
        std::string error;
        auto source = archives::OpenGameArchive(std::filesystem::path(path.toStdString()), error);
        if (!source) {
            Report.Skipped.push_back({QFileInfo(path).fileName(), QString::fromStdString(error)});
            continue;
        }
        key += Identity(path);
        archives.emplace_back(path, std::move(source));
    }
    if (archives.empty())
        return std::nullopt;

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
    if (!Request.ProfileFolder.isEmpty()) {
        QString profileReason;
        const QStringList lines =
            ProfileLines(QDir(Request.ProfileFolder).filePath(QStringLiteral("profile.sii")), profileReason);
        if (!profileReason.isEmpty())
            Report.Skipped.push_back({QStringLiteral("profile.sii"), profileReason + QStringLiteral(": no mods read")});
        const QStringList dlcs = InstalledDlcs(Request.InstallFolder);
        for (const TActiveMod &mod : ParseActiveMods(lines)) {
            key += QStringLiteral("mod|%1\n").arg(mod.Package);
            QString path = FindModPackage(mod, Request.ModFolders, Request.SteamLibraries);
            QString reason;
            if (!path.isEmpty() && !WorkshopItemId(mod.Package).isEmpty())
                path = ChooseWorkshopVersion(path, Report.GameVersion, &reason);
            if (path.isEmpty()) {
                Report.Skipped.push_back({mod.Package, reason.isEmpty() ? QStringLiteral("not found") : reason});
                continue;
            }
            std::string error;
            std::shared_ptr<const archives::IGameFileSource> source =
                archives::OpenGameArchive(std::filesystem::path(path.toStdString()), error);
            if (!source) {
                Report.Skipped.push_back({mod.Package, QString::fromStdString(error)});
                continue;
            }
            const QStringList parts = ModMountFolders(*source, Report.GameVersion, dlcs, &reason);
            if (parts.isEmpty()) {
                Report.Skipped.push_back({mod.Package, reason});
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
        for (const QString &part : mod.Parts)
            Report.ModsMounted.append(part.isEmpty() ? mod.Package : QStringLiteral("%1 (%2)").arg(mod.Package, part));

    if (!Request.CachePath.isEmpty()) {
        if (auto cached = ReadGameDefinitionsCache(Request.CachePath, cacheKey)) {
            Report.FromCache = true;
            return cached;
        }
    }

    archives::TLayeredFileSystem layered;
    int priority = 0;
    const int total = int(archives.size() + mods.size());
    int done = 0;
    for (auto &archive : archives) {
        if (StopAsked(Request)) {
            Report.Stopped = true;
            return std::nullopt;
        }
        layered.AddSource(std::move(archive.second), priority++);
        if (Request.Progress)
            Request.Progress(++done, total);
    }
    for (const TOpenedMod &mod : mods) {
        for (const QString &part : mod.Parts) {
            if (part.isEmpty())
                layered.AddSource(std::make_unique<TSharedSource>(mod.Source), priority++);
            else
                layered.AddSource(std::make_unique<TSubFolderSource>(mod.Source, part.toStdString()), priority++);
        }
        if (Request.Progress)
            Request.Progress(++done, total);
    }
    if (StopAsked(Request)) {
        Report.Stopped = true;
        return std::nullopt;
    }
    TGameDefinitions defs = ReadGameDefinitions(layered);
    if (StopAsked(Request)) {
        Report.Stopped = true;
        return std::nullopt;
    }
    if (!Request.CachePath.isEmpty())
        WriteGameDefinitionsCache(Request.CachePath, cacheKey, defs);
    return defs;
}

} // namespace kvn
