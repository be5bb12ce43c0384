// The game's profiles: one TProfileInfo per profile folder found in any of the game's places.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace kvn {

class TSiiDecrypter;

class TProfileInfo {
public:
    TProfileInfo() = default;

    const QString &ProfileName() const { return FProfileName; }
    void SetProfileName(const QString &V) { FProfileName = V; }
    const QString &ProfileID() const { return FProfileID; }
    void SetProfileID(const QString &V) { FProfileID = V; }
    const QString &CompanyName() const { return FCompanyName; }
    void SetCompanyName(const QString &V) { FCompanyName = V; }
    // Both paths end in "/".
    const QString &ProfilePath() const { return FProfilePath; }
    void SetProfilePath(const QString &V) { FProfilePath = V; }
    const QString &QuickSavePath() const { return FQuickSavePath; }
    void SetQuickSavePath(const QString &V) { FQuickSavePath = V; }
    // Last write time of the quick-save's game.sii in seconds since 1970 (local clock); 0 = unknown.
    std::int64_t GameFileLastWriteTime() const { return FGameFileLastWriteTime; }
    void SetGameFileLastWriteTime(std::int64_t V) { FGameFileLastWriteTime = V; }
    // The game folder the profile was found in (Documents, Proton prefix, Steam Cloud ...).
    const QString &GameFolder() const { return FGameFolder; }
    void SetGameFolder(const QString &V) { FGameFolder = V; }

    QString GameFilePath() const { return FQuickSavePath + QStringLiteral("game.sii"); }

private:
    QString FProfileName;
    QString FProfileID;
    QString FCompanyName;
    QString FProfilePath;
    QString FQuickSavePath;
    std::int64_t FGameFileLastWriteTime = 0;
    QString FGameFolder;
};

// Owns the profiles of the last search, in the order they were found.
class TProfileList {
public:
    int Count() const { return int(FItems.size()); }
    TProfileInfo *At(int Index) const { return Index >= 0 && Index < Count() ? FItems[size_t(Index)].get() : nullptr; }
    void Clear() { FItems.clear(); }
    TProfileInfo *Append(std::unique_ptr<TProfileInfo> Profile)
    {
        FItems.push_back(std::move(Profile));
        return FItems.back().get();
    }
    // Lists each profile (by its folder name) once: the copy with the newest quick-save, at the
    // place of the first copy.
    void KeepNewestCopies();

private:
    std::vector<std::unique_ptr<TProfileInfo>> FItems;
};

// The names read from a profile.sii: the company name comes before the profile name; reading stops
// at the first "profile_name: " line. Either may be written bare or in quotes; both are kept as the
// player reads them (escapes decoded, control characters dropped).
struct TProfileNames {
    bool HasProfileName = false;
    QString ProfileName;
    QString CompanyName;
};
TProfileNames ReadProfileNames(const QStringList &Lines);

struct TProfileSearchResult {
    int Count = 0;
    bool GameFolderExists = false; // any of the game's places exists
    QString GameDocumentsFolder;   // the first existing place, or the first candidate when none exists
};

// Lists the profiles of every place (GameFolderCandidates, or Places when given, in that order;
// in each its "profiles/" and then its "steam_profiles/") into List, each profile once (see
// KeepNewestCopies). Creates a missing quick-save folder of a listed profile, as the game expects it.
TProfileSearchResult ListProfiles(TProfileList &List, const TSiiDecrypter &Decrypter, const QStringList &Places = {});

// Where a profile lives, for the player: the folder holding its profile folder, the home folder
// written as "~" outside Windows.
QString ProfileLocationText(const TProfileInfo &Profile);

// The number of profiles in List.
inline int ProfileCount(const TProfileList &List)
{
    return List.Count();
}

// Language key of the profile label after a search: none, one, several ("%d" argument) profiles.
const char *ProfileCountLabelKey(int Count);
// Language key of the start-up status after a search.
const char *ProfileSearchStatusKey(const TProfileSearchResult &Result);
// Language key of the status when the game's folder was not found, in this platform's words.
const char *NoGameFolderStatusKey();

} // namespace kvn
