// Every shipped translation against en.lang: a player of any language must get every text, with
// the numbers in the right places and the preview's markup intact.
#include "lang/languages.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

using namespace kvn;

namespace {

const QString LanguagesFolder = QStringLiteral(KVN_SOURCE_DIR "/languages");

struct TRawEntry {
    QString Key;
    QString Value;
};

// The file as written, key by key; the program's reader keeps the first of duplicate keys and
// drops unknown ones silently, which is exactly what this test must see.
struct TRawLangFile {
    QString Error;
    QMap<QString, QList<TRawEntry>> Sections; // lower-case section -> entries in file order
};

TRawLangFile ReadRaw(const QString &Name)
{
    TRawLangFile Result;
    QFile File(Name);
    if (!File.open(QIODevice::ReadOnly)) {
        Result.Error = QStringLiteral("cannot be read");
        return Result;
    }
    const QByteArray Bytes = File.readAll();
    if (Bytes.startsWith("\xef\xbb\xbf")) {
        Result.Error = QStringLiteral("starts with a byte-order mark");
        return Result;
    }
    QStringDecoder Utf8(QStringDecoder::Utf8);
    const QString Text = Utf8(Bytes);
    if (Utf8.hasError()) {
        Result.Error = QStringLiteral("is not valid UTF-8");
        return Result;
    }
    QString Section;
    int LineNumber = 0;
    for (const QString &RawLine : Text.split(QLatin1Char('\n'))) {
        ++LineNumber;
        const QString Line = RawLine.trimmed();
        if (Line.isEmpty() || Line.startsWith(QLatin1Char(';')))
            continue;
        if (Line.startsWith(QLatin1Char('[')) && Line.endsWith(QLatin1Char(']'))) {
            Section = Line.mid(1, Line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype Equals = Line.indexOf(QLatin1Char('='));
        if (Equals <= 0 || Section.isEmpty()) {
            Result.Error = QStringLiteral("line %1 is neither a section, a key nor a comment").arg(LineNumber);
            return Result;
        }
        Result.Sections[Section].append({Line.left(Equals).trimmed().toLower(), Line.mid(Equals + 1).trimmed()});
    }
    return Result;
}

// The tags of a text, sorted: a translation may move "<b>...</b>" but must not lose or add one,
// or the rest of a preview label turns bold or blue.
QStringList Tags(const QString &Text)
{
    static const QRegularExpression Tag(QStringLiteral("</?(b|font)\\b[^>]*>"),
                                        QRegularExpression::CaseInsensitiveOption);
    QStringList Result;
    for (auto It = Tag.globalMatch(Text); It.hasNext();)
        Result.append(It.next().captured(0));
    Result.sort();
    return Result;
}

QStringList ShippedTranslations()
{
    QStringList Files = QDir(LanguagesFolder).entryList({QStringLiteral("*.lang")}, QDir::Files, QDir::Name);
    Files.removeAll(QStringLiteral("en.lang"));
    return Files;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const TRawLangFile English = ReadRaw(QDir(LanguagesFolder).filePath(QStringLiteral("en.lang")));
        QVERIFY2(English.Error.isEmpty(), qPrintable(English.Error));
        QVERIFY(!ShippedTranslations().isEmpty());
    }

    void matchesEnglish_data()
    {
        QTest::addColumn<QString>("Name");
        for (const QString &Name : ShippedTranslations())
            QTest::newRow(qPrintable(Name)) << Name;
    }

    void matchesEnglish()
    {
        QFETCH(QString, Name);
        const TRawLangFile English = ReadRaw(QDir(LanguagesFolder).filePath(QStringLiteral("en.lang")));
        const TRawLangFile Translation = ReadRaw(QDir(LanguagesFolder).filePath(Name));
        QVERIFY2(Translation.Error.isEmpty(), qPrintable(Name + QStringLiteral(" ") + Translation.Error));

        for (auto Section = English.Sections.cbegin(); Section != English.Sections.cend(); ++Section) {
            const QList<TRawEntry> Translated = Translation.Sections.value(Section.key());
            for (const TRawEntry &Reference : Section.value()) {
                const QString Where =
                    Name + QStringLiteral(" [") + Section.key() + QStringLiteral("] ") + Reference.Key;
                QList<TRawEntry> Matches;
                for (const TRawEntry &Entry : Translated) {
                    if (Entry.Key == Reference.Key)
                        Matches.append(Entry);
                }
                QVERIFY2(Matches.size() == 1,
                         qPrintable(Where + QStringLiteral(": expected once, found %1 times").arg(Matches.size())));
                const QString Value = Matches.first().Value;
                QVERIFY2(!Value.isEmpty(), qPrintable(Where + QStringLiteral(" is empty")));
                QVERIFY2(PlaceholdersMatch(Reference.Value, Value),
                         qPrintable(Where + QStringLiteral(": placeholders \"%1\", English has \"%2\"")
                                                .arg(PlaceholderKinds(Value), PlaceholderKinds(Reference.Value))));
                QVERIFY2(Tags(Reference.Value) == Tags(Value), qPrintable(Where + QStringLiteral(": markup differs")));
                QVERIFY2(Value.count(QStringLiteral("<BREAK>")) > 0 ||
                             !Reference.Value.contains(QStringLiteral("<BREAK>")),
                         qPrintable(Where + QStringLiteral(": a dialogue text written on one line")));
            }
            // A key English does not have is a misspelt one: its text would never be shown.
            for (const TRawEntry &Entry : Translated) {
                bool Known = false;
                for (const TRawEntry &Reference : Section.value())
                    Known = Known || Reference.Key == Entry.Key;
                QVERIFY2(Known, qPrintable(Name + QStringLiteral(": unknown key ") + Entry.Key));
            }
        }
        for (auto Section = Translation.Sections.cbegin(); Section != Translation.Sections.cend(); ++Section)
            QVERIFY2(English.Sections.contains(Section.key()),
                     qPrintable(Name + QStringLiteral(": unknown section ") + Section.key()));
    }

    // The program picks a file by the first two letters of the language's own name, so each file
    // must be named the way a player of that language is sent to it.
    void namedByTheLanguageCodeRule_data()
    {
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QLocale>("Locale");
        QTest::newRow("de") << QStringLiteral("de.lang") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("de-AT") << QStringLiteral("de.lang") << QLocale(QLocale::German, QLocale::Austria);
        QTest::newRow("de-CH") << QStringLiteral("de.lang") << QLocale(QLocale::German, QLocale::Switzerland);
        QTest::newRow("fr") << QStringLiteral("fr.lang") << QLocale(QLocale::French, QLocale::France);
        QTest::newRow("fr-CA") << QStringLiteral("fr.lang") << QLocale(QLocale::French, QLocale::Canada);
        QTest::newRow("es") << QStringLiteral("es.lang") << QLocale(QLocale::Spanish, QLocale::Spain);
        QTest::newRow("es-MX") << QStringLiteral("es.lang") << QLocale(QLocale::Spanish, QLocale::Mexico);
    }

    void namedByTheLanguageCodeRule()
    {
        QFETCH(QString, Name);
        QFETCH(QLocale, Locale);
        QCOMPARE(QFileInfo(LanguageFileName(LanguagesFolder + QStringLiteral("/.."), GetSystemLanguageCode(Locale)))
                     .fileName(),
                 Name);
        QVERIFY(QFileInfo(QDir(LanguagesFolder).filePath(Name)).isFile());
    }

    // What the program really shows: the loaded texts differ from English wherever the file
    // says so, which proves the program reads the shipped file and not the built-in table.
    void loadedThroughTheProgram_data() { matchesEnglish_data(); }

    void loadedThroughTheProgram()
    {
        QFETCH(QString, Name);
        const QString Code = Name.left(Name.size() - 5);
        TLanguageTexts Texts;
        QCOMPARE(Texts.LoadMessageTexts(QStringLiteral(KVN_SOURCE_DIR), Code), TLanguageSource::File);
        QCOMPARE(Texts.LoadInterfaceTexts(QStringLiteral(KVN_SOURCE_DIR), Code), TLanguageSource::File);
        const TLanguageTexts English;
        QVERIFY(Texts.Text(TLangText::ButtonSaveAllJobs) != English.Text(TLangText::ButtonSaveAllJobs));
        QVERIFY(Texts.Text(TLangText::MsgDeleteJobHistoryConfirmation).contains(QLatin1String("\r\n")));
        const QString Saving = Texts.Format(TLangText::JobNOfMSaving, {2, 5});
        QVERIFY2(Saving.contains(QLatin1Char('2')) && Saving.contains(QLatin1Char('5')) &&
                     Saving.indexOf(QLatin1Char('2')) < Saving.indexOf(QLatin1Char('5')),
                 qPrintable(Saving));
        const QString Filled = Texts.Format(TLangText::LabelJobPreviewTrailerFilled, {50, 10, 20});
        QVERIFY2(Filled.contains(QLatin1String("50")) && Filled.count(QLatin1Char('%')) == 1, qPrintable(Filled));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "test_translations.moc"
