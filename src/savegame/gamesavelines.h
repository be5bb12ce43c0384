// The lines of the loaded quick-save, with an index from unit headers to line numbers.
//
// A save has millions of lines and the readers, the learner and the writer look units up by their
// header again and again. The index answers those look-ups without scanning from the top, and it
// gives exactly the answer the plain scan (FindLineFrom) would give: it only narrows the candidate
// lines, every candidate is still checked against the prefix. Every edit goes through this class, so
// the index stays right under the save document's line changes and unit moves.
#pragma once

#include "savegame/siitext.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kvn {

class TGameSaveLines {
public:
    TGameSaveLines() = default;

    TSiiReadResult LoadFromFile(const QString &FileName);
    void LoadFromBytes(const QByteArray &Bytes);
    void SetLines(QStringList Lines, TSiiTextForm Form = {});
    void Clear();

    const QStringList &Lines() const { return FLines; }
    const TSiiTextForm &Form() const { return FForm; }
    int Count() const { return int(FLines.size()); }
    bool IsEmpty() const { return FLines.isEmpty(); }
    const QString &Line(int Index) const { return FLines.at(Index); }

    // Same results as the free functions of siitext.h on Lines(), found through the index whenever
    // the prefix names a unit class (contains " : ").
    int FindLineFrom(QStringView Prefix, int Start, TStopFlag Stop = nullptr) const;
    int FindUnitEnd(int Start) const { return kvn::FindUnitEnd(FLines, Start); }
    // The last line whose trimmed text begins with Prefix; -1 when none. Indexed like FindLineFrom.
    int FindLastLine(QStringView Prefix) const;
    QString ReadUnitValue(QStringView Key, int Start, int Limit) const;

    // Edits that keep the index right.
    void SetLine(int Index, const QString &Text);
    void InsertLines(int At, const QStringList &NewLines);
    void RemoveLines(int At, int Count);
    // Moves the lines [From, From + Count) so that they stand before the line that is now at To
    // (To outside the block; To == Count() appends them).
    void MoveBlock(int From, int Count, int To);
    // Puts the lines in a new order in one pass: NewOrder[k] is the present index of the line that
    // goes to k. False (and nothing changed) unless NewOrder is a permutation of all lines. Many
    // block moves cost one pass instead of one pass each.
    bool PermuteLines(const std::vector<int> &NewOrder);

    // For tests: the index holds exactly the entries a fresh build would hold.
    bool IndexIsConsistent() const;

private:
    // Eight bytes an entry: a save has hundreds of thousands of units.
    struct TIndexEntry {
        std::uint32_t Hash;
        int Line;
        bool operator<(const TIndexEntry &Other) const
        {
            return Hash != Other.Hash ? Hash < Other.Hash : Line < Other.Line;
        }
        bool operator==(const TIndexEntry &Other) const { return Hash == Other.Hash && Line == Other.Line; }
    };
    using TLineIndex = std::vector<TIndexEntry>;

    void BuildIndex();
    void AddToIndex(int Line);
    void RemoveFromIndex(int Line);
    void ShiftIndex(int From, int Delta);
    static int FindInIndex(const TLineIndex &In, std::uint32_t Hash, const QStringList &Lines, QStringView Prefix,
                           int Start, TStopFlag Stop);

    QStringList FLines;
    TSiiTextForm FForm;
    TLineIndex FByClass;  // every line holding " : ", keyed by the text before it
    TLineIndex FByHeader; // those of them holding "{", keyed by the text up to the first "{"
};

} // namespace kvn
