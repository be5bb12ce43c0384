// Loading the whole catalogue, and the distance look-up at a million calls: once on the compiled
// table, once on a table the size of a full city matrix (about 126,000 entries).
#include "catalogue/catalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using namespace kvn;

namespace {

QStringList SaveLines()
{
    QFile f(QStringLiteral(KVN_SHARED_DIR "/realsaves/recent-text-save/game.sii"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n');
}

template <typename F> double Millis(F &&Work, int Rounds = 5)
{
    double best = 1e300;
    for (int i = 0; i < Rounds; ++i) {
        QElapsedTimer t;
        t.start();
        Work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

void LookUps(const char *Title, const TDistanceTable &Table)
{
    std::vector<std::pair<QString, QString>> pairs;
    const auto &entries = Table.Entries();
    for (std::size_t i = 0; i < entries.size() && pairs.size() < 1000;
         i += std::max<std::size_t>(1, entries.size() / 900))
        pairs.emplace_back(entries[i].Destination(), entries[i].Departure());
    pairs.emplace_back(QStringLiteral("Nowhere"), QStringLiteral("Berlin"));
    long long sum = 0;
    const double ms = Millis(
        [&] {
            for (int i = 0; i < 1000000; ++i) {
                const auto &p = pairs[static_cast<std::size_t>(i) % pairs.size()];
                sum += Table.GetDistance(p.first, p.second).KM;
            }
        },
        3);
    std::printf("%-44s %9.1f ms  (%.0f ns per call, %zu entries, checksum %lld)\n", Title, ms, ms * 1e6 / 1e6,
                entries.size(), sum);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList save = SaveLines();

    TCatalogue catalogue;
    const double trailers = Millis([&] { LoadTrailerDefinitionsFromResource(catalogue.TrailerDefinitionDataList); });
    const double cargos = Millis([&] { LoadCargosFromResource(catalogue.CargoInfoList); });
    const double distances = Millis([&] { catalogue.Distances.ReloadDistances(); });
    const double countries = Millis(
        [&] { catalogue.Countries.LoadCountriesToDataClasses(save, catalogue.Distances.Snapshot().get(), nullptr); });
    const double whole = Millis([&] {
        TCatalogue fresh;
        ReadDatabaseInfo(fresh.DatabaseInfo);
        fresh.LoadTrailersAndCargos();
        fresh.Distances.ReloadDistances();
        fresh.Countries.LoadCountriesToDataClasses(save, fresh.Distances.Snapshot().get(), nullptr);
    });
    std::printf("trailer definitions (%zu)                     %9.2f ms\n", catalogue.TrailerDefinitionDataList.size(),
                trailers);
    std::printf("cargos (%zu)                                  %9.2f ms\n", catalogue.CargoInfoList.size(), cargos);
    std::printf("distances (%zu)                              %9.2f ms\n",
                catalogue.Distances.Snapshot()->Entries().size(), distances);
    std::printf("countries of the real save (%zu countries)     %9.2f ms\n",
                catalogue.Countries.CountryInfoList().size(), countries);
    std::printf("whole catalogue, fresh                          %9.2f ms\n", whole);

    LookUps("10^6 GetDistance, compiled table", *catalogue.Distances.Snapshot());

    // A full matrix of 355 cities, the size the table reaches with every pair known.
    QStringList big;
    big.reserve(126100);
    for (int a = 0; a < 355; ++a)
        for (int b = 0; b < 355; ++b)
            big.append(QStringLiteral("city%1,city%2,%3,0").arg(a).arg(b).arg(100 + a + b));
    double build = 0;
    std::shared_ptr<const TDistanceTable> table;
    build = Millis([&] { table = TDistanceTable::Build(big, {}); }, 3);
    std::printf("build of %zu entries                         %9.2f ms\n", table->Entries().size(), build);
    LookUps("10^6 GetDistance, 126k table", *table);
    return 0;
}
