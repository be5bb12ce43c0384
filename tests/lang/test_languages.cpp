// Language texts: built-in English, the language file reader, the shipped files and formatting.
#include "lang/languages.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace kvn;

namespace {

const QString CrLf = QStringLiteral("\r\n");

// A program folder holding languages/<Code>.lang with Content.
class TProgramFolder {
public:
    explicit TProgramFolder(const QByteArray &Content, const QString &Code = QStringLiteral("xx"))
    {
        QDir(FDir.path()).mkpath(QStringLiteral("languages"));
        QFile File(LanguageFileName(FDir.path(), Code));
        if (File.open(QIODevice::WriteOnly))
            File.write(Content);
    }
    QString Path() const { return FDir.path(); }

private:
    QTemporaryDir FDir;
};

TLanguageTexts LoadedFrom(const QByteArray &Content)
{
    TProgramFolder Folder(Content);
    TLanguageTexts Texts;
    Texts.LoadMessageTexts(Folder.Path(), QStringLiteral("xx"));
    Texts.LoadInterfaceTexts(Folder.Path(), QStringLiteral("xx"));
    return Texts;
}

QString Default(TLangText Id)
{
    return QString::fromUtf16(LangTextInfo(Id).Default);
}

} // namespace

class TestLanguages : public QObject {
    Q_OBJECT

private slots:
    void builtInTextsWithoutLanguageFolder()
    {
        QTemporaryDir Empty;
        TLanguageTexts Texts;
        QCOMPARE(Texts.LoadMessageTexts(Empty.path(), QStringLiteral("en")), TLanguageSource::BuiltIn);
        QCOMPARE(Texts.LoadInterfaceTexts(Empty.path(), QStringLiteral("en")), TLanguageSource::BuiltIn);
        QCOMPARE(Texts.Text(TLangText::LabelCustomCargoWeight), QStringLiteral("Custom cargo weight"));
        QCOMPARE(Texts.Text(TLangText::LabelJobHistoryEmpty),
                 QStringLiteral("Currently there are no jobs in the history."));
        QCOMPARE(Texts.Text(TLangText::MsgDeleteJobHistoryConfirmation),
                 QStringLiteral("Deleting your job history will be permanent.") + CrLf + CrLf +
                     QStringLiteral("Do you really want to delete your job history now?"));
        QCOMPARE(Texts.Format(TLangText::MsgDecrypterNotFound, {QStringLiteral("SII_Decrypt.exe")}).count(CrLf), 6);
        QVERIFY(Texts.Text(TLangText::MsgDecrypterNotFound).contains(QStringLiteral("\"SII_Decrypt.exe\" is missing")));
        QCOMPARE(Texts.Text(TLangText::LabelJobPreviewTrailerFilled),
                 QStringLiteral("Trailer is %d %% filled (%d m\u00b3 of %d m\u00b3)"));
        QCOMPARE(Texts.YesWord(), QStringLiteral("Yes"));
        QCOMPARE(Texts.NoWord(), QStringLiteral("No"));
        for (const TLangTextInfo &Info : BuiltInLanguageTexts())
            QVERIFY2(!Texts.Text(Info.Id).isEmpty(), Info.Key);
    }

    void lookUpByName()
    {
        TLanguageTexts Texts;
        QCOMPARE(Texts.Text(QStringLiteral("msgbox"), QStringLiteral("button-cancel")), QStringLiteral("Cancel"));
        QCOMPARE(Texts.Text(QStringLiteral("MAIN"), QStringLiteral("Button-Cancel-Random-Job")),
                 QStringLiteral("Cancel"));
        QCOMPARE(Texts.Text(QStringLiteral("main"), QStringLiteral("ferry")), QStringLiteral("ferry"));
        // The key exists, but in the other section.
        QCOMPARE(Texts.Text(QStringLiteral("main"), QStringLiteral("button-yes")), QString());
        QCOMPARE(Texts.Text(QStringLiteral("msgbox"), QStringLiteral("no-such-key")), QString());
    }

    void languageFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString Yes = QStringLiteral("Yes");
        QTest::newRow("plain") << QByteArray("[msgbox]\nbutton-yes=Ja\n") << "msgbox"
                               << "button-yes"
                               << "Ja";
        QTest::newRow("keys and sections ignore case, values keep it")
            << QByteArray("[MsgBox]\nBUTTON-Yes=jA\n") << "msgbox"
            << "button-yes"
            << "jA";
        QTest::newRow("blanks around everything")
            << QByteArray("  [ msgbox ]  \n\t button-yes \t=  Ja  Ja \n") << "msgbox"
            << "button-yes"
            << "Ja  Ja";
        QTest::newRow("break in a message") << QByteArray("[msgbox]\nmsg-trailer-warning=one<BREAK>two\n") << "msgbox"
                                            << "msg-trailer-warning"
                                            << "one\r\ntwo";
        QTest::newRow("break elsewhere stays") << QByteArray("[main]\nbox-step-1=one<BREAK>two\n") << "main"
                                               << "box-step-1"
                                               << "one<BREAK>two";
        QTest::newRow("break is case-sensitive")
            << QByteArray("[msgbox]\nmsg-trailer-warning=one<break>two\n") << "msgbox"
            << "msg-trailer-warning"
            << "one<break>two";
        QTest::newRow("equals sign inside the value") << QByteArray("[main]\nferry=a=b\n") << "main"
                                                      << "ferry"
                                                      << "a=b";
        QTest::newRow("comment line") << QByteArray("[msgbox]\n;button-yes=Ja\n") << "msgbox"
                                      << "button-yes" << Yes;
        QTest::newRow("key before any section") << QByteArray("button-yes=Ja\n[msgbox]\n") << "msgbox"
                                                << "button-yes" << Yes;
        QTest::newRow("first occurrence wins")
            << QByteArray("[msgbox]\nbutton-yes=Ja\n[main]\n[msgbox]\nbutton-yes=Oui\n") << "msgbox"
            << "button-yes"
            << "Ja";
        QTest::newRow("carriage returns only") << QByteArray("[msgbox]\rbutton-no=Nein\rbutton-yes=Ja\r") << "msgbox"
                                               << "button-yes"
                                               << "Ja";
        QTest::newRow("CR LF") << QByteArray("[msgbox]\r\nbutton-yes=Ja\r\n") << "msgbox"
                               << "button-yes"
                               << "Ja";
        QTest::newRow("UTF-8") << QByteArray("[msgbox]\nbutton-yes=\xc3\x9c\xe2\x82\xac\n") << "msgbox"
                               << "button-yes" << QStringLiteral("\u00dc\u20ac");
        QTest::newRow("invalid UTF-8 still loads") << QByteArray("[msgbox]\nbutton-yes=J\xff\xc3"
                                                                 "a\n")
                                                   << "msgbox"
                                                   << "button-yes" << QStringLiteral("J\ufffd\ufffda");
        QTest::newRow("byte-order mark tolerated") << QByteArray("\xef\xbb\xbf[msgbox]\nbutton-yes=Ja\n") << "msgbox"
                                                   << "button-yes"
                                                   << "Ja";
        QTest::newRow("UTF-16 with byte-order mark")
            << QByteArray("\xff\xfe[\0m\0s\0g\0b\0o\0x\0]\0\n\0b\0u\0t\0t\0o\0n\0-\0y\0e\0s\0=\0J\0a\0", 46) << "msgbox"
            << "button-yes"
            << "Ja";
        QTest::newRow("unclosed section header") << QByteArray("[msgbox\nbutton-yes=Ja\n") << "msgbox"
                                                 << "button-yes" << Yes;
        QTest::newRow("binary garbage") << QByteArray("\0\1\2[\x80]=\n==\n[", 12) << "msgbox"
                                        << "button-yes" << Yes;
        // Empty captions and dialogues help nobody: a missing or blank key keeps its English text.
        QTest::newRow("blank value") << QByteArray("[msgbox]\nbutton-yes=   \n") << "msgbox"
                                     << "button-yes" << Yes;
        QTest::newRow("only msgbox: window texts stay English") << QByteArray("[msgbox]\nbutton-yes=Ja\n") << "main"
                                                                << "box-step-1"
                                                                << "Step 1 - Choose a profile";
        QTest::newRow("only main: dialogues stay English")
            << QByteArray("[main]\nbox-step-1=Schritt 1\n") << "msgbox"
            << "msg-delete-job-history-confirmation" << Default(TLangText::MsgDeleteJobHistoryConfirmation);
        QTest::newRow("empty file") << QByteArray() << "main"
                                    << "minutes"
                                    << "minutes";
    }

    void languageFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(LoadedFrom(content).Text(section, key), expected);
    }

    void unusableFileGivesBuiltInTexts()
    {
        QTemporaryDir Dir;
        QDir(Dir.path()).mkpath(QStringLiteral("languages/xx.lang")); // a folder of that name
        TLanguageTexts Texts;
        QCOMPARE(Texts.LoadMessageTexts(Dir.path(), QStringLiteral("xx")), TLanguageSource::BuiltIn);
        QCOMPARE(Texts.Text(TLangText::ButtonYes), QStringLiteral("Yes"));

        TProgramFolder Huge(QByteArray("[msgbox]\nbutton-yes=Ja\n") + QByteArray(TLanguageFile::MaxFileSize, ';'));
        QCOMPARE(Texts.LoadMessageTexts(Huge.Path(), QStringLiteral("xx")), TLanguageSource::BuiltIn);
        QCOMPARE(Texts.Text(TLangText::ButtonYes), QStringLiteral("Yes"));
    }

    void fileIsFoundFromAnyWorkingDirectory()
    {
        TProgramFolder Folder("[msgbox]\nbutton-no=Nein\n", QStringLiteral("de"));
        QTemporaryDir Elsewhere;
        const QString Previous = QDir::currentPath();
        QDir::setCurrent(Elsewhere.path());
        TLanguageTexts Texts;
        const TLanguageSource Source = Texts.LoadMessageTexts(Folder.Path(), QStringLiteral("de"));
        QDir::setCurrent(Previous);
        QCOMPARE(Source, TLanguageSource::File);
        QCOMPARE(Texts.NoWord(), QStringLiteral("Nein"));
    }

    void systemLanguageCode_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::Ireland) << "en";
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "de";
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << "fr";
        QTest::newRow("Spanish") << QLocale(QLocale::Spanish, QLocale::Spain) << "es";
        // The rule takes the language's own name, not an ISO code.
        QTest::newRow("Dutch") << QLocale(QLocale::Dutch, QLocale::Netherlands) << "ne";
        QTest::newRow("Turkish") << QLocale(QLocale::Turkish, QLocale::Turkey) << QStringLiteral("t\u00fc");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << QStringLiteral("\u0440\u0443");
        // Regional variants use the language's own name, not the region's ("American English").
        QTest::newRow("US English") << QLocale(QLocale::English, QLocale::UnitedStates) << "en";
        QTest::newRow("British English") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "en";
        QTest::newRow("Swiss German") << QLocale(QLocale::German, QLocale::Switzerland) << "de";
        QTest::newRow("Austrian German") << QLocale(QLocale::German, QLocale::Austria) << "de";
        QTest::newRow("Flemish") << QLocale(QLocale::Dutch, QLocale::Belgium) << "ne";
        QTest::newRow("Mexican Spanish") << QLocale(QLocale::Spanish, QLocale::Mexico) << "es";
        QTest::newRow("Traditional Chinese")
            << QLocale(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan)
            << QStringLiteral("\u7e41\u9ad4");
        QTest::newRow("C locale") << QLocale::c() << "en";
    }

    void systemLanguageCode()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, code);
        QCOMPARE(GetSystemLanguageCode(locale), code);
    }

    void formatText_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text and number") << "%s: %d km" << QVariantList{"Berlin", 42} << "Berlin: 42 km";
        QTest::newRow("percent sign") << "%d %% filled" << QVariantList{80} << "80 % filled";
        QTest::newRow("surplus arguments ignored") << "%s" << QVariantList{"a", "b", 3} << "a";
        QTest::newRow("missing arguments empty") << "%s and %d and %s" << QVariantList{"a"} << "a and  and ";
        QTest::newRow("text where a number belongs") << "%d t" << QVariantList{"many"} << "many t";
        QTest::newRow("number where a text belongs") << "%s t" << QVariantList{7} << "7 t";
        QTest::newRow("numeric text for a number") << "%d" << QVariantList{"12"} << "12";
        QTest::newRow("unknown sequences kept") << "%x %5d %" << QVariantList{1} << "%x %5d %";
        QTest::newRow("no arguments at all") << "100%%" << QVariantList{} << "100%";
        QTest::newRow("argument holding a placeholder is not expanded") << "%s %s" << QVariantList{"%s", "b"} << "%s b";
    }

    void formatText()
    {
        QFETCH(QString, format);
        QFETCH(QVariantList, args);
        QFETCH(QString, expected);
        QCOMPARE(FormatText(format, args), expected);
    }

    void placeholders()
    {
        QCOMPARE(PlaceholderKinds(Default(TLangText::MsgDbInformation)), QStringLiteral("sssss"));
        QCOMPARE(PlaceholderKinds(Default(TLangText::LabelJobPreviewTrailerFilled)), QStringLiteral("ddd"));
        QVERIFY(PlaceholdersMatch(QStringLiteral("%d of %d"), QStringLiteral("%d von %d (100 %%)")));
        QVERIFY(!PlaceholdersMatch(QStringLiteral("%d of %d"), QStringLiteral("%d")));
        QVERIFY(!PlaceholdersMatch(QStringLiteral("%s %d"), QStringLiteral("%d %s")));
    }

    // en.lang is the translators' reference: it must hold exactly the built-in keys and texts.
    void englishFileMatchesBuiltInTexts()
    {
        const QString Name = QStringLiteral(KVN_SOURCE_DIR "/languages/en.lang");
        QFile Raw(Name);
        QVERIFY(Raw.open(QIODevice::ReadOnly));
        const QByteArray Bytes = Raw.readAll();
        QVERIFY2(!Bytes.startsWith("\xef\xbb\xbf"), "en.lang must have no byte-order mark");
        QStringDecoder Utf8(QStringDecoder::Utf8);
        const QString Decoded = Utf8(Bytes);
        QVERIFY2(!Utf8.hasError(), "en.lang must be valid UTF-8");

        TLanguageFile File;
        QVERIFY(File.LoadFromFile(Name));
        // Section "countries" holds names the catalogue stands in for; the rest are the built-in texts.
        QCOMPARE(File.ValueCount() - int(File.SectionValues(QStringLiteral("countries")).size()),
                 int(BuiltInLanguageTexts().size()));
        for (const TLangTextInfo &Info : BuiltInLanguageTexts()) {
            const QString Section = SectionName(Info.Section);
            const QString Key = QString::fromLatin1(Info.Key);
            QVERIFY2(File.HasKey(Section, Key), Info.Key);
            QCOMPARE(File.ReadLanguageValue(Section, Key, KeyTakesBreaks(Info)), QString::fromUtf16(Info.Default));
        }
        QVERIFY(!Decoded.contains(QLatin1Char('\r')));
    }

    // Every shipped translation keeps the placeholders of the English text, or a dialogue or
    // status line would show wrong numbers.
    void shippedFilesKeepPlaceholders()
    {
        const QDir Languages(QStringLiteral(KVN_SOURCE_DIR "/languages"));
        const QStringList Files = Languages.entryList({QStringLiteral("*.lang")}, QDir::Files);
        QVERIFY(Files.contains(QStringLiteral("en.lang")));
        for (const QString &Name : Files) {
            TLanguageFile File;
            QVERIFY(File.LoadFromFile(Languages.filePath(Name)));
            for (const TLangTextInfo &Info : BuiltInLanguageTexts()) {
                const QString Section = SectionName(Info.Section);
                const QString Key = QString::fromLatin1(Info.Key);
                if (!File.HasKey(Section, Key))
                    continue;
                const QString Value = File.ReadLanguageValue(Section, Key, false);
                QVERIFY2(PlaceholdersMatch(QString::fromUtf16(Info.Default), Value),
                         qPrintable(Name + QStringLiteral(": ") + Key));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLanguages)
#include "test_languages.moc"
