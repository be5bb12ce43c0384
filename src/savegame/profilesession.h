// The profile session: the profiles found, the loaded profile with its save lines, game time, last
// visited city and companies, and the load that produces them. Held once by the program; the window
// talks to it and shows what the results say.
#pragma once

#include "catalogue/catalogue.h"
#include "savegame/companies.h"
#include "savegame/gamesavelines.h"
#include "savegame/profiles.h"
#include "savegame/programcatalogue.h"
#include "savegame/savefingerprint.h"
#include "savegame/savegamecargos.h"
#include "savegame/savesread.h"
#include "savegame/savestructure.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace kvn {

class TLanguageTexts;

class TSiiDecrypter;
class TGetUnkownDistances;

enum class TProfileLoadStatus : std::uint8_t {
    Loaded,
    Ignored,           // a load is already running
    NoProfileSelected, // entry 0 or an index outside the list
    NoQuickSave,
    DecrypterNotStarted,
    NotDecoded, // the decrypter ran but the save is still not plain text
    ReadFailed, // the save could not be read (or is far too large)
    Damaged,    // cut off or broken (see Structure); nothing of it is offered
    // The save is not plain text and its bytes could not be kept as a backup: it was not converted.
    OriginalNotKept,
};

struct TProfileLoadResult {
    TProfileLoadStatus Status = TProfileLoadStatus::NoProfileSelected;
    // The fader text after the load: the success text, an error text, or empty.
    QString StatusText;
    TSaveStructureCheck Structure; // what is wrong with a Damaged save
    // The backup that holds the save as the game wrote it, when this load converted it to text.
    QString OriginalBackup;
    // Why a backup of the original form could not be made (OriginalNotKept).
    QString Error;
    // Loaded, but the save predates trailer definitions: nothing can be composed from it.
    bool SaveTooOldForJobs = false;
    // What reading the game with the profile's mods did (nothing without TProfileLoadContext::GameRead).
    TProfileModsResult Mods;
    bool Loaded() const { return Status == TProfileLoadStatus::Loaded; }
};

// What a load needs besides the session.
struct TProfileLoadContext {
    TCatalogue &Catalogue;
    const TSiiDecrypter &Decrypter;
    ICountryListSink *CountryLists = nullptr; // the window's two country lists
    ICargoListSink *CargoList = nullptr;      // the window's cargo list
    bool StartLearner = true;                 // start the distance learner after a load
    const TLanguageTexts *Texts = nullptr;    // the player's texts; null gives English
    // Set: a catalogue read from the installed game is read again with the profile's active mods.
    const TProgramCatalogueRequest *GameRead = nullptr;
};

// Game time and last visited city of a save; GameTime is 0 and the city empty when missing.
struct TGameTimeAndCity {
    int GameTime = 0;
    QString LastVisitedCity;
};
TGameTimeAndCity ReadGameTimeAndLastCity(const QStringList &Lines);

// Last write time of a file in whole seconds since 1970 on the local clock; a missing file counts as
// a time long past.
std::int64_t FileLastWriteSeconds(const QString &Path);

// What a finished learner run did.
struct TLearnerOutcome {
    TSaveUserDistancesResult Saved;
    TSavesLearning Learning;
};

class TProfileSession {
public:
    TProfileSession();
    ~TProfileSession();
    TProfileSession(const TProfileSession &) = delete;
    TProfileSession &operator=(const TProfileSession &) = delete;

    TProfileList &ProfileList() { return FProfileList; }
    const TProfileList &ProfileList() const { return FProfileList; }

    TProfileInfo *CurrentProfile() const { return FCurrentProfile; }
    bool IsProfileLoaded() const { return FCurrentProfile != nullptr; }
    bool IsProfileLoadRunning() const { return FLoadRunning; }

    const TGameSaveLines &SaveLines() const { return FGameSaveLines; }
    TGameSaveLines &SaveLines() { return FGameSaveLines; }
    int GameTime() const { return FGameTime; }
    const QString &LastVisitedCity() const { return FLastVisitedCity; }
    const TCompanyList &CompanyList() const { return FCompanyList; }

    // Loads the profile of the profile list's entry ComboIndex (entry 0 is the "select a profile"
    // line, so profile k is entry k + 1). Runs on the main thread.
    TProfileLoadResult LoadProfile(int ComboIndex, TProfileLoadContext &Context);
    // Forgets the loaded profile and its save and stops the learner. Call it before a new profile
    // search, which frees the profiles the session points into.
    void Unload();
    // The profile list entry of the loaded profile (profile k is entry k + 1), 0 when none is loaded:
    // what Reload selects again.
    int CurrentProfileComboIndex() const;

    // The save watch: the quick-save was written after the time recorded at the load (or by our
    // own writer through RecordQuickSaveTime).
    bool QuickSaveChanged() const;
    void RecordQuickSaveTime();

    // True when game.sii on disk still has the size, time and bytes of the loaded (or last written)
    // file; false without a loaded profile. Reads the whole file.
    bool QuickSaveStillAsLoaded() const;
    // After our own write: the file on disk is the lines in memory again.
    void RecordWrittenQuickSave();

    // The folder "Open profile in Explorer" opens; empty when no profile is loaded.
    QString ProfileFolderToOpen() const;

    // The distance learner of the loaded save.
    void StopUnknownDistancesThread();
    TGetUnkownDistances *UnknownDistancesThread() const { return FLearner.get(); }
    // How far the learner got with the player's saves (the last one, when it was stopped).
    TSavesLearning SavesLearning() const;
    // Called on the main thread when the learner has swapped in a new distance table, so that the
    // profile's deactivation marks can be applied again.
    std::function<void()> OnDistancesLearned;
    // Called on the main thread when a learner run has ended by itself (not when it was stopped):
    // whether the learnt distances were kept on disk, and how far it got with the player's saves.
    std::function<void(const TLearnerOutcome &)> OnLearnerFinished;

private:
    void StartUnknownDistancesThread(TProfileLoadContext &Context);

    TProfileList FProfileList;
    TProfileInfo *FCurrentProfile = nullptr;
    bool FLoadRunning = false;
    TGameSaveLines FGameSaveLines;
    TSaveFingerprint FLoadedQuickSave;
    int FGameTime = 0;
    QString FLastVisitedCity;
    TCompanyList FCompanyList;
    std::unique_ptr<TGetUnkownDistances> FLearner;
    TSavesLearning FLastLearning;
};

} // namespace kvn
