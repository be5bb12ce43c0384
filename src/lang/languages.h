// The program's language texts: the language code of the system, the language file beside the
// program and the one object that holds every text for the life of the process.
#pragma once

#include "lang/defaultlanguage.h"
#include "lang/languagefile.h"
#include "lang/textformat.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QVariantList>
#include <array>

namespace kvn {

// First two characters of the language's own name, lower-cased: "English" -> "en",
// "Deutsch" -> "de". A name that yields no two letters gives "en".
QString GetSystemLanguageCode();
QString GetSystemLanguageCode(const QLocale &Locale);

// ProgramFolder/languages/<code>.lang
QString LanguageFileName(const QString &ProgramFolder, const QString &LanguageCode);

enum class TLanguageSource { BuiltIn, File };

// Starts with the built-in English texts. A language file replaces them key by key; a key the
// file lacks or leaves blank keeps its English text, so no button or dialogue is ever empty.
class TLanguageTexts {
public:
    TLanguageTexts();

    // Section "msgbox"; needs no window, so it can run before the decrypter check.
    TLanguageSource LoadMessageTexts(const QString &ProgramFolder, const QString &LanguageCode);
    // Section "main"; the window then shows them in its widgets.
    TLanguageSource LoadInterfaceTexts(const QString &ProgramFolder, const QString &LanguageCode);
    // Loads one section from an already read file, or the built-in texts when File is nullptr.
    void LoadSection(TLangSection Section, const TLanguageFile *File);

    QString Text(TLangText Id) const;
    // Any key by name (case-insensitive); empty for an unknown section or key.
    QString Text(const QString &Section, const QString &Key) const;
    // Text(Id) formatted safely with FormatText.
    QString Format(TLangText Id, const QVariantList &Args) const;

    // Section "countries": the country names of the language file, keyed by the game's lower-case
    // country token ("germany=Deutschland"). Empty with the built-in texts: the catalogue's names
    // stand in for them.
    const QHash<QString, QString> &CountryNames() const { return FCountryNames; }

    // The Yes and No words of the job list view.
    QString YesWord() const { return Text(TLangText::ButtonYes); }
    QString NoWord() const { return Text(TLangText::ButtonNo); }

private:
    std::array<QString, static_cast<int>(TLangText::Count)> FTexts;
    QHash<QString, QString> FCountryNames;
};

// Texts->Format(Id, Args), or the built-in English text formatted the same way when the core runs
// without the window's texts (the command-line program, tests).
QString TextOrEnglish(const TLanguageTexts *Texts, TLangText Id, const QVariantList &Args = {});

} // namespace kvn
