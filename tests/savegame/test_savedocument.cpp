#include "savegame/gamesavelines.h"
#include "savegame/savedocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

// A whole save, small enough to read at a glance: two offers, a queue of four and two events.
const QStringList kSave{"SiiNunit",
                        "{",
                        "economy : _nameless.eco {",
                        " game_time: 10",
                        "}",
                        "",
                        "job_offer_data : _nameless.o1 {",
                        "\t\ttarget: \"a.b\"",
                        " ferry_time: 12",
                        " ferry_time_limit: 3",
                        " name: \"x:y\"",
                        "}",
                        "",
                        "job_offer_data : _nameless.o2 {",
                        " target: \"\"",
                        " ferry_time: 7",
                        "}",
                        "",
                        "economy_event_queue : _nameless.q {",
                        " data: 4",
                        " data[0]: _nameless.e0",
                        " data[1]: _nameless.e1",
                        " data[2]: _nameless.e2",
                        " data[3]: _nameless.e3",
                        "}",
                        "",
                        "economy_event : _nameless.e1 {",
                        " time: 5",
                        "}",
                        "",
                        "economy_event : _nameless.e2 {",
                        " time: 6",
                        "}",
                        "}"};

QByteArray ReadRaw(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSaveDocument : public QObject {
    Q_OBJECT

private slots:
    void unitsAndAttributes()
    {
        TGameSaveLines lines;
        lines.SetLines(kSave);
        TSaveDocument save(lines);
        const TSaveUnit o1 = save.FindUnit(u"job_offer_data", u"_nameless.o1");
        QCOMPARE(o1.Header, 6);
        QCOMPARE(o1.End, 11);
        QCOMPARE(o1.ID, QString("_nameless.o1"));
        QVERIFY(!save.FindUnit(u"job_offer_data", u"_nameless.o").IsValid()); // a name is matched whole
        QCOMPARE(save.FirstUnit(u"economy_event").ID, QString("_nameless.e1"));
        QCOMPARE(save.LastUnitID(u"job_offer_data"), QString("_nameless.o2"));
        QStringList events;
        save.ForEachUnit(u"economy_event", [&](const TSaveUnit &Unit) { events << Unit.ID; });
        QCOMPARE(events, QStringList({"_nameless.e1", "_nameless.e2"}));

        QCOMPARE(save.Attribute(o1, u"target"), QString("\"a.b\""));
        QCOMPARE(save.Attribute(o1, u"name"), QString("\"x")); // the value ends at a second colon
        QCOMPARE(save.AttributeLine(o1, u"ferry_time"), 8);    // not "ferry_time_limit"
        QCOMPARE(save.AttributeLine(o1, u"units_count"), -1);

        // Setting a value stays inside the unit and keeps the name and its indentation.
        QVERIFY(save.SetAttribute(o1, u"target", "\"c.d\""));
        QVERIFY(save.SetAttribute(o1, u"ferry_time", "0"));
        QCOMPARE(lines.Line(7), QString("\t\ttarget: \"c.d\""));
        QCOMPARE(lines.Line(8), QString(" ferry_time: 0"));
        QCOMPARE(lines.Line(9), QString(" ferry_time_limit: 3"));
        QCOMPARE(lines.Line(15), QString(" ferry_time: 7"));
        // An attribute the unit lacks is not looked for in the next unit.
        QVERIFY(!save.SetAttribute(o1, u"game_time", "1"));
        QVERIFY(!save.SetAttribute(TSaveUnit(), u"target", "1"));
        QCOMPARE(lines.Count(), kSave.size());
        QVERIFY(lines.IndexIsConsistent());
    }

    void arrayEntryMovesToTheEnd_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("second") << 1
                                << QStringList{" data[0]: _nameless.e0", " data[1]: _nameless.e2",
                                               " data[2]: _nameless.e3", " data[3]: _nameless.e1"};
        QTest::newRow("first") << 0
                               << QStringList{" data[0]: _nameless.e1", " data[1]: _nameless.e2",
                                              " data[2]: _nameless.e3", " data[3]: _nameless.e0"};
        QTest::newRow("already last") << 3 << kSave.mid(20, 4);
        QTest::newRow("no such entry") << 4 << kSave.mid(20, 4);
    }
    void arrayEntryMovesToTheEnd()
    {
        QFETCH(int, index);
        QFETCH(QStringList, entries);
        TGameSaveLines lines;
        lines.SetLines(kSave);
        TSaveDocument save(lines);
        const TSaveArray queue = save.ReadArray(save.FirstUnit(u"economy_event_queue"), u"data");
        QVERIFY(queue.IsValid());
        QVERIFY(queue.CountMatches());
        QCOMPARE(queue.EntryLines, (std::vector<int>{20, 21, 22, 23}));
        save.MoveArrayEntryToEnd(queue, u"data", index);
        QCOMPARE(lines.Lines().mid(20, 4), entries);
        QCOMPARE(lines.Lines().mid(0, 20), kSave.mid(0, 20));
        QCOMPARE(lines.Lines().mid(24), kSave.mid(24));
    }

    void arrayCountThatDoesNotMatch()
    {
        QStringList text = kSave;
        text[19] = " data: 5";
        TGameSaveLines lines;
        lines.SetLines(text);
        const TSaveView save(lines);
        const TSaveArray queue = save.ReadArray(save.FirstUnit(u"economy_event_queue"), u"data");
        QCOMPARE(queue.Count, 5);
        QVERIFY(!queue.CountMatches());
        QVERIFY(!save.ReadArray(save.FirstUnit(u"economy"), u"data").IsValid());
    }

    // The units moved in one run stand where the class's last unit stood at the first move, in the
    // order they were moved, also when that last unit is moved itself; the blank line above each
    // travels with it.
    void unitMovesOfOneRun()
    {
        TGameSaveLines lines;
        lines.SetLines(kSave);
        TSaveDocument save(lines);
        save.MoveUnitToClassEnd(u"economy_event", "_nameless.e2"); // already last: stays
        save.MoveUnitToClassEnd(u"job_offer_data", "_nameless.o2");
        save.MoveUnitToClassEnd(u"job_offer_data", "_nameless.o1");
        QCOMPARE(lines.Lines(), kSave); // nothing moves before the moves are applied
        save.ApplyUnitMoves();
        QStringList expected = kSave.mid(0, 5);
        expected << kSave.mid(12, 5) << kSave.mid(5, 7) << kSave.mid(17);
        QCOMPARE(lines.Lines(), expected);
        QVERIFY(lines.IndexIsConsistent());
        save.ApplyUnitMoves(); // the moves are spent
        QCOMPARE(lines.Lines(), expected);
    }

    // The write gives back the bytes of the file it read, in the file's own form.
    void writeKeepsTheFilesForm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray crlf = kSave.join("\r\n").toLatin1() + "\r\n";
        QTest::newRow("latin-1, CR LF") << QByteArray(crlf).replace("\"a.b\"", "\"a.\xE9\"");
        QTest::newRow("utf-8 mark, LF") << "\xEF\xBB\xBF" + kSave.join("\n").toUtf8() + "\n";
        QTest::newRow("no final line end") << crlf.chopped(2);
        QTest::newRow("mixed line ends") << QByteArray(crlf).replace("game_time: 10\r\n", "game_time: 10\n");
    }
    void writeKeepsTheFilesForm()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("game.sii");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        TGameSaveLines lines;
        QVERIFY(lines.LoadFromFile(path).ok());
        QFile::remove(path);
        QString error;
        QVERIFY2(TSaveDocument(lines).WriteVerified(path, &error), qPrintable(error));
        QCOMPARE(ReadRaw(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"game.sii"}));
    }
};

QTEST_GUILESS_MAIN(TestSaveDocument)
#include "test_savedocument.moc"
