// The content of an INI file as ordered sections of ordered name=value entries, with section and
// entry names compared without regard to case. Parsing and writing are linear in the text's size.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace kvn {

class TIniDocument {
public:
    // Replaces the content with the sections and entries of Text. Lines end in CR LF, LF or CR and
    // are trimmed; empty lines and lines starting with ";" are skipped; "[name]" starts or continues
    // a section; other lines before the first section are ignored; "name=value" is split at the
    // first "=" and both sides trimmed; a line without "=" is a name with an empty value.
    void Parse(QStringView Text);

    // "[name]" per section, then "name=value" per entry, then an empty line; every line ends in CR LF.
    QString ToText() const;

    void Clear();
    bool IsEmpty() const { return FSections.empty(); }

    QStringList SectionNames() const;
    bool HasSection(const QString &Section) const;
    // Entry names of Section in order; empty when there is no such section.
    QStringList EntryNames(const QString &Section) const;
    // Finds the first entry Ident of Section; false when there is none.
    bool Find(const QString &Section, const QString &Ident, QString &Value) const;

    // Replaces the first entry Ident of Section, or appends it (and the section) when missing.
    void SetValue(const QString &Section, const QString &Ident, const QString &Value);
    // Removes the first entry Ident of Section; false when there was none.
    bool RemoveEntry(const QString &Section, const QString &Ident);
    // Removes the whole section; false when there was none.
    bool RemoveSection(const QString &Section);

private:
    struct TEntry {
        QString Name;
        QString Value;
    };
    // Most sections hold a handful of entries, which are found faster by a scan than through a hash
    // (and cost no allocation per entry); only large sections build an index.
    struct TSection {
        static constexpr qsizetype IndexFrom = 16;
        QString Name;
        std::vector<TEntry> Entries;
        QHash<QString, qsizetype> Index; // folded name -> first entry with that name, once indexed
        bool Indexed = false;
        qsizetype FindEntry(const QString &Ident) const;
        void Reindex();
    };

    static QString Fold(QStringView Name);
    TSection *FindSection(const QString &Section);
    const TSection *FindSection(const QString &Section) const;
    TSection &SectionFor(const QString &Name);
    static void AddEntry(TSection &Section, QString Name, QString Value);

    std::vector<TSection> FSections;
    QHash<QString, qsizetype> FSectionIndex; // folded name -> position in FSections
};

} // namespace kvn
