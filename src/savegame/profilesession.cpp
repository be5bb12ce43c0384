#include "savegame/profilesession.h"

#include "lang/defaultlanguage.h"
#include "lang/languages.h"
#include "lang/textformat.h"
#include "savegame/backup.h"
#include "savegame/saveinspection.h"
#include "savegame/siidecryption.h"
#include "savegame/unknowndistances.h"
#include "shared/files.h"
#include "shared/strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>

namespace kvn {

namespace {

// How often a load reads a quick-save that the game keeps changing while it is read.
constexpr int kReadAttempts = 3;

QString Quoted(const QString &Name)
{
    return QLatin1Char('"') + Name + QLatin1Char('"');
}

// Marks every distance whose two cities are not both in the profile's city set, as the load does;
// used again after the learner swapped in a rebuilt table.
void ApplyProfileMarks(const TDistanceTable &Table, const TCountries &Countries)
{
    for (const TDistanceData &entry : Table.Entries())
        if (!Countries.CityInSetIgnoringCase(entry.Departure()) ||
            !Countries.CityInSetIgnoringCase(entry.Destination()))
            entry.SetItemDeactivatedForProfile(true);
}

// The decrypter replaces the save with its text. The bytes the game wrote are kept first, as a
// backup of their own, so that the player can always go back to them.
TBackupResult KeepOriginalForm(const TProfileInfo &Profile, const QString &Game, const TLanguageTexts *Texts)
{
    if (!IsSiiFileEncrypted(Game)) {
        TBackupResult nothingToKeep;
        nothingToKeep.Ok = true;
        return nothingToKeep;
    }
    return BackupOriginalForm(Profile, Game, SiiFileForm(Game), QDateTime::currentDateTime(), Texts);
}

// A decrypter that did not change the save leaves a second copy of the same bytes: not worth a
// place in the restore list.
void DropUnneededOriginal(const TProfileInfo &Profile, const QString &Game, QString &Backup)
{
    if (Backup.isEmpty() || !FilesHaveSameBytes(Game, Backup))
        return;
    QFile::remove(Backup);
    Backup.clear();
    QDir().rmdir(BackupFolder(Profile)); // only when nothing else is in it
}

} // namespace

TGameTimeAndCity ReadGameTimeAndLastCity(const QStringList &Lines)
{
    TGameTimeAndCity found;
    bool haveTime = false;
    bool haveCity = false;
    for (const QString &line : Lines) {
        if (!haveTime && TrimmedStartsWith(line, u"game_time")) {
            const QStringList fields = Explode(QStringLiteral(": "), TrimmedView(line).toString());
            found.GameTime = ToIntDefault(fields.value(1), 600);
            haveTime = true;
        }
        if (!haveCity && TrimmedStartsWith(line, u"last_visited_city:")) {
            const QStringList fields = Explode(QStringLiteral(": "), TrimmedView(line).toString());
            found.LastVisitedCity = TrimControl(Unquote(TrimControl(fields.value(1))));
            haveCity = true;
        }
        if (haveTime && haveCity)
            break;
    }
    return found;
}

std::int64_t FileLastWriteSeconds(const QString &Path)
{
    const double value = FileLastWriteTime(Path);
    if (value == 0)
        return std::numeric_limits<std::int64_t>::min() / 2;
    return std::llround(double(DateTimeToUnixValue(value)));
}

TProfileSession::TProfileSession() = default;

TProfileSession::~TProfileSession()
{
    StopUnknownDistancesThread();
}

void TProfileSession::Unload()
{
    StopUnknownDistancesThread();
    FCurrentProfile = nullptr;
    FGameSaveLines.Clear();
    FLoadedQuickSave = TSaveFingerprint();
    FCompanyList.Clear();
    FGameTime = 0;
    FLastVisitedCity.clear();
}

int TProfileSession::CurrentProfileComboIndex() const
{
    for (int i = 0; i < FProfileList.Count(); ++i)
        if (FProfileList.At(i) == FCurrentProfile)
            return i + 1;
    return 0;
}

TProfileLoadResult TProfileSession::LoadProfile(int ComboIndex, TProfileLoadContext &Context)
{
    TProfileLoadResult result;
    if (FLoadRunning) {
        result.Status = TProfileLoadStatus::Ignored;
        return result;
    }
    FLoadRunning = true;
    FCurrentProfile = nullptr;
    // The learner reads the previous save; it never outlives the profile it was started for.
    StopUnknownDistancesThread();

    const int count = FProfileList.Count();
    if (count > 0 && ComboIndex > 0 && ComboIndex <= count) {
        TProfileInfo *profile = FProfileList.At(ComboIndex - 1);
        const QString game = profile->GameFilePath();
        if (!IsExistingFile(game)) {
            result.Status = TProfileLoadStatus::NoQuickSave;
            result.StatusText = QStringLiteral("Error: no quick save files have been found for the profile ") +
                                Quoted(profile->ProfileName());
        } else if (const TBackupResult kept = KeepOriginalForm(*profile, game, Context.Texts); !kept.Ok) {
            result.Status = TProfileLoadStatus::OriginalNotKept;
            result.Error = kept.Error;
            result.StatusText = TextOrEnglish(Context.Texts, TLangText::StatusProfileOriginalNotKept,
                                              {profile->ProfileName(), kept.Error});
        } else {
            const TSiiDecryptStatus decrypted = Context.Decrypter.DecryptSiiFile(game);
            result.OriginalBackup = kept.BackupPath;
            DropUnneededOriginal(*profile, game, result.OriginalBackup);
            if (decrypted == TSiiDecryptStatus::StartFailed) {
                result.Status = TProfileLoadStatus::DecrypterNotStarted;
                result.StatusText =
                    QStringLiteral("No profile loaded. Windows Security Warning dialogue cancelled by user");
            } else if (decrypted == TSiiDecryptStatus::NotDecoded) {
                result.Status = TProfileLoadStatus::NotDecoded;
                result.StatusText = QStringLiteral("No profile loaded. The quick save of the profile ") +
                                    Quoted(profile->ProfileName()) + QStringLiteral(" could not be decoded");
            } else {
                profile->SetGameFileLastWriteTime(FileLastWriteSeconds(game));
                FGameSaveLines.Clear(); // the previous save goes before the next one comes in
                FLoadedQuickSave = TSaveFingerprint();
                TGameSaveLines lines;
                bool read = false;
                // The game may quick-save while the file is read: the fingerprint must describe the
                // bytes the lines came from, so a file that changed meanwhile is read again.
                for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
                    const TSaveFingerprint before = SaveSizeAndTime(game);
                    read = lines.LoadFromFile(game).ok() && !lines.IsEmpty();
                    if (!read)
                        break;
                    FLoadedQuickSave = TakeSaveFingerprint(game);
                    if (FLoadedQuickSave.IsValid() && FLoadedQuickSave.SameSizeAndTime(before))
                        break;
                }
                if (read)
                    profile->SetGameFileLastWriteTime(FileLastWriteSeconds(game));
                if (!read) {
                    result.Status = TProfileLoadStatus::ReadFailed;
                    result.StatusText = QStringLiteral("No profile loaded. The quick save of the profile ") +
                                        Quoted(profile->ProfileName()) + QStringLiteral(" could not be read");
                } else if (const TSaveStructureCheck check = CheckSaveStructure(lines.Lines()); !check.Ok()) {
                    result.Status = TProfileLoadStatus::Damaged;
                    result.Structure = check;
                    result.StatusText = QStringLiteral("No profile loaded. The quick save of the profile ") +
                                        Quoted(profile->ProfileName()) + QStringLiteral(" is incomplete or damaged: ") +
                                        DescribeSaveFault(check, nullptr);
                } else {
                    FGameSaveLines = std::move(lines);
                    const TGameTimeAndCity timeAndCity = ReadGameTimeAndLastCity(FGameSaveLines.Lines());
                    FGameTime = timeAndCity.GameTime;
                    FLastVisitedCity = timeAndCity.LastVisitedCity;
                    TCatalogue &catalogue = Context.Catalogue;
                    // The profile's mods may add cities, cargos and trailers the save offers.
                    if (Context.GameRead)
                        result.Mods = UseProfileMods(catalogue, *Context.GameRead, profile->ProfilePath());
                    catalogue.Distances.ResetDistanceDeactivation();
                    const std::shared_ptr<const TDistanceTable> table = catalogue.Distances.Snapshot();
                    if (catalogue.CityLines.isEmpty())
                        catalogue.Countries.LoadCountriesToDataClasses(FGameSaveLines.Lines(), table.get(),
                                                                       Context.CountryLists);
                    else
                        catalogue.Countries.LoadCountriesToDataClasses(FGameSaveLines.Lines(), catalogue.CityLines,
                                                                       table.get(), Context.CountryLists);
                    LoadCargosFromGameFileToClasses(FGameSaveLines, catalogue.CargoInfoList,
                                                    catalogue.TrailerDefinitionDataList, Context.CargoList);
                    LoadCompaniesFromGameFile(FGameSaveLines, FCompanyList);
                    FCurrentProfile = profile;
                    if (Context.StartLearner)
                        StartUnknownDistancesThread(Context);
                    result.Status = TProfileLoadStatus::Loaded;
                    result.SaveTooOldForJobs = OffersNameNoTrailers(FGameSaveLines);
                    result.StatusText = result.SaveTooOldForJobs
                                            ? TextOrEnglish(Context.Texts, TLangText::StatusProfileTooOldForJobs,
                                                            {profile->ProfileName()})
                                            : QStringLiteral("Profile ") + Quoted(profile->ProfileName()) +
                                                  QStringLiteral(" loaded successfully");
                }
            }
        }
    }
    if (!FCurrentProfile) {
        // Nothing of a failed or earlier load may be offered for the profile now selected.
        FGameSaveLines.Clear();
        FLoadedQuickSave = TSaveFingerprint();
        FCompanyList.Clear();
        FGameTime = 0;
        FLastVisitedCity.clear();
    }
    FLoadRunning = false;
    return result;
}

bool TProfileSession::QuickSaveChanged() const
{
    if (!FCurrentProfile)
        return false;
    return FileLastWriteSeconds(FCurrentProfile->GameFilePath()) > FCurrentProfile->GameFileLastWriteTime();
}

void TProfileSession::RecordQuickSaveTime()
{
    if (FCurrentProfile)
        FCurrentProfile->SetGameFileLastWriteTime(FileLastWriteSeconds(FCurrentProfile->GameFilePath()));
}

bool TProfileSession::QuickSaveStillAsLoaded() const
{
    if (!FCurrentProfile || !FLoadedQuickSave.IsValid())
        return false;
    const QString game = FCurrentProfile->GameFilePath();
    // Size and time first: a quick-save of the game nearly always changes them, and they cost no read.
    return SaveSizeAndTime(game).SameSizeAndTime(FLoadedQuickSave) && TakeSaveFingerprint(game) == FLoadedQuickSave;
}

void TProfileSession::RecordWrittenQuickSave()
{
    if (!FCurrentProfile)
        return;
    FLoadedQuickSave = TakeSaveFingerprint(FCurrentProfile->GameFilePath());
    RecordQuickSaveTime();
}

QString TProfileSession::ProfileFolderToOpen() const
{
    return FCurrentProfile ? FCurrentProfile->ProfilePath() : QString();
}

TSavesLearning TProfileSession::SavesLearning() const
{
    return FLearner ? FLearner->Learning() : FLastLearning;
}

void TProfileSession::StopUnknownDistancesThread()
{
    if (!FLearner)
        return;
    FLearner->RequestStop();
    FLearner->wait();
    FLastLearning = FLearner->Learning();
    FLearner.reset();
}

void TProfileSession::StartUnknownDistancesThread(TProfileLoadContext &Context)
{
    StopUnknownDistancesThread();
    TCatalogue *catalogue = &Context.Catalogue;
    // After the loaded save, every profile's other saves (autosaves, numbered saves) teach too.
    TOtherSaves others;
    for (int i = 0; i < FProfileList.Count(); ++i)
        others.ProfileFolders << FProfileList.At(i)->ProfilePath();
    if (FCurrentProfile)
        others.LoadedSave = FCurrentProfile->GameFilePath();
    others.DecrypterFolder = QFileInfo(Context.Decrypter.DecrypterPath()).path();
    FLearner = std::make_unique<TGetUnkownDistances>(FGameSaveLines, catalogue->Distances, std::move(others));
    // Delivered on the main thread (the thread object lives there), after the table was swapped.
    QObject::connect(FLearner.get(), &TGetUnkownDistances::DistancesLearned, FLearner.get(), [this, catalogue](int) {
        if (const auto table = catalogue->Distances.Snapshot())
            ApplyProfileMarks(*table, catalogue->Countries);
        if (OnDistancesLearned)
            OnDistancesLearned();
    });
    // Connected before the start, so that even a save learnt at once is reported. A stopped run
    // is not: it belongs to a load that is being replaced or a window that is closing.
    TGetUnkownDistances *learner = FLearner.get();
    QObject::connect(learner, &QThread::finished, learner, [this, learner] {
        if (!learner->StopRequested() && OnLearnerFinished)
            OnLearnerFinished({learner->SaveResult(), learner->Learning()});
    });
    FLearner->start();
}

} // namespace kvn
