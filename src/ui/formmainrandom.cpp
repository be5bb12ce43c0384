// The random job generator and its options in the window: the options box with its settings
// file, "Create random job" / "Cancel", and the found job put into the selection boxes. The
// search itself is TRandomJobGenerator; this file hands it what the boxes show.
#include "lang/languages.h"
#include "ui/delay.h"
#include "ui/formmain.h"
#include "ui/programstate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace kvn {

void TFormMain::SetUpRandomiser()
{
    FRandomNumbers = SystemRandomNumbers();
    Button8->setText(MainText(QStringLiteral("button-create-random-job")));
    for (QCheckBox *box : {CheckBox1, CheckBox2, CheckBox4, CheckBox5, CheckBox6, CheckBox7})
        connect(box, &QCheckBox::toggled, this, [this, box] { CheckBox1Click(box); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(Edit1); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit1Change(Edit2); });
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { Edit1Change(SpinEdit1); });
    SetOptionsEnabled(true);
}

QString TFormMain::SettingsFolder() const
{
    return FState.UserFilesFolder.isEmpty() ? FState.ProgramFolder : FState.UserFilesFolder;
}

// ---- Options ------------------------------------------------------------------------------------

void TFormMain::LoadSettings()
{
    // Read once per run: a reload of the profile list later must not throw away what the user
    // has changed in the options box since.
    if (FSettingsLoaded)
        return;
    const TRandomiserSettings settings = ReadRandomiserSettings(SettingsFolder());
    {
        // The values follow from the settings as a whole below; the handlers must not step the
        // class read from the file (a 5 stays a 5) or ask about locks.
        const QSignalBlocker b1(CheckBox1), b2(Edit1), b4(CheckBox4), b5(CheckBox2), b6(Edit2), b7(CheckBox5),
            b8(CheckBox6), b9(CheckBox7), b10(SpinEdit1);
        CheckBox1->setChecked(settings.MinDistanceChecked);
        Edit1->setText(QString::number(settings.MinDistance));
        CheckBox4->setChecked(settings.MaxTourChecked);
        CheckBox2->setChecked(settings.MinWeightChecked);
        Edit2->setText(QString::number(settings.MinWeight));
        CheckBox5->setChecked(settings.ValuableChecked);
        CheckBox6->setChecked(settings.FragileChecked);
        CheckBox7->setChecked(settings.AdrChecked);
        SpinEdit1->setValue(settings.AdrClass);
    }
    FRandomiserOptions = OptionsFromSettings(settings);
    FSettingsLoaded = true;
    SetOptionsEnabled(!FGeneratingRandomCargo);
}

TRandomiserSettings TFormMain::RandomiserSettingsShown() const
{
    TRandomiserSettings settings;
    settings.MinDistanceChecked = CheckBox1->isChecked();
    settings.MinDistance = NumberFieldValue(Edit1->text());
    settings.MaxTourChecked = CheckBox4->isChecked();
    settings.MinWeightChecked = CheckBox2->isChecked();
    settings.MinWeight = NumberFieldValue(Edit2->text());
    settings.ValuableChecked = CheckBox5->isChecked();
    settings.FragileChecked = CheckBox6->isChecked();
    settings.AdrChecked = CheckBox7->isChecked();
    settings.AdrClass = SpinEdit1->value();
    return settings;
}

void TFormMain::SaveSettings()
{
    // A window that never read the file holds only the defaults; writing them would wipe the
    // user's options.
    if (!FSettingsLoaded)
        return;
    FSettingsSaveFailed = !WriteRandomiserSettings(SettingsFolder(), RandomiserSettingsShown()).Ok;
}

void TFormMain::SetOptionsEnabled(bool On)
{
    for (QCheckBox *box : {CheckBox4, CheckBox2, CheckBox5, CheckBox6, CheckBox7})
        box->setEnabled(On);
    CheckBox1->setEnabled(On && !FRandomiserOptions.GetMaxPossibleTour);
    Edit1->setEnabled(On && CheckBox1->isChecked() && CheckBox1->isEnabled());
    Edit2->setEnabled(On && CheckBox2->isChecked());
    SpinEdit1->setEnabled(On && CheckBox7->isChecked());
}

void TFormMain::CheckBox1Click(QCheckBox *Sender)
{
    const bool checked = Sender->isChecked();
    TRandomiserOptions &o = FRandomiserOptions;
    if (Sender == CheckBox1) {
        o.MinDistanceActive = checked && !o.GetMaxPossibleTour;
    } else if (Sender == CheckBox4) {
        o.GetMaxPossibleTour = checked;
        o.MinDistanceActive = !checked && CheckBox1->isChecked();
    } else if (Sender == CheckBox2) {
        o.MinWeightActive = checked;
    } else if (Sender == CheckBox5) {
        o.ValuableActive = checked;
    } else if (Sender == CheckBox6) {
        o.FragileActive = checked;
    } else if (Sender == CheckBox7) {
        o.AdrActive = checked;
    }
    // The edits follow their boxes (and the minimum distance the longest-tour box).
    SetOptionsEnabled(!FGeneratingRandomCargo);
}

void TFormMain::Edit1Change(QObject *Sender)
{
    if (Sender == Edit1) {
        FRandomiserOptions.MinDistance = NumberFieldValue(Edit1->text());
    } else if (Sender == Edit2) {
        FRandomiserOptions.MinWeight = NumberFieldValue(Edit2->text());
    } else if (Sender == SpinEdit1) {
        const int value = SpinEdit1->value();
        const int shown = ChangeAdrClass(FRandomiserOptions, value);
        if (shown != value) {
            const QSignalBlocker quiet(SpinEdit1);
            SpinEdit1->setValue(shown);
        }
    }
}

// ---- The search -----------------------------------------------------------------------------------

void TFormMain::CancelRandomJob()
{
    // Only a flag: the search notices it after its current pause.
    if (FGeneratingRandomCargo)
        FCancelGenerateRandomCargo = true;
}

} // namespace kvn
