// Feeds arbitrary bytes to the language-file reader, loads both sections from it and formats
// every resulting text, as the program would with a translator's file.
#include "lang/languages.h"

#include <QVariantList>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    if (Size > static_cast<std::size_t>(kvn::TLanguageFile::MaxFileSize))
        return 0;
    kvn::TLanguageFile File;
    File.LoadFromData(QByteArrayView(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size)));

    kvn::TLanguageTexts Texts;
    Texts.LoadSection(kvn::TLangSection::Msgbox, &File);
    Texts.LoadSection(kvn::TLangSection::Main, &File);

    const QVariantList Args{QStringLiteral("Berlin"), 42, QStringLiteral("x"), -1};
    for (const kvn::TLangTextInfo &Info : kvn::BuiltInLanguageTexts()) {
        const QString Text = Texts.Text(Info.Id);
        if (Text.isEmpty())
            __builtin_trap();  // every text falls back to English when the file has none
        (void)Texts.Format(Info.Id, Args);
        (void)kvn::PlaceholdersMatch(QString::fromUtf16(Info.Default), Text);
    }
    return 0;
}
