// Is this the whole of a save? A game.sii that was cut off (a crash while the game wrote it, a full
// disk, a copy that stopped half-way) still reads as lines, and every reader finds something in it.
// Writing jobs into such a text would hand the player a save the game cannot load, so the load and
// the writer check the outline first: the opening "SiiNunit" and brace, every unit closed before the
// next one opens, the file's own brace closed at the end, and the economy unit present.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kvn {

class TLanguageTexts;

enum class TSaveStructureFault : std::uint8_t {
    None,
    NoHeader,        // the text does not open with "SiiNunit" and "{"
    UnitNotClosed,   // a unit is still open where the next one begins or where the text ends
    FileNotClosed,   // the units are complete but the file's closing brace is missing
    UnexpectedBrace, // a closing brace with nothing open, or text after the file's closing brace
    NoEconomyUnit,
};

struct TSaveStructureCheck {
    TSaveStructureFault Fault = TSaveStructureFault::None;
    int Line = 0; // 1-based line the fault points at (the open unit's header for UnitNotClosed); 0 when none
    bool Ok() const { return Fault == TSaveStructureFault::None; }
};

// One pass over the lines, no allocation: cheap enough for every load and every write of a save
// of several hundred thousand lines.
TSaveStructureCheck CheckSaveStructure(const QStringList &Lines);

// What is wrong, in words for the player (a short clause, for a sentence of the caller's own).
// Without Texts the English words are used.
QString DescribeSaveFault(const TSaveStructureCheck &Check, const TLanguageTexts *Texts);

} // namespace kvn
