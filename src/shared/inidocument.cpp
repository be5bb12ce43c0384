#include "shared/inidocument.h"

namespace kvn {

namespace {

// The classic trim: every character up to U+0020 goes, not only white space.
QStringView TrimView(QStringView S)
{
    qsizetype begin = 0;
    qsizetype end = S.size();
    while (begin < end && S[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && S[end - 1].unicode() <= 0x20)
        --end;
    return S.mid(begin, end - begin);
}

} // namespace

QString TIniDocument::Fold(QStringView Name)
{
    return Name.toString().toCaseFolded();
}

qsizetype TIniDocument::TSection::FindEntry(const QString &Ident) const
{
    if (Indexed) {
        const auto it = Index.constFind(Fold(Ident));
        return it == Index.constEnd() ? -1 : *it;
    }
    for (qsizetype i = 0; i < static_cast<qsizetype>(Entries.size()); ++i) {
        if (Entries[static_cast<size_t>(i)].Name.compare(Ident, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void TIniDocument::TSection::Reindex()
{
    Index.clear();
    Indexed = static_cast<qsizetype>(Entries.size()) >= IndexFrom;
    if (!Indexed)
        return;
    // Walking backwards leaves the first of several equal names in the index.
    for (qsizetype i = static_cast<qsizetype>(Entries.size()) - 1; i >= 0; --i)
        Index.insert(Fold(Entries[i].Name), i);
}

void TIniDocument::Clear()
{
    FSections.clear();
    FSectionIndex.clear();
}

TIniDocument::TSection *TIniDocument::FindSection(const QString &Section)
{
    const auto it = FSectionIndex.constFind(Fold(Section));
    return it == FSectionIndex.constEnd() ? nullptr : &FSections[static_cast<size_t>(*it)];
}

const TIniDocument::TSection *TIniDocument::FindSection(const QString &Section) const
{
    const auto it = FSectionIndex.constFind(Fold(Section));
    return it == FSectionIndex.constEnd() ? nullptr : &FSections[static_cast<size_t>(*it)];
}

TIniDocument::TSection &TIniDocument::SectionFor(const QString &Name)
{
    if (TSection *found = FindSection(Name))
        return *found;
    FSectionIndex.insert(Fold(Name), static_cast<qsizetype>(FSections.size()));
    FSections.push_back(TSection{Name, {}, {}, false});
    return FSections.back();
}

void TIniDocument::AddEntry(TSection &Section, QString Name, QString Value)
{
    if (Section.Indexed) {
        const QString key = Fold(Name);
        if (!Section.Index.contains(key))
            Section.Index.insert(key, static_cast<qsizetype>(Section.Entries.size()));
    }
    Section.Entries.push_back(TEntry{std::move(Name), std::move(Value)});
    if (!Section.Indexed && static_cast<qsizetype>(Section.Entries.size()) >= TSection::IndexFrom)
        Section.Reindex();
}

void TIniDocument::Parse(QStringView Text)
{
    Clear();
    TSection *current = nullptr;
    const qsizetype n = Text.size();
    qsizetype start = 0;
    while (start <= n) {
        qsizetype end = start;
        while (end < n && Text[end] != QLatin1Char('\r') && Text[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = TrimView(Text.mid(start, end - start));
        // Step over CR LF as one line break.
        start = end + 1;
        if (end < n && Text[end] == QLatin1Char('\r') && end + 1 < n && Text[end + 1] == QLatin1Char('\n'))
            ++start;

        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.size() >= 2 && line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = &SectionFor(TrimView(line.mid(1, line.size() - 2)).toString());
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            AddEntry(*current, line.toString(), QString());
        else
            AddEntry(*current, TrimView(line.left(eq)).toString(), TrimView(line.mid(eq + 1)).toString());
    }
}

QString TIniDocument::ToText() const
{
    qsizetype size = 0;
    for (const TSection &section : FSections) {
        size += section.Name.size() + 6;
        for (const TEntry &entry : section.Entries)
            size += entry.Name.size() + entry.Value.size() + 3;
    }
    QString text;
    text.reserve(size);
    for (const TSection &section : FSections) {
        text += QLatin1Char('[');
        text += section.Name;
        text += QLatin1String("]\r\n");
        for (const TEntry &entry : section.Entries) {
            text += entry.Name;
            text += QLatin1Char('=');
            text += entry.Value;
            text += QLatin1String("\r\n");
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

QStringList TIniDocument::SectionNames() const
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(FSections.size()));
    for (const TSection &section : FSections)
        names << section.Name;
    return names;
}

bool TIniDocument::HasSection(const QString &Section) const
{
    return FindSection(Section) != nullptr;
}

QStringList TIniDocument::EntryNames(const QString &Section) const
{
    QStringList names;
    if (const TSection *section = FindSection(Section)) {
        names.reserve(static_cast<qsizetype>(section->Entries.size()));
        for (const TEntry &entry : section->Entries)
            names << entry.Name;
    }
    return names;
}

bool TIniDocument::Find(const QString &Section, const QString &Ident, QString &Value) const
{
    const TSection *section = FindSection(Section);
    if (!section)
        return false;
    const qsizetype at = section->FindEntry(Ident);
    if (at < 0)
        return false;
    Value = section->Entries[static_cast<size_t>(at)].Value;
    return true;
}

void TIniDocument::SetValue(const QString &Section, const QString &Ident, const QString &Value)
{
    TSection &section = SectionFor(Section);
    const qsizetype at = section.FindEntry(Ident);
    if (at >= 0)
        section.Entries[static_cast<size_t>(at)].Value = Value;
    else
        AddEntry(section, Ident, Value);
}

bool TIniDocument::RemoveEntry(const QString &Section, const QString &Ident)
{
    TSection *section = FindSection(Section);
    if (!section)
        return false;
    const qsizetype at = section->FindEntry(Ident);
    if (at < 0)
        return false;
    section->Entries.erase(section->Entries.begin() + at);
    section->Reindex();
    return true;
}

bool TIniDocument::RemoveSection(const QString &Section)
{
    const auto it = FSectionIndex.constFind(Fold(Section));
    if (it == FSectionIndex.constEnd())
        return false;
    FSections.erase(FSections.begin() + *it);
    FSectionIndex.clear();
    for (qsizetype i = 0; i < static_cast<qsizetype>(FSections.size()); ++i)
        FSectionIndex.insert(Fold(FSections[static_cast<size_t>(i)].Name), i);
    return true;
}

} // namespace kvn
