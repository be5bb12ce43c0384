#include "jobs/randomiseroptions.h"

#include "shared/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>

namespace kvn {

namespace {

const QString kSection = QStringLiteral("settings");

// A field that accepts digits only can never hold a negative number.
int NotNegative(int Value)
{
    return std::max(Value, 0);
}

int WithinAdrClasses(int Value)
{
    return std::clamp(Value, kMinAdrClass, kMaxAdrClass);
}

} // namespace

QString RandomiserSettingsPath(const QString &Folder)
{
    return QDir(Folder).filePath(RandomiserSettingsFileName());
}

TRandomiserOptions OptionsFromSettings(const TRandomiserSettings &Settings)
{
    TRandomiserOptions options;
    options.GetMaxPossibleTour = Settings.MaxTourChecked;
    options.MinDistanceActive = Settings.MinDistanceChecked && !Settings.MaxTourChecked;
    options.MinDistance = NotNegative(Settings.MinDistance);
    options.MinWeightActive = Settings.MinWeightChecked;
    options.MinWeight = NotNegative(Settings.MinWeight);
    options.ValuableActive = Settings.ValuableChecked;
    options.FragileActive = Settings.FragileChecked;
    options.AdrActive = Settings.AdrChecked;
    options.AdrClass = WithinAdrClasses(Settings.AdrClass);
    options.PreviousAdrClass = options.AdrClass;
    return options;
}

int NumberFieldValue(const QString &Text)
{
    bool ok = false;
    const int value = Text.trimmed().toInt(&ok, 10);
    return ok ? NotNegative(value) : 0;
}

int ChangeAdrClass(TRandomiserOptions &Options, int Value)
{
    int shown = WithinAdrClasses(Value);
    // The direction is judged against the class in force, so that a class typed in (not
    // stepped to) still lets the next step go either way.
    if (shown == 5 || shown == 7) {
        if (shown > Options.AdrClass)
            ++shown;
        else if (shown < Options.AdrClass)
            --shown;
    }
    Options.PreviousAdrClass = Options.AdrClass;
    Options.AdrClass = shown;
    return shown;
}

TRandomiserSettings ReadRandomiserSettings(const QString &Folder)
{
    const TMemIniFile ini(RandomiserSettingsPath(Folder), true);
    TRandomiserSettings settings;
    settings.MinDistanceChecked = ini.ReadBool(kSection, QStringLiteral("min-distance-active"), false);
    settings.MinDistance = NotNegative(ini.ReadInteger(kSection, QStringLiteral("min-distance"), 0));
    settings.MaxTourChecked = ini.ReadBool(kSection, QStringLiteral("min-distance-get-max-possible"), false);
    settings.MinWeightChecked = ini.ReadBool(kSection, QStringLiteral("min-weight-active"), false);
    settings.MinWeight = NotNegative(ini.ReadInteger(kSection, QStringLiteral("min-weight"), 0));
    settings.ValuableChecked = ini.ReadBool(kSection, QStringLiteral("valuable-active"), false);
    settings.FragileChecked = ini.ReadBool(kSection, QStringLiteral("fragile-active"), false);
    settings.AdrChecked = ini.ReadBool(kSection, QStringLiteral("adr-active"), false);
    settings.AdrClass = WithinAdrClasses(ini.ReadInteger(kSection, QStringLiteral("adr-class"), 1));
    return settings;
}

TSettingsWriteResult WriteRandomiserSettings(const QString &Folder, const TRandomiserSettings &Settings)
{
    const QString path = RandomiserSettingsPath(Folder);
    auto ini = std::make_unique<TMemIniFile>(path);
    if (!ini->IsOpened() && QFileInfo(path).isFile()) {
        // A file of ours that cannot be read (damaged, far too large) would block every later
        // save; it holds nothing worth keeping, so it makes way for the current settings.
        ini.reset();
        QFile::remove(path);
        ini = std::make_unique<TMemIniFile>(path);
    }
    // Whatever else the file held is dropped: it holds these nine keys and the game folder.
    for (const QString &section : ini->ReadSections())
        if (section != kGameFolderSection)
            ini->EraseSection(section);
    ini->WriteBool(kSection, QStringLiteral("min-distance-active"), Settings.MinDistanceChecked);
    ini->WriteInteger(kSection, QStringLiteral("min-distance"), NotNegative(Settings.MinDistance));
    ini->WriteBool(kSection, QStringLiteral("min-distance-get-max-possible"), Settings.MaxTourChecked);
    ini->WriteBool(kSection, QStringLiteral("min-weight-active"), Settings.MinWeightChecked);
    ini->WriteInteger(kSection, QStringLiteral("min-weight"), NotNegative(Settings.MinWeight));
    ini->WriteBool(kSection, QStringLiteral("valuable-active"), Settings.ValuableChecked);
    ini->WriteBool(kSection, QStringLiteral("fragile-active"), Settings.FragileChecked);
    ini->WriteBool(kSection, QStringLiteral("adr-active"), Settings.AdrChecked);
    ini->WriteInteger(kSection, QStringLiteral("adr-class"), WithinAdrClasses(Settings.AdrClass));
    TSettingsWriteResult result;
    result.Ok = ini->UpdateFile() && !ini->LastSaveFailed();
    if (!result.Ok)
        result.Error = ini->LastError();
    return result;
}

} // namespace kvn
