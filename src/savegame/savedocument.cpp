#include "savegame/savedocument.h"

#include "lang/languages.h"
#include "savegame/savestructure.h"
#include "shared/disksync.h"
#include "shared/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kvn {

namespace {

QString ClassPrefix(QStringView Class)
{
    return Class.toString() + QStringLiteral(" : ");
}

QString HeaderText(QStringView Class, QStringView ID)
{
    return ClassPrefix(Class) + ID.toString() + QStringLiteral(" {");
}

// The identifier of a unit header "class : id {".
QString UnitID(const QString &Header, const QString &Prefix)
{
    QStringView t = TrimmedView(Header);
    if (!t.startsWith(Prefix))
        return {};
    t = t.mid(Prefix.size());
    if (t.endsWith(u'{'))
        t.chop(1);
    return t.trimmed().toString();
}

TSaveUnit UnitAt(const TGameSaveLines &Lines, int Header, const QString &Prefix)
{
    TSaveUnit unit;
    if (Header < 0)
        return unit;
    unit.Header = Header;
    unit.ID = UnitID(Lines.Line(Header), Prefix);
    unit.End = Lines.FindUnitEnd(Header + 1);
    return unit;
}

// Keeps everything before the first colon, indentation included.
QString WithValue(const QString &Line, const QString &Value)
{
    const qsizetype colon = Line.indexOf(u':');
    return (colon < 0 ? Line : Line.left(colon)) + QStringLiteral(": ") + Value;
}

QStringView Indentation(const QString &Line)
{
    qsizetype k = 0;
    while (k < Line.size() && Line.at(k).unicode() <= 0x20)
        ++k;
    return QStringView(Line).first(k);
}

// The blank line that separates a unit from the one above travels with it; any other line above
// (a closing brace, the file's opening brace) stays where it is.
int BlockStart(const TGameSaveLines &Lines, int Header)
{
    return Header > 0 && TrimmedView(Lines.Line(Header - 1)).isEmpty() ? Header - 1 : Header;
}

// The lines of a unit's block: the blank line above (when there is one) through its closing line.
std::pair<int, int> UnitBlock(const TSaveView &Save, QStringView Class, const QString &ID)
{
    const TSaveUnit unit = Save.FindUnit(Class, ID);
    if (!unit.IsValid())
        return {-1, -1};
    return {BlockStart(Save.Lines(), unit.Header), unit.End};
}

} // namespace

TSaveUnit TSaveView::FindUnit(QStringView Class, QStringView ID) const
{
    return UnitAt(FView, FView.FindLineFrom(HeaderText(Class, ID), 0), ClassPrefix(Class));
}

TSaveUnit TSaveView::FirstUnit(QStringView Class) const
{
    const QString prefix = ClassPrefix(Class);
    return UnitAt(FView, FView.FindLineFrom(prefix, 0), prefix);
}

void TSaveView::ForEachUnit(QStringView Class, const std::function<void(const TSaveUnit &)> &Visit) const
{
    const QString prefix = ClassPrefix(Class);
    for (int h = FView.FindLineFrom(prefix, 0); h >= 0; h = FView.FindLineFrom(prefix, h + 1))
        Visit(UnitAt(FView, h, prefix));
}

QString TSaveView::LastUnitID(QStringView Class) const
{
    const QString prefix = ClassPrefix(Class);
    const int last = FView.FindLastLine(prefix);
    return last < 0 ? QString() : UnitID(FView.Line(last), prefix);
}

int TSaveView::AttributeLine(const TSaveUnit &Unit, QStringView Name) const
{
    if (!Unit.IsValid())
        return -1;
    const QString key = Name.toString() + u':';
    for (int i = Unit.Header + 1; i < Unit.End; ++i)
        if (TrimmedStartsWith(FView.Line(i), key))
            return i;
    return -1;
}

QString TSaveView::Attribute(const TSaveUnit &Unit, QStringView Name) const
{
    const int at = AttributeLine(Unit, Name);
    return at < 0 ? QString() : SiiLineValue(FView.Line(at));
}

TSaveArray TSaveView::ReadArray(const TSaveUnit &Unit, QStringView Name) const
{
    TSaveArray array;
    array.CountLine = AttributeLine(Unit, Name);
    if (array.CountLine < 0)
        return array;
    array.Count = ToIntDefault(SiiLineValue(FView.Line(array.CountLine)), -1);
    const QString entry = Name.toString() + u'[';
    for (int i = array.CountLine + 1; i < Unit.End && TrimmedStartsWith(FView.Line(i), entry); ++i)
        array.EntryLines.push_back(i);
    return array;
}

QString TSaveView::ArrayValue(int EntryLine) const
{
    const QString &line = FView.Line(EntryLine);
    const qsizetype colon = line.indexOf(u':');
    return colon < 0 ? QString() : QStringView(line).mid(colon + 1).trimmed().toString();
}

bool TSaveDocument::SetAttribute(const TSaveUnit &Unit, QStringView Name, const QString &Value)
{
    const int at = AttributeLine(Unit, Name);
    if (at < 0)
        return false;
    FLines.SetLine(at, WithValue(FLines.Line(at), Value));
    return true;
}

void TSaveDocument::MoveArrayEntryToEnd(const TSaveArray &Array, QStringView Name, int Index)
{
    const int n = int(Array.EntryLines.size());
    if (Index < 0 || Index >= n)
        return;
    QStringList values;
    values.reserve(n - Index);
    for (int k = Index; k < n; ++k)
        values << ArrayValue(Array.EntryLines[size_t(k)]);
    values.append(values.takeFirst());
    for (int k = Index; k < n; ++k) {
        const int at = Array.EntryLines[size_t(k)];
        const QString text = Indentation(FLines.Line(at)).toString() + Name.toString() + u'[' + QString::number(k) +
                             QStringLiteral("]: ") + values.at(k - Index);
        if (FLines.Line(at) != text)
            FLines.SetLine(at, text);
    }
}

void TSaveDocument::MoveUnitToClassEnd(QStringView Class, const QString &ID)
{
    auto moves = std::find_if(FMoves.begin(), FMoves.end(), [&](const TClassMoves &m) { return m.Class == Class; });
    if (moves == FMoves.end()) {
        TClassMoves added;
        added.Class = Class.toString();
        added.Anchor = LastUnitID(Class);
        if (!added.Anchor.isEmpty())
            added.Order << added.Anchor;
        FMoves.push_back(std::move(added));
        moves = FMoves.end() - 1;
    }
    if (!moves->Order.isEmpty() && moves->Order.back() == ID)
        return; // already the last of its class
    moves->Order.removeAll(ID);
    moves->Order << ID;
}

void TSaveDocument::ApplyUnitMoves()
{
    const std::vector<TClassMoves> pending = std::move(FMoves);
    FMoves.clear();
    const int count = FLines.Count();
    std::vector<char> skip(size_t(count), 0);
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> anchors; // anchor start -> blocks
    for (const TClassMoves &moves : pending) {
        if (moves.Order.size() < 2)
            continue;
        std::vector<std::pair<int, int>> blocks;
        for (const QString &id : moves.Order) {
            const auto block = UnitBlock(*this, moves.Class, id);
            if (block.first < 0)
                return; // cannot happen for units the run itself found; leave the order alone
            blocks.push_back(block);
        }
        for (const auto &b : blocks)
            std::fill(skip.begin() + b.first, skip.begin() + b.second + 1, 1);
        anchors.emplace_back(UnitBlock(*this, moves.Class, moves.Anchor).first, std::move(blocks));
    }
    if (anchors.empty())
        return;
    std::vector<int> order;
    order.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        for (const auto &anchor : anchors)
            if (anchor.first == i)
                for (const auto &b : anchor.second)
                    for (int k = b.first; k <= b.second; ++k)
                        order.push_back(k);
        if (!skip[size_t(i)])
            order.push_back(i);
    }
    FLines.PermuteLines(order);
}

bool TSaveDocument::WriteVerified(const QString &Path, QString *Error, const TLanguageTexts *Texts) const
{
    auto fail = [&](const QString &Text) {
        if (Error)
            *Error = Text;
        return false;
    };
    const QFileInfo info(Path);
    const QString temporary = QDir(info.absolutePath()).filePath(info.fileName() + QStringLiteral(".kestrovan-new"));
    const QString shown = QDir::toNativeSeparators(temporary);
    // Renaming would replace a file the player protected; the rename itself never asks.
    if (IsWriteProtectedFile(Path))
        return fail(TextOrEnglish(Texts, TLangText::SaveWriteReadOnly, {QDir::toNativeSeparators(Path)}));
    if (QFileInfo(temporary).isFile())
        QFile::remove(temporary);

    const QByteArray bytes = EncodeSiiLines(FLines.Lines(), FLines.Form());
    {
        QFile out(temporary);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(TextOrEnglish(Texts, TLangText::SaveWriteNoTemporaryFile, {shown, out.errorString()}));
        const bool written = out.write(bytes) == bytes.size() && SyncFileToDisk(out);
        const QString why = out.errorString();
        out.close();
        if (!written || out.error() != QFileDevice::NoError) {
            QFile::remove(temporary);
            return fail(TextOrEnglish(Texts, TLangText::SaveWriteIncomplete, {why}));
        }
    }
    {
        QFile in(temporary);
        QByteArray back;
        if (in.open(QIODevice::ReadOnly))
            back = in.readAll();
        in.close();
        QStringList lines;
        TSiiTextForm form;
        if (back == bytes)
            ReadSiiBytes(back, lines, form);
        if (back != bytes || lines != FLines.Lines()) {
            QFile::remove(temporary);
            return fail(TextOrEnglish(Texts, TLangText::SaveWriteNotReadBack));
        }
        // Whatever the edits did, only a whole save may take the place of game.sii.
        const TSaveStructureCheck check = CheckSaveStructure(lines);
        if (!check.Ok()) {
            QFile::remove(temporary);
            return fail(TextOrEnglish(Texts, TLangText::SaveWriteWouldBeDamaged, {DescribeSaveFault(check, Texts)}));
        }
    }
    // The new file takes the old one's permissions (a save kept at 0640 stays 0640), not the
    // defaults a new file gets.
    if (QFileInfo::exists(Path))
        QFile::setPermissions(temporary, QFile::permissions(Path));
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(Path.toStdU16String()), ec);
    if (ec) {
        QFile::remove(temporary);
        return fail(TextOrEnglish(Texts, TLangText::SaveWriteNotReplaced,
                                  {QDir::toNativeSeparators(Path), QString::fromLocal8Bit(ec.message())}));
    }
    return true;
}

} // namespace kvn
