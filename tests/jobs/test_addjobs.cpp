// kestrovan-cli add-jobs end to end, on a copy of a real save. The program is copied into a
// temporary folder first, so that its own files (history, learnt distances) land there.
#include "savecheck.h"
#include "savegame/gamesavelines.h"
#include "savegen.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kvntest;

namespace {

const QString RealSave = QStringLiteral(KVN_SHARED_DIR "/realsaves/recent-text-save/game.sii");
const QByteArray Header =
    "departure_city,departure_company,destination_city,destination_company,cargo,trailer_definition,urgency,units\n";

struct Run {
    int ExitCode = -1;
    QJsonObject Json;
    QByteArray Out;
    QByteArray Err;
};

QByteArray ReadBytes(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList ReadLines(const QString &Path)
{
    kvn::TGameSaveLines lines;
    if (!lines.LoadFromFile(Path).ok())
        return {};
    return lines.Lines();
}

// The offer the branch gives first, and its company's event.
QString FirstOffer(const QStringList &L, const QString &Link)
{
    const int h = FindHeader(L, "company : " + Link + " {");
    for (int i = h + 1; h >= 0 && i < L.size() && !Trim(L.at(i)).startsWith(u'}'); ++i)
        if (Trim(L.at(i)).startsWith("job_offer[0]:"))
            return Value(L.at(i));
    return {};
}

QString EventOf(const QStringList &L, const QString &Link)
{
    QString id;
    for (int i = 0; i + 2 < L.size(); ++i)
        if (Trim(L.at(i)).startsWith("economy_event : ") && Trim(L.at(i + 2)) == "unit_link: " + Link)
            id = Trim(L.at(i)).mid(16).chopped(2);
    return id;
}

} // namespace

class TestAddJobs : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FCli;
    QString FSave;

    Run RunCli(const QStringList &Args)
    {
        QProcess p;
        p.start(FCli, Args);
        p.waitForFinished(120000);
        Run r;
        r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Out = p.readAllStandardOutput();
        r.Err = p.readAllStandardError();
        r.Json = QJsonDocument::fromJson(r.Out).object();
        return r;
    }

    QString WriteCsv(const QByteArray &Rows)
    {
        const QString path = FDir.path() + "/jobs.csv";
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(Header + Rows);
        return path;
    }

    void FreshSave()
    {
        QDir(FDir.path() + "/profile").removeRecursively();
        QDir().mkpath(FDir.path() + "/profile/save/quicksave");
        FSave = FDir.path() + "/profile/save/quicksave/game.sii";
        QVERIFY(QFile::copy(RealSave, FSave));
        QFile::setPermissions(FSave, QFile::permissions(FSave) | QFileDevice::WriteOwner);
        QFile::remove(FDir.path() + "/bin/job-history.ini");
    }

private slots:
    void initTestCase()
    {
        if (!QFile::exists(RealSave))
            QSKIP("The real saves are not available here");
        QVERIFY(FDir.isValid());
        QDir().mkpath(FDir.path() + "/bin");
        FCli = FDir.path() + "/bin/kestrovan-cli";
        QVERIFY(QFile::copy(KVN_BIN_DIR "/kestrovan-cli", FCli));
        QFile::copy(KVN_BIN_DIR "/SII_Decrypt.exe", FDir.path() + "/bin/SII_Decrypt.exe");
        QFile::setPermissions(FCli, QFile::permissions(FCli) | QFileDevice::ExeOwner);
    }

    // Three jobs: every changed line is one the writer is meant to change, nothing else moved,
    // the result reads again, and the history lists the three jobs.
    void threeJobsOnARealSave()
    {
        FreshSave();
        const QStringList before = ReadLines(FSave);
        QVERIFY(!before.isEmpty());
        const Run run =
            RunCli({"add-jobs", FDir.path() + "/profile",
                    WriteCsv("bialystok,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,\n"
                             "luxembourg,itcc,metz,eurogoodies,olive_oil,"
                             "trailer_def.scs.box.single_3.dryvan_m,2,20\n"
                             "osnabruck,lkwlog,nurnberg,sellplan,cement,"
                             "trailer_def.scs.silo.single_3_10.silo,0,\n"),
                    "--json"});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Json.value("jobs").toInt(), 3);
        QCOMPARE(run.Json.value("written").toInt(), 3);
        QCOMPARE(ReadBytes(run.Json.value("backup").toString()), ReadBytes(RealSave));

        const QStringList after = ReadLines(FSave);
        struct Row {
            QString Link, To, Cargo, Trailer, Urgency, Units;
        };
        const Row rows[] = {{"company.volatile.tree_et.bialystok", "tradeaux.krakow", "logs",
                             "trailer_def.scs.log.single_3.steel", "1", "*"},
                            {"company.volatile.itcc.luxembourg", "eurogoodies.metz", "olive_oil",
                             "trailer_def.scs.box.single_3.dryvan_m", "2", "20"},
                            {"company.volatile.lkwlog.osnabruck", "sellplan.nurnberg", "cement",
                             "trailer_def.scs.silo.single_3_10.silo", "0", "*"}};
        int gameTime = 0;
        for (const QString &line : before)
            if (Trim(line).startsWith("game_time:")) {
                gameTime = Value(line).toInt();
                break;
            }
        std::vector<ExpectedJob> expected;
        int k = 1;
        for (const Row &r : rows) {
            ExpectedJob e;
            e.OfferID = FirstOffer(before, r.Link);
            e.EventID = EventOf(before, r.Link);
            QVERIFY(!e.OfferID.isEmpty() && !e.EventID.isEmpty());
            e.EventTime = QString::number(gameTime + 360 * k++);
            e.Attributes = {{"target", "\"" + r.To + "\""},
                            {"expiration_time", e.EventTime},
                            {"urgency", r.Urgency},
                            {"shortest_distance_km", "*"},
                            {"ferry_time", "*"},
                            {"ferry_price", "0"},
                            {"cargo", "cargo." + r.Cargo},
                            {"company_truck", "*"},
                            {"trailer_variant", "*"},
                            {"trailer_definition", r.Trailer},
                            {"units_count", r.Units}};
            expected.push_back(e);
        }
        const QString problem = CheckWrittenSave(before, after, expected);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // The program's own reader takes the result: the same companies and offers as before.
        const Run inspectBefore = RunCli({"inspect", run.Json.value("backup").toString(), "--json"});
        const Run inspectAfter = RunCli({"inspect", FSave, "--json"});
        QCOMPARE(inspectAfter.ExitCode, 0);
        for (const char *key : {"companies", "company_branches", "job_offers", "game_time"})
            QCOMPARE(inspectAfter.Json.value(key).toInt(), inspectBefore.Json.value(key).toInt());
        QVERIFY(ReadBytes(FDir.path() + "/bin/job-history.ini").contains("departure=osnabruck"));
    }

    // Bad lines are reported by number with their reason; the good lines are written.
    void badLinesAndGoodLines()
    {
        FreshSave();
        const Run run =
            RunCli({"add-jobs", FSave,
                    WriteCsv("atlantis,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,\n"       // 2
                             "bialystok,nobody,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,\n"       // 3
                             "bialystok,tree_et,krakow,tradeaux,gold_bars,trailer_def.scs.log.single_3.steel,1,\n" // 4
                             "bialystok,tree_et,krakow,tradeaux,logs,trailer_def.nothing,1,\n"                     // 5
                             "bialystok,tree_et,krakow,tradeaux,logs\n"                                            // 6
                             "bialystok,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,fast,\n"   // 7
                             "bialystok,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,-3\n"    // 8
                             "\n"
                             "bialystok,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,\n"      // 10
                             "bialystok,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,999\n"), // 11
                    "--json"});
        QCOMPARE(run.ExitCode, 3);
        QCOMPARE(run.Json.value("jobs").toInt(), 9);
        QCOMPARE(run.Json.value("written").toInt(), 1);
        const QJsonArray results = run.Json.value("results").toArray();
        QCOMPARE(results.size(), 9);
        const int lines[] = {2, 3, 4, 5, 6, 7, 8, 10, 11};
        const char *reasons[] = {"atlantis", "nobody", "gold_bars", "trailer_def.nothing", "columns", "urgency",
                                 "units",    "",       "units"};
        for (int i = 0; i < 9; ++i) {
            const QJsonObject r = results.at(i).toObject();
            QCOMPARE(r.value("line").toInt(), lines[i]);
            QCOMPARE(r.value("written").toBool(), i == 7);
            QVERIFY2(r.value("reason").toString().contains(QLatin1String(reasons[i])),
                     qPrintable(r.value("reason").toString()));
        }
    }

    // A trailer bound to countries is refused outside them unless the user allows it.
    void countryBoundTrailer()
    {
        const QByteArray rows = "bialystok,tree_et,krakow,tradeaux,can_sardines,trailer_def.scs.box.double_3_2.curtain,"
                                "0,\nosnabruck,lkwlog,nurnberg,sellplan,can_sardines,"
                                "trailer_def.scs.box.double_3_2.curtain,0,\n";
        FreshSave();
        Run run = RunCli({"add-jobs", FSave, WriteCsv(rows), "--json"});
        QCOMPARE(run.ExitCode, 3);
        const QJsonArray results = run.Json.value("results").toArray();
        QVERIFY(!results.at(0).toObject().value("written").toBool());
        QVERIFY(results.at(0).toObject().value("reason").toString().contains("--allow-country-bound"));
        QVERIFY(results.at(1).toObject().value("written").toBool()); // Germany is one of its countries
        FreshSave();
        run = RunCli({"add-jobs", FSave, WriteCsv(rows), "--json", "--allow-country-bound"});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Json.value("written").toInt(), 2);
    }

    // The distance learner of the load finishes before the jobs are assembled: a connection the
    // compiled table lacks but the save's own offers show is written with the learnt distance.
    void learntDistanceIsUsed()
    {
        QDir().mkpath(FDir.path() + "/gen/save/quicksave");
        const QString save = FDir.path() + "/gen/save/quicksave/game.sii";
        {
            QFile out(save);
            QVERIFY(out.open(QIODevice::WriteOnly));
            kvn::savegen::Options opt;
            opt.Lines = 20000;
            opt.Seed = 3;
            kvn::savegen::WriteGameSii(kvn::savegen::Catalogue::FromResources(), opt, out);
        }
        QFile::remove(FDir.path() + "/bin/distances-user.dat");
        const QStringList lines = ReadLines(save);
        const kvn::savegen::Catalogue catalogue = kvn::savegen::Catalogue::FromResources();
        // The first filled offer whose connection the compiled table lacks, and the branch it belongs to.
        QHash<QString, QString> branchOfOffer;
        QString branch;
        for (const QString &line : lines) {
            const QString t = Trim(line);
            if (t.startsWith("company : "))
                branch = t.mid(10).chopped(2);
            else if (t.startsWith("job_offer[") && !branch.isEmpty())
                branchOfOffer.insert(Value(t), branch);
            else if (t.startsWith(u'}'))
                branch.clear();
        }
        QString from, target, cargo, trailer, km;
        for (int i = 0; i < lines.size() && target.isEmpty(); ++i) {
            const QString t = Trim(lines.at(i));
            if (!t.startsWith("job_offer_data : "))
                continue;
            const QString owner = branchOfOffer.value(t.mid(17).chopped(2));
            QMap<QString, QString> a;
            for (int k = i + 1; k < lines.size() && !Trim(lines.at(k)).startsWith(u'}'); ++k)
                a.insert(Trim(lines.at(k)).section(u':', 0, 0), Value(lines.at(k)));
            const QString to = a.value("target").remove(u'"');
            const QString depCity = owner.section(u'.', 3), toCity = to.section(u'.', 1);
            if (owner.isEmpty() || to.isEmpty() || a.value("shortest_distance_km").toInt() <= 0 ||
                a.value("shortest_distance_km") == "1234" || catalogue.DistanceKm(depCity, toCity) > 0 ||
                catalogue.DistanceKm(toCity, depCity) > 0)
                continue;
            from = owner.section(u'.', 2, 2) + u',' + depCity;
            target = to.section(u'.', 1, 1) + u',' + to.section(u'.', 0, 0);
            cargo = a.value("cargo").mid(6);
            trailer = a.value("trailer_definition");
            km = a.value("shortest_distance_km");
        }
        if (target.isEmpty())
            QSKIP("The generated save teaches no distance");
        const QStringList fromParts = from.split(u','), targetParts = target.split(u',');
        const QByteArray row = (fromParts[1] + u',' + fromParts[0] + u',' + targetParts[0] + u',' + targetParts[1] +
                                u',' + cargo + u',' + trailer + ",0,\n")
                                   .toUtf8();
        const Run run = RunCli({"add-jobs", save, WriteCsv(row), "--json", "--allow-country-bound"});
        QVERIFY2(run.ExitCode == 0, run.Out.constData());
        const QStringList after = ReadLines(save);
        const QString offer = FirstOffer(lines, "company.volatile." + fromParts[0] + u'.' + fromParts[1]);
        const int h = FindHeader(after, "job_offer_data : " + offer + " {");
        QVERIFY(h >= 0);
        QString written;
        for (int k = h + 1; k < after.size() && !Trim(after.at(k)).startsWith(u'}'); ++k)
            if (Trim(after.at(k)).startsWith("shortest_distance_km:"))
                written = Value(after.at(k));
        QCOMPARE(written, km);
    }

    // A save from before job offers named their trailers: refused with the reason, not with one
    // misleading "does not offer the cargo" per line.
    void saveTooOldForJobsIsRefused()
    {
        FreshSave();
        QByteArray old;
        for (const QByteArray &line : ReadBytes(FSave).split('\n'))
            if (!line.trimmed().startsWith("trailer_definition:"))
                old += line + '\n';
        QFile f(FSave);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(old);
        f.close();
        const Run run = RunCli({"add-jobs", FSave, WriteCsv("bialystok,tree_et,krakow,posped,apples,x,0,\n")});
        QCOMPARE(run.ExitCode, 2);
        QVERIFY2(run.Err.contains("too old for composing jobs"), run.Err.constData());
        QCOMPARE(ReadBytes(FSave), old);
        QVERIFY(!QFile::exists(FDir.path() + "/profile/save/quicksave/~Kestrovan Backups"));
    }

    // A save the CLI must not write into: exit 2 with the reason on stderr, the save as it was, no
    // backup and no temporary file beside it.
    void unwritableSave_data()
    {
        QTest::addColumn<bool>("truncate");
        QTest::addColumn<QString>("says");
        QTest::newRow("cut off in the middle") << true << "is incomplete or damaged: it ";
        QTest::newRow("read-only") << false << "is read-only";
    }
    void unwritableSave()
    {
        QFETCH(bool, truncate);
        QFETCH(QString, says);
        FreshSave();
        if (truncate) {
            const QByteArray real = ReadBytes(RealSave);
            QFile f(FSave);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(real.left(real.size() * 2 / 3));
        } else {
            QVERIFY(QFile::setPermissions(FSave, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        }
        const QByteArray before = ReadBytes(FSave);
        const Run run = RunCli(
            {"add-jobs", FSave,
             WriteCsv("bialystok,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,\n"), "--json"});
        QFile::setPermissions(FSave, QFile::permissions(FSave) | QFileDevice::WriteOwner);
        QCOMPARE(run.ExitCode, 2);
        QVERIFY2(run.Err.contains(says.toUtf8()), run.Err.constData());
        QCOMPARE(ReadBytes(FSave), before);
        QCOMPARE(QDir(FDir.path() + "/profile/save/quicksave").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({"game.sii"}));
        QVERIFY(!QFile::exists(FDir.path() + "/bin/job-history.ini"));
    }

    // The history cannot be written: the job is in the save (exit 0), with a warning on stderr and
    // in the JSON.
    void historyNotWritten()
    {
        FreshSave();
        const QString history = FDir.path() + "/bin/job-history.ini";
        QVERIFY(QDir().mkpath(history + "/x")); // a folder where the file belongs
        const Run run = RunCli(
            {"add-jobs", FSave,
             WriteCsv("bialystok,tree_et,krakow,tradeaux,logs,trailer_def.scs.log.single_3.steel,1,\n"), "--json"});
        QDir(history).removeRecursively();
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Json.value("written").toInt(), 1);
        const QJsonArray warnings = run.Json.value("warnings").toArray();
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.at(0).toString().startsWith("The job history could not be updated"));
        QVERIFY2(run.Err.contains("warning: The job history could not be updated"), run.Err.constData());
        QVERIFY(ReadBytes(FSave) != ReadBytes(RealSave));
    }

    void unusableInput_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("wrong header") << QByteArray("city,company\nbialystok,tree_et\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("header only") << Header;
        QTest::newRow("not UTF-8") << QByteArray(Header + "bialystok,\xff\xfe,krakow,x,y,z,0,\n");
        QTest::newRow("huge file") << (Header + QByteArray(5 * 1024 * 1024, 'a'));
    }

    // The whole input unusable: exit 2, nothing written, no backup.
    void unusableInput()
    {
        QFETCH(QByteArray, csv);
        FreshSave();
        const QString path = FDir.path() + "/raw.csv";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(csv);
        f.close();
        QCOMPARE(RunCli({"add-jobs", FSave, path}).ExitCode, 2);
        QCOMPARE(ReadBytes(FSave), ReadBytes(RealSave));
        QVERIFY(!QFile::exists(FDir.path() + "/profile/save/quicksave/~Kestrovan Backups"));
        QCOMPARE(RunCli({"add-jobs", FDir.path() + "/nowhere", path}).ExitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestAddJobs)
#include "test_addjobs.moc"
