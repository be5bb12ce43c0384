#include "savegame/unknowndistances.h"

#include "catalogue/estimatedoffers.h"
#include "savegame/savestructure.h"
#include "savegame/siidecryption.h"
#include "shared/strings.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <memory>

namespace kvn {

namespace {

bool Stopped(TStopFlag Stop)
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

// Whether an offer's distance is one to learn, as far as the table goes.
bool TableWantsToLearn(const TDistanceTable &Table, const QString &Departure, const QString &Target)
{
    const TDistanceData *known = Table.FindEitherWay(Departure, Target);
    return !known || known->DistanceIsUnknown() || !known->Learnt();
}

// One entry per pair of cities (either direction), in the order first seen, with the shortest
// distance offered; compiled pairs that one of the offers confirms are dropped.
std::vector<TLearnedDistance> ShortestPerPair(const std::vector<TLearnedDistance> &Offers, const TDistanceTable &Table)
{
    std::vector<TLearnedDistance> pairs;
    QHash<std::pair<QString, QString>, std::size_t> index;
    QSet<std::pair<QString, QString>> confirmed;
    for (const TLearnedDistance &offer : Offers) {
        auto key = std::make_pair(offer.Departure, offer.Target);
        if (key.second < key.first)
            std::swap(key.first, key.second);
        const TDistanceData *known = Table.FindEitherWay(offer.Departure, offer.Target);
        if (known && !known->DistanceIsUnknown() && known->Distance() == offer.KM)
            confirmed.insert(key);
        const auto it = index.constFind(key);
        if (it == index.cend()) {
            index.insert(key, pairs.size());
            pairs.push_back(offer);
        } else if (offer.KM < pairs[*it].KM) {
            pairs[*it].KM = offer.KM;
            pairs[*it].FerryTime = offer.FerryTime;
        }
    }
    std::vector<TLearnedDistance> result;
    for (const TLearnedDistance &pair : pairs) {
        auto key = std::make_pair(pair.Departure, pair.Target);
        if (key.second < key.first)
            std::swap(key.first, key.second);
        if (!confirmed.contains(key))
            result.push_back(pair);
    }
    return result;
}

// One walk over the save, parameterised by how a line with a prefix is found, so that the indexed
// and the scanning variant cannot drift apart.
template <typename Find>
std::vector<TLearnedDistance> Collect(const QStringList &Lines, const TDistanceTable &Table, TStopFlag Stop,
                                      const QSet<QString> &Skip, Find &&FindFrom)
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
                if (km >= 1 && km != kUnknownDistanceKm && TableWantsToLearn(Table, departure, target) &&
                    (Skip.isEmpty() || !Skip.contains(TEstimatedOffers::Key(id, departure, target, km))))
                    collected.push_back({departure, target, km, ferry});
                break;
            }
        }
    }
    return ShortestPerPair(collected, Table);
}

} // namespace

std::vector<TLearnedDistance> CollectUnknownDistances(const TGameSaveLines &Save, const TDistanceTable &Table,
                                                      TStopFlag Stop, const QSet<QString> &Skip)
{
    return Collect(Save.Lines(), Table, Stop, Skip,
                   [&](const QString &Prefix, int Start) { return Save.FindLineFrom(Prefix, Start, Stop); });
}

std::vector<TLearnedDistance> CollectUnknownDistancesByScan(const QStringList &Lines, const TDistanceTable &Table,
                                                            TStopFlag Stop, const QSet<QString> &Skip)
{
    return Collect(Lines, Table, Stop, Skip,
                   [&](const QString &Prefix, int Start) { return FindLineFrom(Lines, Prefix, Start, Stop); });
}

TGetUnkownDistances::TGetUnkownDistances(const TGameSaveLines &Lines, TDistances &Distances, TOtherSaves Others,
                                         QObject *Parent)
    : QThread(Parent), FLines(Lines), FDistances(Distances), FOthers(std::move(Others))
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

TSavesLearning TGetUnkownDistances::Learning() const
{
    TSavesLearning learning;
    learning.SavesFound = FSavesFound.load();
    learning.SavesRead = FSavesRead.load();
    learning.SavesAlreadyRead = FSavesAlreadyRead.load();
    learning.SavesSkipped = FSavesSkipped.load();
    learning.PairsAdded = FPairsAdded.load();
    return learning;
}

bool TGetUnkownDistances::HandOver(const std::vector<TLearnedDistance> &Collected)
{
    if (FStop.load() || Collected.empty())
        return true;
    FSaveResult = FDistances.SaveUserDistances(Collected);
    FHandedOver = FSaveResult.Ok;
    if (!FSaveResult.Ok)
        return false;
    FPairsAdded += FSaveResult.AddedPairs;
    emit DistancesLearned(FSaveResult.AddedPairs);
    return true;
}

void TGetUnkownDistances::run()
{
    const std::shared_ptr<const TDistanceTable> table = FDistances.Snapshot();
    if (!table)
        return;
    const QSet<QString> skip = TEstimatedOffers::Read(FDistances.UserFolder());
    // The loaded save first: its pairs are the ones the player is about to use.
    const std::vector<TLearnedDistance> collected = CollectUnknownDistances(FLines, *table, &FStop, skip);
    FLines.Clear();
    FCollected = int(collected.size());
    if (!HandOver(collected) || FStop.load())
        return;
    LearnFromOtherSaves(skip);
}

void TGetUnkownDistances::LearnFromOtherSaves(const QSet<QString> &Skip)
{
    if (FOthers.ProfileFolders.isEmpty())
        return;
    const std::vector<TSaveStamp> saves = ListProfileSaves(FOthers.ProfileFolders, FOthers.LoadedSave);
    FSavesFound = int(saves.size());
    const QString folder = FDistances.UserFolder();
    TReadSavesIndex index = TReadSavesIndex::Read(folder);
    index.ForgetMissing();
    const TSiiDecrypter decrypter(FOthers.DecrypterFolder);
    // Saves that are not plain text are decoded as copies in here, never in the player's folder.
    std::unique_ptr<QTemporaryDir> scratch;
    for (const TSaveStamp &save : saves) {
        if (FStop.load())
            return;
        if (index.WasRead(save)) {
            ++FSavesAlreadyRead;
            continue;
        }
        if (!scratch && IsSiiFileEncrypted(save.Path))
            scratch = std::make_unique<QTemporaryDir>();
        QString readable;
        const TSiiDecryptStatus decoded =
            decrypter.DecryptCopy(save.Path, scratch && scratch->isValid() ? scratch->path() : QString(), readable);
        TGameSaveLines lines;
        // A save the game is still writing (cut off) would teach wrong numbers: it is left for
        // the next run, when its time will have changed.
        const bool readOk = IsReadable(decoded) && lines.LoadFromFile(readable).ok() && !lines.IsEmpty() &&
                            CheckSaveStructure(lines.Lines()).Ok();
        if (readable != save.Path)
            QFile::remove(readable);
        if (FStop.load())
            return;
        if (!readOk) {
            ++FSavesSkipped;
            continue;
        }
        const std::shared_ptr<const TDistanceTable> table = FDistances.Snapshot();
        const std::vector<TLearnedDistance> collected = CollectUnknownDistances(lines, *table, &FStop, Skip);
        if (FStop.load() || !HandOver(collected))
            return;
        ++FSavesRead;
        index.MarkRead(save);
        if (!folder.isEmpty())
            index.Write(folder); // a lost index only means reading the save once more
    }
}

} // namespace kvn
