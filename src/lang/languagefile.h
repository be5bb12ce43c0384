// Reader for the language files: a small INI dialect read from UTF-8 text.
#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace kvn {

// The whole file is parsed once into memory. Sections and keys match without regard to case,
// blanks around section names, keys and values are dropped, ";" starts a comment line, and
// the first occurrence of a key within a section wins. Bytes that are not valid UTF-8 become
// U+FFFD instead of failing the file.
class TLanguageFile {
public:
    // Larger files are not language files; refusing them keeps memory bounded.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    // False when the name is not an existing regular file, cannot be read or is too large;
    // the reader is then empty.
    bool LoadFromFile(const QString &FileName);
    void LoadFromData(QByteArrayView Data);

    bool HasKey(const QString &Section, const QString &Key) const;
    bool HasSection(const QString &Section) const;

    // The value, empty when the key is absent. With ReplaceBreaks every "<BREAK>" (exact case)
    // becomes CR LF.
    QString ReadLanguageValue(const QString &Section, const QString &Key, bool ReplaceBreaks) const;

    // Every key of Section (case-folded) with its value.
    QHash<QString, QString> SectionValues(const QString &Section) const;

    int ValueCount() const { return FValues.size(); }

private:
    static QString Slot(const QString &Section, const QString &Key);

    QHash<QString, QString> FValues; // "section\nkey" (both case-folded) -> value
    QHash<QString, bool> FSections;
};

} // namespace kvn
