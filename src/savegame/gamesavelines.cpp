#include "savegame/gamesavelines.h"

#include <QHash>
#include <algorithm>
#include <limits>

namespace kvn {

namespace {

constexpr QStringView kClassSeparator = u" : ";

std::uint32_t KeyHash(QStringView Key)
{
    const std::size_t h = qHash(Key, 0);
    return std::uint32_t(h ^ (std::uint64_t(h) >> 32));
}

// The class key of a trimmed line: the text before its first " : "; empty view when it has none.
bool ClassKey(QStringView Trimmed, QStringView &Key)
{
    const qsizetype at = Trimmed.indexOf(kClassSeparator);
    if (at < 0)
        return false;
    Key = Trimmed.first(at);
    return true;
}

// The header key: the trimmed text up to and including its first "{".
bool HeaderKey(QStringView Trimmed, QStringView &Key)
{
    const qsizetype at = Trimmed.indexOf(u'{');
    if (at < 0)
        return false;
    Key = Trimmed.first(at + 1);
    return true;
}

// A prefix can be answered by the header index when every line it matches has the prefix itself
// as its header key: it ends with its only "{".
bool IsHeaderPrefix(QStringView Prefix)
{
    return !Prefix.isEmpty() && Prefix.back() == u'{' && Prefix.indexOf(u'{') == Prefix.size() - 1;
}

} // namespace

TSiiReadResult TGameSaveLines::LoadFromFile(const QString &FileName)
{
    Clear();
    QStringList lines;
    TSiiTextForm form;
    const TSiiReadResult result = ReadSiiFile(FileName, lines, form);
    if (result.ok())
        SetLines(std::move(lines), std::move(form));
    return result;
}

void TGameSaveLines::LoadFromBytes(const QByteArray &Bytes)
{
    QStringList lines;
    TSiiTextForm form;
    ReadSiiBytes(Bytes, lines, form);
    SetLines(std::move(lines), std::move(form));
}

void TGameSaveLines::SetLines(QStringList Lines, TSiiTextForm Form)
{
    FLines = std::move(Lines);
    FForm = std::move(Form);
    if (!FForm.MixedLineEnds.empty() && FForm.MixedLineEnds.size() != size_t(FLines.size()))
        FForm.MixedLineEnds.clear();
    BuildIndex();
}

void TGameSaveLines::Clear()
{
    FLines.clear();
    FForm = TSiiTextForm();
    TLineIndex().swap(FByClass);
    TLineIndex().swap(FByHeader);
}

void TGameSaveLines::BuildIndex()
{
    TLineIndex().swap(FByClass);
    TLineIndex().swap(FByHeader);
    const int count = Count();
    // Counted first so that the vectors are allocated once, at their final size.
    size_t classes = 0;
    size_t headers = 0;
    for (int i = 0; i < count; ++i) {
        const QStringView trimmed = TrimmedView(FLines.at(i));
        QStringView key;
        if (ClassKey(trimmed, key)) {
            ++classes;
            headers += HeaderKey(trimmed, key) ? 1 : 0;
        }
    }
    FByClass.reserve(classes);
    FByHeader.reserve(headers);
    for (int i = 0; i < count; ++i) {
        const QStringView trimmed = TrimmedView(FLines.at(i));
        QStringView key;
        if (!ClassKey(trimmed, key))
            continue;
        FByClass.push_back({KeyHash(key), i});
        if (HeaderKey(trimmed, key))
            FByHeader.push_back({KeyHash(key), i});
    }
    std::sort(FByClass.begin(), FByClass.end());
    std::sort(FByHeader.begin(), FByHeader.end());
}

void TGameSaveLines::AddToIndex(int Line)
{
    const QStringView trimmed = TrimmedView(FLines.at(Line));
    QStringView key;
    if (!ClassKey(trimmed, key))
        return;
    const TIndexEntry byClass{KeyHash(key), Line};
    FByClass.insert(std::lower_bound(FByClass.begin(), FByClass.end(), byClass), byClass);
    if (HeaderKey(trimmed, key)) {
        const TIndexEntry byHeader{KeyHash(key), Line};
        FByHeader.insert(std::lower_bound(FByHeader.begin(), FByHeader.end(), byHeader), byHeader);
    }
}

void TGameSaveLines::RemoveFromIndex(int Line)
{
    const QStringView trimmed = TrimmedView(FLines.at(Line));
    QStringView key;
    if (!ClassKey(trimmed, key))
        return;
    const TIndexEntry byClass{KeyHash(key), Line};
    auto at = std::lower_bound(FByClass.begin(), FByClass.end(), byClass);
    if (at != FByClass.end() && *at == byClass)
        FByClass.erase(at);
    if (HeaderKey(trimmed, key)) {
        const TIndexEntry byHeader{KeyHash(key), Line};
        auto h = std::lower_bound(FByHeader.begin(), FByHeader.end(), byHeader);
        if (h != FByHeader.end() && *h == byHeader)
            FByHeader.erase(h);
    }
}

// A uniform shift of every line at or after From keeps each hash group in ascending line order.
void TGameSaveLines::ShiftIndex(int From, int Delta)
{
    for (TLineIndex *index : {&FByClass, &FByHeader})
        for (TIndexEntry &e : *index)
            if (e.Line >= From)
                e.Line += Delta;
}

int TGameSaveLines::FindInIndex(const TLineIndex &In, std::uint32_t Hash, const QStringList &Lines, QStringView Prefix,
                                int Start, TStopFlag Stop)
{
    auto it = std::lower_bound(In.begin(), In.end(), TIndexEntry{Hash, Start});
    for (; it != In.end() && it->Hash == Hash; ++it) {
        if (Stop && Stop->load(std::memory_order_relaxed))
            return -1;
        if (TrimmedStartsWith(Lines.at(it->Line), Prefix))
            return it->Line;
    }
    return -1;
}

int TGameSaveLines::FindLineFrom(QStringView Prefix, int Start, TStopFlag Stop) const
{
    if (Start < 0)
        Start = 0;
    if (Start >= Count())
        return -1;
    QStringView key;
    if (!ClassKey(Prefix, key))
        return kvn::FindLineFrom(FLines, Prefix, Start, Stop);
    if (IsHeaderPrefix(Prefix))
        return FindInIndex(FByHeader, KeyHash(Prefix), FLines, Prefix, Start, Stop);
    return FindInIndex(FByClass, KeyHash(key), FLines, Prefix, Start, Stop);
}

int TGameSaveLines::FindLastLine(QStringView Prefix) const
{
    QStringView key;
    if (!ClassKey(Prefix, key)) {
        for (int i = Count() - 1; i >= 0; --i)
            if (TrimmedStartsWith(FLines.at(i), Prefix))
                return i;
        return -1;
    }
    const bool header = IsHeaderPrefix(Prefix);
    const TLineIndex &in = header ? FByHeader : FByClass;
    const std::uint32_t hash = KeyHash(header ? Prefix : key);
    auto it = std::upper_bound(in.begin(), in.end(), TIndexEntry{hash, std::numeric_limits<int>::max()});
    while (it != in.begin()) {
        --it;
        if (it->Hash != hash)
            break;
        if (TrimmedStartsWith(FLines.at(it->Line), Prefix))
            return it->Line;
    }
    return -1;
}

QString TGameSaveLines::ReadUnitValue(QStringView Key, int Start, int Limit) const
{
    const int at = FindLineFrom(Key, Start);
    if (at < 0 || at >= Limit)
        return {};
    return SiiLineValue(FLines.at(at));
}

void TGameSaveLines::SetLine(int Index, const QString &Text)
{
    if (Index < 0 || Index >= Count())
        return;
    RemoveFromIndex(Index);
    FLines[Index] = Text;
    AddToIndex(Index);
}

void TGameSaveLines::InsertLines(int At, const QStringList &NewLines)
{
    At = std::clamp(At, 0, Count());
    const int n = int(NewLines.size());
    if (n == 0)
        return;
    ShiftIndex(At, n);
    FLines.insert(At, n, QString());
    for (int k = 0; k < n; ++k)
        FLines[At + k] = NewLines.at(k);
    if (!FForm.MixedLineEnds.empty())
        FForm.MixedLineEnds.insert(FForm.MixedLineEnds.begin() + At, size_t(n), FForm.LineEnd);
    for (int k = 0; k < n; ++k)
        AddToIndex(At + k);
}

void TGameSaveLines::RemoveLines(int At, int Count)
{
    if (At < 0 || Count <= 0 || At >= this->Count())
        return;
    Count = std::min(Count, this->Count() - At);
    for (int k = 0; k < Count; ++k)
        RemoveFromIndex(At + k);
    ShiftIndex(At + Count, -Count);
    FLines.remove(At, Count);
    if (!FForm.MixedLineEnds.empty())
        FForm.MixedLineEnds.erase(FForm.MixedLineEnds.begin() + At, FForm.MixedLineEnds.begin() + At + Count);
}

void TGameSaveLines::MoveBlock(int From, int Count, int To)
{
    if (From < 0 || Count <= 0 || From + Count > this->Count() || To < 0 || To > this->Count())
        return;
    if (To >= From && To <= From + Count)
        return; // the block would land where it stands
    const QStringList block = FLines.mid(From, Count);
    std::vector<TSiiLineEnd> ends;
    if (!FForm.MixedLineEnds.empty())
        ends.assign(FForm.MixedLineEnds.begin() + From, FForm.MixedLineEnds.begin() + From + Count);
    RemoveLines(From, Count);
    const int target = To > From ? To - Count : To;
    InsertLines(target, block);
    if (!ends.empty())
        std::copy(ends.begin(), ends.end(), FForm.MixedLineEnds.begin() + target);
}

bool TGameSaveLines::PermuteLines(const std::vector<int> &NewOrder)
{
    const int count = Count();
    if (int(NewOrder.size()) != count)
        return false;
    std::vector<int> newIndex(size_t(count), -1);
    for (int k = 0; k < count; ++k) {
        const int old = NewOrder[size_t(k)];
        if (old < 0 || old >= count || newIndex[size_t(old)] >= 0)
            return false;
        newIndex[size_t(old)] = k;
    }
    QStringList lines;
    lines.reserve(count);
    for (int k = 0; k < count; ++k)
        lines.append(std::move(FLines[NewOrder[size_t(k)]]));
    FLines = std::move(lines);
    if (!FForm.MixedLineEnds.empty()) {
        std::vector<TSiiLineEnd> ends(static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k)
            ends[size_t(k)] = FForm.MixedLineEnds[size_t(NewOrder[size_t(k)])];
        FForm.MixedLineEnds = std::move(ends);
    }
    for (TLineIndex *index : {&FByClass, &FByHeader}) {
        for (TIndexEntry &e : *index)
            e.Line = newIndex[size_t(e.Line)];
        std::sort(index->begin(), index->end());
    }
    return true;
}

bool TGameSaveLines::IndexIsConsistent() const
{
    TGameSaveLines fresh;
    fresh.FLines = FLines;
    fresh.BuildIndex();
    return fresh.FByClass == FByClass && fresh.FByHeader == FByHeader;
}

} // namespace kvn
