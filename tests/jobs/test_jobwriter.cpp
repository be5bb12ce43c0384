#include "catalogue/distances.h"
#include "catalogue/estimatedoffers.h"
#include "common/testfiles.h"
#include "jobs/jobhistory.h"
#include "jobs/jobwriter.h"
#include "lang/languages.h"
#include "savecheck.h"
#include "savegame/backup.h"
#include "savegame/gamesavelines.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"
#include "savegame/savedocument.h"
#include "savegame/savestructure.h"
#include "savegame/unknowndistances.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace kvn;
using namespace kvntest;

class TestJobWriter : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    TProfileInfo FProfile;
    TGameSaveLines FLines;
    PTrailerDefinitionData FTrailer = std::make_shared<TTrailerDefinitionData>();
    PCargoInfo FCargo = std::make_shared<TCargoInfo>();
    PTrailerDefinitionItem FItem = nullptr;
    std::shared_ptr<const TDistanceTable> FDistances =
        TDistanceTable::Build({"berlin,paris,1054,0", "dresden,malmo,600,130", "berlin,kiel,1234,0"}, {});
    TLanguageTexts FTexts;
    std::vector<std::unique_ptr<TJobListDataSummary>> FJobs;

    void UseSave(const QStringList &Lines)
    {
        QDir(FDir.path()).removeRecursively();
        QDir().mkpath(FDir.path() + "/save/quicksave");
        FProfile.SetQuickSavePath(FDir.path() + "/save/quicksave/");
        QFile f(FProfile.GameFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Lines.join("\r\n").toLatin1() + "\r\n");
        f.close();
        QVERIFY(FLines.LoadFromFile(FProfile.GameFilePath()).ok());
        FJobs.clear();
    }

    TJobListDataSummary *AddJob(const QString &Company, const QString &City, const QString &ToCity, int Urgency = 0,
                                int Units = 10)
    {
        auto job = std::make_unique<TJobListDataSummary>();
        job->SetID(GenerateJobID());
        job->SetDepartureCompany(Company);
        job->SetDepartureCity(City);
        job->SetDestinationCompany("posped");
        job->SetDestinationCity(ToCity);
        job->SetCargoInfo(FCargo);
        job->SetTrailerDefinitionData(FItem);
        job->SetCargoUrgency(Urgency);
        job->SetCargoUnitCountUserCustom(Units);
        const TDistanceDataResult d = FDistances->GetDistance(City, ToCity);
        job->SetDistanceDataResult(d);
        job->SetDistanceIsUnknown(IsUnknownDistance(d.KM));
        FJobs.push_back(std::move(job));
        return FJobs.back().get();
    }

    std::vector<const TJobListDataSummary *> Jobs() const
    {
        std::vector<const TJobListDataSummary *> out;
        for (const auto &j : FJobs)
            out.push_back(j.get());
        return out;
    }

    TJobWriteContext Context()
    {
        TJobWriteContext c;
        c.Lines = &FLines;
        c.Profile = &FProfile;
        c.GameTime = 1000;
        c.Distances = FDistances.get();
        c.HistoryFolder = FDir.path() + "/program";
        c.Texts = &FTexts;
        return c;
    }

    ExpectedJob Expect(const FixtureCompany &C, int Offer, const QString &To, int Expiration, int Urgency = 0,
                       int Units = 10, int KM = 1054, int Ferry = 0) const
    {
        ExpectedJob e;
        e.OfferID = OfferID(C, Offer);
        e.EventID = EventID(C);
        e.EventTime = QString::number(Expiration);
        e.Attributes = {{"target", "\"posped." + To + "\""},
                        {"expiration_time", QString::number(Expiration)},
                        {"urgency", QString::number(Urgency)},
                        {"shortest_distance_km", QString::number(KM)},
                        {"ferry_time", QString::number(Ferry)},
                        {"ferry_price", "0"},
                        {"cargo", "cargo.boxes"},
                        {"company_truck", "scania.r"},
                        {"trailer_variant", "scs.box.var"},
                        {"trailer_definition", "trailer_def.box"},
                        {"units_count", QString::number(Units)}};
        return e;
    }

    QStringList DiskLines() const
    {
        TGameSaveLines back;
        back.LoadFromFile(FProfile.GameFilePath());
        return back.Lines();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        FTrailer->SetTrailerDefinition("trailer_def.box");
        FCargo->SetCargoName("boxes");
        FCargo->SetCargoWeightInKG(500);
        FItem = FCargo->AddTrailerDefinition("scs.box.var", "scania.r", 10000, 1, 20, FTrailer);
    }

    // Three companies: expirations step by 360; each unit goes behind the last of its kind.
    void threeJobsFromThreeCompanies()
    {
        const std::vector<FixtureCompany> companies = {
            {"tradeaux", "berlin"}, {"fcp", "dresden"}, {"tradeaux", "kiel"}, {"other", "wien"}};
        UseSave(BuildSave(companies));
        const QStringList before = FLines.Lines();
        AddJob("tradeaux", "berlin", "paris", 2, 7);
        AddJob("fcp", "dresden", "malmo", 1, 20);
        AddJob("tradeaux", "kiel", "berlin");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QCOMPARE(r.Written, 3);
        QVERIFY(r.FileWritten);
        QCOMPARE(r.StatusText, QString("3 of 3 jobs saved successfully. Don't forget to reload your profile after "
                                       "your next quick save!"));
        QCOMPARE(DiskLines(), FLines.Lines());
        QCOMPARE(FProfile.GameFileLastWriteTime(), FileLastWriteSeconds(FProfile.GameFilePath()));
        const QString problem = CheckWrittenSave(before, DiskLines(),
                                                 {Expect(companies[0], 0, "paris", 1360, 2, 7),
                                                  Expect(companies[1], 0, "malmo", 1720, 1, 20, 600, 130),
                                                  Expect(companies[2], 0, "berlin", 2080, 0, 10, 1234)});
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(FLines.IndexIsConsistent());
        // The backup holds the save as it was.
        QCOMPARE(ReadRaw(r.BackupPath), before.join("\r\n").toLatin1() + "\r\n");
        // History: three entries, written after the save.
        TJobList history;
        LoadJobHistory(FDir.path() + "/program", history, nullptr);
        QCOMPARE(history.Count(), 3);
        QCOMPARE(history.At(0)->DepartureCity(), QString("kiel"));
        QCOMPARE(history.At(2)->CargoInfo()->CargoWeightInKG(), 3000.0); // 7 units x 500 kg
    }

    // Restoring the backup of a run right after it gives back the save as it was, and uses the backup up.
    void restoreAfterSave()
    {
        UseSave(BuildSave({{"a", "berlin"}, {"z", "wien"}}));
        const QByteArray before = ReadRaw(FProfile.GameFilePath());
        AddJob("a", "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QVERIFY(r.FileWritten);
        QVERIFY(ReadRaw(FProfile.GameFilePath()) != before);
        const QString name = QFileInfo(r.BackupPath).fileName();
        QCOMPARE(ListBackups(FProfile), QStringList({name}));
        QCOMPARE(RestoreBackup(FProfile, name, [](const QString &) { return true; }).Outcome, TBackupOutcome::Done);
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), before);
        QVERIFY(ListBackups(FProfile).isEmpty());
    }

    // The writer moves units in one pass; the save's unit index must follow the lines.
    void permutedLinesKeepTheirIndex()
    {
        TGameSaveLines lines;
        lines.SetLines({"a : x {", "}", "", "b : y {", " v: 1", "}"});
        QVERIFY(!lines.PermuteLines({0, 1, 2}));          // not every line
        QVERIFY(!lines.PermuteLines({0, 0, 1, 2, 3, 4})); // not a permutation
        QVERIFY(lines.PermuteLines({2, 3, 4, 5, 0, 1}));
        QCOMPARE(lines.Lines(), QStringList({"", "b : y {", " v: 1", "}", "a : x {", "}"}));
        QVERIFY(lines.IndexIsConsistent());
        QCOMPARE(lines.FindLineFrom(u"a : x {", 0), 4);
        QCOMPARE(lines.FindLastLine(u"b : "), 1);
    }

    // An offer and event already last: only attribute lines and the queue entry change.
    void unitsAlreadyLastStayInPlace()
    {
        const std::vector<FixtureCompany> companies = {{"a", "berlin"}, {"b", "berlin"}};
        UseSave(BuildSave(companies));
        const QStringList before = FLines.Lines();
        AddJob("b", "berlin", "paris");
        QCOMPARE(SaveAllJobs(Jobs(), Context()).Written, 1);
        const QStringList after = DiskLines();
        QCOMPARE(after.size(), before.size());
        int changed = 0;
        for (int i = 0; i < before.size(); ++i)
            changed += before.at(i) != after.at(i);
        // 9 attributes change value (ferry time and price stay 0), the event's time; its queue entry is
        // already last.
        QCOMPARE(changed, 9 + 1);
        QVERIFY(CheckWrittenSave(before, after, {Expect(companies[1], 0, "paris", 1360)}).isEmpty());
    }

    // A skipped job does not advance the expiration step; unknown distances are written as 1234.
    void skippedJobsAndUnknownDistance()
    {
        const std::vector<FixtureCompany> companies = {{"a", "berlin"}, {"b", "kiel"}};
        UseSave(BuildSave(companies));
        const QStringList before = FLines.Lines();
        AddJob("nobody", "berlin", "paris");
        AddJob("b", "kiel", "atlantis");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QCOMPARE(r.Written, 1);
        QVERIFY(!r.Outcomes[0].Written);
        QVERIFY(r.Outcomes[0].Reason.contains("nobody"));
        QVERIFY(
            CheckWrittenSave(before, DiskLines(), {Expect(companies[1], 0, "atlantis", 1360, 0, 10, 1234)}).isEmpty());
    }

    // An estimate is written instead of the unknown marker, and the offer is remembered so that
    // the learner does not take it for a distance the game worked out.
    void estimatedDistanceIsWrittenButNeverLearnt()
    {
        const std::vector<FixtureCompany> companies = {{"a", "kiel"}, {"b", "berlin"}};
        UseSave(BuildSave(companies));
        const QStringList before = FLines.Lines();
        const auto original = FDistances;
        const auto withPositions = TDistanceTable::Build({"berlin,paris,1054,0"}, {},
                                                         TCityPositions::FromLines({"kiel;3000;4000", "lubeck;0;0"}));
        FDistances = withPositions;
        AddJob("a", "kiel", "lubeck");
        AddJob("b", "berlin", "paris");
        FDistances = original;
        QVERIFY(FJobs[0]->DistanceDataResult().IsEstimate());
        TJobWriteContext context = Context();
        context.Distances = withPositions.get();
        context.EstimatesFolder = FDir.path() + "/program";
        QDir().mkpath(context.EstimatesFolder);
        const TSaveJobsResult r = SaveAllJobs(Jobs(), context);
        QCOMPARE(r.Written, 2);
        QVERIFY(r.Outcomes[0].DistanceEstimated);
        QVERIFY(!r.Outcomes[1].DistanceEstimated);
        QVERIFY(CheckWrittenSave(
                    before, DiskLines(),
                    {Expect(companies[0], 0, "lubeck", 1360, 0, 10, 122), Expect(companies[1], 0, "paris", 1720)})
                    .isEmpty());

        const QSet<QString> remembered = TEstimatedOffers::Read(context.EstimatesFolder);
        QCOMPARE(remembered, QSet<QString>({TEstimatedOffers::Key(r.Outcomes[0].OfferID, u"kiel", u"lubeck", 122)}));
        TGameSaveLines written;
        QVERIFY(written.LoadFromFile(FProfile.GameFilePath()).ok());
        const auto empty = TDistanceTable::Build({}, {});
        QCOMPARE(CollectUnknownDistances(written, *empty).size(), size_t(2));
        const auto learnt = CollectUnknownDistances(written, *empty, nullptr, remembered);
        QCOMPARE(learnt.size(), size_t(1));
        QCOMPARE(learnt[0].Target, QStringLiteral("paris"));
    }

    void offerUnitSize_data()
    {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("written");
        QTest::newRow("13 lines below the header") << 12 << 1;
        QTest::newRow("closing brace on the 12th line") << 11 << 0;
    }

    void offerUnitSize()
    {
        QFETCH(int, attributes);
        QFETCH(int, written);
        FixtureCompany c{"a", "berlin"};
        c.OfferAttributes = attributes;
        UseSave(BuildSave({c, {"z", "wien"}}));
        const QByteArray before = ReadRaw(FProfile.GameFilePath());
        AddJob("a", "berlin", "paris");
        QCOMPARE(SaveAllJobs(Jobs(), Context()).Written, written);
        if (!written)
            QCOMPARE(ReadRaw(FProfile.GameFilePath()), before);
    }

    void queueOfFiveWithTheEventSecond()
    {
        std::vector<FixtureCompany> companies;
        for (const char *city : {"c1", "c2", "c3", "c4", "c5"})
            companies.push_back({"x", city});
        UseSave(BuildSave(companies));
        AddJob("x", "c2", "paris");
        QCOMPARE(SaveAllJobs(Jobs(), Context()).Written, 1);
        QCOMPARE(QueueEntries(DiskLines()),
                 QStringList({EventID(companies[0]), EventID(companies[2]), EventID(companies[3]),
                              EventID(companies[4]), EventID(companies[1])}));
    }

    // Two failing jobs: the save untouched, a backup made, each job with its reason, and no
    // success reported.
    void twoFailingJobs()
    {
        UseSave(BuildSave({{"a", "berlin"}}));
        const QByteArray before = ReadRaw(FProfile.GameFilePath());
        for (const char *company : {"nobody", "noone"})
            AddJob(company, "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QCOMPARE(r.Written, 0);
        QVERIFY(!r.FileWritten);
        QCOMPARE(r.StatusText, QString("No job was saved."));
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), before);
        QCOMPARE(ListBackups(FProfile).size(), 1);
        QCOMPARE(r.Outcomes.size(), size_t(2));
        QVERIFY(r.Outcomes[0].Reason.contains("\"nobody\"") && r.Outcomes[1].Reason.contains("\"noone\""));
    }

    // The same branch twice: the second job takes the next offer; with none left it is not written.
    void sameBranchTakesTheNextOffer()
    {
        FixtureCompany c{"a", "berlin"};
        c.Offers = 2;
        UseSave(BuildSave({c, {"z", "wien"}}));
        const QStringList before = FLines.Lines();
        AddJob("a", "berlin", "paris", 1, 5);
        AddJob("a", "berlin", "paris", 2, 9); // same cargo, its own urgency and units
        AddJob("a", "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QCOMPARE(r.Written, 2);
        QCOMPARE(r.Outcomes[1].OfferID, OfferID(c, 1));
        QVERIFY(!r.Outcomes[2].Written);
        QVERIFY(r.Outcomes[2].Reason.contains("no job offer left"));
        const QString problem = CheckWrittenSave(
            before, DiskLines(), {Expect(c, 0, "paris", 1360, 1, 5), Expect(c, 1, "paris", 1720, 2, 9)});
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // A job that fails half-way (offer found, event missing) leaves nothing of itself behind.
    void jobIsWrittenWholeOrNotAtAll()
    {
        FixtureCompany noEvent{"a", "berlin"};
        noEvent.HasEvent = false;
        const std::vector<FixtureCompany> companies = {noEvent, {"b", "berlin"}, {"z", "wien"}};
        UseSave(BuildSave(companies));
        const QStringList before = FLines.Lines();
        AddJob("a", "berlin", "paris");
        AddJob("b", "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QCOMPARE(r.Written, 1);
        QVERIFY(r.Outcomes[0].Reason.contains("economy event"));
        // The first job's offer is byte for byte as it was; only the second job changed the save.
        const QString problem = CheckWrittenSave(before, DiskLines(), {Expect(companies[1], 0, "paris", 1360)});
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // Why a job or the write failed reaches the player in the language of the window, like the
    // status line around it.
    void reasonsInThePlayersLanguage()
    {
        TLanguageTexts german;
        QCOMPARE(german.LoadInterfaceTexts(KVN_SOURCE_DIR, "de"), TLanguageSource::File);
        FixtureCompany noEvent{"b", "berlin"};
        noEvent.HasEvent = false;
        UseSave(BuildSave({{"a", "berlin"}, noEvent, {"z", "wien"}}));
        AddJob("a", "berlin", "paris");
        AddJob("a", "berlin", "paris");
        AddJob("b", "berlin", "paris");
        AddJob("nobody", "berlin", "paris");
        const std::vector<QString> expected = {{},
                                               german.Format(TLangText::JobWriteNoOfferLeft, {"a", "berlin"}),
                                               german.Format(TLangText::JobWriteNoEvent, {"b", "berlin"}),
                                               german.Format(TLangText::JobCheckNoCompany, {"nobody", "berlin"})};
        QCOMPARE(JobWriteObstacles(FLines, Jobs(), &german), expected);
        QVERIFY(expected[1] != JobWriteObstacles(FLines, Jobs())[1]); // English without texts
        TJobWriteContext context = Context();
        context.Texts = &german;
        const TSaveJobsResult r = SaveAllJobs(Jobs(), context);
        QCOMPARE(r.Written, 1);
        for (std::size_t k = 1; k < expected.size(); ++k)
            QCOMPARE(r.Outcomes.at(k).Reason, expected[k]);

        const QString path = FProfile.GameFilePath();
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        QString error;
        const bool written = TSaveDocument(FLines).WriteVerified(path, &error, &german);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(!written);
        QCOMPARE(error, german.Format(TLangText::SaveWriteReadOnly, {QDir::toNativeSeparators(path)}));
    }

    // Without a verified backup nothing is written, and the status says why.
    void noBackupNoWrite()
    {
        UseSave(BuildSave({{"a", "berlin"}, {"z", "wien"}}));
        const QByteArray before = ReadRaw(FProfile.GameFilePath());
        QFile block(BackupFolder(FProfile).chopped(1));
        QVERIFY(block.open(QIODevice::WriteOnly)); // a file where the backup folder belongs
        block.close();
        AddJob("a", "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QCOMPARE(r.Written, 0);
        QVERIFY(!r.Error.isEmpty());
        QVERIFY(r.StatusText.startsWith("No job was saved: the savegame could not be backed up."));
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), before);
        QVERIFY(!QFile::exists(JobHistoryPath(FDir.path() + "/program")));
    }

    // The temporary file beside game.sii cannot be made (read-only folder, or a folder in its
    // place where permissions do not stop us): game.sii unchanged, the player told, no history.
    void unwritableQuickSaveFolder()
    {
        UseSave(BuildSave({{"a", "berlin"}, {"z", "wien"}}));
        const QByteArray before = ReadRaw(FProfile.GameFilePath());
        QVERIFY(BackupSaveFile(FProfile, FProfile.GameFilePath()).Ok); // the backup folder exists already
        AddJob("a", "berlin", "paris");
        QFile folder(FProfile.QuickSavePath());
        const QFileDevice::Permissions old = folder.permissions();
        folder.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QFile probe(FProfile.QuickSavePath() + "probe");
        const bool permissionsBind = !probe.open(QIODevice::WriteOnly);
        probe.close();
        QFile::remove(probe.fileName());
        if (permissionsBind) {
            // The backup goes into its own (writable) folder; only game.sii's folder is locked.
            QFile(BackupFolder(FProfile))
                .setPermissions(QFile(BackupFolder(FProfile)).permissions() | QFileDevice::WriteOwner);
        } else {
            folder.setPermissions(old);
            QVERIFY(QDir().mkpath(FProfile.GameFilePath() + ".kestrovan-new/blocker"));
        }
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        folder.setPermissions(old);
        QCOMPARE(r.Written, 0);
        QVERIFY(!r.FileWritten);
        QVERIFY2(r.StatusText.startsWith("No job was saved: game.sii could not be written and was left as it was."),
                 qPrintable(r.StatusText));
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), before);
        QVERIFY(!QFile::exists(JobHistoryPath(FDir.path() + "/program")));
    }

    // A later job of the run rewrites the unit that was the last of its class when the run began:
    // every moved unit still ends up where that unit stood, in the order the jobs moved them.
    void unitOrderWhenTheLastUnitMovesToo_data()
    {
        QTest::addColumn<QStringList>("jobs");  // companies, in job order
        QTest::addColumn<QStringList>("order"); // companies of the offers (and of the events) afterwards
        QTest::newRow("the last one second") << QStringList{"a", "c"} << QStringList{"b", "a", "c"};
        QTest::newRow("the last one between two") << QStringList{"a", "c", "b"} << QStringList{"a", "c", "b"};
        QTest::newRow("the last one first") << QStringList{"c", "a"} << QStringList{"b", "c", "a"};
    }
    void unitOrderWhenTheLastUnitMovesToo()
    {
        QFETCH(QStringList, jobs);
        QFETCH(QStringList, order);
        const std::vector<FixtureCompany> companies = {{"a", "c1"}, {"b", "c2"}, {"c", "c3"}};
        auto company = [&](const QString &Name) {
            return *std::find_if(companies.begin(), companies.end(), [&](const auto &c) { return c.Company == Name; });
        };
        UseSave(BuildSave(companies));
        const QStringList before = FLines.Lines();
        std::vector<ExpectedJob> expected;
        for (const QString &name : jobs) {
            AddJob(name, company(name).City, "paris");
            expected.push_back(Expect(company(name), 0, "paris", 1000 + 360 * int(expected.size() + 1), 0, 10, 1234));
        }
        QCOMPARE(SaveAllJobs(Jobs(), Context()).Written, int(jobs.size()));
        const QStringList after = DiskLines();
        const QString problem = CheckWrittenSave(before, after, expected);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // Every unit of the file in order: the moved ones stand where the offers and events stood.
        QStringList units{"economy : _nameless.eco {"};
        for (const FixtureCompany &c : companies)
            units << QStringLiteral("company : company.volatile.%1.%2 {").arg(c.Company, c.City);
        for (const QString &name : order)
            units << QStringLiteral("job_offer_data : %1 {").arg(OfferID(company(name), 0));
        units << "economy_event_queue : _nameless.queue {";
        for (const QString &name : order)
            units << QStringLiteral("economy_event : %1 {").arg(EventID(company(name)));
        QStringList found;
        for (const QString &line : after)
            if (Trim(line).endsWith(u'{') && Trim(line).contains(" : "))
                found << Trim(line);
        QCOMPARE(found, units);
        QCOMPARE(after.size(), before.size());
    }

    // game.sii made read-only by the player: nothing is written, no backup, no temporary file, and
    // the status says why. Root may write anyway, so the writer goes by the permission bits.
    void readOnlySaveIsRefused()
    {
        UseSave(BuildSave({{"a", "berlin"}, {"z", "wien"}}));
        const QString path = FProfile.GameFilePath();
        const QByteArray before = ReadRaw(path);
        const QFileDevice::Permissions readOnly =
            QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(path, readOnly));
        const QFileDevice::Permissions set = QFile::permissions(path);
        AddJob("a", "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QString error;
        const bool direct = TSaveDocument(FLines).WriteVerified(path, &error);
        const QFileDevice::Permissions after = QFile::permissions(path);
        QFile::setPermissions(path, readOnly | QFileDevice::WriteOwner | QFileDevice::WriteUser);
        QVERIFY(r.SaveRefused);
        QCOMPARE(r.Written, 0);
        QVERIFY(!r.Outcomes.at(0).Written);
        QVERIFY2(r.StatusText.startsWith("No job was saved: game.sii is read-only"), qPrintable(r.StatusText));
        QVERIFY(r.StatusText.contains(QDir::toNativeSeparators(path)));
        QVERIFY(!direct);
        QVERIFY(error.contains("read-only"));
        QCOMPARE(ReadRaw(path), before);
        QCOMPARE(after, set);
        QCOMPARE(QDir(FProfile.QuickSavePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"game.sii"}));
        QVERIFY(!QFile::exists(JobHistoryPath(FDir.path() + "/program")));
    }

    // A writable game.sii keeps its permissions through the write, not those of a new file.
    void permissionsAreKept_data()
    {
        QTest::addColumn<int>("permissions");
        QTest::newRow("0640") << int(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        QTest::newRow("0600") << int(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    void permissionsAreKept()
    {
        QFETCH(int, permissions);
        UseSave(BuildSave({{"a", "berlin"}, {"z", "wien"}}));
        const QString path = FProfile.GameFilePath();
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(permissions)));
        const QFileDevice::Permissions set = QFile::permissions(path); // with the user's bits Qt adds
        AddJob("a", "berlin", "paris");
        QVERIFY(SaveAllJobs(Jobs(), Context()).FileWritten);
        QCOMPARE(QFile::permissions(path), set);
    }

    // A save that is not whole (cut off, no economy unit) is refused before anything is written,
    // and the write itself never renames such a text over game.sii.
    void damagedSaveIsRefused_data()
    {
        QTest::addColumn<QStringList>("lines");
        const QStringList whole = BuildSave({{"a", "berlin"}, {"z", "wien"}});
        QTest::newRow("file's brace missing") << whole.mid(0, whole.size() - 1);
        QTest::newRow("cut in an offer") << whole.mid(0, whole.indexOf(" cargo: null") + 1);
        QStringList noEconomy = whole;
        noEconomy.erase(noEconomy.begin() + 2, noEconomy.begin() + 5);
        QTest::newRow("no economy unit") << noEconomy;
    }
    void damagedSaveIsRefused()
    {
        QFETCH(QStringList, lines);
        UseSave(lines);
        const QString path = FProfile.GameFilePath();
        const QByteArray before = ReadRaw(path);
        AddJob("a", "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
        QVERIFY(r.SaveRefused);
        QCOMPARE(r.Written, 0);
        QVERIFY2(r.StatusText.startsWith("No job was saved: game.sii is incomplete or damaged ("),
                 qPrintable(r.StatusText));
        QString error;
        QVERIFY(!TSaveDocument(FLines).WriteVerified(path, &error));
        QVERIFY2(error.contains("incomplete or damaged"), qPrintable(error));
        QCOMPARE(ReadRaw(path), before);
        QCOMPARE(QDir(FProfile.QuickSavePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"game.sii"}));
        QVERIFY(!QFile::exists(JobHistoryPath(FDir.path() + "/program")));
    }

    // job-history.ini cannot be written: the jobs stay in the save and the status says both.
    void historyFailureIsReported()
    {
        const std::vector<FixtureCompany> companies = {{"a", "berlin"}, {"z", "wien"}};
        UseSave(BuildSave(companies));
        const QStringList before = FLines.Lines();
        TJobWriteContext context = Context();
        QVERIFY(QDir().mkpath(JobHistoryPath(context.HistoryFolder))); // a folder where the file belongs
        AddJob("a", "berlin", "paris");
        const TSaveJobsResult r = SaveAllJobs(Jobs(), context);
        QDir(context.HistoryFolder).removeRecursively();
        QCOMPARE(r.Written, 1);
        QVERIFY(r.FileWritten);
        QVERIFY(!r.HistoryError.isEmpty());
        QVERIFY2(r.StatusText.startsWith("1 of 1 job saved successfully.") &&
                     r.StatusText.endsWith("The jobs are in your save, but the job history could not be updated: " +
                                           r.HistoryError),
                 qPrintable(r.StatusText));
        const QString problem = CheckWrittenSave(before, DiskLines(), {Expect(companies[0], 0, "paris", 1360)});
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // A full disk while writing (a file size limit in a child process): game.sii unchanged, the
    // player told. The limit lets the backup (same size as game.sii) through and stops the
    // larger new save.
    void diskFullWhileWriting()
    {
#ifdef Q_OS_UNIX
        UseSave(BuildSave({{"a", "berlin"}, { "z", "wien" }}));
        const QByteArray before = ReadRaw(FProfile.GameFilePath());
        AddJob("a", "berlin", "paris"); // the new save is longer than the old one
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = rlim_t(before.size());
            const rlimit rl{limit, limit};
            int code = 10;
            if (::setrlimit(RLIMIT_FSIZE, &rl) == 0) {
                const TSaveJobsResult r = SaveAllJobs(Jobs(), Context());
                const QByteArray status = r.StatusText.toUtf8();
                (void)!::write(pipeFds[1], status.constData(), size_t(status.size()));
                code = r.FileWritten ? 1 : (r.BackupPath.isEmpty() ? 2 : 0);
            }
            ::_exit(code);
        }
        ::close(pipeFds[1]);
        QByteArray status;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            status.append(buffer, n);
        ::close(pipeFds[0]);
        int wstatus = 0;
        QCOMPARE(::waitpid(child, &wstatus, 0), child);
        QVERIFY(WIFEXITED(wstatus));
        if (WEXITSTATUS(wstatus) == 10)
            QSKIP("The file size limit cannot be set here");
        QCOMPARE(WEXITSTATUS(wstatus), 0);
        QVERIFY2(status.startsWith("No job was saved: game.sii could not be written"), status.constData());
        QCOMPARE(ReadRaw(FProfile.GameFilePath()), before);
        QCOMPARE(QDir(FProfile.QuickSavePath()).entryList(QDir::Files), QStringList({"game.sii"}));
#else
        QSKIP("File size limits are a POSIX feature");
#endif
    }
};

QTEST_GUILESS_MAIN(TestJobWriter)
#include "test_jobwriter.moc"
