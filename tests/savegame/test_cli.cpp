#include "savegen.h"

#include "savegame/saveinspection.h"
#include "savegame/siidecryption.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

QByteArray Sha(const QString &Path)
{
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct Run {
    int ExitCode = -1;
    QByteArray Out;
};

Run RunCli(const QStringList &Args, const QString &Home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", Home);
    env.insert("XDG_DATA_HOME", Home + "/.local/share");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KVN_BIN_DIR "/kestrovan-cli"), Args);
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput()};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void profilesOfGeneratedFolder()
    {
        QTemporaryDir home;
        const QString game = home.path() + "/.local/share/Euro Truck Simulator 2";
        savegen::Options opt;
        opt.Lines = 2000;
        opt.Profiles = 2;
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, game));
        const Run run = RunCli({"profiles", "--json"}, home.path());
        QCOMPARE(run.ExitCode, 0);
        const QJsonObject doc = QJsonDocument::fromJson(run.Out).object();
        const QJsonArray profiles = doc.value("profiles").toArray();
        QCOMPARE(profiles.size(), 2);
        QStringList names;
        for (const QJsonValue &v : profiles) {
            const QJsonObject p = v.toObject();
            names << p.value("name").toString();
            QCOMPARE(p.value("quick_save_form").toString(), QString("text"));
            QVERIFY(p.value("quick_save").toBool());
            QCOMPARE(p.value("company").toString(), p.value("name").toString() + " Logistics");
        }
        names.sort();
        QCOMPARE(names, (QStringList{"Kestrel Driver", "Night Hauler"}));

        QTemporaryDir empty;
        const Run none = RunCli({"profiles"}, empty.path());
        QCOMPARE(none.ExitCode, 0);
        QVERIFY(none.Out.contains("No game folder found"));
    }

    void inspectKeys()
    {
        QTemporaryDir home;
        savegen::Options opt;
        opt.Lines = 5000;
        const QString path = home.filePath("game.sii");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const savegen::Summary s = savegen::WriteGameSii(savegen::Catalogue::FromResources(), opt, f);
        f.close();
        const Run run = RunCli({"inspect", path, "--json"}, home.path());
        QCOMPARE(run.ExitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(run.Out).object();
        QCOMPARE(o.keys().size(), 15);
        for (const char *key : {"game_time", "companies", "company_branches", "profile_cities", "countries",
                                "compatible_cargos", "cargo_trailer_items", "job_offers", "learnable_distances",
                                "known_pairs", "learnt_pairs", "estimated_pairs", "unknown_pairs"})
            QVERIFY2(o.value(key).isDouble(), key);
        QCOMPARE(o.value("form").toString(), QString("text"));
        QCOMPARE(o.value("game_time").toInt(), s.GameTime);
        QCOMPARE(o.value("last_visited_city").toString(), s.LastVisitedCity);
        QCOMPARE(o.value("companies").toInt(), s.Companies);
        QCOMPARE(o.value("company_branches").toInt(), s.CompanyBranches);
        QCOMPARE(o.value("profile_cities").toInt(), int(s.Cities.size()));
        QCOMPARE(o.value("job_offers").toInt(), s.JobOffers);
        QVERIFY(o.value("learnable_distances").toInt() > 0);
        // Every ordered pair of two composable cities is counted once, by where its distance comes from.
        const int cities = o.value("profile_cities").toInt();
        QCOMPARE(o.value("known_pairs").toInt() + o.value("learnt_pairs").toInt() + o.value("estimated_pairs").toInt() +
                     o.value("unknown_pairs").toInt(),
                 cities * (cities - 1));
        QVERIFY(o.value("estimated_pairs").toInt() > 0);

        QCOMPARE(RunCli({"inspect", home.filePath("missing.sii")}, home.path()).ExitCode, 1);
        QCOMPARE(RunCli({"bogus"}, home.path()).ExitCode, 2);
    }

    // The encrypted real save is decoded into a copy and read like a plain one; the original stays.
    void inspectEncryptedRealSave()
    {
        const QString source = QStringLiteral(KVN_SHARED_DIR "/realsaves/encrypted-2025/save/1/game.sii");
        if (!QFile::exists(source))
            QSKIP("real save not available");
        QTemporaryDir dir;
        const QString copy = dir.filePath("game.sii");
        QVERIFY(QFile::copy(source, copy));
        const QByteArray before = Sha(copy);
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        catalogue.Distances.ReloadDistances();
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        const TSaveInspection s = InspectSave(copy, catalogue, decrypter);
        QVERIFY2(s.Ok, qPrintable(s.Error));
        QCOMPARE(Sha(copy), before);
        QCOMPARE(s.Form, QString("encrypted"));
        QCOMPARE(s.CompanyBranches, 3091);
        QCOMPARE(s.JobOffers, 8584);
        QVERIFY(s.GameTime > 0);
        QVERIFY(!s.LastVisitedCity.isEmpty());
        QVERIFY(s.CompatibleCargos > 0);
    }

    void inspectGarbage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("game.sii");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ScsC not really");
        f.close();
        TCatalogue catalogue;
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        const TSaveInspection s = InspectSave(path, catalogue, decrypter);
        QVERIFY(!s.Ok);
        QCOMPARE(s.Error, QString("The save could not be decoded"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
