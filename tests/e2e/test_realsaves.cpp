// End to end on files the game wrote: a real profile laid out as a game folder is listed by
// kestrovan-cli, loaded through SII_Decrypt.exe by the program's own loader, given two jobs the save
// really offers with `kestrovan-cli add-jobs`, and read back. The same flow on a generated folder
// in the form the game writes today (encrypted binary) must tell what its text form tells.
#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "lang/languages.h"
#include "savegame/gamesavelines.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "savegen.h"
#include "siicodec/siicodec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <span>

using namespace kvn;

namespace {

const QString RealSaves = QStringLiteral(KVN_SHARED_DIR "/realsaves");

struct Run {
    int ExitCode = -1;
    QJsonObject Json;
    QByteArray Err;
};

QString Trimmed(const QString &Line)
{
    return Line.trimmed();
}

// The value of "name: value" in a trimmed line, without quotes.
QString ValueOf(const QString &Line)
{
    QString v = Line.mid(Line.indexOf(u':') + 1).trimmed();
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'))
        v = v.mid(1, v.size() - 2);
    return v;
}

// Attributes of the unit whose header line is at Header, by name.
QHash<QString, QString> UnitAttributes(const QStringList &L, int Header)
{
    QHash<QString, QString> a;
    for (int i = Header + 1; Header >= 0 && i < L.size(); ++i) {
        const QString t = Trimmed(L.at(i));
        if (t.startsWith(u'}'))
            break;
        a.insert(t.left(t.indexOf(u':')), ValueOf(t));
    }
    return a;
}

struct Job {
    QString FromCity, FromCompany, ToCity, ToCompany, Cargo, Trailer;
    int Urgency = 0;
    QByteArray CsvRow() const
    {
        return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,\n")
            .arg(FromCity, FromCompany, ToCity, ToCompany, Cargo, Trailer)
            .arg(Urgency)
            .toUtf8();
    }
};

// Offers of the company branch Link ("company.volatile.<company>.<city>"), by unit name.
QList<QHash<QString, QString>> OffersOf(const QStringList &L, const QHash<QString, int> &Headers, const QString &Link)
{
    QList<QHash<QString, QString>> offers;
    const QHash<QString, QString> company = UnitAttributes(L, Headers.value("company : " + Link + " {", -1));
    const int count = company.value("job_offer").toInt();
    for (int k = 0; k < count; ++k) {
        const QString id = company.value(QStringLiteral("job_offer[%1]").arg(k));
        offers << UnitAttributes(L, Headers.value("job_offer_data : " + id + " {", -1));
    }
    return offers;
}

QByteArray FileBytes(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The hash of every file below Folder, by path.
QHash<QString, QByteArray> FileHashes(const QString &Folder)
{
    QHash<QString, QByteArray> hashes;
    QDirIterator it(Folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        hashes.insert(path, QCryptographicHash::hash(FileBytes(path), QCryptographicHash::Sha256));
    }
    return hashes;
}

QHash<QString, int> UnitHeaders(const QStringList &L)
{
    QHash<QString, int> h;
    for (int i = 0; i < L.size(); ++i)
        if (L.at(i).endsWith(u'{') && !L.at(i).startsWith(u' '))
            h.insert(L.at(i), i);
    return h;
}

} // namespace

class TestRealSaves : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FBin;

    Run RunCli(const QStringList &Args, const QString &DataHome)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", FDir.path());
        env.insert("XDG_DATA_HOME", DataHome);
        p.setProcessEnvironment(env);
        p.start(FBin + "/kestrovan-cli", Args);
        p.waitForFinished(300000);
        Run r;
        r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Json = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        r.Err = p.readAllStandardError();
        return r;
    }

    // Copies a file the test may change (the shared originals are read-only).
    static bool CopyWritable(const QString &From, const QString &To)
    {
        QDir().mkpath(QFileInfo(To).path());
        return QFile::copy(From, To) && QFile::setPermissions(To, QFile::permissions(To) | QFileDevice::WriteOwner);
    }

    // Two jobs from different companies that the loaded save offers and the program accepts
    // as they stand (known cities and cargo, a trailer allowed in the departure country).
    static QList<Job> TwoOfferedJobs(const TProfileSession &Session, const TCatalogue &Catalogue)
    {
        const QStringList &L = Session.SaveLines().Lines();
        const QHash<QString, int> headers = UnitHeaders(L);
        const auto distances = Catalogue.Distances.Snapshot();
        const TLanguageTexts texts;
        QList<Job> jobs;
        QSet<QString> companies;
        for (int i = 0; i < L.size() && jobs.size() < 2; ++i) {
            if (!L.at(i).startsWith(QLatin1String("company : company.volatile.")))
                continue;
            const QString link = L.at(i).mid(10).chopped(2);
            const QStringList parts = link.split(u'.');
            if (parts.size() != 4 || companies.contains(parts[2]))
                continue;
            for (const QHash<QString, QString> &offer : OffersOf(L, headers, link)) {
                const QStringList target = offer.value("target").split(u'.');
                const QString cargo = offer.value("cargo").mid(6);
                if (target.size() != 2 || !offer.value("cargo").startsWith(QLatin1String("cargo.")))
                    continue;
                const PCargoInfo info = FindCargo(Catalogue.CargoInfoList, cargo);
                if (!info || !info->SavegameCompatibleCargo() || !Catalogue.Countries.CityInSetIgnoringCase(parts[3]) ||
                    !Catalogue.Countries.CityInSetIgnoringCase(target[1]))
                    continue;
                Job job{parts[3], parts[2], target[1], target[0], cargo, offer.value("trailer_definition"), 1};
                TJobSelection s;
                s.DepartureCountryText = s.DestinationCountryText = kAllCountriesEntry;
                s.DepartureCityText = job.FromCity;
                s.DepartureCompany = job.FromCompany;
                s.DestinationCityText = job.ToCity;
                s.DestinationCompany = job.ToCompany;
                s.CargoName = cargo;
                s.TrailerDefinition = job.Trailer;
                s.Urgency = job.Urgency;
                const TAssembledJob a =
                    AssembleJob(s, Catalogue.CargoInfoList, Catalogue.Countries, distances.get(), texts);
                if (!a.Ok || a.TrailerOutsideItsCountries)
                    continue;
                jobs << job;
                companies.insert(job.FromCompany);
                break;
            }
        }
        return jobs;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        // The programs run from a copy so that their own files (history, learnt distances) land here.
        FBin = FDir.path() + "/bin";
        QDir().mkpath(FBin);
        for (const char *name : {"kestrovan-cli", "SII_Decrypt.exe"}) {
            const QString to = FBin + "/" + name;
            QVERIFY2(QFile::copy(QStringLiteral(KVN_BIN_DIR "/") + name, to), name);
            QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ExeOwner);
        }
    }

    void realProfile_data()
    {
        QTest::addColumn<QString>("profileSii");
        QTest::addColumn<QString>("gameSii");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("company");
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("offers");
        QTest::newRow("encrypted-2025") << "encrypted-2025/profile.sii"
                                        << "encrypted-2025/save/1/game.sii"
                                        << "encrypted"
                                        << "My Profile"
                                        << "My Company" << 3091 << 8584;
        // That save came without its profile; a real text profile of another player stands in.
        QTest::newRow("recent-text-save") << "text-profile/profile.sii"
                                          << "recent-text-save/game.sii"
                                          << "text" << QString() << QString() << 410 << 1416;
    }
    void realProfile()
    {
        QFETCH(QString, profileSii);
        QFETCH(QString, gameSii);
        QFETCH(QString, form);
        QFETCH(QString, name);
        QFETCH(QString, company);
        QFETCH(int, branches);
        QFETCH(int, offers);
        if (!QFile::exists(RealSaves + "/" + gameSii) || !QFile::exists(RealSaves + "/" + profileSii))
            QSKIP("The real saves are not available here");

        const QString dataHome = FDir.path() + "/" + QTest::currentDataTag();
        const QString game = dataHome + "/Euro Truck Simulator 2";
        const QString profileDir = game + "/profiles/" + savegen::ProfileFolderName(QTest::currentDataTag());
        const QString save = profileDir + "/save/quicksave/game.sii";
        // The same profile twice: one for add-jobs as the game left it, one for loading in here.
        const QString loadedGame = dataHome + "/loaded/Euro Truck Simulator 2";
        const QString info = QFileInfo(RealSaves + "/" + gameSii).path() + "/info.sii";
        for (const QString &to : {profileDir, loadedGame + "/profiles/p"}) {
            QVERIFY(CopyWritable(RealSaves + "/" + profileSii, to + "/profile.sii"));
            QVERIFY(CopyWritable(RealSaves + "/" + gameSii, to + "/save/quicksave/game.sii"));
            if (QFile::exists(info))
                QVERIFY(CopyWritable(info, to + "/save/quicksave/info.sii"));
        }
        const QHash<QString, QByteArray> asTheGameLeftIt = FileHashes(game);

        // Listed as the window would list it, without changing a byte of the player's files.
        const Run listed = RunCli({"profiles", "--json"}, dataHome);
        QCOMPARE(listed.ExitCode, 0);
        const QJsonArray profiles = listed.Json.value("profiles").toArray();
        QCOMPARE(profiles.size(), 1);
        const QJsonObject p = profiles.at(0).toObject();
        QVERIFY(p.value("quick_save").toBool());
        QCOMPARE(p.value("quick_save_form").toString(), form);
        QVERIFY(!p.value("name").toString().isEmpty());
        if (!name.isEmpty()) {
            QCOMPARE(p.value("name").toString(), name);
            QCOMPARE(p.value("company").toString(), company);
        }
        QVERIFY(FileHashes(game) == asTheGameLeftIt);

        // Loaded by the program's loader, which runs SII_Decrypt.exe on the save.
        const TSiiDecrypter decrypter(FBin);
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        catalogue.Distances.ReloadDistances();
        TProfileSession session;
        ListProfiles(session.ProfileList(), decrypter, {loadedGame + "/"});
        QCOMPARE(session.ProfileList().Count(), 1);
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        const TProfileLoadResult load = session.LoadProfile(1, context);
        QVERIFY2(load.Loaded(), qPrintable(load.StatusText));
        QVERIFY(!IsSiiFileEncrypted(session.CurrentProfile()->GameFilePath()));
        QCOMPARE(session.CompanyList().BranchCount(), branches);

        const QList<Job> jobs = TwoOfferedJobs(session, catalogue);
        QCOMPARE(jobs.size(), 2);
        const QString csv = dataHome + "/jobs.csv";
        {
            QFile f(csv);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("departure_city,departure_company,destination_city,destination_company,cargo,"
                    "trailer_definition,urgency,units\n" +
                    jobs[0].CsvRow() + jobs[1].CsvRow());
        }
        const Run added = RunCli({"add-jobs", profileDir, csv, "--json"}, dataHome);
        QVERIFY2(added.ExitCode == 0, added.Err.constData());
        QCOMPARE(added.Json.value("written").toInt(), 2);
        QVERIFY(QFile::exists(added.Json.value("backup").toString()));
        // The save as the game wrote it is kept, byte for byte, beside the backups of the writes.
        const QString original = added.Json.value("original_backup").toString();
        if (form == "text") {
            QVERIFY(original.isEmpty());
        } else {
            QCOMPARE(QFileInfo(original).path(), profileDir + "/save/quicksave/~Kestrovan Backups");
            QVERIFY(FileBytes(original) == FileBytes(RealSaves + "/" + gameSii));
        }
        QCOMPARE(FileBytes(profileDir + "/profile.sii"), FileBytes(RealSaves + "/" + profileSii));

        // Read back by the program's reader: each departure branch offers its job now.
        TGameSaveLines after;
        QVERIFY(after.LoadFromFile(save).ok());
        const QHash<QString, int> headers = UnitHeaders(after.Lines());
        for (const Job &job : jobs) {
            const QString link = "company.volatile." + job.FromCompany + "." + job.FromCity;
            bool found = false;
            for (const QHash<QString, QString> &offer : OffersOf(after.Lines(), headers, link))
                found = found || (offer.value("target") == job.ToCompany + "." + job.ToCity &&
                                  offer.value("cargo") == "cargo." + job.Cargo &&
                                  offer.value("trailer_definition") == job.Trailer &&
                                  offer.value("urgency") == QString::number(job.Urgency));
            QVERIFY2(found, qPrintable(link + " does not offer " + job.CsvRow()));
        }
        const Run inspected = RunCli({"inspect", save, "--json"}, dataHome);
        QCOMPARE(inspected.ExitCode, 0);
        QCOMPARE(inspected.Json.value("company_branches").toInt(), branches);
        QCOMPARE(inspected.Json.value("job_offers").toInt(), offers);
        TProfileSession again;
        ListProfiles(again.ProfileList(), decrypter, {game + "/"});
        TProfileLoadContext againContext{catalogue, decrypter, nullptr, nullptr, false};
        const TProfileLoadResult reload = again.LoadProfile(1, againContext);
        QVERIFY2(reload.Loaded(), qPrintable(reload.StatusText));
        QCOMPARE(again.CompanyList().BranchCount(), branches);
    }

    // A generated profile in the game's current form (encrypted binary save, encrypted text
    // profile) is listed and read exactly like the same seed in plain text.
    void generatedEncryptedMatchesText()
    {
        const savegen::Catalogue cat = savegen::Catalogue::FromResources();
        QJsonObject inspected[2];
        const savegen::SaveForm forms[2] = {savegen::SaveForm::Text, savegen::SaveForm::Encrypted};
        for (int k = 0; k < 2; ++k) {
            const QString dataHome = FDir.path() + QStringLiteral("/generated%1").arg(k);
            savegen::Options opt;
            opt.Seed = 11;
            opt.Lines = 20000;
            opt.Profiles = 1;
            opt.Forms = {forms[k]};
            QString error;
            QVERIFY2(savegen::WriteGameFolder(cat, opt, dataHome + "/Euro Truck Simulator 2", &error),
                     qPrintable(error));
            const QHash<QString, QByteArray> written = FileHashes(dataHome);
            const Run listed = RunCli({"profiles", "--json"}, dataHome);
            QCOMPARE(listed.ExitCode, 0);
            QVERIFY(FileHashes(dataHome) == written); // listing reads encrypted files through copies
            const QJsonObject p = listed.Json.value("profiles").toArray().at(0).toObject();
            QCOMPARE(p.value("name").toString(), QString("Kestrel Driver"));
            QCOMPARE(p.value("quick_save_form").toString(), QString(k ? "encrypted" : "text"));
            const QString save = dataHome + "/Euro Truck Simulator 2/profiles/" +
                                 savegen::ProfileFolderName("Kestrel Driver") + "/save/quicksave/game.sii";
            const QByteArray before = [&] {
                QFile f(save);
                return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }();
            const Run run = RunCli({"inspect", save, "--json"}, dataHome);
            QCOMPARE(run.ExitCode, 0);
            inspected[k] = run.Json;
            QFile f(save);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.readAll() == before); // inspect decodes a copy
        }
        QCOMPARE(inspected[1].value("form").toString(), QString("encrypted"));
        for (const QString &key : inspected[0].keys())
            if (key != "form")
                QVERIFY2(inspected[1].value(key) == inspected[0].value(key), qPrintable(key));
        QVERIFY(inspected[0].value("job_offers").toInt() > 0);
    }

    // The program's options: each form as asked, the same bytes for the same seed, and nonsense
    // refused before anything is written.
    void savegenProgram_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("text") << QStringList{"--form", "text"} << 0 << QByteArray("SiiN");
        QTest::newRow("binary") << QStringList{"--form", "binary"} << 0 << QByteArray("BSII");
        QTest::newRow("encrypted") << QStringList{"--form", "encrypted"} << 0 << QByteArray("ScsC");
        QTest::newRow("encrypted text") << QStringList{"--form", "encrypted-text"} << 0 << QByteArray("ScsC");
        QTest::newRow("unknown form") << QStringList{"--form", "zip"} << 2 << QByteArray();
        QTest::newRow("empty form in list") << QStringList{"--form", "text,"} << 2 << QByteArray();
        QTest::newRow("seed not a number") << QStringList{"--seed", "abc"} << 2 << QByteArray();
        QTest::newRow("city not a token") << QStringList{"--form", "binary", "--city", "Den Haag"} << 1 << QByteArray();
    }
    void savegenProgram()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, magic);
        QByteArray bytes[2];
        for (int k = 0; k < 2; ++k) {
            const QString file = FDir.path() + QStringLiteral("/savegen%1.sii").arg(k);
            QFile::remove(file);
            QProcess p;
            p.start(QStringLiteral(KVN_BIN_DIR "/kvn-savegen"),
                    QStringList{"--game-sii", file, "--lines", "600", "--seed", "3"} + args);
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), exitCode);
            QFile f(file);
            if (exitCode != 0) {
                QVERIFY(!f.exists());
                return;
            }
            QVERIFY(f.open(QIODevice::ReadOnly));
            bytes[k] = f.readAll();
        }
        QVERIFY(bytes[0].startsWith(magic));
        QVERIFY(bytes[0] == bytes[1]);
        siicodec::TextBuffer text;
        const auto data = std::span(reinterpret_cast<const uint8_t *>(bytes[0].constData()), size_t(bytes[0].size()));
        QVERIFY(siicodec::ConvertToText(data, text).status <= siicodec::Status::AlreadyPlain);
        QVERIFY(text.View().starts_with("SiiNunit\r\n{\r\neconomy : "));
    }
};

QTEST_GUILESS_MAIN(TestRealSaves)
#include "test_realsaves.moc"
