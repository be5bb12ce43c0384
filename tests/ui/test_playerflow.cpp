// The real window driven as a player would, on a game folder made by kvn-savegen: a profile is
// picked, a job composed, added and saved, backups restored; the locks and the save watch.
#include "app/loadsequence.h"
#include "common/englishwindow.h"
#include "common/generatedgame.h"
#include "jobs/assemblejob.h"
#include "savegame/backup.h"
#include "savegame/companies.h"
#include "savegame/unknowndistances.h"
#include "savegen.h"
#include "shared/strings.h"
#include "ui/clickimage.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"
#include "ui/textfade.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace kvn;

namespace {

QByteArray FileBytes(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One question the window asked and how the test answered it.
struct TQuestion {
    QString Msg;
    QString Caption;
    TMsgDlgBtn DefaultButton = mbYes;
};

struct TPlayer {
    explicit TPlayer(const QString &ProgramFolder) : Steps(State)
    {
        Form = kvntest::MakeEnglishWindow(State, Steps, ProgramFolder);
        Form->SetMessageDialogue(
            [this](const QString &Msg, const QString &Caption, TMsgDlgType, TMsgDlgButtons, TMsgDlgBtn Default) {
                Questions.push_back({Msg, Caption, Default});
                if (DuringQuestion)
                    std::exchange(DuringQuestion, nullptr)();
                return Answer;
            });
        Form->SetUrlOpener([this](const QUrl &Url) { Opened << Url; });
    }

    bool Start()
    {
        QSignalSpy finished(Form.get(), &TFormMain::LoadingFinished);
        Form->show();
        return finished.wait(30000);
    }

    // What the popup does when the player clicks an entry.
    bool Pick(QComboBox *Box, int Index)
    {
        if (!Box->isEnabled() || Index < 0 || Index >= Box->count())
            return false;
        Box->setCurrentIndex(Index);
        emit Box->activated(Index);
        return true;
    }
    bool PickText(QComboBox *Box, const QString &Text) { return Pick(Box, Box->findText(Text)); }
    bool PickProfile(int Entry) { return Pick(Form->ComboBox1, Entry) && State.Session.IsProfileLoaded(); }

    QString Status() const { return Form->TextFader1->Lines().value(Form->TextFader1->Lines().size() - 1); }
    QString GameSii() const { return State.Session.CurrentProfile()->GameFilePath(); }

    // The first cargo entry the save offers a trailer for.
    int FirstCompatibleCargo() const
    {
        for (int i = 0; i < Form->ComboBox8->count(); ++i)
            if (const auto *cargo = ItemPointer<TCargoInfo>(Form->ComboBox8, i, kCargoInfoRole))
                if (cargo->SavegameCompatibleCargo())
                    return i;
        return -1;
    }

    // Queues a job from the departure preset to the last destination city, with the cargo the save
    // offers on most trailers and the last of its trailers: after a reload a stale pointer into the
    // trailer list would name another one. Returns the offer's target, cargo and trailer lines.
    QStringList AddJobWithLastTrailer()
    {
        TFormMain &form = *Form;
        int best = -1, most = 0;
        for (int i = 0; i < form.ComboBox8->count(); ++i) {
            const auto *cargo = ItemPointer<TCargoInfo>(form.ComboBox8, i, kCargoInfoRole);
            if (cargo && cargo->SavegameCompatibleCargo() && int(cargo->TrailerDefinitionList().size()) > most) {
                best = i;
                most = int(cargo->TrailerDefinitionList().size());
            }
        }
        if (!Pick(form.ComboBox8, best) || !Pick(form.ComboBox9, form.ComboBox9->count() - 1) ||
            !Pick(form.ComboBox3, form.ComboBox3->count() - 1))
            return {};
        const QStringList offer{
            "target: \"" + form.ComboBox4->currentText() + "." + SelectedCityToken(form.ComboBox3) + "\"",
            "cargo: cargo." + form.ComboBox8->currentText(), "trailer_definition: " + form.ComboBox9->currentText()};
        const int before = State.JobList.Count();
        Answer = mrYes; // a country-bound trailer may be asked about
        QTest::mouseClick(form.Button3, Qt::LeftButton);
        return State.JobList.Count() == before + 1 ? offer : QStringList();
    }

    // An offer unit of game.sii holds every one of Lines (the game's own offers may lead to the
    // same target).
    bool OfferWritten(const QStringList &Lines) const
    {
        const QStringList lines = QString::fromUtf8(FileBytes(GameSii())).split("\r\n");
        for (qsizetype at = 0; at < lines.size(); ++at) {
            if (lines[at].trimmed() != Lines.value(0))
                continue;
            QStringList unit;
            for (qsizetype i = at; i < lines.size() && !lines[i].trimmed().startsWith('}'); ++i)
                unit << lines[i].trimmed();
            if (std::all_of(Lines.begin(), Lines.end(), [&unit](const QString &L) { return unit.contains(L); }))
                return true;
        }
        return false;
    }

    TProgramState State;
    TLoadSequence Steps;
    std::unique_ptr<TFormMain> Form;
    std::vector<TQuestion> Questions;
    int Answer = mrYes;
    // Runs once while the next question is open.
    std::function<void()> DuringQuestion;
    QList<QUrl> Opened;
};

} // namespace

class TestPlayerFlow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void pickProfilePresetsLastCity();
    void countriesFillCitiesAndCompanies();
    void entryZeroAndMissingSaveLoadNothing();
    void previewAndSlider();
    void addCountryBoundTrailerAsksFirst();
    void addJobCountsTheOffersOfTheBranch();
    void addJobToItsOwnBranchAsksFirst();
    void saveAllJobsWritesBackupAndHistory();
    void restoreAndDeleteBackups();
    void locksBeforeProfileDoNothing();
    void lockChains();
    void lockSelectsFirstEntry();
    void allLocksClosedDisableRandomJob();
    void ensureDestinationUnlocked();
    void lockedSelectionSurvivesReload();
    void saveWatchAsksOnce();
    void reloadAndOpenFolder();
    void closeWhileProfileLoads();
    void learntDistancesNotKeptIsShown();
    void encryptedSaveLoadsGarbageDoesNot();
    void cutOffAndReadOnlySavesAreExplained();
    void lockedDepartureSurvivesProfileLoad();
    void turkishLocaleKeepsCityTokens();
    void namesShownWhileTokensAreWritten();
    void saveTooOldForJobsIsToldSo();
    void queuedJobSurvivesProfileLoads_data();
    void queuedJobSurvivesProfileLoads();
    void otherProfileDiscardsQueuedJobs();
    void changedSaveOnDiskIsReadAgain();
    void failedLoadClearsJobMarks();
    void screenshot();

private:
    QTemporaryDir FHome;
    QTemporaryDir FProgramFolder;
    QString FGameFolder;
};

void TestPlayerFlow::initTestCase()
{
    QVERIFY(FHome.isValid() && FProgramFolder.isValid());
    FGameFolder = kvntest::UseHomeFolder(FHome.path());
}

void TestPlayerFlow::init()
{
    // Every test starts from the same untouched saves.
    kvntest::WriteGeneratedGameFolder(FGameFolder, FProgramFolder.path(), 2);
}

void TestPlayerFlow::pickProfilePresetsLastCity()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QCOMPARE(form.ComboBox1->count(), 3);
    QCOMPARE(form.Label1->text(), QString("2 profiles found"));
    for (int entry = 1; entry <= 2; ++entry)
        QCOMPARE(ItemPointer<TProfileInfo>(form.ComboBox1, entry, kProfileInfoRole),
                 player.State.Session.ProfileList().At(entry - 1));
    QVERIFY(!ItemPointer<TProfileInfo>(form.ComboBox1, 0, kProfileInfoRole));

    QSignalSpy loadFinished(&form, &TFormMain::ProfileLoadFinished);
    QVERIFY(player.PickProfile(1));
    QCOMPARE(loadFinished.size(), 1);
    QCOMPARE(loadFinished.at(0).at(0).toBool(), true);
    const TProfileInfo *profile = player.State.Session.CurrentProfile();
    QCOMPARE(player.Status(), "Profile \"" + profile->ProfileName() + "\" loaded successfully");
    QVERIFY(!form.Label3->text().isEmpty());
    QVERIFY(form.Label3->text() != "Loading profile data ... please wait");
    QVERIFY(form.Button4->isEnabled() && form.Button8->isEnabled() && form.ComboBox11->isEnabled());
    QVERIFY(form.ComboBox1->isEnabled());
    QCOMPARE(form.ComboBox11->count(), 2); // no backups yet

    // Departure preset to where the player last was, with that city's companies.
    const QString lastCity = player.State.Session.LastVisitedCity();
    QVERIFY(!lastCity.isEmpty());
    const QString country = player.State.Catalogue.Countries.ResolveCountryName(0, QString(), lastCity);
    QVERIFY(form.ComboBox5->currentIndex() > 0);
    QCOMPARE(SelectedCountryToken(form.ComboBox5).toLower(), country);
    QCOMPARE(SelectedCityToken(form.ComboBox6), lastCity);
    QCOMPARE(form.ComboBox6->currentText(), player.State.Catalogue.Names.CityName(lastCity));
    QVERIFY(form.ComboBox7->count() > 0);
    QCOMPARE(form.ComboBox7->currentIndex(), 0);
    // Destination: all countries; cargo, urgency first.
    QCOMPARE(form.ComboBox2->itemText(0), QString("All countries"));
    QCOMPARE(form.ComboBox2->currentIndex(), 0);
    QVERIFY(form.ComboBox3->count() > 0);
    QCOMPARE(form.ComboBox8->currentIndex(), 0);
    QCOMPARE(form.ComboBox10->currentIndex(), 0);
    for (int i = 0; i < form.ComboBox8->count(); ++i) {
        const auto *cargo = ItemPointer<TCargoInfo>(form.ComboBox8, i, kCargoInfoRole);
        QVERIFY(cargo);
        QCOMPARE(cargo->CargoName(), form.ComboBox8->itemText(i));
    }
}

void TestPlayerFlow::countriesFillCitiesAndCompanies()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const TCountries &countries = player.State.Catalogue.Countries;

    // All countries: every city of every country, each shown by its name.
    QVERIFY(player.Pick(form.ComboBox5, 0));
    QStringList all;
    for (const auto &country : countries.CountryInfoList())
        all << country->CityList();
    QStringList tokens;
    for (int i = 0; i < form.ComboBox6->count(); ++i) {
        tokens << form.ComboBox6->itemData(i, kCityTokenRole).toString();
        QCOMPARE(form.ComboBox6->itemText(i), player.State.Catalogue.Names.CityName(tokens.last()));
    }
    all.sort();
    tokens.sort();
    QCOMPARE(tokens, all);
    QCOMPARE(form.ComboBox6->currentIndex(), 0);
    QVERIFY(form.ComboBox7->count() > 0); // the first city's companies

    // A real country: only its cities; each company listed has a branch in the chosen city.
    const TCountryInfo *second = countries.CountryInfoList().back().get();
    QVERIFY(player.Pick(form.ComboBox2, form.ComboBox2->findData(second->Country(), kCountryTokenRole)));
    QCOMPARE(form.ComboBox3->count(), int(second->CityList().size()));
    for (int i = 0; i < form.ComboBox3->count(); ++i)
        QVERIFY(second->HasCity(form.ComboBox3->itemData(i, kCityTokenRole).toString()));
    QVERIFY(player.Pick(form.ComboBox3, form.ComboBox3->count() - 1));
    const QString city = SelectedCityToken(form.ComboBox3);
    QVERIFY(form.ComboBox4->count() > 0);
    for (int i = 0; i < form.ComboBox4->count(); ++i)
        QVERIFY(player.State.Session.CompanyList().FindCompany(form.ComboBox4->itemText(i))->HasCity(city));
    QVERIFY(form.Button3->isEnabled() == (player.FirstCompatibleCargo() == 0));

    // A country the catalogue has no city of: both lists empty, no job.
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QVERIFY(form.Button3->isEnabled());
    form.ComboBox2->addItem("Atlantis");
    QVERIFY(player.PickText(form.ComboBox2, "Atlantis"));
    QCOMPARE(form.ComboBox3->count(), 0);
    QCOMPARE(form.ComboBox4->count(), 0);
    QVERIFY(!form.Button3->isEnabled());
    QVERIFY(form.JvHTLabel1->text().isEmpty());
}

void TestPlayerFlow::entryZeroAndMissingSaveLoadNothing()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(player.Pick(form.ComboBox1, 0));
    QVERIFY(!player.State.Session.IsProfileLoaded());
    QVERIFY(form.Label3->text().isEmpty());
    QVERIFY(player.Status().isEmpty());
    for (QComboBox *box : {form.ComboBox5, form.ComboBox6, form.ComboBox7, form.ComboBox8, form.ComboBox9}) {
        QCOMPARE(box->count(), 0);
        QVERIFY(box->isEnabled());
    }
    QVERIFY(!form.Button4->isEnabled() && !form.Button8->isEnabled() && !form.ComboBox11->isEnabled());
    QVERIFY(!form.Button3->isEnabled());

    // The second profile's quick-save is gone: the error stays, nothing is loaded.
    const TProfileInfo *second = player.State.Session.ProfileList().At(1);
    QVERIFY(QFile::remove(second->GameFilePath()));
    QVERIFY(!player.PickProfile(2));
    QCOMPARE(player.Status(),
             "Error: no quick save files have been found for the profile \"" + second->ProfileName() + "\"");
    QCOMPARE(form.ComboBox5->count(), 0);
    QVERIFY(form.Label3->text().isEmpty());
}

void TestPlayerFlow::previewAndSlider()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const int cargo = player.FirstCompatibleCargo();
    QVERIFY(cargo >= 0);
    QVERIFY(player.Pick(form.ComboBox8, cargo));
    QVERIFY(form.ComboBox9->count() > 0);
    QVERIFY(form.Button3->isEnabled());
    QVERIFY(form.JvHTLabel1->text().contains(form.ComboBox6->currentText()));
    QVERIFY(form.JvHTLabel2->text().contains(form.ComboBox8->currentText()));
    QVERIFY(!form.JvHTLabel3->text().isEmpty() && !form.JvHTLabel4->text().isEmpty());

    // The slider starts at the trailer's maximum; plus there changes nothing, minus takes one off.
    QSlider *slider = form.TrackBar1;
    QCOMPARE(slider->value(), slider->maximum());
    const QString weight = form.JvHTLabel2->text();
    QTest::mouseClick(form.Image12, Qt::LeftButton);
    QCOMPARE(slider->value(), slider->maximum());
    QCOMPARE(form.JvHTLabel2->text(), weight);
    if (slider->minimum() < slider->maximum()) {
        QVERIFY(slider->isEnabled());
        QTest::mouseClick(form.Image11, Qt::LeftButton);
        QCOMPARE(slider->value(), slider->maximum() - 1);
        slider->setValue(slider->minimum()); // the player drags it to the left end
        QCOMPARE(slider->value(), slider->minimum());
        QVERIFY(form.JvHTLabel3->text() != QString());
    }

    // A cargo the save offers no trailer for: no trailer, no job, no preview.
    for (int i = 0; i < form.ComboBox8->count(); ++i) {
        if (ItemPointer<TCargoInfo>(form.ComboBox8, i, kCargoInfoRole)->SavegameCompatibleCargo())
            continue;
        QVERIFY(player.Pick(form.ComboBox8, i));
        QCOMPARE(form.ComboBox9->count(), 0);
        QVERIFY(!form.Button3->isEnabled());
        QVERIFY(form.JvHTLabel1->text().isEmpty());
        break;
    }
}

void TestPlayerFlow::addCountryBoundTrailerAsksFirst()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const TCountries &countries = player.State.Catalogue.Countries;

    // A cargo with a trailer bound to countries, and a country of the save outside them.
    int cargoEntry = -1;
    int trailerEntry = -1;
    QString outside;
    for (int i = 0; i < form.ComboBox8->count() && cargoEntry < 0; ++i) {
        QVERIFY(player.Pick(form.ComboBox8, i));
        for (int t = 0; t < form.ComboBox9->count() && cargoEntry < 0; ++t) {
            const auto *trailer = ItemPointer<TTrailerDefinitionData>(form.ComboBox9, t, kTrailerDefinitionRole);
            QVERIFY(trailer);
            if (!trailer->IsCountryBoundTrailer())
                continue;
            for (const auto &country : countries.CountryInfoList())
                if (!TrailerAllowedInCountry(*trailer, country->Country().toLower()) &&
                    !country->CityList().isEmpty()) {
                    cargoEntry = i;
                    trailerEntry = t;
                    outside = country->Country();
                    break;
                }
        }
    }
    if (cargoEntry < 0)
        QSKIP("this save offers no country-bound trailer");
    QVERIFY(player.Pick(form.ComboBox5, form.ComboBox5->findData(outside, kCountryTokenRole)));
    QVERIFY(player.Pick(form.ComboBox8, cargoEntry));
    QVERIFY(player.Pick(form.ComboBox9, trailerEntry));
    QVERIFY(form.Button3->isEnabled());

    player.Answer = mrNo;
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(int(player.Questions.size()), 1);
    QCOMPARE(player.Questions[0].Caption, QString("Warning"));
    QVERIFY(player.Questions[0].Msg.contains("country bound"));
    QCOMPARE(player.State.JobList.Count(), 0);
    QVERIFY(!form.Button5->isEnabled());

    player.Answer = mrYes;
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(int(player.Questions.size()), 2);
    QCOMPARE(player.State.JobList.Count(), 1);
    QCOMPARE(player.State.JobList.At(0)->TrailerDefinitionData()->TrailerDefinitionData->TrailerDefinition(),
             form.ComboBox9->currentText());
    QVERIFY(form.Button5->isEnabled());
}

namespace {

// Takes every job offer from the branch of Company in City, as the game leaves a truck dealer.
bool StripBranchOffers(const QString &GameSii, const QString &Company, const QString &City)
{
    QFile file(GameSii);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    const QByteArray header = "company : company.volatile." + Company.toUtf8() + '.' + City.toUtf8() + " {";
    QByteArray out;
    bool inside = false, found = false;
    for (const QByteArray &line : lines) {
        const QByteArray t = line.trimmed();
        if (t == header)
            inside = found = true;
        else if (inside && t.startsWith('}'))
            inside = false;
        if (inside && t.startsWith("job_offer["))
            continue;
        out += (inside && t.startsWith("job_offer:") ? QByteArray(" job_offer: 0\r") : line) + '\n';
    }
    out.chop(1);
    return found && file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(out) == out.size();
}

} // namespace

void TestPlayerFlow::addJobCountsTheOffersOfTheBranch()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const TCompanyList &companies = player.State.Session.CompanyList();
    const QString city = form.ComboBox6->currentText();
    QVERIFY(form.ComboBox7->count() > 0);
    const QString dealer = form.ComboBox7->itemText(0);

    // The branch has no offer slot at all: grey in the company list, with the reason as its tip.
    QVERIFY(StripBranchOffers(player.GameSii(), dealer, SelectedCityToken(form.ComboBox6)));
    form.Reload();
    QTRY_VERIFY(player.State.Session.IsProfileLoaded() && !form.ProfileLoadRunning());
    QVERIFY(player.PickText(form.ComboBox6, city));
    QCOMPARE(companies.FindCompany(dealer)->OfferCount(city), 0);
    const int dealerEntry = form.ComboBox7->findText(dealer);
    QVERIFY(form.ComboBox7->itemData(dealerEntry, Qt::ForegroundRole).isValid());
    QCOMPARE(form.ComboBox7->itemData(dealerEntry, Qt::ToolTipRole).toString(),
             player.State.Texts.Text(TLangText::LabelCompanyWithoutOffers));
    for (int i = 0; i < form.ComboBox7->count(); ++i)
        if (i != dealerEntry)
            QVERIFY(!form.ComboBox7->itemData(i, Qt::ForegroundRole).isValid());

    // A destination elsewhere, so that no other question comes in between.
    QVERIFY(player.Pick(form.ComboBox3, form.ComboBox3->findText(city) == 0 ? 1 : 0));
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    player.Answer = mrNo;
    QVERIFY(player.PickText(form.ComboBox7, dealer));
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(int(player.Questions.size()), 1);
    QCOMPARE(player.Questions[0].Msg, player.State.Texts.Format(TLangText::MsgNoJobOfferLeft, {dealer, city, 0, 0}));
    QCOMPARE(player.Questions[0].DefaultButton, mbNo);
    QCOMPARE(player.State.JobList.Count(), 0);

    // A branch with offers takes as many jobs as it has offers; the next one is questioned.
    bool chosen = false;
    QVERIFY(player.Pick(form.ComboBox5, 0)); // all countries: every city of the save
    for (int c = 0; c < form.ComboBox6->count() && !chosen; ++c) {
        QVERIFY(player.Pick(form.ComboBox6, c));
        for (int i = 0; i < form.ComboBox7->count() && !chosen; ++i)
            if (form.ComboBox7->itemText(i) != dealer || form.ComboBox6->currentText() != city)
                chosen = player.Pick(form.ComboBox7, i);
    }
    QVERIFY(chosen);
    const QString company = form.ComboBox7->currentText();
    const QString from = form.ComboBox6->currentText();
    QVERIFY(player.Pick(form.ComboBox3, form.ComboBox3->findText(from) == 0 ? 1 : 0));
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    const int offers = companies.FindCompany(company)->OfferCount(SelectedCityToken(form.ComboBox6));
    QVERIFY(offers > 0);
    for (int k = 0; k < offers; ++k)
        QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), offers);
    QCOMPARE(int(player.Questions.size()), 1);
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(int(player.Questions.size()), 2);
    QCOMPARE(player.Questions[1].Msg,
             player.State.Texts.Format(TLangText::MsgNoJobOfferLeft, {company, from, offers, offers}));
    QCOMPARE(player.State.JobList.Count(), offers);
    player.Answer = mrYes; // the player insists: queued, and it is the player's choice
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), offers + 1);
}

void TestPlayerFlow::addJobToItsOwnBranchAsksFirst()
{
    // The game never offers a job from a depot to itself: "Add job" asks, No by default.
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QVERIFY(player.Pick(form.ComboBox2, 0));
    QVERIFY(player.PickText(form.ComboBox3, form.ComboBox6->currentText()));
    QVERIFY(player.PickText(form.ComboBox4, form.ComboBox7->currentText()));
    player.Answer = mrNo;
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QVERIFY(!player.Questions.empty());
    QCOMPARE(player.Questions[0].Msg, player.State.Texts.Text(TLangText::MsgSameCompanyWarning));
    QCOMPARE(player.Questions[0].DefaultButton, mbNo);
    QCOMPARE(player.State.JobList.Count(), 0);
}

void TestPlayerFlow::saveAllJobsWritesBackupAndHistory()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const QString game = player.GameSii();
    const QByteArray before = FileBytes(game);

    // Two jobs from the departure preset, to two destination companies, different urgencies.
    const int cargo = player.FirstCompatibleCargo();
    QVERIFY(player.Pick(form.ComboBox8, cargo));
    QVERIFY(player.Pick(form.ComboBox3, 0));
    const QString firstTarget = form.ComboBox4->currentText() + "." + SelectedCityToken(form.ComboBox3);
    const QString cargoName = form.ComboBox8->currentText();
    const QString trailerName = form.ComboBox9->currentText();
    QVERIFY(player.Pick(form.ComboBox10, 2));
    player.Answer = mrYes; // a country-bound trailer may be asked about
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QVERIFY(player.Pick(form.ComboBox3, form.ComboBox3->count() - 1));
    QVERIFY(player.Pick(form.ComboBox10, 1));
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), 2);
    QCOMPARE(player.State.JobList.At(0)->CargoUrgency(), 2);
    QCOMPARE(player.State.JobList.At(1)->CargoUrgency(), 1);

    QVERIFY(form.Button5->isEnabled());
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), 0);
    QVERIFY(player.State.Session.IsProfileLoaded()); // read again
    QVERIFY(player.Status().startsWith("2 of 2 jobs saved successfully."));
    QCOMPARE(form.ProgressBar1->value(), 0);
    QVERIFY(!form.Button5->isEnabled());

    const QByteArray after = FileBytes(game);
    QVERIFY(after != before);
    // An offer unit now leads there with the first job's cargo, trailer and urgency (the game's
    // own offers may lead there too).
    const QStringList lines = QString::fromUtf8(after).split("\r\n");
    const QRegularExpression target("^\\s*target: \"?" + QRegularExpression::escape(firstTarget) + "\"?$");
    bool found = false;
    for (qsizetype at = lines.indexOf(target); at >= 0 && !found; at = lines.indexOf(target, at + 1)) {
        QStringList unit;
        for (qsizetype i = at; i < lines.size() && !lines[i].trimmed().startsWith('}'); ++i)
            unit << lines[i].trimmed();
        found = unit.contains("urgency: 2") && unit.contains("cargo: cargo." + cargoName) &&
                unit.contains("trailer_definition: " + trailerName);
    }
    QVERIFY(found);
    // The untouched save is the one backup, and the list offers it.
    const QStringList backups = ListBackups(*player.State.Session.CurrentProfile());
    QCOMPARE(backups.size(), 1);
    QCOMPARE(FileBytes(BackupFolder(*player.State.Session.CurrentProfile()) + backups[0]), before);
    QCOMPARE(form.ComboBox11->count(), 3);
    QCOMPARE(form.ComboBox11->itemText(1), backups[0]);
    QCOMPARE(form.ComboBox11->currentIndex(), 0);
    // Both written jobs are in the history.
    QCOMPARE(player.State.JobHistory.Count(), 2);
    QVERIFY(QFile::exists(FProgramFolder.path() + "/job-history.ini"));
    // Our own write does not wake the save watch.
    QVERIFY(!player.State.Session.QuickSaveChanged());
}

void TestPlayerFlow::restoreAndDeleteBackups()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const QString game = player.GameSii();
    const QByteArray before = FileBytes(game);
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QVERIFY(FileBytes(game) != before);
    QCOMPARE(form.ComboBox11->count(), 3);

    // Declined: nothing happens, the first entry shows again. Enter would have said No.
    player.Answer = mrNo;
    QVERIFY(player.Pick(form.ComboBox11, 1));
    QCOMPARE(player.Questions.back().DefaultButton, mbNo);
    QVERIFY(FileBytes(game) != before);
    QCOMPARE(form.ComboBox11->currentIndex(), 0);
    QCOMPARE(form.ComboBox11->count(), 3);

    // Restored: the old save is back, the backup used up, the profile read again.
    player.Answer = mrYes;
    const int asked = int(player.Questions.size());
    QVERIFY(player.Pick(form.ComboBox11, 1));
    QCOMPARE(int(player.Questions.size()), asked + 1);
    QCOMPARE(player.Questions.back().Caption, QString("Confirmation"));
    QCOMPARE(FileBytes(game), before);
    QCOMPARE(form.ComboBox11->count(), 2);
    QVERIFY(player.State.Session.IsProfileLoaded());

    // Delete all: the folder goes and no deleted name stays on offer.
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QCOMPARE(form.ComboBox11->count(), 3);
    QVERIFY(player.Pick(form.ComboBox11, 2));
    QCOMPARE(player.Questions.back().DefaultButton, mbNo);
    QVERIFY(!QDir(BackupFolder(*player.State.Session.CurrentProfile())).exists());
    QCOMPARE(form.ComboBox11->count(), 2);
    QCOMPARE(form.ComboBox11->currentIndex(), 0);
}

void TestPlayerFlow::locksBeforeProfileDoNothing()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QTest::mouseClick(form.Image3, Qt::LeftButton);
    for (int lock = 0; lock < 9; ++lock)
        QVERIFY(!form.LockClosed(lock));
    QVERIFY(form.ComboBox7->isEnabled());
}

void TestPlayerFlow::lockChains()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const auto enabled = [&form](std::initializer_list<QComboBox *> Boxes) {
        QString state;
        for (QComboBox *box : Boxes)
            state += box->isEnabled() ? '1' : '0';
        return state;
    };
    // The departure company closes the whole row, the country opens it again.
    QTest::mouseClick(form.Image3, Qt::LeftButton);
    QVERIFY(form.LockClosed(0) && form.LockClosed(1) && form.LockClosed(2));
    QCOMPARE(enabled({form.ComboBox5, form.ComboBox6, form.ComboBox7}), QString("000"));
    QTest::mouseClick(form.Image1, Qt::LeftButton);
    QCOMPARE(enabled({form.ComboBox5, form.ComboBox6, form.ComboBox7}), QString("111"));
    // Closing the city, then opening it: the country stays closed.
    QTest::mouseClick(form.Image2, Qt::LeftButton);
    QCOMPARE(enabled({form.ComboBox5, form.ComboBox6, form.ComboBox7}), QString("001"));
    QTest::mouseClick(form.Image2, Qt::LeftButton);
    QCOMPARE(enabled({form.ComboBox5, form.ComboBox6, form.ComboBox7}), QString("011"));
    // A locked country is skipped by the cascade unless forced.
    const QString cities = form.ComboBox6->itemText(0);
    form.ComboBoxCountryChange(form.ComboBox5, false);
    QCOMPARE(form.ComboBox6->itemText(0), cities);
    // Trailer closes the cargo; opening the trailer keeps the cargo locked.
    QTest::mouseClick(form.Image8, Qt::LeftButton);
    QCOMPARE(enabled({form.ComboBox8, form.ComboBox9}), QString("00"));
    QTest::mouseClick(form.Image8, Qt::LeftButton);
    QCOMPARE(enabled({form.ComboBox8, form.ComboBox9}), QString("01"));
    // With the trailer locked, a cargo change leaves the trailer list as it is.
    QTest::mouseClick(form.Image7, Qt::LeftButton);
    QTest::mouseClick(form.Image8, Qt::LeftButton);
    const int trailers = form.ComboBox9->count();
    const QString trailer = form.ComboBox9->currentText();
    form.ComboBox8->setCurrentIndex(form.ComboBox8->count() - 1);
    form.ComboBoxCargoChange(form.ComboBox8);
    QCOMPARE(form.ComboBox9->count(), trailers);
    QCOMPARE(form.ComboBox9->currentText(), trailer);
}

void TestPlayerFlow::lockSelectsFirstEntry()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    // The destination company list without a selection: locking it picks the first entry.
    form.ComboBox4->setCurrentIndex(-1);
    form.UpdateAddJobButton();
    QVERIFY(!form.Button3->isEnabled());
    QTest::mouseClick(form.Image6, Qt::LeftButton);
    QCOMPARE(form.ComboBox4->currentIndex(), 0);
    QVERIFY(!form.ComboBox4->isEnabled());
}

void TestPlayerFlow::allLocksClosedDisableRandomJob()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(form.Button8->isEnabled());
    for (TClickImage *image : {form.Image3, form.Image6, form.Image8, form.Image9})
        QTest::mouseClick(image, Qt::LeftButton);
    QVERIFY(form.AllComboBoxesDisabled());
    QVERIFY(!form.Button8->isEnabled());
    QTest::mouseClick(form.Image9, Qt::LeftButton);
    QVERIFY(form.Button8->isEnabled());
    QVERIFY(form.AnyComboBoxDisabled());
    QVERIFY(!form.AnyComboBoxDisabled(10, 10));
}

void TestPlayerFlow::ensureDestinationUnlocked()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(form.EnsureDestinationUnlocked()); // nothing locked: nothing asked
    QCOMPARE(int(player.Questions.size()), 0);

    QTest::mouseClick(form.Image3, Qt::LeftButton); // departure row
    QTest::mouseClick(form.Image5, Qt::LeftButton); // destination country and city
    player.Answer = mrNo;
    QVERIFY(!form.EnsureDestinationUnlocked());
    QCOMPARE(int(player.Questions.size()), 1);
    QVERIFY(form.LockClosed(3) && form.LockClosed(4) && form.LockClosed(0));

    player.Answer = mrYes;
    QVERIFY(form.EnsureDestinationUnlocked());
    QVERIFY(!form.LockClosed(3) && !form.LockClosed(4) && !form.LockClosed(5));
    QVERIFY(form.ComboBox2->isEnabled() && form.ComboBox3->isEnabled());
    QVERIFY(form.LockClosed(0) && form.LockClosed(2)); // the departure keeps its locks
}

void TestPlayerFlow::lockedSelectionSurvivesReload()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    // Picking the other profile keeps the locks and, where that save has it, the locked value.
    QVERIFY(player.Pick(form.ComboBox10, 2));
    QTest::mouseClick(form.Image9, Qt::LeftButton);
    QVERIFY(player.PickProfile(2));
    QVERIFY(form.LockClosed(8));
    QCOMPARE(form.ComboBox10->currentIndex(), 2);
    QVERIFY(!form.ComboBox10->isEnabled());
    QVERIFY(form.ComboBox5->isEnabled());
    // A reload opens every lock.
    QTest::mouseClick(form.Image10, Qt::LeftButton);
    QVERIFY(player.State.Session.IsProfileLoaded());
    QVERIFY(!form.LockClosed(8));
    QVERIFY(form.ComboBox10->isEnabled());
}

void TestPlayerFlow::saveWatchAsksOnce()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(form.Timer2->isActive());
    // The game writes its quick-save again.
    QFile game(player.GameSii());
    QVERIFY(game.open(QIODevice::ReadWrite));
    QVERIFY(game.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    game.close();

    // While another question is open, the watch's tick does not stack its own on it.
    QTest::mouseClick(form.Image4, Qt::LeftButton);
    player.Answer = mrNo;
    player.DuringQuestion = [&form] { QMetaObject::invokeMethod(form.Timer2, "timeout"); };
    QVERIFY(!form.EnsureDestinationUnlocked());
    QCOMPARE(int(player.Questions.size()), 1);

    QTRY_COMPARE_WITH_TIMEOUT(int(player.Questions.size()), 2, 5000);
    QCOMPARE(player.Questions[1].Msg, player.State.Texts.Text(TLangText::MsgGetSavegameModifiedWarning));
    QVERIFY(!form.Timer2->isActive()); // asked once: the watch stays off after No
    QVERIFY(player.State.Session.IsProfileLoaded());
}

void TestPlayerFlow::reloadAndOpenFolder()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(2));
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    QCOMPARE(player.Opened.size(), 1);
    QCOMPARE(player.Opened[0], QUrl::fromLocalFile(player.State.Session.CurrentProfile()->ProfilePath()));
    QTest::mouseClick(form.Image100, Qt::LeftButton); // the help document beside the program
    QCOMPARE(player.Opened.size(), 2);
    QCOMPARE(player.Opened[1], QUrl::fromLocalFile(FProgramFolder.path() + "/help.html"));

    QSignalSpy loadFinished(&form, &TFormMain::ProfileLoadFinished);
    QTest::mouseClick(form.Image10, Qt::LeftButton);
    QCOMPARE(loadFinished.size(), 1);
    QCOMPARE(form.ComboBox1->currentIndex(), 2);
    QVERIFY(player.State.Session.IsProfileLoaded());
    QVERIFY(form.ComboBox6->count() > 0);

    // Without a profile the reload searches the profiles again.
    QVERIFY(player.Pick(form.ComboBox1, 0));
    QSignalSpy searched(&form, &TFormMain::LoadingFinished);
    QTest::mouseClick(form.Image10, Qt::LeftButton);
    QVERIFY(searched.wait(30000));
    QCOMPARE(form.ComboBox1->count(), 3);
    QCOMPARE(form.LoadCodeRuns(), 2);
}

void TestPlayerFlow::closeWhileProfileLoads()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    // The close arrives while the load lets the window answer.
    bool closed = true;
    QTimer::singleShot(0, &form, [&] { closed = form.close(); });
    QVERIFY(player.PickProfile(1));
    QVERIFY(!closed);
    QVERIFY(form.WantClose());
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 5000);
}

void TestPlayerFlow::learntDistancesNotKeptIsShown()
{
    // Where the learnt distances should go stands a folder: the learner cannot keep them.
    QTemporaryDir programFolder;
    QVERIFY(QDir().mkpath(programFolder.path() + "/distances-user.dat"));
    TPlayer player(programFolder.path() + "/");
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QTRY_VERIFY_WITH_TIMEOUT(player.Status().startsWith("The distances learnt from your save could not be kept: "),
                             20000);
    QVERIFY(player.State.Session.UnknownDistancesThread()->CollectedCount() > 0);
}

void TestPlayerFlow::encryptedSaveLoadsGarbageDoesNot()
{
    // Saves stored the way the game often stores them, with our decrypter beside the program.
    QTemporaryDir programFolder;
    QVERIFY(QFile::copy(KVN_BIN_DIR "/SII_Decrypt.exe", programFolder.path() + "/SII_Decrypt.exe"));
    QFile::setPermissions(programFolder.path() + "/SII_Decrypt.exe",
                          QFile::permissions(programFolder.path() + "/SII_Decrypt.exe") | QFileDevice::ExeOwner);
    QDir(FGameFolder).removeRecursively();
    savegen::Options options;
    options.Seed = 11;
    options.Lines = 3000;
    options.Profiles = 2;
    options.Forms = {savegen::SaveForm::Encrypted};
    QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), options, FGameFolder));

    TPlayer player(programFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QCOMPARE(form.ComboBox1->count(), 3);
    // The second profile's quick-save is neither plain nor the game's container.
    const TProfileInfo *second = player.State.Session.ProfileList().At(1);
    const QByteArray garbage(4096, '\x9c');
    QFile game(second->GameFilePath());
    QVERIFY(game.open(QIODevice::WriteOnly));
    game.write(garbage);
    game.close();

    QVERIFY(player.PickProfile(1));
    QVERIFY(form.ComboBox6->count() > 0 && form.ComboBox8->count() > 0);
    QVERIFY(!player.PickProfile(2));
    QCOMPARE(player.Status(),
             "No profile loaded. The quick save of the profile \"" + second->ProfileName() + "\" could not be decoded");
    QCOMPARE(form.ComboBox6->count(), 0);
    QVERIFY(!form.Button8->isEnabled());
}

// A quick-save cut off in the middle is not loaded, and a read-only one is not written; the status
// line tells the player why in both cases.
void TestPlayerFlow::cutOffAndReadOnlySavesAreExplained()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    const TProfileInfo *second = player.State.Session.ProfileList().At(1);
    const QByteArray whole = FileBytes(second->GameFilePath());
    {
        QFile game(second->GameFilePath());
        QVERIFY(game.open(QIODevice::WriteOnly));
        game.write(whole.left(whole.size() / 2));
    }
    QVERIFY(!player.PickProfile(2));
    QVERIFY2(player.Status().startsWith("No profile loaded. The quick save of the profile \"" + second->ProfileName() +
                                        "\" is incomplete or damaged: it "),
             qPrintable(player.Status()));
    QCOMPARE(form.ComboBox8->count(), 0);

    QVERIFY(player.PickProfile(1));
    const QString game = player.GameSii();
    const QByteArray before = FileBytes(game);
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QVERIFY(player.Pick(form.ComboBox3, 0));
    player.Answer = mrYes; // a country-bound trailer may be asked about
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), 1);
    QVERIFY(QFile::setPermissions(game, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QFile::setPermissions(game, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY2(player.Status().startsWith("No job was saved: game.sii is read-only"), qPrintable(player.Status()));
    QCOMPARE(FileBytes(game), before);
    QVERIFY(ListBackups(*player.State.Session.CurrentProfile()).isEmpty());
}

void TestPlayerFlow::lockedDepartureSurvivesProfileLoad()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    // A locked country and city (not where the player last was) stay when the profile is
    // picked again, and the company list is that city's.
    QVERIFY(player.Pick(form.ComboBox5, 0));
    QVERIFY(player.Pick(form.ComboBox6, form.ComboBox6->count() - 1));
    const QString city = form.ComboBox6->currentText();
    const QString cityToken = SelectedCityToken(form.ComboBox6);
    QVERIFY(cityToken != player.State.Session.LastVisitedCity());
    QTest::mouseClick(form.Image2, Qt::LeftButton);
    QVERIFY(player.PickProfile(1));
    QCOMPARE(form.ComboBox5->currentIndex(), 0);
    QCOMPARE(form.ComboBox6->currentText(), city);
    QVERIFY(!form.ComboBox5->isEnabled() && !form.ComboBox6->isEnabled() && form.ComboBox7->isEnabled());
    for (int i = 0; i < form.ComboBox7->count(); ++i)
        QVERIFY(player.State.Session.CompanyList().FindCompany(form.ComboBox7->itemText(i))->HasCity(cityToken));
}

// Under a Turkish locale "Innsbruck" lowered with the locale is "ınnsbruck", no city of the game:
// the city lists carry each city's token, and the job is made from the tokens.
void TestPlayerFlow::turkishLocaleKeepsCityTokens()
{
    QDir(FGameFolder).removeRecursively();
    savegen::Catalogue cat = savegen::Catalogue::FromResources();
    cat.Cities = {"innsbruck", "istanbul", "wien"};
    savegen::Options options;
    options.Lines = 3000;
    options.Profiles = 1;
    options.LastVisitedCity = "innsbruck";
    QVERIFY(savegen::WriteGameFolder(cat, options, FGameFolder));

    struct TurkishLocale {
        QLocale Saved;
        TurkishLocale() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }
        ~TurkishLocale() { QLocale::setDefault(Saved); }
    } turkish;
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QCOMPARE(form.ComboBox5->currentText(), QString("\u00d6sterreich"));
    QCOMPARE(SelectedCountryToken(form.ComboBox5), QString("Austria"));
    QCOMPARE(form.ComboBox6->currentText(), QString("Innsbruck"));
    QCOMPARE(SelectedCityToken(form.ComboBox6), QString("innsbruck"));
    QVERIFY(form.ComboBox7->count() > 0);

    QVERIFY(player.Pick(form.ComboBox2, 0)); // all countries
    const int istanbul = form.ComboBox3->findData("istanbul", kCityTokenRole);
    QVERIFY(istanbul >= 0);
    QCOMPARE(form.ComboBox3->itemText(istanbul), QString("\u0130stanbul"));
    QVERIFY(player.Pick(form.ComboBox3, istanbul));
    QVERIFY(form.ComboBox4->count() > 0);
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QVERIFY(form.Button3->isEnabled());
    QVERIFY(form.JvHTLabel1->text().contains("(T\u00fcrkiye)"));

    player.Answer = mrYes; // a trailer bound to other countries may ask first
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), 1);
    const TJobListDataSummary *job = player.State.JobList.At(0);
    QCOMPARE(job->DepartureCity(), QString("innsbruck"));
    QCOMPARE(job->DestinationCity(), QString("istanbul"));
    QCOMPARE(job->DepartureCountry(), QString("Austria"));
    QCOMPARE(job->DestinationCountry(), QString("Turkey"));
    QCOMPARE(job->DepartureCompany(), form.ComboBox7->currentText());
}

void TestPlayerFlow::namesShownWhileTokensAreWritten()
{
    QDir(FGameFolder).removeRecursively();
    savegen::Catalogue cat = savegen::Catalogue::FromResources();
    cat.Cities = {"a_coruna", "lodz", "lublin", "madrid"};
    savegen::Options options;
    options.Lines = 3000;
    options.Profiles = 1;
    options.LastVisitedCity = "madrid";
    QVERIFY(savegen::WriteGameFolder(cat, options, FGameFolder));

    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    // Without a language file the countries show the names the game gives them.
    QCOMPARE(form.ComboBox5->currentText(), QString("Espa\u00f1a"));
    QCOMPARE(SelectedCountryToken(form.ComboBox5), QString("Spain"));
    QStringList countries;
    for (int i = 0; i < form.ComboBox2->count(); ++i)
        countries << form.ComboBox2->itemText(i);
    QCOMPARE(countries, QStringList({"All countries", "Espa\u00f1a", "Polska"}));

    // The cities by their names, in the order the player reads them: the letter with a stroke
    // among the L, not after every plain letter.
    QVERIFY(player.Pick(form.ComboBox2, 0));
    QStringList cities;
    for (int i = 0; i < form.ComboBox3->count(); ++i)
        cities << form.ComboBox3->itemText(i);
    QCOMPARE(cities, QStringList({"A Coru\u00f1a", "\u0141\u00f3d\u017a", "Lublin", "Madrid"}));
    QVERIFY(player.Pick(form.ComboBox3, 0));
    QCOMPARE(SelectedCityToken(form.ComboBox3), QString("a_coruna"));
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QVERIFY(form.JvHTLabel1->text().contains("\"<b>A Coru\u00f1a</b>\" (Espa\u00f1a)"));

    // The job, the file and the history keep the tokens; the views show the names.
    const QString company = form.ComboBox4->currentText();
    for (int i = 0; i < form.ComboBox7->count(); ++i) {
        const TCompanyInfo *branch = player.State.Session.CompanyList().FindCompany(form.ComboBox7->itemText(i));
        if (branch && branch->OfferCount("madrid") > 0) {
            QVERIFY(player.Pick(form.ComboBox7, i));
            break;
        }
    }
    player.Answer = mrYes; // a country-bound trailer may ask first
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), 1);
    QCOMPARE(player.State.JobList.At(0)->DestinationCity(), QString("a_coruna"));
    QCOMPARE(player.State.JobList.At(0)->DestinationCountry(), QString("Spain"));
    auto *jobs = form.findChild<QTreeView *>("VST");
    QVERIFY(jobs && jobs->model());
    QCOMPARE(jobs->model()->index(0, 0).data().toString(), QString("Madrid \u00BB A Coru\u00f1a"));
    QCOMPARE(jobs->model()->index(0, 0, jobs->model()->index(0, 0)).data().toString(),
             QString("Espa\u00f1a \u00BB Espa\u00f1a"));
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QVERIFY(player.OfferWritten({"target: \"" + company + ".a_coruna\""}));
    QVERIFY(!QString::fromUtf8(FileBytes(player.GameSii())).contains(QString("Coru\u00f1a")));
    QCOMPARE(player.State.JobHistory.Count(), 1);
    QCOMPARE(player.State.JobHistory.At(0)->DestinationCity(), QString("a_coruna"));
    auto *history = form.findChild<QTreeView *>("VSTJobHistory");
    QVERIFY(history && history->model());
    QVERIFY(history->model()->index(0, 0).data().toString().contains("Madrid \u00BB A Coru\u00f1a"));
}

void TestPlayerFlow::saveTooOldForJobsIsToldSo()
{
    TPlayer player(FProgramFolder.path() + "/");
    QVERIFY(player.Start());
    const TProfileInfo *profile = player.State.Session.ProfileList().At(0);
    QByteArray old; // the offers as the game wrote them before it had trailer definitions
    for (const QByteArray &line : FileBytes(profile->GameFilePath()).split('\n'))
        if (!line.trimmed().startsWith("trailer_definition:"))
            old += line + '\n';
    QFile game(profile->GameFilePath());
    QVERIFY(game.open(QIODevice::WriteOnly | QIODevice::Truncate));
    game.write(old);
    game.close();

    QVERIFY(player.PickProfile(1));
    QCOMPARE(player.Status(),
             player.State.Texts.Format(TLangText::StatusProfileTooOldForJobs, {profile->ProfileName()}));
    QVERIFY(player.Status().contains("too old for composing jobs"));
    QCOMPARE(player.FirstCompatibleCargo(), -1);
    QVERIFY(!player.Form->Button3->isEnabled());
}

// A queued job waits across every kind of profile load and is written with the trailer chosen.
void TestPlayerFlow::queuedJobSurvivesProfileLoads_data()
{
    QTest::addColumn<QString>("load");
    QTest::newRow("reload image") << "reload";
    QTest::newRow("backup restored") << "restore";
    QTest::newRow("other profile declined") << "decline";
}

void TestPlayerFlow::queuedJobSurvivesProfileLoads()
{
    QFETCH(QString, load);
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    if (load == "restore") {
        // A backup to restore: one job saved before.
        QVERIFY(!player.AddJobWithLastTrailer().isEmpty());
        QTest::mouseClick(form.Button5, Qt::LeftButton);
        QCOMPARE(form.ComboBox11->count(), 3);
    }
    const QStringList offer = player.AddJobWithLastTrailer();
    QVERIFY(!offer.isEmpty());

    const int asked = int(player.Questions.size());
    if (load == "reload") {
        QTest::mouseClick(form.Image10, Qt::LeftButton);
    } else if (load == "restore") {
        player.Answer = mrYes;
        QVERIFY(player.Pick(form.ComboBox11, 1));
        QCOMPARE(form.ComboBox11->count(), 2); // restored and read again
    } else {
        // The jobs belong to the first profile: No keeps it, and them.
        player.Answer = mrNo;
        QVERIFY(player.Pick(form.ComboBox1, 2));
        QCOMPARE(int(player.Questions.size()), asked + 1);
        QVERIFY(player.Questions.back().Msg.contains(player.State.Session.CurrentProfile()->ProfileName()));
        QCOMPARE(form.ComboBox1->currentIndex(), 1);
        QCOMPARE(player.State.Session.CurrentProfileComboIndex(), 1);
    }
    QVERIFY(player.State.Session.IsProfileLoaded());
    QCOMPARE(player.State.JobList.Count(), 1);
    QCOMPARE(player.State.JobList.At(0)->NotSavedReason(), QString());

    QVERIFY(form.Button5->isEnabled());
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QCOMPARE(player.State.JobList.Count(), 0);
    QVERIFY2(player.Status().startsWith("1 of 1 job saved successfully."), qPrintable(player.Status()));
    QVERIFY(player.OfferWritten(offer));
}

// Yes to the question: the jobs go and the other profile is loaded; its save gets only its own jobs.
void TestPlayerFlow::otherProfileDiscardsQueuedJobs()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    const QString first = player.GameSii();
    const QByteArray firstBefore = FileBytes(first);
    QVERIFY(!player.AddJobWithLastTrailer().isEmpty());

    player.Answer = mrYes;
    QVERIFY(player.PickProfile(2));
    QCOMPARE(player.State.Session.CurrentProfileComboIndex(), 2);
    QCOMPARE(player.State.JobList.Count(), 0);
    QVERIFY(form.Panel1->isVisible());
    QVERIFY(!form.Button6->isEnabled() && !form.Button2->isEnabled());

    const QStringList offer = player.AddJobWithLastTrailer();
    QVERIFY(!offer.isEmpty());
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QVERIFY(player.OfferWritten(offer));
    QCOMPARE(FileBytes(first), firstBefore);
}

namespace {

// The game took every job offer of the job's departure branch: the save still has the branch, but
// nothing for a job to take over.
bool TakeOffersOfBranch(const QString &GameSii, const TJobListDataSummary &Job)
{
    QStringList lines = QString::fromUtf8(FileBytes(GameSii)).split("\r\n");
    const QString branch = "company : company.volatile." + Job.DepartureCompany() + "." + Job.DepartureCity() + " {";
    qsizetype at = lines.indexOf(branch);
    if (at < 0)
        return false;
    for (; at < lines.size() && !lines[at].trimmed().startsWith('}'); ++at)
        if (lines[at].trimmed().startsWith("job_offer["))
            lines[at] = lines[at].left(lines[at].indexOf(':')) + ": null";
    QFile file(GameSii);
    return file.open(QIODevice::WriteOnly) && file.write(lines.join("\r\n").toUtf8()) > 0;
}

} // namespace

// The game quick-saved after the load and the player did not reload: "Save all jobs" reads the
// newer save first and says so; a job that save cannot take stays with its reason, and a run
// that writes nothing is no success.
void TestPlayerFlow::changedSaveOnDiskIsReadAgain()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(!player.AddJobWithLastTrailer().isEmpty());
    const TJobListDataSummary *job = player.State.JobList.At(0);
    form.Timer2->stop(); // the player said No to the save watch

    // The newer save: the departure branch offers nothing any more.
    QVERIFY(TakeOffersOfBranch(player.GameSii(), *job));
    const QByteArray newer = FileBytes(player.GameSii());

    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QVERIFY2(player.Status().startsWith("Your quick save had changed since it was loaded, so it was read again "
                                        "before saving. No job was saved. Jobs not saved: 1."),
             qPrintable(player.Status()));
    QCOMPARE(FileBytes(player.GameSii()), newer);
    QCOMPARE(player.State.JobList.Count(), 1);
    QVERIFY(player.State.JobList.At(0)->NotSavedReason().contains("has no job offer"));
    // The job's own row says why.
    const QString row = form.VST->model()->index(0, 0).data().toString();
    QVERIFY2(row.contains("not saved: " + player.State.JobList.At(0)->NotSavedReason()), qPrintable(row));
    QVERIFY(form.Button5->isEnabled());
}

// A load that fails leaves no save to judge the queued jobs by: the marks the last save gave them
// go, instead of standing as if they still held.
void TestPlayerFlow::failedLoadClearsJobMarks()
{
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(!player.AddJobWithLastTrailer().isEmpty());
    form.Timer2->stop();
    QVERIFY(TakeOffersOfBranch(player.GameSii(), *player.State.JobList.At(0)));
    QTest::mouseClick(form.Image10, Qt::LeftButton);
    QVERIFY(player.State.Session.IsProfileLoaded());
    QVERIFY(player.State.JobList.At(0)->NotSavedReason().contains("has no job offer"));

    const QByteArray whole = FileBytes(player.GameSii());
    {
        QFile file(player.GameSii());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(whole.left(whole.size() / 2)); // cut off: the load refuses it
    }
    QTest::mouseClick(form.Image10, Qt::LeftButton);
    QVERIFY(!player.State.Session.IsProfileLoaded());
    QCOMPARE(player.State.JobList.Count(), 1);
    QCOMPARE(player.State.JobList.At(0)->NotSavedReason(), QString());
    const QString row = form.VST->model()->index(0, 0).data().toString();
    QVERIFY2(!row.contains("not saved:"), qPrintable(row));
}

void TestPlayerFlow::screenshot()
{
    // Only on request: the window with a profile loaded and a job queued, for a look by eye.
    const QString folder = qEnvironmentVariable("KVN_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("KVN_SCREENSHOT_DIR not set");
    TPlayer player(FProgramFolder.path() + "/");
    TFormMain &form = *player.Form;
    QVERIFY(player.Start());
    QVERIFY(player.PickProfile(1));
    QVERIFY(player.Pick(form.ComboBox8, player.FirstCompatibleCargo()));
    QTest::mouseClick(form.Image11, Qt::LeftButton);
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QTest::mouseClick(form.Image3, Qt::LeftButton);
    QTRY_VERIFY(!form.TextFader1->Active());
    QVERIFY(form.grab().save(folder + "/playerflow-job-queued.png"));
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QTRY_VERIFY(!form.TextFader1->Active());
    QVERIFY(form.grab().save(folder + "/playerflow-jobs-saved.png"));
}

QTEST_MAIN(TestPlayerFlow)
#include "test_playerflow.moc"
