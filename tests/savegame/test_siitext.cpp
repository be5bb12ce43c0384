#include "savegame/gamesavelines.h"
#include "savegame/savestructure.h"
#include "savegame/siitext.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

QStringList LinesOf(const QByteArray &Bytes)
{
    QStringList lines;
    TSiiTextForm form;
    ReadSiiBytes(Bytes, lines, form);
    return lines;
}

QByteArray RoundTrip(const QByteArray &Bytes)
{
    QStringList lines;
    TSiiTextForm form;
    ReadSiiBytes(Bytes, lines, form);
    return EncodeSiiLines(lines, form);
}

QByteArray Utf16(const QString &Text, bool Little)
{
    QByteArray out;
    for (QChar c : Text) {
        const char16_t u = c.unicode();
        out += Little ? char(u & 0xFF) : char(u >> 8);
        out += Little ? char(u >> 8) : char(u & 0xFF);
    }
    return out;
}

} // namespace

class TestSiiText : public QObject {
    Q_OBJECT
private slots:
    void splitsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf, no final end") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("cr then crlf") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("blank lines") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
        QTest::newRow("nul ends text") << QByteArray("a\nb\0c\nd", 7) << QStringList{"a", "b"};
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("latin-1 bytes") << QByteArray("M\xFCller") << QStringList{QString::fromUtf8("Müller")};
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBFM\xC3\xBCller\r\n")
                                    << QStringList{QString::fromUtf8("Müller")};
        QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE", 2) + Utf16("ab\r\nc", true) << QStringList{"ab", "c"};
        QTest::newRow("utf-16be mark") << QByteArray("\xFE\xFF", 2) + Utf16("ab\nc", false) << QStringList{"ab", "c"};
    }
    void splitsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(LinesOf(bytes), lines);
    }

    // Whatever form a file has, reading and writing it without edits gives back the same bytes.
    void roundTripIsByteIdentical_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("crlf") << QByteArray("SiiNunit\r\n{\r\n}\r\n");
        QTest::newRow("lf without final end") << QByteArray("SiiNunit\n{\n}");
        QTest::newRow("ends }\\r\\n\\r\\n}") << QByteArray("SiiNunit\r\n}\r\n\r\n}");
        QTest::newRow("mixed ends") << QByteArray("a\r\nb\nc\rd\r\n");
        QTest::newRow("nul tail kept") << QByteArray("a\r\nb\0\x01\x02garbage", 15);
        QTest::newRow("latin-1 high bytes") << QByteArray("\xE9\xFF\x80\r\n");
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBFSiiNunit\r\nname: \"\xC3\xA9\"\r\n");
        QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE", 2) + Utf16("SiiNunit\r\nx\r\n", true);
        QTest::newRow("only line ends") << QByteArray("\r\n\r\n");
        QTest::newRow("empty") << QByteArray();
    }
    void roundTripIsByteIdentical()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(RoundTrip(bytes), bytes);
    }

    void randomBytesRoundTrip()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes(int(random.bounded(64)), Qt::Uninitialized);
            for (char &c : bytes) {
                static const char pool[] = {'\r', '\n', 'a', ' ', char(0xE9), '\0', '{', ':'};
                c = pool[random.bounded(int(sizeof pool))];
            }
            if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
                continue;
            QCOMPARE(RoundTrip(bytes), bytes);
        }
    }

    void editedLinesGetTheFilesForm()
    {
        QStringList lines;
        TSiiTextForm form;
        ReadSiiBytes("\xEF\xBB\xBFx: 1\ny: 2\n", lines, form);
        lines[1] = QString::fromUtf8("y: é");
        QCOMPARE(EncodeSiiLines(lines, form), QByteArray("\xEF\xBB\xBFx: 1\ny: \xC3\xA9\n"));
    }

    void fileReadAndPlainTest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("game.sii");
        const QByteArray bytes("\xEF\xBB\xBFSiiNunit\n{\n}\n");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QVERIFY(IsPlainSiiText(path));
        TGameSaveLines save;
        QVERIFY(save.LoadFromFile(path).ok());
        QCOMPARE(save.Count(), 3);
        QCOMPARE(EncodeSiiLines(save.Lines(), save.Form()), bytes);
        QStringList none;
        TSiiTextForm form;
        QCOMPARE(ReadSiiFile(dir.filePath("missing.sii"), none, form).Status, TSiiReadStatus::CannotOpen);
    }

    void plainMark_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("plain");
        QTest::newRow("plain") << QByteArray("SiiNunit\r\n{") << true;
        QTest::newRow("lower case") << QByteArray("siinunit\r\n") << false;
        QTest::newRow("short") << QByteArray("SiiNun") << false;
        QTest::newRow("encrypted") << QByteArray("ScsC\x01\x02") << false;
        QTest::newRow("binary") << QByteArray("BSII\x03\0\0\0", 8) << false;
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBFSiiNunit") << true;
        QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE", 2) + Utf16("SiiNunit", true) << true;
        QTest::newRow("nul inside") << QByteArray("SiiN\0unit", 9) << false;
    }
    void plainMark()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, plain);
        QCOMPARE(IsPlainSiiBytes(head), plain);
    }

    void lineOperations()
    {
        const QStringList lines{"SiiNunit",
                                "{",
                                "job_offer_data : _nameless.1 {",
                                "\t\ttarget: \"a.b\"",
                                " ferry_time: 12",
                                " name: \"x:y\"",
                                "}",
                                "",
                                "job_offer_data : _nameless.2 {",
                                " ferry_time: 7",
                                "}"};
        QCOMPARE(FindLineFrom(lines, u"target:", 0), 3);
        QCOMPARE(FindLineFrom(lines, u"target:", 4), -1);
        QCOMPARE(FindLineFrom(lines, u"}", 100), -1);
        QCOMPARE(FindUnitEnd(lines, 2), 6);
        QCOMPARE(Unquote(SiiLineValue(lines[3])), QString("a.b"));
        QCOMPARE(lines[5].split(':').size(), 3);
        QCOMPARE(SiiLineValue(lines[5]), QString("\"x"));
        // A key that first occurs at or after the limit gives nothing, although it exists later.
        QCOMPARE(ReadUnitValue(lines, u"ferry_time: ", 7, 8), QString());
        QCOMPARE(ReadUnitValue(lines, u"ferry_time: ", 7, 10), QString("7"));
    }

    void trimmedPrefix_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("match");
        QTest::newRow("tab indent") << "\t\tcompanies: 3"
                                    << "companies: " << true;
        QTest::newRow("blank prefix end beyond trim") << " companies: "
                                                      << "companies: " << false;
        QTest::newRow("case") << "Companies: 3"
                              << "companies: " << false;
        QTest::newRow("control chars trimmed") << "\x01\x1f}"
                                               << "}" << true;
        QTest::newRow("empty prefix") << "   "
                                      << "" << true;
    }
    void trimmedPrefix()
    {
        QFETCH(QString, line);
        QFETCH(QString, prefix);
        QFETCH(bool, match);
        QCOMPARE(TrimmedStartsWith(line, prefix), match);
    }

    void toIntDefault()
    {
        QCOMPARE(ToIntDefault(u" 42 ", 0), 42);
        QCOMPARE(ToIntDefault(u"-0", 5), 0);
        QCOMPARE(ToIntDefault(u"&40d2", 600), 600);
        QCOMPARE(ToIntDefault(u"", -1), -1);
        QCOMPARE(ToIntDefault(u"99999999999", 3), 3);
    }

    // The index must answer exactly like the scan, also after the writer's edits and block moves.
    void indexMatchesScanUnderEdits()
    {
        QStringList lines{"SiiNunit", "{"};
        QRandomGenerator random(11);
        for (int u = 0; u < 60; ++u) {
            const int kind = int(random.bounded(4));
            const QString name = QString("_nameless.%1").arg(random.bounded(20));
            if (kind == 0)
                lines << QString("company : company.volatile.c%1.city%2 {").arg(u % 5).arg(u % 3);
            else if (kind == 1)
                lines << QString("job_offer_data : %1 {").arg(name);
            else if (kind == 2)
                lines << QString(" economy_event : %1 {").arg(name);
            else
                lines << QString("economy_event_queue : %1").arg(name); // no brace: class index only
            lines << " target: \"a.b\""
                  << " odd : value {x"
                  << "}"
                  << "";
        }
        lines << "}";
        TGameSaveLines save;
        save.SetLines(lines);
        QVERIFY(save.IndexIsConsistent());

        const QStringList prefixes{"company : company.volatile.",
                                   "company : company.volatile.c1.city2 {",
                                   "job_offer_data : _nameless.3 {",
                                   "job_offer_data : _nameless.1",
                                   "economy_event : ",
                                   "economy_event_queue : ",
                                   "odd : value {",
                                   "target:",
                                   "}"};
        auto checkAll = [&](const char *when) {
            for (const QString &p : prefixes)
                for (int start = -1; start <= save.Count() + 1; start += 7)
                    if (save.FindLineFrom(p, start) != FindLineFrom(save.Lines(), p, start))
                        QFAIL(qPrintable(QString("%1: %2 from %3").arg(when, p).arg(start)));
        };
        checkAll("loaded");

        for (int step = 0; step < 80; ++step) {
            const int count = save.Count();
            const int at = int(random.bounded(count));
            switch (random.bounded(4)) {
            case 0:
                save.SetLine(at, random.bounded(2) ? QString("job_offer_data : _nameless.%1 {").arg(step % 7)
                                                   : QString(" x: %1").arg(step));
                break;
            case 1:
                save.InsertLines(at, {"", "economy_event : _nameless.new {", " time: 1", "}"});
                break;
            case 2:
                save.RemoveLines(at, int(random.bounded(5)));
                break;
            default: {
                const int n = 1 + int(random.bounded(5));
                if (at + n <= count)
                    save.MoveBlock(at, n, int(random.bounded(count + 1)));
            }
            }
            QVERIFY(save.IndexIsConsistent());
        }
        checkAll("edited");
        QCOMPARE(save.ReadUnitValue(u"target:", 0, save.Count()), QString("\"a.b\""));
    }

    void moveBlockKeepsOrder()
    {
        TGameSaveLines save;
        save.SetLines({"0", "1", "2", "3", "4", "5"});
        save.MoveBlock(1, 2, 5);
        QCOMPARE(save.Lines(), (QStringList{"0", "3", "4", "1", "2", "5"}));
        save.MoveBlock(3, 2, 0);
        QCOMPARE(save.Lines(), (QStringList{"1", "2", "0", "3", "4", "5"}));
        save.MoveBlock(4, 2, 6);
        QCOMPARE(save.Lines(), (QStringList{"1", "2", "0", "3", "4", "5"}));
    }

    void sharedBufferLinesAreIndependent()
    {
        QStringList lines = LinesOf("abc\r\ndef\r\n");
        QString first = lines[0];
        lines.clear(); // the buffer lives on in the copy
        first += "x";
        QCOMPARE(first, QString("abcx"));
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t *>(LinesOf("abc\ndef")[0].utf16())),
                 QString("abc"));
        QStringList again = LinesOf("abc\ndef");
        again[0].append("!");
        QCOMPARE(again[1], QString("def"));
    }

    // The outline of a whole save, and the ways a cut-off or broken one fails it (with the line the
    // player is pointed at, 1-based).
    void saveStructure_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("line");
        const QByteArray whole = "SiiNunit\r\n{\r\neconomy : _nameless.1 {\r\n game_time: 608\r\n}\r\n\r\n"
                                 "company : company.volatile.a.b {\r\n job_offer: 0\r\n}\r\n\r\n}\r\n";
        using F = TSaveStructureFault;
        QTest::newRow("whole") << whole << int(F::None) << 0;
        QTest::newRow("no final line end, LF, tabs")
            << QByteArray("SiiNunit\n{\neconomy : e {\n\tx: \"}{\"\n}\n}") << int(F::None) << 0;
        QTest::newRow("brace beside the mark") << QByteArray("SiiNunit {\neconomy : e {\n}\n}\n") << int(F::None) << 0;
        QTest::newRow("empty") << QByteArray() << int(F::NoHeader) << 1;
        QTest::newRow("mark in lower case") << whole.toLower() << int(F::NoHeader) << 1;
        QTest::newRow("mark only") << QByteArray("SiiNunit\r\n") << int(F::NoHeader) << 1;
        QTest::newRow("unit before the file's brace")
            << QByteArray("SiiNunit\neconomy : e {\n}\n") << int(F::NoHeader) << 2;
        QTest::newRow("cut inside a unit") << whole.left(whole.indexOf("job_offer")) << int(F::UnitNotClosed) << 7;
        QTest::newRow("cut inside a line") << whole.left(whole.indexOf("608") + 1) << int(F::UnitNotClosed) << 3;
        QTest::newRow("cut between units") << whole.left(whole.lastIndexOf("}")) << int(F::FileNotClosed) << 11;
        QTest::newRow("next unit begins inside one")
            << QByteArray("SiiNunit\n{\neconomy : e {\n a: 1\ncompany : c {\n}\n}\n}\n") << int(F::UnitNotClosed) << 3;
        QTest::newRow("closed twice") << QByteArray("SiiNunit\n{\neconomy : e {\n}\n}\ncompany : c {\n}\n}\n")
                                      << int(F::UnexpectedBrace) << 6;
        QTest::newRow("text after the end") << whole + "x\r\n" << int(F::UnexpectedBrace) << 12;
        QTest::newRow("no economy unit") << QByteArray("SiiNunit\n{\ncompany : c {\n}\n\n}\n") << int(F::NoEconomyUnit)
                                         << 0;
        QTest::newRow("economy only as a value")
            << QByteArray("SiiNunit\n{\nx : y {\n z: economy : e {\"\n}\n}\n") << int(F::NoEconomyUnit) << 0;
    }
    void saveStructure()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, fault);
        QFETCH(int, line);
        const TSaveStructureCheck check = CheckSaveStructure(LinesOf(text));
        QCOMPARE(int(check.Fault), fault);
        if (fault != int(TSaveStructureFault::FileNotClosed))
            QCOMPARE(check.Line, line);
        QCOMPARE(DescribeSaveFault(check, nullptr).isEmpty(), check.Ok());
        if (check.Fault == TSaveStructureFault::UnitNotClosed)
            QVERIFY(DescribeSaveFault(check, nullptr).contains(QString::number(line)));
    }

    void realSaveRoundTrip()
    {
        const QString path = QStringLiteral(KVN_SHARED_DIR "/realsaves/recent-text-save/game.sii");
        if (!QFile::exists(path))
            QSKIP("real save not available");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        TGameSaveLines save;
        QVERIFY(save.LoadFromFile(path).ok());
        QCOMPARE(save.Count(), int(bytes.count('\n')));
        QCOMPARE(save.Form().LineEnd, TSiiLineEnd::CrLf);
        QVERIFY(EncodeSiiLines(save.Lines(), save.Form()) == bytes);
        QCOMPARE(save.FindLineFrom(u"company : company.volatile.x_choco.x_village {", 0), 1763);
        QCOMPARE(save.FindLineFrom(u"economy_event_queue : ", 0),
                 FindLineFrom(save.Lines(), u"economy_event_queue : ", 0));
        QVERIFY(CheckSaveStructure(save.Lines()).Ok());
    }
};

QTEST_GUILESS_MAIN(TestSiiText)
#include "test_siitext.moc"
