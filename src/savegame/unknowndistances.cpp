#include "savegame/unknowndistances.h"

#include "shared/strings.h"

namespace kvn {

namespace {

bool Stopped(StopFlag Stop)
{
    return Stop && Stop->load(std::memory_order_relaxed);
}

// The second field of Text split at Separator, as the game's reader takes it.
QStringView SecondField(QStringView Text, QStringView Separator)
{
    const qsizetype first = Text.indexOf(Separator);
    if (first < 0)
        return {};
    const qsizetype from = first + Separator.size();
    const qsizetype second = Text.indexOf(Separator, from);
    return second < 0 ? Text.sliced(from) : Text.sliced(from, second - from);
}

QStringView TrimmedField(QStringView Text, QStringView Separator)
{
    return TrimmedView(SecondField(Text, Separator));
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
        const int count = ToIntDefault(TrimmedField(Lines.at(c), u"job_offer:"), 0);
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
            const QString item = QStringLiteral("job_offer[") + QString::number(j - 1) + u']';
            if (!TrimmedStartsWith(Lines.at(at), item))
                continue;
            const QStringView id = TrimmedField(Lines.at(at), u": ");
            QString header = QStringLiteral("job_offer_data : ");
            header.append(id).append(QLatin1String(" {"));
            for (int k = FindFrom(header, at); k >= 0 && !Stopped(Stop); k = FindFrom(header, k + 1)) {
                const int h = FindFrom(QStringLiteral("target:"), k);
                if (h > 0) {
                    QStringView v = TrimmedField(Lines.at(h), u":");
                    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'))
                        v = TrimmedView(v.sliced(1, v.size() - 2));
                    else if (v == u"\"")
                        v = {};
                    if (!v.isEmpty())
                        target = TrimmedField(v, u".").toString();
                }
                if (target.isEmpty())
                    continue; // the game's reader looks on for another unit of that name
                const int d = FindFrom(QStringLiteral("shortest_distance_km:"), k);
                if (d > 0)
                    km = ToIntDefault(TrimmedField(Lines.at(d), u":"), 0);
                const int f = FindFrom(QStringLiteral("ferry_time:"), k);
                if (f > 0)
                    ferry = ToIntDefault(TrimmedField(Lines.at(f), u":"), 0);
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
