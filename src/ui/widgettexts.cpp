#include "ui/widgettexts.h"

#include <iterator>

namespace kvn {

namespace {

struct TWidgetOfText {
    TLangText Text;
    const char *Widget;
    TWidgetTextKind Kind;
};

constexpr TWidgetOfText Widgets[] = {
    {TLangText::BoxStep1, "GroupBox1", TWidgetTextKind::Caption},
    {TLangText::ImageReloadProfile, "Image10", TWidgetTextKind::Hint},
    {TLangText::ButtonOpenProfileInExplorer, "Button4", TWidgetTextKind::Caption},
    {TLangText::BoxStep2, "GroupBox3", TWidgetTextKind::Caption},
    {TLangText::LabelDepartureCountry, "Label7", TWidgetTextKind::Caption},
    {TLangText::LabelDepartureCity, "Label8", TWidgetTextKind::Caption},
    {TLangText::LabelDepartureCompany, "Label9", TWidgetTextKind::Caption},
    {TLangText::LabelDestinationCountry, "Label4", TWidgetTextKind::Caption},
    {TLangText::LabelDestinationCity, "Label5", TWidgetTextKind::Caption},
    {TLangText::LabelDestinationCompany, "Label10", TWidgetTextKind::Caption},
    {TLangText::BoxStep3, "GroupBox5", TWidgetTextKind::Caption},
    {TLangText::LabelCargoAndTrailer, "Label2", TWidgetTextKind::Caption},
    {TLangText::LabelUrgency, "Label12", TWidgetTextKind::Caption},
    {TLangText::LabelCustomCargoWeight, "Label11", TWidgetTextKind::Caption},
    {TLangText::ButtonJobAdd, "Button3", TWidgetTextKind::Caption},
    {TLangText::BoxJobList, "GroupBox6", TWidgetTextKind::Caption},
    {TLangText::LabelQuickSaveReminder, "Label6", TWidgetTextKind::Caption},
    {TLangText::ButtonSaveAllJobs, "Button5", TWidgetTextKind::Caption},
    {TLangText::ButtonDeleteSelectedJobs, "Button6", TWidgetTextKind::Caption},
    {TLangText::ButtonDeleteAll, "Button2", TWidgetTextKind::Caption},
    {TLangText::ButtonShowOptionsHistory, "Button10", TWidgetTextKind::Caption},
    {TLangText::ImageDbInfo, "Image101", TWidgetTextKind::Hint},
    {TLangText::ImageGetHelp, "Image100", TWidgetTextKind::Hint},
    {TLangText::BoxOptions, "GroupBox7", TWidgetTextKind::Caption},
    {TLangText::LabelRandomiser, "Label14", TWidgetTextKind::Caption},
    {TLangText::OptionMinDistance, "CheckBox1", TWidgetTextKind::Caption},
    {TLangText::OptionGetMaxDistanceTour, "CheckBox4", TWidgetTextKind::Caption},
    {TLangText::OptionMinWeight, "CheckBox2", TWidgetTextKind::Caption},
    {TLangText::OptionValuable, "CheckBox5", TWidgetTextKind::Caption},
    {TLangText::OptionFragile, "CheckBox6", TWidgetTextKind::Caption},
    {TLangText::OptionAdrClass, "CheckBox7", TWidgetTextKind::Caption},
    {TLangText::BoxPreviousJobs, "GroupBox4", TWidgetTextKind::Caption},
    {TLangText::LabelJobHistoryEmpty, "Label13", TWidgetTextKind::Caption},
    {TLangText::ButtonDeleteHistory, "Button9", TWidgetTextKind::Caption},
    {TLangText::ButtonCreateRandomJob, "Button8", TWidgetTextKind::Caption},
    {TLangText::LabelGameFolder, "Label15", TWidgetTextKind::Caption},
    {TLangText::ButtonBrowseGameFolder, "Button11", TWidgetTextKind::Caption},
    // What screen readers tell of the controls, so that two lists titled "Company" can be told apart.
    {TLangText::AccessibleProfile, "ComboBox1", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleReloadProfile, "Image10", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleDepartureCountry, "ComboBox5", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleDepartureCity, "ComboBox6", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleDepartureCompany, "ComboBox7", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleDestinationCountry, "ComboBox2", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleDestinationCity, "ComboBox3", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleDestinationCompany, "ComboBox4", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockDepartureCountry, "Image1", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockDepartureCity, "Image2", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockDepartureCompany, "Image3", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockDestinationCountry, "Image4", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockDestinationCity, "Image5", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockDestinationCompany, "Image6", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleCargo, "ComboBox8", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockCargo, "Image7", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleTrailer, "ComboBox9", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockTrailer, "Image8", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleUrgency, "ComboBox10", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleLockUrgency, "Image9", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleCargoUnitLess, "Image11", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleCargoAmount, "TrackBar1", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleCargoUnitMore, "Image12", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleJobList, "VST", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleMinDistanceValue, "Edit1", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleMinWeightValue, "Edit2", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleAdrClassValue, "SpinEdit1", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleJobHistory, "VSTJobHistory", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleBackups, "ComboBox11", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleDbInfo, "Image101", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleHelp, "Image100", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleGameFolder, "Edit3", TWidgetTextKind::AccessibleName},
    {TLangText::AccessibleCargoAmountDescription, "TrackBar1", TWidgetTextKind::AccessibleDescription},
};

bool IsShown(TWidgetTextKind Kind)
{
    return Kind == TWidgetTextKind::Caption || Kind == TWidgetTextKind::Hint;
}

QList<TWidgetText> TextsOfKind(const TLanguageTexts &Texts, bool Shown)
{
    QList<TWidgetText> result;
    for (const TWidgetOfText &entry : Widgets)
        if (IsShown(entry.Kind) == Shown)
            result.append({QString::fromLatin1(entry.Widget), entry.Kind, Texts.Text(entry.Text)});
    return result;
}

} // namespace

QList<TWidgetText> MainWindowTexts(const TLanguageTexts &Texts)
{
    return TextsOfKind(Texts, true);
}

QList<TWidgetText> MainWindowAccessibleTexts(const TLanguageTexts &Texts)
{
    return TextsOfKind(Texts, false);
}

QString MainWindowText(const TLanguageTexts &Texts, const QString &Widget)
{
    for (const TWidgetOfText &entry : Widgets)
        if (IsShown(entry.Kind) && Widget == QLatin1String(entry.Widget))
            return Texts.Text(entry.Text);
    return {};
}

} // namespace kvn
