#include "savegame/profiles.h"

#include "savegame/gamefolders.h"
#include "savegame/siidecryption.h"
#include "savegame/siitext.h"
#include "shared/files.h"
#include "shared/strings.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

namespace kvn {

namespace {

// "key: value" with exactly one colon gives the value; anything else gives nothing.
bool SingleColonValue(const QString &Line, QString &Value)
{
    const QStringList fields = Explode(QStringLiteral(":"), Line);
    if (fields.size() != 2)
        return false;
    Value = TrimControl(fields.at(1));
    return true;
}

} // namespace

TProfileNames ReadProfileNames(const QStringList &Lines)
{
    TProfileNames names;
    for (const QString &line : Lines) {
        if (TrimmedStartsWith(line, u"company_name: ")) {
            QString value;
            if (SingleColonValue(line, value))
                names.CompanyName = ShownSiiText(Unquote(value));
        } else if (TrimmedStartsWith(line, u"profile_name: ")) {
            QString value;
            if (SingleColonValue(line, value)) {
                names.HasProfileName = true;
                names.ProfileName =
                    ShownSiiText(Unquote(ReplaceString(value, QStringLiteral("\\x16"), QString(), rfReplaceAll)));
            }
            break;
        }
    }
    return names;
}

namespace {

// Lists the profile folders of one container folder ("profiles/" or "steam_profiles/" of Place).
// Scratch is where encrypted profile files are decoded.
void AppendProfilesOf(TProfileList &List, const TSiiDecrypter &Decrypter, const QString &Scratch, const QString &Place,
                      const QString &ProfilesFolder)
{
    for (const QString &folder : ListSubFolders(ProfilesFolder)) {
        const QString profilePath = ProfilesFolder + folder;
        const QString profileSii = profilePath + QStringLiteral("profile.sii");
        QStringList lines;
        TSiiTextForm form;
        if (!ReadSiiFile(profileSii, lines, form).ok() || lines.isEmpty())
            continue;
        // Listing only reads: an encrypted profile.sii is decoded in a copy and stays as the
        // game wrote it.
        QString readable;
        if (IsReadable(Decrypter.DecryptCopy(profileSii, Scratch, readable)) && readable != profileSii &&
            !ReadSiiFile(readable, lines, form).ok())
            continue;
        const TProfileNames names = ReadProfileNames(lines);
        if (!names.HasProfileName)
            continue;
        const QString quickSave = profilePath + QStringLiteral("save/quicksave/");
        QDir().mkpath(quickSave); // a failure here is harmless: the load reports the missing save
        auto profile = std::make_unique<TProfileInfo>();
        profile->SetProfileID(folder.chopped(1));
        profile->SetProfileName(names.ProfileName);
        profile->SetCompanyName(names.CompanyName);
        profile->SetProfilePath(profilePath);
        profile->SetQuickSavePath(quickSave);
        profile->SetGameFolder(Place);
        List.Append(std::move(profile));
    }
}

} // namespace

TProfileSearchResult ListProfiles(TProfileList &List, const TSiiDecrypter &Decrypter, const QStringList &Places)
{
    TProfileSearchResult result;
    List.Clear();
    const QStringList places = Places.isEmpty() ? GameFolderCandidates() : Places;
    const QTemporaryDir scratch;
    for (const QString &place : places) {
        if (!IsExistingFolder(place))
            continue;
        if (!result.GameFolderExists) {
            result.GameFolderExists = true;
            result.GameDocumentsFolder = place;
        }
        for (const QString &container : kProfileContainerFolders)
            if (IsExistingFolder(place + container))
                AppendProfilesOf(List, Decrypter, scratch.path(), place, place + container);
    }
    List.KeepNewestCopies();
    if (!result.GameFolderExists && !places.isEmpty())
        result.GameDocumentsFolder = places.first();
    result.Count = List.Count();
    return result;
}

void TProfileList::KeepNewestCopies()
{
    // The same profile (its folder name) in several places, e.g. in "profiles/" and synced by
    // Steam Cloud: the copy with the newest quick-save is the one the player plays, and takes the
    // place of the first copy found.
    std::vector<std::unique_ptr<TProfileInfo>> kept;
    QHash<QString, std::size_t> byID;
    for (auto &profile : FItems) {
        const auto it = byID.constFind(profile->ProfileID());
        if (it == byID.cend()) {
            byID.insert(profile->ProfileID(), kept.size());
            kept.push_back(std::move(profile));
        } else if (FileLastWriteTime(profile->GameFilePath()) > FileLastWriteTime(kept[*it]->GameFilePath())) {
            kept[*it] = std::move(profile);
        }
    }
    FItems = std::move(kept);
}

QString ProfileLocationText(const TProfileInfo &Profile)
{
    if (Profile.ProfilePath().isEmpty())
        return {};
    QString folder = QFileInfo(QDir::cleanPath(Profile.ProfilePath())).path();
    const QString home = QDir::homePath();
#ifndef Q_OS_WIN
    if (folder == home || folder.startsWith(home + u'/'))
        folder = u'~' + folder.mid(home.size());
#endif
    return QDir::toNativeSeparators(folder);
}

const char *ProfileCountLabelKey(int Count)
{
    if (Count <= 0)
        return "label-no-profile-loaded";
    return Count == 1 ? "label-profile-found" : "label-profiles-found";
}

const char *ProfileSearchStatusKey(const TProfileSearchResult &Result)
{
    if (Result.Count > 0)
        return "status-profiles-and-meta-loaded";
    return Result.GameFolderExists ? "status-no-profiles-found" : NoGameFolderStatusKey();
}

const char *NoGameFolderStatusKey()
{
#ifdef Q_OS_WIN
    return "status-no-game-directory-found";
#else
    // The game's folder is not in a documents folder here; the text says where it was looked for.
    return "status-no-game-directory-found-linux";
#endif
}

} // namespace kvn
