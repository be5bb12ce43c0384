#include "jobs/gamefoldersetting.h"

#include "shared/inifile.h"

#include <QFileInfo>

namespace kvn {

namespace {

const QString &kSection = kGameFolderSection;
const QString kKey = QStringLiteral("install-folder");

} // namespace

QString ReadPlayerGameFolder(const QString &Folder)
{
    const TMemIniFile ini(RandomiserSettingsPath(Folder), true);
    return ini.ReadString(kSection, kKey, QString()).trimmed();
}

TSettingsWriteResult WritePlayerGameFolder(const QString &Folder, const QString &GameFolder)
{
    TMemIniFile ini(RandomiserSettingsPath(Folder));
    TSettingsWriteResult result;
    if (!ini.IsOpened() && QFileInfo::exists(ini.FileName())) {
        // The randomiser options rewrite a damaged file; this one value is not worth losing them for.
        result.Ok = false;
        result.Error = ini.LastError();
        return result;
    }
    const QString value = GameFolder.trimmed();
    const bool present = ini.ValueExists(kSection, kKey);
    if (value.isEmpty() ? !present : present && ini.ReadString(kSection, kKey, QString()) == value)
        return result; // nothing to write
    if (value.isEmpty()) {
        ini.DeleteKey(kSection, kKey);
        if (ini.ReadSection(kSection).isEmpty())
            ini.EraseSection(kSection);
    } else {
        ini.WriteString(kSection, kKey, value);
    }
    result.Ok = ini.UpdateFile() && !ini.LastSaveFailed();
    if (!result.Ok)
        result.Error = ini.LastError();
    return result;
}

} // namespace kvn
