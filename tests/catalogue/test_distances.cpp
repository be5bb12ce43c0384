#include "catalogue/distances.h"
#include "shared/encoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>

using namespace kvn;

namespace {

const QStringList kCompiled{
    QStringLiteral("# Departure, Destination, shortest distance (km), ferry time (m) "),
    QStringLiteral("berlin,hamburg,289,0"),
    QStringLiteral("hamburg,berlin,300,0"),
    QStringLiteral("calais,dover,120,90"),
    QStringLiteral("aaa,bbb,1234,-1"),
    QStringLiteral("bbb,ccc,-5,x"),
    QStringLiteral("ccc,ddd,abc,45"),
    QStringLiteral("a,b,1,2,3"),
    QStringLiteral("a,b,1"),
    QStringLiteral(""),
    QStringLiteral("  berlin,berlin,0,0  "),
};

QByteArray ReadAll(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &Path, const QByteArray &Data)
{
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(Data);
}

} // namespace

class TestDistances : public QObject {
    Q_OBJECT

private slots:
    void linesAndValues()
    {
        const auto table = TDistanceTable::Build(kCompiled, {});
        QCOMPARE(table->Entries().size(), std::size_t(7));

        const TDistanceData &unknown = table->Entries()[3];
        QCOMPARE(unknown.Distance(), 1234);
        QVERIFY(unknown.DistanceIsUnknown());
        QCOMPARE(unknown.FerryTime(), -1);
        QVERIFY(!unknown.NeedsFerry());

        const TDistanceData &negative = table->Entries()[4];
        QCOMPARE(negative.Distance(), 0);
        QVERIFY(negative.DistanceIsUnknown());
        QCOMPARE(negative.FerryTime(), -1); // not a number

        const TDistanceData &notANumber = table->Entries()[5];
        QCOMPARE(notANumber.Distance(), 0);
        QVERIFY(notANumber.DistanceIsUnknown());
        QVERIFY(notANumber.NeedsFerry());

        QVERIFY(table->Entries()[2].NeedsFerry());
        QVERIFY(!table->Entries()[0].DistanceIsUnknown());
        QVERIFY(!table->Entries()[0].ItemDeactivatedForProfile());
        QCOMPARE(table->Entries()[6].Departure(), QStringLiteral("berlin")); // the line is trimmed
    }

    void lookUps()
    {
        const auto table = TDistanceTable::Build(kCompiled, {});
        // Either direction, the first in table order wins: hamburg -> berlin answers 289.
        QCOMPARE(table->GetDistance(QStringLiteral("hamburg"), QStringLiteral("berlin")).KM, 289);
        QCOMPARE(table->GetDistance(QStringLiteral("berlin"), QStringLiteral("hamburg")).KM, 289);
        QCOMPARE(table->GetDistance(QStringLiteral("BERLIN"), QStringLiteral("Hamburg")).KM, 289);
        const TDistanceDataResult ferry = table->GetDistance(QStringLiteral("dover"), QStringLiteral("calais"));
        QCOMPARE(ferry.KM, 120);
        QCOMPARE(ferry.FerryTime, 90);
        QVERIFY(ferry.NeedsFerry);
        const TDistanceDataResult none = table->GetDistance(QStringLiteral("berlin"), QStringLiteral("dover"));
        QCOMPARE(none.KM, 0);
        QCOMPARE(none.FerryTime, 0);
        QVERIFY(!none.NeedsFerry);
        QCOMPARE(table->GetDistance(QStringLiteral("aaa"), QStringLiteral("bbb")).FerryTime, -1);

        QVERIFY(table->DistanceExists(QStringLiteral("hamburg"), QStringLiteral("berlin")));
        QVERIFY(table->DistanceExists(QStringLiteral("calais"), QStringLiteral("dover")));
        QVERIFY(!table->DistanceExists(QStringLiteral("dover"), QStringLiteral("calais")));
        QVERIFY(!table->DistanceExists(QStringLiteral("Berlin"), QStringLiteral("hamburg")));
        QVERIFY(!table->DistanceExists(QString(), QStringLiteral("hamburg")));
        QVERIFY(!TDistanceTable::Build({}, {})->DistanceExists(QStringLiteral("a"), QStringLiteral("b")));
    }

    // The index must answer exactly as a walk through the list would.
    void indexAgreesWithALinearWalk()
    {
        QStringList compiled, user;
        const QStringList cities{"a", "b", "c", "d", "e"};
        int km = 1;
        for (const QString &x : cities)
            for (const QString &y : cities)
                if ((km * 7) % 3 != 0)
                    compiled.append(QStringLiteral("%1,%2,%3,0").arg(x, y).arg(km++));
                else
                    user.append(QStringLiteral("%1,%2,%3,0").arg(y, x).arg(km++));
        user.append(compiled.mid(0, 5)); // duplicates of compiled pairs, to be skipped
        const auto table = TDistanceTable::Build(compiled, user);
        for (const QString &x : cities)
            for (const QString &y : cities) {
                int expected = 0;
                for (const TDistanceData &e : table->Entries())
                    if ((e.Departure() == x && e.Destination() == y) || (e.Departure() == y && e.Destination() == x)) {
                        expected = e.Distance();
                        break;
                    }
                QCOMPARE(table->GetDistance(x, y).KM, expected);
            }
    }

    void userFileBesideTheCompiledTable()
    {
        QTemporaryDir dir;
        WriteAll(dir.filePath(TDistances::UserFileName()),
                 "hamburg,berlin,999,0\r\n" // the compiled pair wins
                 "dover,calais,130,80\r\n"  // the reverse pair is accepted ...
                 "x,y,10,0\r\n"
                 "x,y,20,0\r\n" // the first user line wins
                 "x,y,30,0,9\r\n"
                 "# comment\r\n");
        TDistances distances(dir.path());
        distances.SetCompiledLines(kCompiled);
        distances.ReloadDistances();
        const auto table = distances.Snapshot();
        QCOMPARE(table->Entries().size(), std::size_t(7 + 2));
        // ... but the compiled direction still answers first.
        QCOMPARE(distances.GetDistance(QStringLiteral("dover"), QStringLiteral("calais")).KM, 120);
        QVERIFY(distances.DistanceExists(QStringLiteral("dover"), QStringLiteral("calais")));
        QCOMPARE(distances.GetDistance(QStringLiteral("y"), QStringLiteral("x")).KM, 10);
        QCOMPARE(distances.GetDistance(QStringLiteral("hamburg"), QStringLiteral("berlin")).KM, 289);
    }

    void savingAppendsBothDirections()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(TDistances::UserFileName());
        WriteAll(path, "b,a,50,0\r\n");
        TDistances distances(dir.path());
        distances.SetCompiledLines(kCompiled);
        distances.ReloadDistances();
        const auto before = distances.Snapshot();

        const auto result = distances.SaveUserDistances({{QStringLiteral("a"), QStringLiteral("b"), 50, 0},
                                                         {QStringLiteral("Q"), QStringLiteral("r"), 77, -1},
                                                         {QStringLiteral("q"), QStringLiteral("R"), 78, 3}});
        QVERIFY(result.Ok);
        QCOMPARE(result.AddedPairs, 2);
        // The pair existed only in reverse: both lines are appended, the reverse one twice then.
        QCOMPARE(ReadAll(path), QByteArray("b,a,50,0\r\n"
                                           "a,b,50,0\r\nb,a,50,0\r\n"
                                           "Q,r,77,-1\r\nr,Q,77,-1\r\n"));
        // A reader that started earlier keeps its table; the new one has the learnt distances.
        QCOMPARE(before->GetDistance(QStringLiteral("q"), QStringLiteral("r")).KM, 0);
        QVERIFY(distances.Snapshot() != before);
        QVERIFY(distances.DistanceExists(QStringLiteral("Q"), QStringLiteral("r")));
        QCOMPARE(distances.GetDistance(QStringLiteral("r"), QStringLiteral("q")).KM, 0); // "Q" is not lower case

        // Names that would break the file's lines are not stored.
        const QByteArray written = ReadAll(path);
        QCOMPARE(distances
                     .SaveUserDistances({{QStringLiteral("x,y"), QStringLiteral("z"), 1, 0},
                                         {QStringLiteral("x\r\ny,z,5"), QStringLiteral("z"), 1, 0},
                                         {QString(), QStringLiteral("z"), 1, 0}})
                     .AddedPairs,
                 0);
        QCOMPARE(ReadAll(path), written);

        // Nothing new: the file is not touched.
        QCOMPARE(distances.SaveUserDistances({{QStringLiteral("a"), QStringLiteral("b"), 1, 0}}).AddedPairs, 0);
        QVERIFY(distances.SaveUserDistances({}).Ok);
    }

    void offersBecomeLearntDistances()
    {
        struct Offer {
            QString departure, target;
            TDistanceDataResult DistanceData;
        };
        Offer a{QStringLiteral("a"), QStringLiteral("b"), {12, -1, false}};
        Offer c{QStringLiteral("c"), QStringLiteral("d"), {34, 5, true}};
        const std::vector<Offer *> offers{&a, nullptr, &c};
        const auto learned = LearnedDistancesOf(offers);
        QCOMPARE(learned.size(), std::size_t(2));
        QCOMPARE(learned[0].Target, QStringLiteral("b"));
        QCOMPARE(learned[0].FerryTime, -1);
        QCOMPARE(learned[1].KM, 34);
    }

    void savingKeepsAByteOrderMark_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::newRow("utf-8") << int(TTextEncoding::Utf8);
        QTest::newRow("utf-16le") << int(TTextEncoding::Utf16LE);
        QTest::newRow("utf-16be") << int(TTextEncoding::Utf16BE);
    }
    void savingKeepsAByteOrderMark()
    {
        QFETCH(int, encoding);
        const auto enc = TTextEncoding(encoding);
        QTemporaryDir dir;
        const QString path = dir.filePath(TDistances::UserFileName());
        WriteAll(path, EncodeText(QStringLiteral("m,n,5,0\r\n"), enc, true));
        TDistances distances(dir.path());
        distances.SetCompiledLines({});
        distances.ReloadDistances();
        QCOMPARE(distances.GetDistance(QStringLiteral("m"), QStringLiteral("n")).KM, 5);
        QVERIFY(distances.SaveUserDistances({{QStringLiteral("o"), QStringLiteral("p"), 6, 0}}).Ok);
        QCOMPARE(ReadAll(path), EncodeText(QStringLiteral("m,n,5,0\r\no,p,6,0\r\np,o,6,0\r\n"), enc, true));
        QCOMPARE(distances.GetDistance(QStringLiteral("p"), QStringLiteral("o")).KM, 6);
    }

    void aFileWithoutMarkStaysLatin1()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(TDistances::UserFileName());
        WriteAll(path, "k\xf6ln,bonn,30,0\n");
        TDistances distances(dir.path());
        distances.SetCompiledLines({});
        distances.ReloadDistances();
        QCOMPARE(distances.GetDistance(QStringLiteral("k\u00f6ln"), QStringLiteral("bonn")).KM, 30);
        QVERIFY(distances.SaveUserDistances({{QStringLiteral("s"), QStringLiteral("t"), 1, 0}}).Ok);
        QCOMPARE(ReadAll(path), QByteArray("k\xf6ln,bonn,30,0\r\ns,t,1,0\r\nt,s,1,0\r\n"));
    }

    void aFileThatCannotBeWrittenIsReported()
    {
        QTemporaryDir dir;
        // A file where the folder should be: nothing can be written "inside" it, also not as root.
        const QString folder = dir.filePath(QStringLiteral("not-a-folder"));
        WriteAll(folder, "x");
        TDistances distances(folder);
        distances.SetCompiledLines(kCompiled);
        distances.ReloadDistances();
        const auto before = distances.Snapshot();
        const auto result = distances.SaveUserDistances({{QStringLiteral("a"), QStringLiteral("z"), 5, 0}});
        QVERIFY(!result.Ok);
        QVERIFY(!result.Error.isEmpty());
        QCOMPARE(result.AddedPairs, 0);
        QCOMPARE(distances.Snapshot(), before);
        QVERIFY(!QFile::exists(QDir(folder).filePath(TDistances::UserFileName())));
    }

    // The learner saves and rebuilds on its thread while the window keeps looking distances up:
    // every reader sees either the old or the new table whole, never one in between.
    void readersNeverSeeAHalfBuiltTable()
    {
        QTemporaryDir dir;
        TDistances distances(dir.path());
        QStringList compiled;
        for (int i = 0; i < 2000; ++i)
            compiled.append(QStringLiteral("c%1,d%1,%2,0").arg(i).arg(100 + i));
        distances.SetCompiledLines(compiled);
        distances.ReloadDistances();

        std::atomic<bool> stop{false};
        std::atomic<int> faults{0}, reads{0};
        QThread *reader = QThread::create([&] {
            while (!stop.load()) {
                const auto table = distances.Snapshot();
                const std::size_t size = table->Entries().size();
                // Compiled entries first, then pairs of learnt lines.
                if (size < 2000 || (size - 2000) % 2 != 0)
                    ++faults;
                if (table->GetDistance(QStringLiteral("d1999"), QStringLiteral("c1999")).KM != 2099)
                    ++faults;
                if (distances.GetDistance(QStringLiteral("c7"), QStringLiteral("d7")).KM != 107)
                    ++faults;
                ++reads;
            }
        });
        reader->start();
        for (int i = 0; i < 40; ++i) {
            const auto result =
                distances.SaveUserDistances({{QStringLiteral("u%1").arg(i), QStringLiteral("v%1").arg(i), i + 1, 0}});
            QVERIFY(result.Ok);
        }
        while (reads.load() < 100)
            QThread::msleep(1);
        stop = true;
        reader->wait();
        delete reader;
        QCOMPARE(faults.load(), 0);
        QCOMPARE(distances.Snapshot()->Entries().size(), std::size_t(2000 + 80));
        QCOMPARE(distances.GetDistance(QStringLiteral("v39"), QStringLiteral("u39")).KM, 40);
    }

    void deactivationMarks()
    {
        const auto table = TDistanceTable::Build(kCompiled, {});
        table->Entries()[1].SetItemDeactivatedForProfile(true);
        QVERIFY(table->Entries()[1].ItemDeactivatedForProfile());
        // Marks do not change the answers.
        QCOMPARE(table->GetDistance(QStringLiteral("hamburg"), QStringLiteral("berlin")).KM, 289);
        table->ResetDistanceDeactivation();
        QVERIFY(!table->Entries()[1].ItemDeactivatedForProfile());
    }

    // Positions 3-4-5 apart: 5000 units are round(0.02448 x 5000) = 122 km.
    void estimates_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("km");
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("mayCrossWater");
        const int compiled = int(TDistanceSource::Compiled), estimated = int(TDistanceSource::Estimated),
                  none = int(TDistanceSource::None);
        QTest::newRow("both positions, no entry") << "berlin"
                                                  << "kiel" << 122 << estimated << false;
        QTest::newRow("either direction, any case") << "KIEL"
                                                    << "Berlin" << 122 << estimated << false;
        QTest::newRow("compiled entry wins") << "berlin"
                                             << "hamburg" << 289 << compiled << false;
        QTest::newRow("unknown compiled distance") << "aaa"
                                                   << "kiel" << 245 << estimated << false;
        QTest::newRow("countries linked by a ferry") << "kiel"
                                                     << "malmo" << 73 << estimated << true;
        QTest::newRow("a city without position") << "berlin"
                                                 << "atlantis" << 0 << none << false;
        QTest::newRow("a position off the map") << "hamburg"
                                                << "kiel" << 0 << none << false;
        QTest::newRow("same place") << "berlin"
                                    << "berlin2" << 0 << none << false;
    }
    void estimates()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        const auto positions = TCityPositions::FromLines(
            {"# City; x; z", "berlin;0;0", "kiel;3000;4000", "aaa;3000;-6000", "malmo;3000;7000", "berlin2;0;0.1",
             "atlantis;abc;1", "hamburg;1e300;0", "kiel;9;9"},
            {"berlin;Germany", "kiel;Germany", "aaa;Germany", "malmo;Sweden", "trelleborg;Sweden", "rostock;Germany"});
        const auto table = TDistanceTable::Build(
            {"berlin,hamburg,289,0", "aaa,kiel,1234,-1", "rostock,trelleborg,400,360"}, {}, positions);
        const TDistanceDataResult d = table->GetDistance(from, to);
        QTEST(d.KM, "km");
        QTEST(int(d.Source), "source");
        QTEST(d.MayCrossWater, "mayCrossWater");
        // An estimate is an answer only: the table gains no entry for it.
        QCOMPARE(table->Entries().size(), std::size_t(3));
    }

    // Each pair counts once whatever its direction; a city to itself and unknown distances do not
    // count as known; estimable pairs are those between positioned cities that nobody knows.
    void coverage()
    {
        const auto positions = TCityPositions::FromLines(
            {"berlin;0;0", "kiel;3000;4000", "aaa;3000;-6000", "malmo;3000;7000", "berlin2;0;0.1", "hamburg;1e300;0"});
        const auto table = TDistanceTable::Build({"berlin,hamburg,289,0", "hamburg,berlin,290,0", "aaa,kiel,1234,-1",
                                                  "rostock,trelleborg,400,360", "kiel,kiel,5,0", "kiel,malmo,70,0"},
                                                 {"kiel,malmo,100,0", "malmo,kiel,100,0", "x,y,40,0"}, positions);
        const TDistanceCoverage quick = table->Coverage();
        QCOMPARE(quick.FromTable, 2);
        QCOMPARE(quick.Learnt, 2);
        QCOMPARE(quick.Known(), 4);
        QCOMPARE(quick.Estimable, 0);
        // 10 pairs of the five positioned cities, less kiel-malmo (known) and berlin-berlin2 (one place).
        QCOMPARE(table->Coverage(true).Estimable, 8);
        QCOMPARE(TDistanceTable::Build({"a,b,1,0"}, {})->Coverage(true).Estimable, 0);
    }

    // A pair learnt from the player's saves replaces a compiled one that the game no longer offers;
    // an equal or unknown learnt value leaves the compiled entry as it is.
    void learntReplacesADifferingCompiledPair()
    {
        QTemporaryDir dir;
        WriteAll(dir.filePath(TDistances::UserFileName()), "goteborg,jonkoping,193,0\r\n"
                                                           "jonkoping,goteborg,193,0\r\n"
                                                           "berlin,hamburg,289,0\r\n"
                                                           "calais,dover,1234,0\r\n");
        TDistances distances(dir.path());
        distances.SetCompiledLines(
            {"calais,dover,120,90", "goteborg,jonkoping,92,0", "jonkoping,goteborg,92,0", "berlin,hamburg,289,0"});
        distances.ReloadDistances();
        const auto table = distances.Snapshot();
        QCOMPARE(table->Entries().size(), std::size_t(4));
        const TDistanceDataResult learnt = table->GetDistance("jonkoping", "goteborg");
        QCOMPARE(learnt.KM, 193);
        QCOMPARE(learnt.Source, TDistanceSource::Learnt);
        QVERIFY(table->FindEitherWay("goteborg", "jonkoping")->Learnt());
        QCOMPARE(table->GetDistance("berlin", "hamburg").Source, TDistanceSource::Compiled);
        const TDistanceDataResult ferry = table->GetDistance("dover", "calais");
        QCOMPARE(ferry.KM, 120);
        QCOMPARE(ferry.FerryTime, 90);
        QCOMPARE(ferry.Source, TDistanceSource::Compiled);
    }
};

QTEST_GUILESS_MAIN(TestDistances)
#include "test_distances.moc"
