#include "savegame/unknowndistances.h"

#include "shared/strings.h"

namespace kvn {

namespace {

bool Stopped(StopFlag Stop)
{
    return Stop && Stop->load(std::memory_order_relaxed);
}

// The second field of Text split at Separator, as the game's reader takes it.
QString SecondField(const QString &Text, const QString &Separator)
{
    const QStringList fields = Explode(Separator, Text);
    return fields.size() > 1 ? fields.at(1) : QString();
}

QString DepartureOfCompanyHeader(const QString &Header)
{
    QString city = TrimControl(Explode(QStringLiteral("."), Header).value(3));
    const qsizetype brace = city.indexOf(u'{');
    return brace < 0 ? QString() : TrimControl(city.left(brace));
}

// One walk over the save, parameterised by how a line with a prefix is found, so that the indexed
// and the scanning variant cannot drift apart.
template <typename Find>
std::vector<TLearnedDistance> Collect(const QStringList &Lines, const TDistanceTable &Table, StopFlag Stop,
                                      Find &&FindFrom)
{
    std::vector<TLearnedDistance> collected;
    const int last = int(Lines.size()) - 1;
    const QString companyPrefix = QStringLiteral("company : company.volatile.");
    for (int i = FindFrom(companyPrefix, 0); i >= 0 && !Stopped(Stop); i = FindFrom(companyPrefix, i + 1)) {
        const int c = FindFrom(QStringLiteral("job_offer:"), i);
        if (c < 0)
            continue;
        const int count = ToIntDefault(TrimControl(SecondField(Lines.at(c), QStringLiteral("job_offer:"))), 0);
        if (count <= 0)
            continue;
        // Target, distance and ferry time carry over from offer to offer within one company unit.
        QString target;
        int km = 0;
        int ferry = 0;
        const QString departure = DepartureOfCompanyHeader(Lines.at(i));
        for (int j = 1; j <= count && !Stopped(Stop); ++j) {
            const int at = c + j;
            if (at > last)
                break;
            if (!TrimmedStartsWith(Lines.at(at), QStringLiteral("job_offer[%1]").arg(j - 1)))
                continue;
            const QString id = TrimControl(SecondField(Lines.at(at), QStringLiteral(": ")));
            const QString header = QStringLiteral("job_offer_data : ") + id + QStringLiteral(" {");
            for (int k = FindFrom(header, at); k >= 0 && !Stopped(Stop); k = FindFrom(header, k + 1)) {
                const int h = FindFrom(QStringLiteral("target:"), k);
                if (h > 0) {
                    const QString v = TrimControl(Unquote(TrimControl(SecondField(Lines.at(h), QStringLiteral(":")))));
                    if (!v.isEmpty())
                        target = TrimControl(SecondField(v, QStringLiteral(".")));
                }
                if (target.isEmpty())
                    continue; // the game's reader looks on for another unit of that name
                const int d = FindFrom(QStringLiteral("shortest_distance_km:"), k);
                if (d > 0)
                    km = ToIntDefault(TrimControl(SecondField(Lines.at(d), QStringLiteral(":"))), 0);
                const int f = FindFrom(QStringLiteral("ferry_time:"), k);
                if (f > 0)
                    ferry = ToIntDefault(TrimControl(SecondField(Lines.at(f), QStringLiteral(":"))), 0);
                if (km >= 1 && km != kUnknownDistanceKm && !Table.DistanceExists(departure, target) &&
                    !Table.DistanceExists(target, departure))
                    collected.push_back({departure, target, km, ferry});
                break;
            }
        }
    }
    return collected;
}

} // namespace

std::vector<TLearnedDistance> CollectUnknownDistances(const GameSaveLines &Save, const TDistanceTable &Table,
                                                      StopFlag Stop)
{
    return Collect(Save.Lines(), Table, Stop,
                   [&](const QString &Prefix, int Start) { return Save.FindLineFrom(Prefix, Start, Stop); });
}

std::vector<TLearnedDistance> CollectUnknownDistancesByScan(const QStringList &Lines, const TDistanceTable &Table,
                                                            StopFlag Stop)
{
    return Collect(Lines, Table, Stop,
                   [&](const QString &Prefix, int Start) { return FindLineFrom(Lines, Prefix, Start, Stop); });
}

TGetUnkownDistances::TGetUnkownDistances(const GameSaveLines &Lines, TDistances &Distances, QObject *Parent)
    : QThread(Parent), FLines(Lines), FDistances(Distances)
{
}

TGetUnkownDistances::~TGetUnkownDistances()
{
    RequestStop();
    wait();
}

void TGetUnkownDistances::RequestStop()
{
    FStop.store(true);
    requestInterruption();
}

void TGetUnkownDistances::run()
{
    const std::shared_ptr<const TDistanceTable> table = FDistances.Snapshot();
    if (!table)
        return;
    const std::vector<TLearnedDistance> collected = CollectUnknownDistances(FLines, *table, &FStop);
    FCollected = int(collected.size());
    if (FStop.load() || collected.empty())
        return;
    FSaveResult = FDistances.SaveUserDistances(collected);
    FHandedOver = FSaveResult.Ok;
    if (FSaveResult.Ok)
        emit DistancesLearned(FSaveResult.AddedPairs);
}

} // namespace kvn
