// Building the catalogue from a generated game of realistic size (about 400 cities, 400 cargos,
// 600 trailers, 300 companies over 20 archives), once from the archives and once from the cache.
#include "archivewriter.h"
#include "savegame/gamecatalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace kvn;
using namespace kvn::archives::testing;

namespace {

void WriteGame(const QString &Folder)
{
    const char *names[] = {"base.scs", "def.scs", "core.scs"};
    for (int a = 0; a < 20; ++a) {
        TTestArchive archive;
        const std::string part = "p" + std::to_string(a);
        std::string cities = "SiiNunit\n{\n", cargos = "SiiNunit\n{\n", countries = "SiiNunit\n{\n";
        for (int i = 0; i < 20; ++i) {
            const std::string city = "c" + part + "_" + std::to_string(i);
            cities += "@include \"city/" + city + ".sui\"\n";
            archive.Files.push_back(
                {"def/city/" + city + ".sui",
                 "city_data: city." + city + "\n{\n\tcity_name: \"" + city + "\"\n\tcountry: k" + part + "\n}\n",
                 true});
            const std::string cargo = "g" + part + "_" + std::to_string(i);
            cargos += "@include \"cargo/" + cargo + ".sui\"\n";
            archive.Files.push_back({"def/cargo/" + cargo + ".sui",
                                     "cargo_data: cargo." + cargo + "\n{\n\tname: \"" + cargo +
                                         "\"\n\tvolume: 1\n\tmass: 100\n\tunit_reward_per_km: 0.5\n"
                                         "\tbody_types[]: curtainside\n}\n",
                                     true});
        }
        for (int i = 0; i < 30; ++i)
            archive.Files.push_back({"def/vehicle/trailer_defs/" + part + "_" + std::to_string(i) + ".sii",
                                     "SiiNunit\n{\ntrailer_def : trailer_def." + part + "_" + std::to_string(i) +
                                         "\n{\n\tgross_trailer_weight_limit: 40000\n\tchassis_mass: 6000\n"
                                         "\tlength: 13.6\n\taxles: 3\n\tvolume: 90\n\tbody_type: curtain\n}\n}\n",
                                     true});
        // Each company is in four cities and ships and takes three cargos, as its folders say.
        std::string companies = "SiiNunit\n{\n";
        for (int i = 0; i < 15; ++i) {
            const std::string company = "m" + part + "_" + std::to_string(i);
            const std::string folder = "def/company/" + company + "/";
            companies += "@include \"company/" + company + ".sui\"\n";
            archive.Files.push_back(
                {"def/company/" + company + ".sui",
                 "company_permanent: company.permanent." + company + "\n{\n\tname: \"" + company + "\"\n}\n", true});
            for (int k = 0; k < 4; ++k) {
                const std::string city = "c" + part + "_" + std::to_string((i + k) % 20);
                archive.Files.push_back(
                    {folder + "editor/" + city + ".sii",
                     "SiiNunit\n{\ncompany_def : ." + company + "." + city + "\n{\n\tcity: " + city + "\n}\n}\n",
                     true});
            }
            for (int k = 0; k < 3; ++k) {
                const std::string in = "g" + part + "_" + std::to_string((i + k) % 20);
                const std::string out = "g" + part + "_" + std::to_string((i + k + 5) % 20);
                archive.Files.push_back(
                    {folder + "in/" + in + ".sii",
                     "SiiNunit\n{\ncargo_def : ." + company + "." + in + "\n{\n\tcargo: cargo." + in + "\n}\n}\n",
                     true});
                archive.Files.push_back(
                    {folder + "out/" + out + ".sii",
                     "SiiNunit\n{\ncargo_def : ." + company + "." + out + "\n{\n\tcargo: cargo." + out + "\n}\n}\n",
                     true});
            }
        }
        archive.Files.push_back({"def/company." + part + ".sii", companies + "}\n", false});
        countries += "@include \"country/k" + part + ".sui\"\n}\n";
        archive.Files.push_back(
            {"def/country/k" + part + ".sui", "country_data: country.data.k" + part + "\n{\n\tname: \"K\"\n}\n", true});
        archive.Files.push_back({"def/city." + part + ".sii", cities + "}\n", false});
        archive.Files.push_back({"def/cargo." + part + ".sii", cargos + "}\n", false});
        archive.Files.push_back({"def/country." + part + ".sii", countries, false});
        const std::string file = a < 3 ? names[a] : "dlc_" + part + ".scs";
        WriteFileBytes((Folder + "/" + QString::fromStdString(file)).toStdString(), WriteHashFsV2(archive));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    WriteGame(dir.path());
    TGameCatalogueRequest request;
    request.InstallFolder = dir.path();
    request.CachePath = dir.filePath(QStringLiteral("catalogue.cache"));
    for (const bool cached : {false, true}) {
        TGameCatalogueReport report;
        QElapsedTimer t;
        t.start();
        const auto defs = LoadGameCatalogue(request, report);
        const double ms = t.nsecsElapsed() / 1e6;
        std::printf("%-14s %8.1f ms  (archives %lld, cities %zu, companies %zu, cargos %zu, trailers %zu, cache used: "
                    "%s)\n",
                    cached ? "from cache" : "from archives", ms, static_cast<long long>(report.ArchivesRead.size()),
                    defs ? defs->Cities.size() : 0, defs ? defs->Companies.size() : 0, defs ? defs->Cargos.size() : 0,
                    defs ? defs->Trailers.size() : 0, report.FromCache ? "yes" : "no");
    }
    return 0;
}
