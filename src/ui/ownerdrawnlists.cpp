#include "ui/ownerdrawnlists.h"

#include "catalogue/cargos.h"
#include "jobs/jobviewtexts.h"
#include "lang/languages.h"
#include "savegame/profiles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>

namespace kvn {

namespace {

constexpr int kTextLeft = 10;
constexpr int kIconSize = 24;
constexpr int kIconGap = 5;
constexpr int kWideIconWidth = 48;
// Line 2 stands this far above the bottom edge, plus its own height.
constexpr int kLine2BottomGap = 7;

const QIcon &IconNamed(const QString &Name)
{
    static QHash<QString, QIcon> cache;
    auto found = cache.find(Name);
    if (found == cache.end()) {
        const QString file = QStringLiteral(":/icons/%1.svg").arg(Name);
        found = cache.insert(Name, QFile::exists(file) ? QIcon(file) : QIcon());
    }
    return *found;
}

QColor BandColour(int Index, const QColor &Band)
{
    return Index % 2 == 0 ? Band : ListColours::White;
}

QFont Line2Font(const QFont &ListFont)
{
    QFont font = ListFont;
    // A narrow humanist face like the one the layout was drawn with, where the system has it.
    font.setFamilies({QStringLiteral("Trebuchet MS"), ListFont.family()});
    font.setBold(false);
    font.setItalic(true);
    return font;
}

// Styles that open a list as a menu over its field (Fusion, macOS) show every entry at once, a
// screen-high column of two-line rows; a drop-down below the field keeps its row count.
class TDropDownListStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint Hint, const QStyleOption *Option, const QWidget *Widget,
                  QStyleHintReturn *ReturnData) const override
    {
        if (Hint == QStyle::SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(Hint, Option, Widget, ReturnData);
    }
};

// One for all lists, living as long as the application, so that no list outlives its style.
QStyle *DropDownListStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new TDropDownListStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

} // namespace

TListEntryLook ProfileEntryLook(int Index, bool Selected, const QString &ItemText, const TProfileInfo *Profile)
{
    TListEntryLook look;
    look.Drawn = Index >= 0;
    look.Line1Top = 5;
    if (Index == 0) {
        look.SingleLine = true;
        look.Line1 = ItemText;
    } else if (Profile) {
        look.Line1 = Profile->ProfileName();
        // Where it lives tells apart copies of the game's folders (Documents, Proton, Steam Cloud).
        const QString location = ProfileLocationText(*Profile);
        look.Line2 = location.isEmpty() ? Profile->CompanyName()
                                        : Profile->CompanyName() + QStringLiteral("  \u00B7  ") + location;
    } else {
        look.Line1 = QStringLiteral("-");
        look.Line2 = QStringLiteral("-");
    }
    look.Background = Selected ? ListColours::SelectionBackground : BandColour(Index, ListColours::ProfileBand);
    look.Text = Selected ? ListColours::SelectionText : ListColours::EntryText;
    look.FocusRect = Selected;
    return look;
}

QStringList CargoAttributeIcons(const TCargoInfo &Cargo)
{
    QStringList icons;
    if (Cargo.CargoADR() >= 1 && !IconNamed(QStringLiteral("adr-%1").arg(Cargo.CargoADR())).isNull())
        icons << QStringLiteral("adr-%1").arg(Cargo.CargoADR());
    if (Cargo.CargoIsValuable())
        icons << QStringLiteral("star");
    const TCargoGroupSet groups = Cargo.CargoGroups();
    if (Cargo.IsFragile() && (groups.Contains(TCargoGroups::nogroup) || groups.Contains(TCargoGroups::liquid)))
        icons << QStringLiteral("glass-broken");
    if (Cargo.IsHeavy())
        icons << QStringLiteral("weight");
    return icons;
}

namespace {

// Colours shared by the cargo and the trailer list, in their order of precedence.
void ApplyCargoColours(TListEntryLook &Look, const TCargoInfo &Cargo, int Index, bool Selected, bool Highlighted,
                       bool Enabled, const QPalette &Palette)
{
    if (!Cargo.SavegameCompatibleCargo()) {
        Look.Background = ListColours::UnsupportedBackground;
        Look.Text = ListColours::UnsupportedText;
        Look.Italic = true;
    } else if (Selected) {
        Look.Background = ListColours::SelectionBackground;
        Look.Text = ListColours::SelectionText;
    } else {
        Look.Background = Highlighted ? ListColours::Highlight : BandColour(Index, ListColours::CargoBand);
        Look.Text = ListColours::EntryText;
    }
    if (!Enabled)
        Look.Text = Palette.color(QPalette::Disabled, QPalette::Text);
    Look.FocusRect = Selected;
}

} // namespace

TListEntryLook CargoEntryLook(const TLanguageTexts &Texts, const TCargoInfo *Cargo, int Index, bool Selected,
                              bool Enabled, const QPalette &Palette, const QLocale &Locale)
{
    TListEntryLook look;
    if (!Cargo || Index < 0)
        return look;
    look.Drawn = true;
    ApplyCargoColours(look, *Cargo, Index, Selected, Cargo->IsHeavy(), Enabled, Palette);
    look.Line1 = Cargo->CargoName();
    look.Line2 = CargoSummaryText(Texts, *Cargo, Locale);
    look.Icons = CargoAttributeIcons(*Cargo);
    look.IconRow = TEntryIconRow::Attributes;
    return look;
}

TListEntryLook TrailerEntryLook(const TLanguageTexts &Texts, const TCargoInfo *Cargo,
                                const TTrailerDefinitionItem *Item, int Index, bool Selected, bool Enabled,
                                const QPalette &Palette, const QLocale &Locale, const TPlaceNames *Names)
{
    TListEntryLook look;
    if (!Cargo || !Item || !Item->TrailerDefinitionData || Index < 0)
        return look;
    const TTrailerDefinitionData &trailer = *Item->TrailerDefinitionData;
    look.Drawn = true;
    const bool countryBound = trailer.IsCountryBoundTrailer();
    ApplyCargoColours(look, *Cargo, Index, Selected, countryBound, Enabled, Palette);
    look.Line1 = Names ? TrailerTitleText(Texts, trailer, *Names) : trailer.TrailerDefinition();
    look.Line2 = TrailerSummaryText(Texts, trailer, countryBound && Cargo->SavegameCompatibleCargo(), Locale);
    if (trailer.IsDoubleTrailer())
        look.Icons << QStringLiteral("truck-double-trailer");
    look.IconRow = TEntryIconRow::DoubleTrailer;
    return look;
}

QList<QRect> EntryIconPlaces(const TListEntryLook &Look, const QRect &Rect)
{
    QList<QRect> places;
    const int right = Rect.left() + Rect.width();
    if (Look.IconRow == TEntryIconRow::Attributes) {
        const int top = Rect.height() / 3 + Rect.top() - 5;
        int left = right - kIconSize - kIconGap;
        for (qsizetype i = 0; i < Look.Icons.size(); ++i) {
            places << QRect(left, top, kIconSize, kIconSize);
            left -= kIconSize + kIconGap;
        }
    } else if (Look.IconRow == TEntryIconRow::DoubleTrailer) {
        // Kept inside the entry, so that it never paints over the entry above.
        const int top = qMax(Rect.top(), Rect.height() / 3 + Rect.top() - 12);
        for (qsizetype i = 0; i < Look.Icons.size(); ++i)
            places << QRect(right - kWideIconWidth - kIconGap, top, kWideIconWidth, kIconSize);
    }
    return places;
}

void PaintListEntry(QPainter &Painter, const QRect &Rect, const TListEntryLook &Look, const QFont &ListFont)
{
    if (!Look.Drawn)
        return;
    Painter.save();
    Painter.fillRect(Rect, Look.Background);
    Painter.setPen(Look.Text);

    const QList<QRect> iconPlaces = EntryIconPlaces(Look, Rect);
    // Text stops short of the pictures instead of running under them.
    int textRight = Rect.left() + Rect.width() - kIconGap;
    for (const QRect &place : iconPlaces)
        textRight = qMin(textRight, place.left() - kIconGap);
    const int textLeft = Rect.left() + kTextLeft;
    const int textWidth = qMax(0, textRight - textLeft);

    QFont line1Font = ListFont;
    line1Font.setBold(true);
    line1Font.setItalic(ListFont.italic() || Look.Italic);
    const QFontMetrics line1Metrics(line1Font);
    Painter.setFont(line1Font);
    if (Look.SingleLine) {
        const int top = Rect.top() + QFontMetrics(ListFont).boundingRect(QStringLiteral("yY")).height() - 2;
        Painter.drawText(QRect(textLeft, top, textWidth, line1Metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                         line1Metrics.elidedText(Look.Line1, Qt::ElideRight, textWidth));
    } else {
        Painter.drawText(QRect(textLeft, Rect.top() + Look.Line1Top, textWidth, line1Metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop, line1Metrics.elidedText(Look.Line1, Qt::ElideRight, textWidth));
        const QFont line2Font = Line2Font(ListFont);
        const QFontMetrics line2Metrics(line2Font);
        Painter.setFont(line2Font);
        const int charHeight = line2Metrics.height();
        const int top = Rect.top() + Rect.height() - charHeight - kLine2BottomGap;
        Painter.drawText(QRect(textLeft, top, textWidth, charHeight), Qt::AlignLeft | Qt::AlignTop,
                         line2Metrics.elidedText(Look.Line2, Qt::ElideRight, textWidth));
    }

    for (qsizetype i = 0; i < Look.Icons.size() && i < iconPlaces.size(); ++i)
        IconNamed(Look.Icons[i]).paint(&Painter, iconPlaces[i]);
    Painter.restore();
}

TOwnerDrawnList::TOwnerDrawnList(QComboBox *Combo, TEntryLookFunction LookFor)
    : QStyledItemDelegate(Combo), FCombo(Combo), FLookFor(std::move(LookFor))
{
    FCombo->setItemDelegate(this);
    FCombo->installEventFilter(this);
    FCombo->setStyle(DropDownListStyle());
}

void TOwnerDrawnList::paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const
{
    const bool selected = Option.state & QStyle::State_Selected;
    const TListEntryLook look = FLookFor(Index.row(), selected);
    PaintListEntry(*Painter, Option.rect, look, FCombo->font());
    if (look.Drawn && look.FocusRect) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(Option);
        focus.rect = Option.rect.adjusted(1, 1, -1, -1);
        focus.backgroundColor = look.Background;
        FCombo->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, Painter, FCombo);
    }
}

QSize TOwnerDrawnList::sizeHint(const QStyleOptionViewItem &Option, const QModelIndex &Index) const
{
    QSize size = QStyledItemDelegate::sizeHint(Option, Index);
    size.setHeight(kOwnerDrawnRowHeight);
    return size;
}

bool TOwnerDrawnList::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FCombo && Event->type() == QEvent::Paint) {
        PaintClosedField();
        return true;
    }
    // The combo box is no editor of this delegate: the delegate's own filter would treat its
    // focus changes as the end of an edit.
    return false;
}

void TOwnerDrawnList::PaintClosedField()
{
    QPainter painter(FCombo);
    QStyleOptionComboBox option;
    option.initFrom(FCombo);
    option.editable = false;
    option.frame = true;
    option.subControls = QStyle::SC_All;
    if (FCombo->view() && FCombo->view()->isVisible())
        option.state |= QStyle::State_On;
    FCombo->style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, FCombo);
    const int index = FCombo->currentIndex();
    if (index < 0)
        return;
    const QRect field =
        FCombo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, FCombo);
    painter.setClipRect(field);
    PaintListEntry(painter, field, FLookFor(index, false), FCombo->font());
    if (FCombo->hasFocus()) {
        // The entry covers the field where the style would show the focus: a keyboard player
        // must still see which list the arrow keys move.
        painter.setPen(QPen(FCombo->palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(field).adjusted(1, 1, -1, -1));
    }
}

} // namespace kvn
