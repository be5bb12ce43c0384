// Feeds arbitrary bytes to the save document: every unit of the classes the job writer edits is
// walked, its attributes and arrays read, values set, queue entries and units moved. The document
// must stay within its units, keep the line count and keep the header index right.
#include "savegame/savedocument.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    kvn::TGameSaveLines lines;
    lines.LoadFromBytes(QByteArray(reinterpret_cast<const char *>(Data), qsizetype(Size)));
    const int count = lines.Count();
    kvn::TSaveDocument save(lines);
    for (const char16_t *unitClass : {u"job_offer_data", u"economy_event", u"company", u"economy_event_queue"}) {
        const QStringView cls(unitClass);
        std::vector<kvn::TSaveUnit> units;
        save.ForEachUnit(cls, [&](const kvn::TSaveUnit &Unit) { units.push_back(Unit); });
        for (const kvn::TSaveUnit &unit : units) {
            const int at = save.AttributeLine(unit, u"data");
            if (at >= 0 && (at <= unit.Header || at >= unit.End))
                std::abort();
            const kvn::TSaveArray array = save.ReadArray(unit, u"data");
            for (int line : array.EntryLines)
                if (line <= array.CountLine || line >= unit.End)
                    std::abort();
            if (!array.EntryLines.empty())
                save.MoveArrayEntryToEnd(array, u"data", 0);
            save.SetAttribute(unit, u"time", QStringLiteral("1"));
            if (!unit.ID.isEmpty())
                save.MoveUnitToClassEnd(cls, unit.ID);
        }
    }
    save.ApplyUnitMoves();
    if (lines.Count() != count || !lines.IndexIsConsistent())
        std::abort();
    return 0;
}
