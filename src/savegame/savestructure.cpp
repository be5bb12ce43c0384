#include "savegame/savestructure.h"

#include "lang/languages.h"
#include "savegame/siitext.h"

namespace kvn {

namespace {

const QString FileMark = QStringLiteral("SiiNunit");

TSaveStructureCheck Fault(TSaveStructureFault Kind, qsizetype Index)
{
    return {Kind, int(Index) + 1};
}

} // namespace

TSaveStructureCheck CheckSaveStructure(const QStringList &Lines)
{
    // The plain-text test looks at the first characters of the text, so the mark must open the
    // first line; the file's brace may stand behind it on the same line or on a line of its own.
    if (Lines.isEmpty() || !Lines.front().startsWith(FileMark))
        return {TSaveStructureFault::NoHeader, 1};

    // Saves hold units one level deep: 0 outside the file's braces, 1 between units, 2 in a unit.
    int depth = 0;
    bool fileOpened = false;
    bool economy = false;
    qsizetype openUnit = -1;
    const qsizetype count = Lines.size();
    for (qsizetype i = 0; i < count; ++i) {
        QStringView t = TrimmedView(Lines.at(i));
        if (i == 0)
            t = TrimmedView(t.mid(FileMark.size()));
        if (t.isEmpty())
            continue;
        const bool closes = t.front() == u'}';
        const bool opens = !closes && t.back() == u'{';
        switch (depth) {
        case 0:
            if (fileOpened)
                return Fault(TSaveStructureFault::UnexpectedBrace, i); // text after the file's end
            if (t != u"{")
                return Fault(TSaveStructureFault::NoHeader, i);
            fileOpened = true;
            depth = 1;
            break;
        case 1:
            if (closes) {
                depth = 0;
            } else if (opens) {
                depth = 2;
                openUnit = i;
                economy = economy || t.startsWith(u"economy : ");
            }
            // Anything else between units is no unit of the game's; the readers pass over it.
            break;
        default:
            if (closes)
                depth = 1;
            else if (opens)
                return Fault(TSaveStructureFault::UnitNotClosed, openUnit); // the next unit begins inside it
            break;
        }
    }
    if (!fileOpened)
        return {TSaveStructureFault::NoHeader, 1};
    if (depth == 2)
        return Fault(TSaveStructureFault::UnitNotClosed, openUnit);
    if (depth == 1)
        return Fault(TSaveStructureFault::FileNotClosed, count - 1);
    if (!economy)
        return {TSaveStructureFault::NoEconomyUnit, 0};
    return {};
}

QString DescribeSaveFault(const TSaveStructureCheck &Check, const TLanguageTexts *Texts)
{
    if (!Texts) {
        const TLanguageTexts english;
        return DescribeSaveFault(Check, &english);
    }
    const TLanguageTexts &texts = *Texts;
    switch (Check.Fault) {
    case TSaveStructureFault::None:
        return {};
    case TSaveStructureFault::NoHeader:
        return texts.Text(TLangText::SaveFaultNoHeader);
    case TSaveStructureFault::UnitNotClosed:
        return texts.Format(TLangText::SaveFaultUnitNotClosed, {Check.Line});
    case TSaveStructureFault::FileNotClosed:
        return texts.Text(TLangText::SaveFaultFileNotClosed);
    case TSaveStructureFault::UnexpectedBrace:
        return texts.Format(TLangText::SaveFaultUnexpectedText, {Check.Line});
    case TSaveStructureFault::NoEconomyUnit:
        return texts.Text(TLangText::SaveFaultNoEconomyUnit);
    }
    return {};
}

} // namespace kvn
