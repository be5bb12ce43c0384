// Queued jobs across profile loads and "Save all jobs" on a quick-save that changed on disk after
// the load, on kvn-savegen folders and on a copy of a real text save.
#include "savegen.h"

#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "jobs/queuedjobs.h"
#include "lang/languages.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "shared/strings.h"

#include <functional>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

const QString kRealSave = QStringLiteral(KVN_SHARED_DIR "/realsaves/recent-text-save/game.sii");

QByteArray ReadBytes(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString &Path, const QByteArray &Bytes)
{
    QFile f(Path);
    return f.open(QIODevice::WriteOnly) && f.write(Bytes) == Bytes.size();
}

// The game quick-saved a save with other bytes, but of the same size and with the same time: only
// the hash tells them apart. The game time changes by one minute, in as many digits. Returns the
// new game time, or -1.
int QuickSaveWithSameSizeAndTime(const QString &Path)
{
    const QDateTime time = QFileInfo(Path).lastModified();
    QByteArray bytes = ReadBytes(Path);
    const QRegularExpression gameTime(QStringLiteral("(\\n\\s*game_time: )(\\d+)"));
    const QRegularExpressionMatch m = gameTime.match(QString::fromLatin1(bytes));
    if (!m.hasMatch())
        return -1;
    const int old = m.captured(2).toInt();
    const int now = old % 10 == 9 ? old - 1 : old + 1;
    bytes.replace(m.capturedStart(2), m.capturedLength(2), QByteArray::number(now));
    QFile f(Path);
    if (!WriteBytes(Path, bytes) || !f.open(QIODevice::ReadWrite) ||
        !f.setFileTime(time, QFileDevice::FileModificationTime))
        return -1;
    return now;
}

// True when an offer unit leads to Target with every one of Lines (trimmed); the game's own
// offers may lead there too.
bool OfferWritten(const QString &Path, const QString &Target, const QStringList &Lines)
{
    const QStringList lines = QString::fromLatin1(ReadBytes(Path)).split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() != "target: \"" + Target + "\"")
            continue;
        QStringList unit;
        for (qsizetype k = i; k < lines.size() && !lines[k].trimmed().startsWith('}'); ++k)
            unit << lines[k].trimmed();
        if (std::all_of(Lines.begin(), Lines.end(), [&unit](const QString &L) { return unit.contains(L); }))
            return true;
    }
    return false;
}

// A profile session on one quick-save folder, as the window or the command line holds it.
struct TWorld {
    explicit TWorld(const QString &QuickSaveFolder) : Decrypter(KVN_BIN_DIR)
    {
        Catalogue.LoadTrailersAndCargos();
        Catalogue.Distances.ReloadDistances();
        auto profile = std::make_unique<TProfileInfo>();
        profile->SetQuickSavePath(QuickSaveFolder + '/');
        profile->SetProfileName(QStringLiteral("Test"));
        Session.ProfileList().Append(std::move(profile));
    }
    bool Load() { return Session.LoadProfile(1, Context).Loaded(); }
    QString GameSii() const { return Session.ProfileList().At(0)->GameFilePath(); }

    // A job the loaded save can take: the first branch the writer accepts, to a branch of another
    // company, with the last trailer of the cargo the save offers on most trailers (a pointer into
    // the trailer list could show another trailer after a reload).
    std::unique_ptr<TJobListDataSummary> ComposeJob() const
    {
        const TCargoInfo *cargo = nullptr;
        for (const auto &c : Catalogue.CargoInfoList)
            if (!cargo || c->TrailerDefinitionList().size() > cargo->TrailerDefinitionList().size())
                cargo = c.get();
        if (!cargo)
            return nullptr;
        const TCompanyList &companies = Session.CompanyList();
        for (int from = 0; from < companies.Count(); ++from)
            for (const QString &city : companies.At(from)->CityList()) {
                const int to = (from + 1) % companies.Count();
                TJobSelection s;
                s.DepartureCountryText = s.DestinationCountryText = kAllCountriesEntry;
                s.DepartureCityText = city;
                s.DepartureCompany = companies.At(from)->CompanyName();
                s.DestinationCityText = companies.At(to)->CityList().value(0);
                s.DestinationCompany = companies.At(to)->CompanyName();
                s.CargoName = cargo->CargoName();
                s.TrailerDefinition = cargo->TrailerDefinitionList().back()->TrailerDefinitionData->TrailerDefinition();
                s.Urgency = 1;
                TAssembledJob a = AssembleJob(s, Catalogue.CargoInfoList, Catalogue.Countries, nullptr, Texts);
                if (!a.Ok)
                    continue;
                a.Job->SetSaveFile(GameSii());
                if (JobWriteObstacles(Session.SaveLines(), {a.Job.get()}).at(0).isEmpty())
                    return std::move(a.Job);
            }
        return nullptr;
    }

    TQueuedJobsResult Save(TJobList &Jobs, const std::function<void(int, int, const QString &)> &Progress = {})
    {
        TQueuedJobsContext context;
        context.Session = &Session;
        context.Load = &Context;
        context.Texts = &Texts;
        context.Progress = Progress;
        return SaveQueuedJobs(Jobs, context);
    }

    TCatalogue Catalogue;
    TSiiDecrypter Decrypter;
    TProfileSession Session;
    TLanguageTexts Texts;
    TProfileLoadContext Context{Catalogue, Decrypter, nullptr, nullptr, false};
};

QString TrailerOf(const TJobListDataSummary &Job)
{
    return Job.TrailerDefinitionData()->TrailerDefinitionData->TrailerDefinition();
}

QString TargetOf(const TJobListDataSummary &Job)
{
    return Job.DestinationCompany() + '.' + Job.DestinationCity();
}

} // namespace

class TestQueuedJobs : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FQuickSave; // a fresh copy for every test

private slots:
    void init()
    {
        QVERIFY(FDir.isValid());
        const QString game = FDir.path() + "/game";
        QDir(game).removeRecursively();
        savegen::Options options;
        options.Seed = 11;
        options.Lines = 5000;
        options.Profiles = 1;
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), options, game));
        const QStringList found = QDir(game + "/profiles").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(found.size(), 1);
        FQuickSave = game + "/profiles/" + found[0] + "/save/quicksave";
        QVERIFY(QFile::exists(FQuickSave + "/game.sii"));
    }

    // A queued job keeps its own cargo and trailer: reloading the profile rebuilds the lists it
    // was composed from, and the job is still written with the trailer chosen.
    void jobSurvivesReload()
    {
        TWorld world(FQuickSave);
        QVERIFY(world.Load());
        TJobList jobs;
        auto job = world.ComposeJob();
        QVERIFY(job);
        const QString trailer = TrailerOf(*job);
        const QString cargo = job->CargoInfo()->CargoName();
        const QString target = TargetOf(*job);
        jobs.Append(std::move(job));
        QVERIFY(world.Load());
        QCOMPARE(CheckQueuedJobs(jobs, world.Session, world.Catalogue, world.Texts), 0);
        QCOMPARE(TrailerOf(*jobs.At(0)), trailer);

        const TQueuedJobsResult result = world.Save(jobs);
        QCOMPARE(result.Written, 1);
        QVERIFY(!result.Reloaded);
        QCOMPARE(jobs.Count(), 0);
        QVERIFY(OfferWritten(world.GameSii(), target,
                             {"cargo: cargo." + cargo, "trailer_definition: " + trailer, "urgency: 1"}));
        // Our own write is the save as loaded now: the next run does not read it again.
        QVERIFY(world.Session.QuickSaveStillAsLoaded());
    }

    // A job the newly loaded save cannot take is marked with its reason and not written; the
    // others are written, and the marked one stays queued.
    void jobTheSaveCannotTakeIsKept_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("reason");
        QTest::newRow("trailer") << "trailer"
                                 << "does not offer the trailer";
        QTest::newRow("cargo") << "cargo"
                               << "does not offer the cargo";
        QTest::newRow("departure company") << "company"
                                           << "has no company \"nobody\"";
        QTest::newRow("destination city") << "city"
                                          << "has no city \"atlantis\"";
        QTest::newRow("other profile") << "profile"
                                       << "another profile";
        QTest::newRow("no offer in the branch") << "offer"
                                                << "has no job offer";
    }
    void jobTheSaveCannotTakeIsKept()
    {
        QFETCH(QString, missing);
        QFETCH(QString, reason);
        TWorld world(FQuickSave);
        QVERIFY(world.Load());
        TJobList jobs;
        TJobListDataSummary *good = jobs.Append(world.ComposeJob());
        TJobListDataSummary *bad = jobs.Append(world.ComposeJob());
        QVERIFY(good && bad);
        if (missing == "trailer") {
            // A trailer of the catalogue the save never pairs with this cargo.
            for (const auto &t : world.Catalogue.TrailerDefinitionDataList) {
                bool paired = false;
                for (const auto &item :
                     FindCargo(world.Catalogue.CargoInfoList, bad->CargoInfo()->CargoName())->TrailerDefinitionList())
                    paired = paired || item->TrailerDefinitionData == t;
                if (!paired) {
                    TTrailerDefinitionItem item = *bad->TrailerDefinitionData();
                    item.TrailerDefinitionData = t;
                    bad->SetOwnedTrailerDefinition(item);
                    break;
                }
            }
        } else if (missing == "cargo") {
            for (const auto &c : world.Catalogue.CargoInfoList)
                if (!c->SavegameCompatibleCargo()) {
                    bad->SetCargoInfo(c->CopyWithoutTrailers());
                    break;
                }
        } else if (missing == "company") {
            bad->SetDepartureCompany("nobody");
        } else if (missing == "city") {
            bad->SetDestinationCity("atlantis");
        } else if (missing == "profile") {
            bad->SetSaveFile(FDir.path() + "/other/save/quicksave/game.sii");
        } else if (missing == "offer") {
            // The game quick-saved a save whose branch offers nothing now; it is read again.
            QStringList lines = QString::fromLatin1(ReadBytes(world.GameSii())).split("\r\n");
            const QString branch = "company : company.volatile." + bad->DepartureCompany() + '.' + bad->DepartureCity();
            qsizetype at = lines.indexOf(QRegularExpression(QRegularExpression::escape(branch) + ".*"));
            QVERIFY(at >= 0);
            for (; !lines[at].trimmed().startsWith('}'); ++at)
                if (lines[at].trimmed().startsWith("job_offer"))
                    lines[at].replace(QRegularExpression(":.*$"), ": null");
            QVERIFY(WriteBytes(world.GameSii(), lines.join("\r\n").toLatin1()));
            // The good job leaves from the same branch: send it from another one.
            jobs.RemoveJob(good);
            good = nullptr;
        }
        const QByteArray before = ReadBytes(world.GameSii());
        const TQueuedJobsResult result = world.Save(jobs);
        QCOMPARE(result.Reloaded, missing == "offer");
        QCOMPARE(result.Written, good ? 1 : 0);
        QCOMPARE(jobs.Count(), 1);
        QCOMPARE(jobs.At(0), bad);
        QVERIFY2(bad->NotSavedReason().contains(reason), qPrintable(bad->NotSavedReason()));
        QCOMPARE(result.Outcomes.size(), size_t(good ? 2 : 1));
        QCOMPARE(result.Outcomes.back().Reason, bad->NotSavedReason());
        QVERIFY(result.StatusText.endsWith("Jobs not saved: 1. They stay in the job list, each with the reason."));
        if (good) {
            QVERIFY(result.StatusText.startsWith("1 of 2 jobs saved successfully."));
        } else {
            // Nothing written is no success, and the save is left alone.
            QVERIFY2(result.StatusText.startsWith("Your quick save had changed since it was loaded, so it was read "
                                                  "again before saving. No job was saved."),
                     qPrintable(result.StatusText));
            QCOMPARE(ReadBytes(world.GameSii()), before);
        }
        // The mark goes once the save can take the job again.
        if (missing == "company") {
            bad->SetDepartureCompany(world.ComposeJob()->DepartureCompany());
            bad->SetDepartureCity(world.ComposeJob()->DepartureCity());
            QVERIFY(world.Load());
            CheckQueuedJobs(jobs, world.Session, world.Catalogue, world.Texts);
            QCOMPARE(bad->NotSavedReason(), QString());
        }
    }

    // The game quick-saved after the load and the player did not reload: the save is read again
    // and the job goes into the newer save, whose progress is kept. Same size and time, other
    // bytes: only the hash shows the change.
    void changedSaveIsReadAgainAndWrittenInto()
    {
        TWorld world(FQuickSave);
        QVERIFY(world.Load());
        TJobList jobs;
        jobs.Append(world.ComposeJob());
        QVERIFY(jobs.At(0));
        const QString target = TargetOf(*jobs.At(0));
        const int newerTime = QuickSaveWithSameSizeAndTime(world.GameSii());
        QVERIFY(newerTime > 0);
        QVERIFY(newerTime != world.Session.GameTime());

        const TQueuedJobsResult result = world.Save(jobs);
        QVERIFY(result.Reloaded);
        QCOMPARE(result.Written, 1);
        QVERIFY(result.StatusText.startsWith("Your quick save had changed since it was loaded"));
        QCOMPARE(world.Session.GameTime(), newerTime);
        const QByteArray after = ReadBytes(world.GameSii());
        QVERIFY(after.contains("game_time: " + QByteArray::number(newerTime) + "\r\n"));
        QVERIFY(OfferWritten(world.GameSii(), target,
                             {"expiration_time: " + QString::number(newerTime + kJobExpirationStep)}));
    }

    // A game that quick-saves during every try wins: nothing is written over its save, and the job
    // stays queued with a reason instead of a bare "no job saved".
    void saveChangingDuringEveryTryIsLeftAlone()
    {
        TWorld world(FQuickSave);
        QVERIFY(world.Load());
        TJobList jobs;
        jobs.Append(world.ComposeJob());
        QVERIFY(jobs.At(0));
        int changes = 0;
        QByteArray gameWrote;
        const TQueuedJobsResult result = world.Save(jobs, [&](int, int, const QString &Status) {
            if (!Status.startsWith("Saving job")) // the game quick-saves while the writer works
                return;
            changes += QuickSaveWithSameSizeAndTime(world.GameSii()) > 0 ? 1 : 0;
            gameWrote = ReadBytes(world.GameSii());
        });
        QVERIFY(changes >= 3);
        QCOMPARE(result.Written, 0);
        QCOMPARE(result.Kept, 1);
        QCOMPARE(jobs.Count(), 1);
        QVERIFY2(result.StatusText.contains("No job was saved: the game changed your quick save"),
                 qPrintable(result.StatusText));
        QCOMPARE(jobs.At(0)->NotSavedReason(),
                 QString("The game kept changing the quick save while it was being written."));
        QCOMPARE(ReadBytes(world.GameSii()), gameWrote);
    }

    // The same on a copy of a real save of the game.
    void realSaveChangedOnDisk()
    {
        if (!QFile::exists(kRealSave))
            QSKIP("no real save at ../shared/realsaves");
        QTemporaryDir dir;
        QVERIFY(QFile::copy(kRealSave, dir.filePath("game.sii")));
        QFile::setPermissions(dir.filePath("game.sii"), QFile::ReadOwner | QFile::WriteOwner);
        TWorld world(dir.path());
        QVERIFY(world.Load());
        TJobList jobs;
        jobs.Append(world.ComposeJob());
        QVERIFY(jobs.At(0));
        const QString trailer = TrailerOf(*jobs.At(0));
        const QString target = TargetOf(*jobs.At(0));
        QVERIFY(world.Load()); // a reload between composing and saving
        const int newerTime = QuickSaveWithSameSizeAndTime(world.GameSii());
        QVERIFY(newerTime > 0);

        const TQueuedJobsResult result = world.Save(jobs);
        QVERIFY(result.Reloaded);
        QCOMPARE(result.Written, 1);
        QVERIFY(ReadBytes(world.GameSii()).contains("game_time: " + QByteArray::number(newerTime) + "\r\n"));
        QVERIFY(OfferWritten(
            world.GameSii(), target,
            {"trailer_definition: " + trailer, "expiration_time: " + QString::number(newerTime + kJobExpirationStep)}));
    }
};

QTEST_GUILESS_MAIN(TestQueuedJobs)
#include "test_queuedjobs.moc"
