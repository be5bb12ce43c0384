// The program's version as the window caption shows it.
#pragma once

#include <QString>

namespace kvn {

// The parts of a file version major.year.month.build that the caption uses.
struct TAppVersionInfo {
    QString sYear;
    QString sMonth;
    QString sVersion;      // year.month, month with two digits
    QString sVersionClean; // year.month.build
    QString sBuild;
};

// The program's file version, major.year.month.build, as set by the build.
QString ProgramFileVersion();

// Reads one value of a file version string the way the caption needs it:
// "Build" gives the last component, "FileVersion" drops it (unless KeepFull),
// any other key gives the value unchanged. Empty for an empty version.
QString ReadVersionInfoValue(const QString &FileVersion, const QString &Key, bool KeepFull);

// Fills the version parts; false (and every part empty) when the version is not of the form
// major.year.month[.build] with a numeric month.
bool GetAppVersionInfo(const QString &FileVersion, TAppVersionInfo &Info);

// "26.12 Build 1", "26.12" without a build, empty when the version is unusable.
QString AppVersionText(const QString &FileVersion);

// "Kestrovan <version> - by <credit> [ETS2 v<game version>]", with ", <source>" before the "]" when
// the catalogue's source is known.
QString MainWindowCaption(const QString &FileVersion, const QString &GameVersion, const QString &Source = QString());

} // namespace kvn
