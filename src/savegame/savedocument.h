// The loaded quick-save as units and attributes: units found by class and name, attributes read
// and set inside their unit, array entries moved, units moved behind the last of their class, and
// the one write that may replace game.sii (verified before it takes the old file's place).
//
// The document edits the lines the profile session holds; every edit goes through them, so their
// header index stays right. Units are never parsed into a tree: the game reads back exactly the
// lines it wrote except for the values that were set.
#pragma once

#include "savegame/gamesavelines.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <vector>

namespace kvn {

class TLanguageTexts;

// One unit "Class : ID {" of the save: its header line and the line of its closing brace.
struct TSaveUnit {
    QString ID;
    int Header = -1;
    int End = -1;
    bool IsValid() const { return Header >= 0 && End > Header; }
};

// An array attribute of a unit as the game writes it: "Name: N" followed directly by the lines
// "Name[0]: value" … in order.
struct TSaveArray {
    int CountLine = -1; // -1: the unit has no such array
    int Count = -1;     // what the count line says; -1 when it is not a number
    std::vector<int> EntryLines;
    bool IsValid() const { return CountLine >= 0; }
    bool CountMatches() const { return Count == int(EntryLines.size()); }
};

// Reading the save; changes nothing.
class TSaveView {
public:
    explicit TSaveView(const TGameSaveLines &Lines) : FView(Lines) {}

    const TGameSaveLines &Lines() const { return FView; }

    // The unit "Class : ID {"; invalid when there is none or it is never closed.
    TSaveUnit FindUnit(QStringView Class, QStringView ID) const;
    // The first unit of Class in the file.
    TSaveUnit FirstUnit(QStringView Class) const;
    // Every unit of Class in file order.
    void ForEachUnit(QStringView Class, const std::function<void(const TSaveUnit &)> &Visit) const;
    // The ID of the last unit of Class; empty when there is none.
    QString LastUnitID(QStringView Class) const;

    // The line of the attribute "Name: …" inside Unit; -1 when it has none.
    int AttributeLine(const TSaveUnit &Unit, QStringView Name) const;
    // Its value (the text after the colon, trimmed); empty when the unit has no such attribute.
    QString Attribute(const TSaveUnit &Unit, QStringView Name) const;
    TSaveArray ReadArray(const TSaveUnit &Unit, QStringView Name) const;
    // The value of an array entry line.
    QString ArrayValue(int EntryLine) const;

private:
    const TGameSaveLines &FView;
};

class TSaveDocument : public TSaveView {
public:
    explicit TSaveDocument(TGameSaveLines &Lines) : TSaveView(Lines), FLines(Lines) {}

    // Replaces what follows the attribute's colon; its name and indentation stay. False when the
    // unit has no such attribute. Lines keep their places, so units found before stay valid.
    bool SetAttribute(const TSaveUnit &Unit, QStringView Name, const QString &Value);
    // Moves the entry at Index behind the others; the entries from Index on are numbered afresh,
    // those before it keep their lines untouched.
    void MoveArrayEntryToEnd(const TSaveArray &Array, QStringView Name, int Index);

    // Puts the unit behind the last unit of its class. The moves of one run keep their order: each
    // unit goes behind the one moved before it, so together they stand where the class's last unit
    // stood at the first move, also when a later move takes that unit itself. Nothing changes its
    // place until ApplyUnitMoves, so units found meanwhile stay valid.
    void MoveUnitToClassEnd(QStringView Class, const QString &ID);
    // Applies every pending move in one pass over the lines.
    void ApplyUnitMoves();

    // Writes the lines to a temporary file beside Path, reads it back and compares every line,
    // checks that it is a whole save, and only then renames it over Path with Path's permissions. A
    // write-protected Path is refused. On failure Path is untouched, no temporary file is left and
    // Error says why, in the language of Texts (English without them).
    bool WriteVerified(const QString &Path, QString *Error = nullptr, const TLanguageTexts *Texts = nullptr) const;

private:
    struct TClassMoves {
        QString Class;
        QString Anchor;    // the class's last unit at the first move: where the moved units go
        QStringList Order; // the anchor and every moved unit, in their final order
    };

    TGameSaveLines &FLines;
    std::vector<TClassMoves> FMoves;
};

} // namespace kvn
