// Road distances and ferry times between cities: the compiled table merged with the distances
// learnt from the player's saves ("distances-user.dat"), and the look-ups on it.
//
// The merged table is an immutable snapshot behind a shared pointer. A rebuild (at start-up, and
// on the learner's thread after it saved new distances) builds a complete new table aside and
// swaps it in whole; a reader keeps the snapshot it started with, so nobody ever sees a table
// that is half emptied or half filled.
#pragma once

#include "catalogue/citypositions.h"
#include "shared/encoding.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace kvn {

// A distance that stands for "unknown" in the data and in the writer.
inline constexpr std::int32_t kUnknownDistanceKm = 1234;

class TDistanceData {
public:
    TDistanceData(const QString &Departure, const QString &Destination, std::int32_t Distance, std::int32_t FerryTime,
                  bool DistanceIsUnknown, bool Learnt = false);
    TDistanceData(const TDistanceData &Other);
    TDistanceData &operator=(const TDistanceData &Other);

    const QString &Departure() const { return FDeparture; }
    const QString &Destination() const { return FDestination; }
    std::int32_t Distance() const { return FDistance; }
    std::int32_t FerryTime() const { return FFerryTime; }
    bool NeedsFerry() const { return FNeedsFerry; }
    bool DistanceIsUnknown() const { return FDistanceIsUnknown; }
    // The value comes from the player's own saves ("distances-user.dat"), not the compiled table.
    bool Learnt() const { return FLearnt; }

    // The profile marks are not part of the table's content: they are set and reset on the main
    // thread on every profile load, while the learner thread may read the same snapshot.
    bool ItemDeactivatedForProfile() const { return FItemDeactivatedForProfile.load(std::memory_order_relaxed); }
    void SetItemDeactivatedForProfile(bool Value) const
    {
        FItemDeactivatedForProfile.store(Value, std::memory_order_relaxed);
    }

private:
    QString FDeparture;
    QString FDestination;
    std::int32_t FDistance = 0;
    std::int32_t FFerryTime = 0;
    bool FNeedsFerry = false;
    bool FDistanceIsUnknown = false;
    bool FLearnt = false;
    mutable std::atomic<bool> FItemDeactivatedForProfile{false};
};

// Where a distance comes from: the compiled table, the player's own saves, or an estimate from
// the cities' positions (never stored, never written as a learnt distance).
enum class TDistanceSource : std::uint8_t { None, Compiled, Learnt, Estimated };

struct TDistanceDataResult {
    std::int32_t KM = 0;
    std::int32_t FerryTime = 0;
    bool NeedsFerry = false;
    TDistanceSource Source = TDistanceSource::None;
    // An estimate between cities whose countries are linked by a ferry somewhere: the route may
    // cross water, which the estimate cannot tell.
    bool MayCrossWater = false;

    bool IsEstimate() const { return Source == TDistanceSource::Estimated; }
};

// Pairs of cities the table answers for, each pair counted once whatever its direction (a city
// to itself does not count).
struct TDistanceCoverage {
    qsizetype FromTable = 0; // the compiled table's distances
    qsizetype Learnt = 0;    // the player's saves' distances (also where they replace a compiled one)
    qsizetype Estimable = 0; // neither knows the pair, but both cities have a position
    qsizetype Known() const { return FromTable + Learnt; }
};

// One merged table; never changes once built (apart from the profile marks).
class TDistanceTable {
public:
    // Compiled lines in their order, then the user's lines in theirs. A compiled pair that the
    // user's lines know with another distance takes the learnt value (the player's game is the
    // one that counts); any other user line for an ordered pair the table already has is left
    // out. Positions, when given, estimate the pairs that neither knows.
    static std::shared_ptr<const TDistanceTable> Build(const QStringList &CompiledLines, const QStringList &UserLines,
                                                       std::shared_ptr<const TCityPositions> Positions = {});

    const std::vector<TDistanceData> &Entries() const { return FEntries; }
    bool IsEmpty() const { return FEntries.empty(); }

    // An entry with exactly this departure and destination (this direction, case-sensitive).
    bool DistanceExists(const QString &Departure, const QString &Destination) const;
    // The first entry in table order of either direction, the names lower-cased first. Where
    // that entry is missing or its distance unknown, the estimate from the positions, marked as
    // one (KM 0 when there is none).
    TDistanceDataResult GetDistance(const QString &Departure, const QString &Destination) const;
    // The first entry in table order of either direction (exact names), or none; no estimate.
    const TDistanceData *FindEitherWay(const QString &Departure, const QString &Destination) const;
    const TCityPositions *Positions() const { return FPositions.get(); }
    void ResetDistanceDeactivation() const;
    // Counting the estimable pairs walks every pair of positioned cities: ask only when shown.
    TDistanceCoverage Coverage(bool WithEstimable = false) const;

private:
    // Index of the first entry for an ordered pair, or -1.
    qsizetype FirstIndex(const QString &Departure, const QString &Destination) const;
    using TLearntValues = QHash<std::pair<QString, QString>, std::pair<std::int32_t, std::int32_t>>;
    void AddLine(const QString &Line, bool FromUserFile, const TLearntValues *Learnt);
    void FindFerryCountries();

    std::vector<TDistanceData> FEntries;
    std::shared_ptr<const TCityPositions> FPositions;
    // Countries (smaller name first) between which some known route takes a ferry.
    QSet<std::pair<QString, QString>> FFerryCountries;
    // First entry of each ordered pair (departure, destination).
    QHash<std::pair<QString, QString>, qsizetype> FFirstIndex;
    // First entry of either direction, keyed by the pair's smaller name first: one look-up
    // answers GetDistance exactly as a walk through the list in order would.
    QHash<std::pair<QString, QString>, qsizetype> FFirstEitherWay;
};

// A connection learnt from one of the save's job offers.
struct TLearnedDistance {
    QString Departure;
    QString Target;
    std::int32_t KM = 0;
    std::int32_t FerryTime = 0;
};

// The connections of job offers (pointers to records with departure, target and a DistanceData
// holding KM and FerryTime, as the save's job_offer_data units are read), in their order.
template <typename OfferPointers> std::vector<TLearnedDistance> LearnedDistancesOf(const OfferPointers &Offers)
{
    std::vector<TLearnedDistance> learned;
    for (const auto &offer : Offers) {
        if (offer)
            learned.push_back({offer->departure, offer->target, offer->DistanceData.KM, offer->DistanceData.FerryTime});
    }
    return learned;
}

struct TSaveUserDistancesResult {
    bool Ok = true;     // false: the file could not be read or written; table and file unchanged
    int AddedPairs = 0; // connections appended (each as two lines)
    QString Error;      // for the status line when not Ok
};

// The program's distance table: the current snapshot, the compiled lines it starts from and
// the user file. Held once by the program.
class TDistances {
public:
    static QString UserFileName() { return QStringLiteral("distances-user.dat"); }
    // The user file is too big to be ours beyond this size; it is then left alone.
    static constexpr qint64 kMaxUserFileBytes = 64 * 1024 * 1024;

    // UserFolder holds "distances-user.dat" (the program's folder, or the user's data folder
    // when that is not writable).
    explicit TDistances(const QString &UserFolder = QString());

    void SetUserFolder(const QString &UserFolder);
    QString UserFolder() const;
    QString UserFilePath() const;
    // The compiled table to use instead of the program's resource (tests, tools).
    void SetCompiledLines(const QStringList &Lines);

    // The table as it is now; keep the pointer for as long as one task works with it.
    std::shared_ptr<const TDistanceTable> Snapshot() const;

    // Rebuilds the table from the compiled lines and the user file and swaps it in.
    void ReloadDistances();
    // Appends the connections the user file lacks (both directions each), writes the file
    // atomically and swaps in the rebuilt table. Safe to call from the learner's thread.
    TSaveUserDistancesResult SaveUserDistances(const std::vector<TLearnedDistance> &Offers);

    // Shortcuts on the current snapshot.
    bool DistanceExists(const QString &Departure, const QString &Destination) const;
    TDistanceDataResult GetDistance(const QString &Departure, const QString &Destination) const;
    void ResetDistanceDeactivation() const;

private:
    QStringList CompiledLines();
    std::shared_ptr<const TCityPositions> Positions();

    mutable QMutex FSnapshotMutex; // guards only the pointer swap and copy
    std::shared_ptr<const TDistanceTable> FTable;
    mutable QMutex FRebuildMutex; // one rebuild or save at a time
    QString FUserFolder;
    QStringList FCompiledLines;
    bool FCompiledLinesSet = false;
    std::shared_ptr<const TCityPositions> FPositions;
};

// The text of the user file's bytes: a byte-order mark decides the encoding, without one the
// bytes are 8-bit text. Tells which encoding and whether a mark was there, to write it back alike.
QString DecodeDistanceUserBytes(const QByteArray &Bytes, TTextEncoding *Encoding = nullptr, bool *HasBom = nullptr);

// The lines of a distance user file's text (trimmed as a whole, split at any line break).
QStringList SplitDistanceUserText(const QString &Text);

} // namespace kvn
