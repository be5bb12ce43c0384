// kestrovan-cli: the program's profile search and save reading, without a window.
//   kestrovan-cli profiles [--json]          the profiles the window would list
//   kestrovan-cli inspect <game.sii> [--json] what a profile load reads from a save
//   kestrovan-cli catalogue [--game <folder>] [--profile <folder>] [--json]
//   kestrovan-cli add-jobs <profile folder or game.sii> <jobs.csv> [--json] [--allow-country-bound]
#include "catalogue/catalogue.h"
#include "cli/addjobs.h"
#include "cli/cataloguecommand.h"
#include "savegame/profiles.h"
#include "savegame/saveinspection.h"
#include "savegame/siidecryption.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

using namespace kvn;

namespace {

int Usage(QTextStream &Err)
{
    Err << "usage: kestrovan-cli profiles [--json]\n"
           "       kestrovan-cli inspect <game.sii> [--json]\n"
           "       kestrovan-cli catalogue [--game <folder>] [--profile <folder>] [--json]\n"
           "       kestrovan-cli add-jobs <profile folder or game.sii> <jobs.csv> [--json] [--allow-country-bound]\n";
    return 2;
}

int ListProfilesCommand(bool Json, QTextStream &Out)
{
    TSiiDecrypter decrypter(QCoreApplication::applicationDirPath());
    TProfileList list;
    const TProfileSearchResult search = ListProfiles(list, decrypter);
    QJsonArray profiles;
    for (int i = 0; i < list.Count(); ++i) {
        const TProfileInfo *p = list.At(i);
        const QString form = SiiFileForm(p->GameFilePath());
        if (Json) {
            profiles.append(QJsonObject{{"name", p->ProfileName()},
                                        {"company", p->CompanyName()},
                                        {"id", p->ProfileID()},
                                        {"folder", p->ProfilePath()},
                                        {"quick_save", form != QLatin1String("none")},
                                        {"quick_save_form", form}});
        } else {
            Out << p->ProfileName() << " - " << p->CompanyName() << "\n  id: " << p->ProfileID()
                << "\n  folder: " << p->ProfilePath() << "\n  quick-save: " << form << "\n";
        }
    }
    if (Json) {
        Out << QJsonDocument(QJsonObject{{"game_folder", search.GameDocumentsFolder},
                                         {"game_folder_exists", search.GameFolderExists},
                                         {"profiles", profiles}})
                   .toJson(QJsonDocument::Indented);
    } else if (list.Count() == 0) {
        Out << (search.GameFolderExists ? "No profiles found in " : "No game folder found; looked first at ")
            << search.GameDocumentsFolder << "\n";
    }
    return 0;
}

int InspectCommand(const QString &File, bool Json, QTextStream &Out, QTextStream &Err)
{
    TCatalogue catalogue;
    catalogue.LoadTrailersAndCargos();
    // The distances learnt by add-jobs and the window, wherever the program keeps them.
    catalogue.Distances.SetUserFolder(ProgramFilesFolder());
    catalogue.Distances.ReloadDistances();
    TSiiDecrypter decrypter(QCoreApplication::applicationDirPath());
    const TSaveInspection s = InspectSave(File, catalogue, decrypter);
    if (!s.Ok) {
        Err << "kestrovan-cli: " << s.Error << "\n";
        return 1;
    }
    const QJsonObject o{{"form", s.Form},
                        {"game_time", s.GameTime},
                        {"last_visited_city", s.LastVisitedCity},
                        {"companies", s.Companies},
                        {"company_branches", s.CompanyBranches},
                        {"profile_cities", s.ProfileCities},
                        {"countries", s.Countries},
                        {"compatible_cargos", s.CompatibleCargos},
                        {"cargo_trailer_items", s.CargoTrailerItems},
                        {"job_offers", s.JobOffers},
                        {"learnable_distances", s.LearnableDistances},
                        {"known_pairs", s.KnownPairs},
                        {"learnt_pairs", s.LearntPairs},
                        {"estimated_pairs", s.EstimatedPairs},
                        {"unknown_pairs", s.UnknownPairs}};
    if (Json) {
        Out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        return 0;
    }
    for (const char *key : {"form", "game_time", "last_visited_city", "companies", "company_branches", "profile_cities",
                            "countries", "compatible_cargos", "cargo_trailer_items", "job_offers",
                            "learnable_distances", "known_pairs", "learnt_pairs", "estimated_pairs", "unknown_pairs"}) {
        const QJsonValue v = o.value(QLatin1String(key));
        Out << key << ": " << (v.isString() ? v.toString() : QString::number(v.toInteger())) << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrovan"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    if (args.value(0) == QLatin1String("profiles") && args.size() == 1)
        return ListProfilesCommand(json, out);
    if (args.value(0) == QLatin1String("inspect") && args.size() == 2)
        return InspectCommand(args.at(1), json, out, err);
    if (args.value(0) == QLatin1String("add-jobs"))
        return AddJobsCommand(args.mid(1), json, out, err);
    if (args.value(0) == QLatin1String("catalogue"))
        return CatalogueCommand(args.mid(1), json, out, err);
    return Usage(err);
}
