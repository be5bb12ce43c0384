// The distance learner: reads the road distances and ferry times of the save's job offers for the
// city pairs the distance table lacks, and hands them to the learnt-distance store.
#pragma once

#include "catalogue/distances.h"
#include "savegame/gamesavelines.h"
#include "savegame/savesread.h"

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
std::vector<TLearnedDistance> CollectUnknownDistances(const TGameSaveLines &Save, const TDistanceTable &Table,
                                                      TStopFlag Stop = nullptr, const QSet<QString> &Skip = {});

// The same walk done the plain way, each unit looked for by scanning the lines (the reference the
// indexed walk must equal, and the benchmark's baseline).
std::vector<TLearnedDistance> CollectUnknownDistancesByScan(const QStringList &Lines, const TDistanceTable &Table,
                                                            TStopFlag Stop = nullptr, const QSet<QString> &Skip = {});

// The player's saves besides the loaded one, which the learner reads after it.
struct TOtherSaves {
    QStringList ProfileFolders; // every profile found; their "save/<name>/game.sii" are read
    QString LoadedSave;         // the loaded quick-save, already read from memory
    QString DecrypterFolder;    // where SII_Decrypt.exe lies, for saves that are not plain text
};

class TGetUnkownDistances : public QThread {
    Q_OBJECT
public:
    // Takes its own copy of the lines; the owner may change and save its lines meanwhile. After
    // them, the Others are read newest first, those read before and unchanged since left out.
    // Call start() to run.
    TGetUnkownDistances(const TGameSaveLines &Lines, TDistances &Distances, TOtherSaves Others = {},
                        QObject *Parent = nullptr);
    ~TGetUnkownDistances() override;

    // Asks the run to end; it does within one step (or once the decrypter is done with the save
    // it converts) and then hands nothing more over.
    void RequestStop();
    bool StopRequested() const { return FStop.load(); }

    // After the run: what was collected from the loaded save and whether every hand-over worked.
    int CollectedCount() const { return FCollected; }
    const TSaveUserDistancesResult &SaveResult() const { return FSaveResult; }
    bool HandedOver() const { return FHandedOver; }
    // Safe to call while the run goes on.
    TSavesLearning Learning() const;

signals:
    // Emitted from the learner's thread after the new table is in place, once per save that
    // taught something.
    void DistancesLearned(int AddedPairs);

protected:
    void run() override;

private:
    bool HandOver(const std::vector<TLearnedDistance> &Collected);
    void LearnFromOtherSaves(const QSet<QString> &Skip);

    TGameSaveLines FLines;
    TDistances &FDistances;
    TOtherSaves FOthers;
    std::atomic<bool> FStop{false};
    int FCollected = 0;
    bool FHandedOver = false;
    TSaveUserDistancesResult FSaveResult;
    std::atomic<int> FSavesFound{0};
    std::atomic<int> FSavesRead{0};
    std::atomic<int> FSavesAlreadyRead{0};
    std::atomic<int> FSavesSkipped{0};
    std::atomic<int> FPairsAdded{0};
};

} // namespace kvn
