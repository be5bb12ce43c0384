// The distance learner: reads the road distances and ferry times of the save's job offers for the
// city pairs the distance table lacks, and hands them to the learnt-distance store.
#pragma once

#include "catalogue/distances.h"
#include "savegame/gamesavelines.h"

#include <QSet>
#include <QThread>
#include <atomic>
#include <vector>

namespace kvn {

// Walks the company units and their job offers and collects, once per pair of cities and with the
// shortest distance the save offers for it, every pair that the table lacks or knows only with an
// unknown distance, and every compiled pair whose distance none of the save's offers confirms (the
// player's game wins over the compiled table). Pairs already learnt stay as they are. Offers in
// Skip (keys of TEstimatedOffers: written by this program with an estimated distance) are passed
// over. Company units and offer units are found through the save's index, so the walk is linear
// in the size of the save. Returns what was collected so far when Stop is set.
std::vector<TLearnedDistance> CollectUnknownDistances(const GameSaveLines &Save, const TDistanceTable &Table,
                                                      StopFlag Stop = nullptr, const QSet<QString> &Skip = {});

// The same walk done the plain way, each unit looked for by scanning the lines (the reference the
// indexed walk must equal, and the benchmark's baseline).
std::vector<TLearnedDistance> CollectUnknownDistancesByScan(const QStringList &Lines, const TDistanceTable &Table,
                                                            StopFlag Stop = nullptr, const QSet<QString> &Skip = {});

class TGetUnkownDistances : public QThread {
    Q_OBJECT
public:
    // Takes its own copy of the lines; the owner may change and save its lines meanwhile.
    // Call start() to run.
    TGetUnkownDistances(const GameSaveLines &Lines, TDistances &Distances, QObject *Parent = nullptr);
    ~TGetUnkownDistances() override;

    // Asks the run to end; it does within one step and then hands nothing over.
    void RequestStop();
    bool StopRequested() const { return FStop.load(); }

    // After the run: what was collected and whether the hand-over worked.
    int CollectedCount() const { return FCollected; }
    const TSaveUserDistancesResult &SaveResult() const { return FSaveResult; }
    bool HandedOver() const { return FHandedOver; }

signals:
    // Emitted from the learner's thread after the new table is in place.
    void DistancesLearned(int AddedPairs);

protected:
    void run() override;

private:
    GameSaveLines FLines;
    TDistances &FDistances;
    std::atomic<bool> FStop{false};
    int FCollected = 0;
    bool FHandedOver = false;
    TSaveUserDistancesResult FSaveResult;
};

} // namespace kvn
