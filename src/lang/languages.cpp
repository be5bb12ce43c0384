#include "lang/languages.h"

#include <QDir>
#include <QHash>

namespace kvn {

QString GetSystemLanguageCode()
{
    return GetSystemLanguageCode(QLocale::system());
}

namespace {

// The language's own name, whatever the region: the name most of its regional variants use.
// The locale's own name can carry the region ("American English", "Schweizer Hochdeutsch",
// "Vlaams"), which would send US, Swiss or Flemish users to a file nobody ships for them.
// Variants of another script keep their own name (Simplified and Traditional Chinese differ).
QString LanguageOwnName(const QLocale &Locale)
{
    const QList<QLocale> Variants = QLocale::matchingLocales(Locale.language(), Locale.script(), QLocale::AnyTerritory);
    QHash<QString, int> Uses;
    for (const QLocale &Variant : Variants) {
        const QString Name = Variant.nativeLanguageName();
        if (!Name.isEmpty())
            ++Uses[Name];
    }
    QString Best = Locale.nativeLanguageName();
    int BestUses = Uses.value(Best);
    for (const QLocale &Variant : Variants) {
        const QString Name = Variant.nativeLanguageName();
        if (Uses.value(Name) > BestUses) {
            Best = Name;
            BestUses = Uses.value(Name);
        }
    }
    return Best;
}

} // namespace

QString GetSystemLanguageCode(const QLocale &Locale)
{
    const QString Code = Locale.toLower(LanguageOwnName(Locale).left(2));
    // The code becomes part of a file name; anything but two letters (the "C" locale, an empty
    // name) would point at a file no translator ships.
    if (Code.size() != 2 || !Code[0].isLetter() || !Code[1].isLetter())
        return QStringLiteral("en");
    return Code;
}

QString LanguageFileName(const QString &ProgramFolder, const QString &LanguageCode)
{
    return QDir(ProgramFolder).filePath(QStringLiteral("languages/") + LanguageCode + QStringLiteral(".lang"));
}

TLanguageTexts::TLanguageTexts()
{
    LoadSection(TLangSection::Msgbox, nullptr);
    LoadSection(TLangSection::Main, nullptr);
}

TLanguageSource TLanguageTexts::LoadMessageTexts(const QString &ProgramFolder, const QString &LanguageCode)
{
    TLanguageFile File;
    const bool Present = File.LoadFromFile(LanguageFileName(ProgramFolder, LanguageCode));
    LoadSection(TLangSection::Msgbox, Present ? &File : nullptr);
    return Present ? TLanguageSource::File : TLanguageSource::BuiltIn;
}

TLanguageSource TLanguageTexts::LoadInterfaceTexts(const QString &ProgramFolder, const QString &LanguageCode)
{
    TLanguageFile File;
    const bool Present = File.LoadFromFile(LanguageFileName(ProgramFolder, LanguageCode));
    LoadSection(TLangSection::Main, Present ? &File : nullptr);
    FCountryNames.clear();
    if (Present) {
        const QHash<QString, QString> Names = File.SectionValues(QStringLiteral("countries"));
        for (auto It = Names.cbegin(); It != Names.cend(); ++It) {
            if (!It.value().trimmed().isEmpty())
                FCountryNames.insert(It.key(), It.value().trimmed());
        }
    }
    return Present ? TLanguageSource::File : TLanguageSource::BuiltIn;
}

void TLanguageTexts::LoadSection(TLangSection Section, const TLanguageFile *File)
{
    const QString Name = SectionName(Section);
    for (const TLangTextInfo &Info : BuiltInLanguageTexts()) {
        if (Info.Section != Section)
            continue;
        QString Value;
        if (File)
            Value = File->ReadLanguageValue(Name, QString::fromLatin1(Info.Key), KeyTakesBreaks(Info));
        // A blank translation would leave a button without caption or a dialogue without words.
        if (Value.trimmed().isEmpty())
            Value = QString::fromUtf16(Info.Default);
        FTexts[static_cast<int>(Info.Id)] = Value;
    }
}

QString TLanguageTexts::Text(TLangText Id) const
{
    const int Index = static_cast<int>(Id);
    if (Index < 0 || Index >= static_cast<int>(FTexts.size()))
        return {};
    return FTexts[Index];
}

QString TLanguageTexts::Text(const QString &Section, const QString &Key) const
{
    // Views look texts up by name while painting; build the index once.
    static const QHash<QString, TLangText> Index = [] {
        QHash<QString, TLangText> Result;
        for (const TLangTextInfo &Info : BuiltInLanguageTexts())
            Result.insert(SectionName(Info.Section) + QLatin1Char('\n') + QLatin1String(Info.Key), Info.Id);
        return Result;
    }();
    const auto Found =
        Index.constFind(Section.trimmed().toCaseFolded() + QLatin1Char('\n') + Key.trimmed().toCaseFolded());
    return Found == Index.constEnd() ? QString() : Text(*Found);
}

QString TLanguageTexts::Format(TLangText Id, const QVariantList &Args) const
{
    return FormatText(Text(Id), Args);
}

QString TextOrEnglish(const TLanguageTexts *Texts, TLangText Id, const QVariantList &Args)
{
    return Texts ? Texts->Format(Id, Args) : FormatText(QString::fromUtf16(LangTextInfo(Id).Default), Args);
}

} // namespace kvn
