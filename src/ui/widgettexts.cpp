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
};

} // namespace

QList<TWidgetText> MainWindowTexts(const TLanguageTexts &Texts)
{
    QList<TWidgetText> result;
    result.reserve(qsizetype(std::size(Widgets)));
    for (const TWidgetOfText &entry : Widgets)
        result.append({QString::fromLatin1(entry.Widget), entry.Kind, Texts.Text(entry.Text)});
    return result;
}

QString MainWindowText(const TLanguageTexts &Texts, const QString &Widget)
{
    for (const TWidgetOfText &entry : Widgets)
        if (Widget == QLatin1String(entry.Widget))
            return Texts.Text(entry.Text);
    return {};
}

} // namespace kvn
