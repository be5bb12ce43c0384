#include "cli/cataloguecommand.h"

#include "catalogue/cargos.h"
#include "catalogue/resources.h"
#include "catalogue/trailers.h"
#include "cli/addjobs.h"
#include "savegame/gamecatalogue.h"
#include "savegame/gamefolders.h"
#include "savegame/gameinstall.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace kvn {
namespace {

struct TCounts {
    qsizetype Countries = 0, Cities = 0, Companies = 0, Cargos = 0, Trailers = 0;
};

TCounts CompiledCounts()
{
    TCounts counts;
    QSet<QString> countries;
    for (const QString &line : CatalogueLines(QStringLiteral("Countries"), true)) {
        ++counts.Cities;
        countries.insert(line.section(u';', 1).toLower());
    }
    counts.Countries = countries.size();
    TCargoInfoList cargos;
    LoadCargosFromResource(cargos);
    counts.Cargos = qsizetype(cargos.size());
    TTrailerDefinitionDataList trailers;
    LoadTrailerDefinitionsFromResource(trailers);
    counts.Trailers = qsizetype(trailers.size());
    return counts;
}

QJsonArray ToJson(const QStringList &List)
{
    return QJsonArray::fromStringList(List);
}

QString FailureName(TCatalogueFailure Code)
{
    switch (Code) {
    case TCatalogueFailure::None:
        break;
    case TCatalogueFailure::FolderMissing:
        return QStringLiteral("folder_missing");
    case TCatalogueFailure::NotAGameFolder:
        return QStringLiteral("not_a_game_folder");
    case TCatalogueFailure::DefinitionsUnreadable:
        return QStringLiteral("definitions_unreadable");
    case TCatalogueFailure::NoCities:
        return QStringLiteral("no_cities");
    case TCatalogueFailure::Stopped:
        return QStringLiteral("stopped");
    }
    return {};
}

} // namespace

int CatalogueCommand(const QStringList &Args, bool Json, QTextStream &Out, QTextStream &Err)
{
    QString game, profile;
    for (qsizetype i = 0; i < Args.size(); ++i) {
        if (Args[i] == QLatin1String("--game") && i + 1 < Args.size())
            game = Args[++i];
        else if (Args[i] == QLatin1String("--profile") && i + 1 < Args.size())
            profile = Args[++i];
        else {
            Err << "usage: kestrovan-cli catalogue [--game <folder>] [--profile <folder>] [--json]\n";
            return 2;
        }
    }
    const QStringList libraries = SteamLibraryFolders();
    if (game.isEmpty())
        game = FindGameInstall(GameInstallCandidates(QString(), libraries));

    TGameCatalogueReport report;
    std::optional<TGameDefinitions> defs;
    if (!game.isEmpty()) {
        TGameCatalogueRequest request;
        request.InstallFolder = game;
        request.ProfileFolder = profile;
        for (const QString &folder : GameFolderCandidates())
            request.ModFolders.append(folder + QStringLiteral("mod"));
        request.SteamLibraries = libraries;
        request.CachePath = QDir(ProgramFilesFolder()).filePath(QStringLiteral("gamecatalogue.cache"));
        defs = LoadGameCatalogue(request, report);
    }
    TCounts counts;
    if (defs) {
        counts = {qsizetype(defs->Countries.size()), qsizetype(defs->Cities.size()), qsizetype(defs->Companies.size()),
                  qsizetype(defs->Cargos.size()), qsizetype(defs->Trailers.size())};
    } else {
        counts = CompiledCounts();
    }
    const QString source =
        defs ? (report.FromCache ? QStringLiteral("cache") : QStringLiteral("game")) : QStringLiteral("compiled");
    QJsonArray skipped;
    for (const TSkippedSource &s : report.Skipped)
        skipped.append(QJsonObject{{"name", s.Name}, {"reason", s.Reason}});
    const TDefinitionProblemSummary &problems = report.DefinitionProblems;
    if (Json) {
        QJsonObject doc{
            {"source", source},
            {"game_folder", game},
            {"game_version", report.GameVersion},
            {"archives", ToJson(report.ArchivesRead)},
            {"mods", ToJson(report.ModsMounted)},
            {"skipped", skipped},
            {"definition_problems", QJsonObject{{"count", problems.Count}, {"first", ToJson(problems.First)}}},
            {"countries", counts.Countries},
            {"cities", counts.Cities},
            // The compiled data has no company list: companies then come
            // from each loaded save.
            {"companies", defs ? QJsonValue(counts.Companies) : QJsonValue()},
            {"cargos", counts.Cargos},
            {"trailers", counts.Trailers}};
        if (!game.isEmpty() && !defs) {
            doc.insert("failure", FailureName(report.FailureCode));
            doc.insert("failure_reason", report.Failure);
        }
        Out << QJsonDocument(doc).toJson(QJsonDocument::Indented);
        return 0;
    }
    if (game.isEmpty())
        Out << "No game install found; the compiled catalogue is used.\n";
    else if (!defs)
        Out << "The game in " << QDir::toNativeSeparators(game) << " was not read (" << report.Failure
            << "); the compiled catalogue is used.\n";
    Out << "source: " << source << "\n";
    if (defs) {
        Out << "game: " << QDir::toNativeSeparators(game) << " (version " << report.GameVersion << ")\n";
        Out << "archives: " << report.ArchivesRead.join(QStringLiteral(", ")) << "\n";
        Out << "mods: " << (report.ModsMounted.isEmpty() ? QStringLiteral("none") : report.ModsMounted.join(", "))
            << "\n";
    }
    for (const TSkippedSource &s : report.Skipped)
        Out << "skipped " << s.Name << ": " << s.Reason << "\n";
    if (problems.Count > 0) {
        Out << "definition problems: " << problems.Count
            << (problems.Count > problems.First.size() ? ", the first:" : ":") << "\n";
        for (const QString &line : problems.First)
            Out << "  " << line << "\n";
    }
    Out << "countries: " << counts.Countries << "\ncities: " << counts.Cities
        << "\ncompanies: " << (defs ? QString::number(counts.Companies) : QStringLiteral("from each save"))
        << "\ncargos: " << counts.Cargos << "\ntrailers: " << counts.Trailers << "\n";
    return 0;
}

} // namespace kvn
