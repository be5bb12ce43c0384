#include "ui/versioninfo.h"

namespace kvn {

namespace {
const QString kAuthorCredit = QStringLiteral("the Kestrovan developers");
}

QString ProgramFileVersion()
{
#ifdef KVN_VERSION
    return QStringLiteral(KVN_VERSION);
#else
    return QString();
#endif
}

QString ReadVersionInfoValue(const QString &FileVersion, const QString &Key, bool KeepFull)
{
    if (FileVersion.isEmpty())
        return QString();
    const qsizetype lastDot = FileVersion.lastIndexOf(u'.');
    if (Key == QLatin1String("Build"))
        return lastDot < 0 ? FileVersion : FileVersion.mid(lastDot + 1);
    if (Key == QLatin1String("FileVersion")) {
        if (KeepFull)
            return FileVersion;
        return lastDot < 0 ? QString() : FileVersion.left(lastDot);
    }
    return FileVersion;
}

bool GetAppVersionInfo(const QString &FileVersion, TAppVersionInfo &Info)
{
    Info = TAppVersionInfo();
    QString v = ReadVersionInfoValue(FileVersion, QStringLiteral("FileVersion"), false);
    const qsizetype firstDot = v.indexOf(u'.');
    if (firstDot < 0)
        return false;
    v = v.mid(firstDot + 1).trimmed();
    const qsizetype monthDot = v.indexOf(u'.');
    if (monthDot < 0)
        return false;
    bool monthOk = false;
    const int month = v.mid(monthDot + 1).toInt(&monthOk);
    if (!monthOk)
        return false;
    TAppVersionInfo result;
    result.sYear = v.left(monthDot);
    result.sMonth = QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    result.sBuild = ReadVersionInfoValue(FileVersion, QStringLiteral("Build"), false);
    result.sVersion = result.sYear + u'.' + result.sMonth;
    result.sVersionClean = result.sVersion + u'.' + result.sBuild;
    Info = result;
    return true;
}

QString AppVersionText(const QString &FileVersion)
{
    TAppVersionInfo info;
    if (!GetAppVersionInfo(FileVersion, info))
        return QString();
    if (info.sBuild.isEmpty())
        return info.sVersion;
    return info.sVersion + QStringLiteral(" Build ") + info.sBuild;
}

QString MainWindowCaption(const QString &FileVersion, const QString &GameVersion, const QString &Source)
{
    return QStringLiteral("Kestrovan ") + AppVersionText(FileVersion).trimmed() + QStringLiteral(" - by ") +
           kAuthorCredit + QStringLiteral(" [ETS2 v") + GameVersion +
           (Source.isEmpty() ? QString() : QStringLiteral(", ") + Source) + u']';
}

} // namespace kvn
