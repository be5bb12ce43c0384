// The randomiser options: the values the random job generator obeys, the rules the options box
// follows when its controls change, and "Kvn-settings.ini" that keeps the controls between runs.
#pragma once

#include <QString>

namespace kvn {

inline QString RandomiserSettingsFileName()
{
    return QStringLiteral("Kvn-settings.ini");
}

// Folder + "/Kvn-settings.ini".
QString RandomiserSettingsPath(const QString &Folder);
// The section of the same file that holds the player's game folder, which the options leave alone.
inline const QString kGameFolderSection = QStringLiteral("game");

inline constexpr int kMinAdrClass = 1;
inline constexpr int kMaxAdrClass = 8;

// The values the generator reads.
struct TRandomiserOptions {
    bool MinDistanceActive = false;
    int MinDistance = 0; // km
    bool GetMaxPossibleTour = false;
    bool MinWeightActive = false;
    int MinWeight = 0; // t
    bool ValuableActive = false;
    bool FragileActive = false;
    bool AdrActive = false;
    int AdrClass = 1;
    // The class before the last change; tells the spin edit which way the user stepped.
    int PreviousAdrClass = 1;
};

// What the options box shows, as the settings file keeps it.
struct TRandomiserSettings {
    bool MinDistanceChecked = false; // CheckBox1
    int MinDistance = 0;             // Edit1
    bool MaxTourChecked = false;     // CheckBox4
    bool MinWeightChecked = false;   // CheckBox2
    int MinWeight = 0;               // Edit2
    bool ValuableChecked = false;    // CheckBox5
    bool FragileChecked = false;     // CheckBox6
    bool AdrChecked = false;         // CheckBox7
    int AdrClass = 1;                // SpinEdit1

    bool operator==(const TRandomiserSettings &Other) const = default;
};

// The options the controls stand for. The minimum distance is not in force while the longest
// possible tour is asked for, whatever its box shows; a class read from the file is taken as it
// is (even 5 or 7) until the user changes the spin edit.
TRandomiserOptions OptionsFromSettings(const TRandomiserSettings &Settings);

// The text of a number field (digits only) as a number; empty or unreadable text is 0.
int NumberFieldValue(const QString &Text);

// The ADR class the spin edit is to show after the user changed it to Value: kept within 1 … 8,
// and stepping onto 5 or 7 (classes the game has no cargo for) goes on one further in the same
// direction. Records the change in Options (PreviousAdrClass, AdrClass).
int ChangeAdrClass(TRandomiserOptions &Options, int Value);

// Reads the settings file in Folder; a missing file, a missing key or an unreadable number gives
// the key's default. Numbers are kept in the ranges the controls accept.
TRandomiserSettings ReadRandomiserSettings(const QString &Folder);

struct TSettingsWriteResult {
    bool Ok = true;
    QString Error; // in words a player understands, when not Ok
};

// Replaces the settings file in Folder with exactly these settings. The old file stays as it
// was until the new one is completely written.
TSettingsWriteResult WriteRandomiserSettings(const QString &Folder, const TRandomiserSettings &Settings);

} // namespace kvn
