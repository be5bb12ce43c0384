// Learning road distances from every save of every profile, and the index of saves already read.
#include "savegen.h"

#include "catalogue/estimatedoffers.h"
#include "savegame/savesread.h"
#include "savegame/unknowndistances.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

struct Offer {
    QString Id;
    QString Target;
    int Km;
};

// A small but whole save: one company in Departure whose offers lead to the given cities.
QByteArray SaveText(const QString &Departure, const std::vector<Offer> &Offers, bool CutOff = false)
{
    QStringList lines{"SiiNunit", "{", "economy : _nameless.1 {", " game_time: 1000", "}", ""};
    lines << "company : company.volatile.c." + Departure + " {"
          << " job_offer: " + QString::number(Offers.size());
    for (size_t k = 0; k < Offers.size(); ++k)
        lines << QString(" job_offer[%1]: %2").arg(k).arg(Offers[k].Id);
    lines << "}";
    for (const Offer &o : Offers)
        lines << "job_offer_data : " + o.Id + " {"
              << " target: \"d." + o.Target + "\""
              << " shortest_distance_km: " + QString::number(o.Km) << " ferry_time: 0"
              << "}";
    if (!CutOff)
        lines << "}";
    return lines.join("\r\n").toUtf8() + "\r\n";
}

// Writes Folder/save/Name/game.sii, last modified AgeSeconds ago.
QString WriteSave(const QString &Profile, const QString &Name, const QByteArray &Bytes, int AgeSeconds)
{
    const QString path = Profile + "/save/" + Name + "/game.sii";
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(Bytes) != Bytes.size())
        return {};
    f.close();
    if (!f.open(QIODevice::ReadWrite) ||
        !f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-AgeSeconds), QFileDevice::FileModificationTime))
        return {};
    return path;
}

QByteArray FileBytes(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TGameSaveLines LinesOf(const QByteArray &Text)
{
    TGameSaveLines save;
    save.LoadFromBytes(Text);
    return save;
}

struct Run {
    TSavesLearning Learning;
    int Handovers = 0;
};

Run Learn(TDistances &Distances, const TGameSaveLines &Loaded, const TOtherSaves &Others, bool StopAfterFirst = false)
{
    TGetUnkownDistances learner(Loaded, Distances, Others);
    QSignalSpy learned(&learner, &TGetUnkownDistances::DistancesLearned);
    if (StopAfterFirst)
        QObject::connect(
            &learner, &TGetUnkownDistances::DistancesLearned, &learner, [&learner] { learner.RequestStop(); },
            Qt::DirectConnection);
    learner.start();
    learner.wait();
    return {learner.Learning(), int(learned.count())};
}

} // namespace

class TestSavesLearning : public QObject {
    Q_OBJECT

private slots:
    // Indexes written by us come back whole; lines that are not ours are left out, whatever they hold.
    void readSavesIndexParse()
    {
        const QByteArray bytes = "# comment\n"
                                 "120\t1700000000000\t/p/save/1/game.sii\n"
                                 "7\t-5\t/odd\tpath/game.sii\r\n"
                                 "\n"
                                 "x\t1\t/bad/size\n"
                                 "-1\t1\t/negative/size\n"
                                 "1\t\t/no/time\n"
                                 "1\t2\t\n"
                                 "99999999999999999999999\t2\t/too/big\n"
                                 "1\t2 /one/tab\n";
        const TReadSavesIndex index = TReadSavesIndex::Parse(bytes);
        QCOMPARE(index.Count(), 2);
        QVERIFY(index.WasRead({"/p/save/1/game.sii", 120, 1700000000000}));
        QVERIFY(index.WasRead({"/odd\tpath/game.sii", 7, -5}));
        QVERIFY(!index.WasRead({"/p/save/1/game.sii", 121, 1700000000000}));
        QVERIFY(!index.WasRead({"/p/save/1/game.sii", 120, 1700000000001}));
        const TReadSavesIndex again = TReadSavesIndex::Parse(index.Serialise());
        QCOMPARE(again.Serialise(), index.Serialise());
        QCOMPARE(TReadSavesIndex::Parse(QByteArray(TReadSavesIndex::kMaxFileBytes + 1, '1')).Count(), 0);
    }

    // Saves of two profiles, newest first after the loaded one; encrypted ones through a decoded
    // copy, broken and cut-off ones skipped and counted, offers written with an estimate passed
    // over; a second run reads nothing, a changed save is read again.
    void learnsFromEverySaveOfEveryProfile()
    {
        QTemporaryDir dir;
        const QString p1 = dir.filePath("profiles/P1");
        const QString p2 = dir.filePath("profiles/P2");
        const QString data = dir.filePath("program");
        QVERIFY(QDir().mkpath(data));
        TDistances distances(data);
        distances.SetCompiledLines({"a,b,10,0"});
        distances.ReloadDistances();

        const QByteArray loadedText = SaveText("a", {{"q", "q1", 11}});
        const QString loaded = WriteSave(p1, "quicksave", loadedText, 0);
        QVERIFY(!WriteSave(p1, "autosave", SaveText("a", {{"o", "c", 50}}), 100).isEmpty());
        QString error;
        const QByteArray encrypted =
            savegen::StoreGameSii(SaveText("a", {{"o", "d", 70}}), savegen::SaveForm::EncryptedText, 7, &error);
        QVERIFY2(!encrypted.isEmpty(), qPrintable(error));
        const QString encryptedPath = WriteSave(p1, "1", encrypted, 200);
        QVERIFY(!WriteSave(p1, "2", "not a save at all", 50).isEmpty());
        // Older than P1's autosave: its a-c is not taken over the newer one.
        QVERIFY(!WriteSave(p2, "quicksave", SaveText("a", {{"o", "c", 60}, {"e1", "f", 80}, {"o2", "e", 90}}), 300)
                     .isEmpty());
        QVERIFY(!WriteSave(p2, "autosave_job", SaveText("a", {{"o", "g", 40}}, true), 10).isEmpty());
        QVERIFY(TEstimatedOffers::Remember(data, {{"e1", "a", "f", 80}}));

        const TOtherSaves others{{p1 + "/", p2 + "/"}, loaded, KVN_BIN_DIR};
        const Run first = Learn(distances, LinesOf(loadedText), others);
        QCOMPARE(first.Learning.SavesFound, 5);
        QCOMPARE(first.Learning.SavesRead, 3);
        QCOMPARE(first.Learning.SavesSkipped, 2);
        QCOMPARE(first.Learning.SavesAlreadyRead, 0);
        QCOMPARE(first.Handovers, 4); // the loaded save, then each save that taught something
        QCOMPARE(first.Learning.PairsAdded, 4);
        // The user file grows in the order the saves were read: the loaded one, then newest first.
        const QByteArray user = FileBytes(distances.UserFilePath());
        QCOMPARE(user, QByteArray("a,q1,11,0\r\nq1,a,11,0\r\na,c,50,0\r\nc,a,50,0\r\na,d,70,0\r\nd,a,70,0\r\n"
                                  "a,e,90,0\r\ne,a,90,0\r\n"));
        QVERIFY(!distances.DistanceExists("a", "f"));
        QVERIFY(!distances.DistanceExists("a", "g"));
        // The player's encrypted save is left as the game wrote it.
        QCOMPARE(FileBytes(encryptedPath), encrypted);

        const Run second = Learn(distances, LinesOf(loadedText), others);
        QCOMPARE(second.Learning.SavesRead, 0);
        QCOMPARE(second.Learning.SavesAlreadyRead, 3);
        QCOMPARE(second.Learning.SavesSkipped, 2);
        QCOMPARE(second.Handovers, 0);
        QCOMPARE(FileBytes(distances.UserFilePath()), user);

        QVERIFY(!WriteSave(p1, "autosave", SaveText("a", {{"o", "h", 33}}), 1).isEmpty());
        const Run third = Learn(distances, LinesOf(loadedText), others);
        QCOMPARE(third.Learning.SavesRead, 1);
        QCOMPARE(third.Learning.SavesAlreadyRead, 2);
        QCOMPARE(distances.GetDistance("a", "h").KM, 33);
    }

    // Stopped once the loaded save is learnt: no other save is read or marked as read.
    void stopBetweenSaves()
    {
        QTemporaryDir dir;
        TDistances distances(dir.path());
        distances.SetCompiledLines({"a,b,10,0"});
        distances.ReloadDistances();
        const QString profile = dir.filePath("P");
        QVERIFY(!WriteSave(profile, "autosave", SaveText("a", {{"o", "c", 50}}), 10).isEmpty());
        const Run stopped =
            Learn(distances, LinesOf(SaveText("a", {{"q", "q1", 11}})), {{profile}, QString(), KVN_BIN_DIR}, true);
        QCOMPARE(stopped.Handovers, 1);
        QCOMPARE(stopped.Learning.SavesRead, 0);
        QVERIFY(!distances.DistanceExists("a", "c"));
        QVERIFY(!QFile::exists(dir.filePath(TReadSavesIndex::FileName())));
    }
};

QTEST_GUILESS_MAIN(TestSavesLearning)
#include "test_saveslearning.moc"
