// The profile, cargo and trailer lists draw each entry as two lines with colours and small
// pictures, so that a player sees at a glance which cargos the save offers and which are heavy,
// fragile, valuable or dangerous. What an entry looks like is worked out apart from the painting,
// so that it can be checked without a screen.
#pragma once

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>

class QComboBox;
class QPainter;
class QPalette;

namespace kvn {

class TCargoInfo;
class TLanguageTexts;
class TPlaceNames;
class TProfileInfo;
struct TTrailerDefinitionItem;

inline constexpr int kOwnerDrawnRowHeight = 35;

namespace ListColours {
inline const QColor SelectionBackground{7, 125, 180};
inline const QColor SelectionText{240, 240, 240};
inline const QColor EntryText{52, 52, 52};
inline const QColor ProfileBand{255, 243, 225};
inline const QColor CargoBand{225, 243, 255};
inline const QColor White{255, 255, 255};
inline const QColor Highlight{255, 225, 243};
inline const QColor UnsupportedBackground{223, 223, 223};
inline const QColor UnsupportedText{111, 111, 111};
} // namespace ListColours

enum class TEntryIconRow {
    None,
    Attributes,   // 24 by 24 pictures from the right edge leftwards (cargo list)
    DoubleTrailer // one 48 by 24 picture at the right edge (trailer list)
};

struct TListEntryLook {
    bool Drawn = false;
    QColor Background;
    QColor Text;
    bool Italic = false;
    QString Line1;
    QString Line2;
    // The heading entry of the profile list: one bold line, centred in height.
    bool SingleLine = false;
    // Line 1 sits a little lower in profile entries.
    int Line1Top = 3;
    // Names of the pictures in resources/icons, in drawing order.
    QStringList Icons;
    TEntryIconRow IconRow = TEntryIconRow::None;
    bool FocusRect = false;
};

// ComboBox1: entry 0 is the heading and shows ItemText; other entries show their profile or "-".
TListEntryLook ProfileEntryLook(int Index, bool Selected, const QString &ItemText, const TProfileInfo *Profile);

// ComboBox8. No cargo: nothing is drawn. Enabled false (the lock is closed) greys the text.
TListEntryLook CargoEntryLook(const TLanguageTexts &Texts, const TCargoInfo *Cargo, int Index, bool Selected,
                              bool Enabled, const QPalette &Palette, const QLocale &Locale = QLocale());

// ComboBox9: Item is one trailer choice of Cargo, the cargo selected in the cargo list. With
// Names the first line says the trailer in words, else it shows the trailer definition.
TListEntryLook TrailerEntryLook(const TLanguageTexts &Texts, const TCargoInfo *Cargo,
                                const TTrailerDefinitionItem *Item, int Index, bool Selected, bool Enabled,
                                const QPalette &Palette, const QLocale &Locale = QLocale(),
                                const TPlaceNames *Names = nullptr);

// Names of the attribute pictures of a cargo, right to left: dangerous-goods class, valuable,
// fragile (only where breakage shows: general and liquid cargo), heavy.
QStringList CargoAttributeIcons(const TCargoInfo &Cargo);

// Where each picture of Look goes inside Rect, in the order of Look.Icons.
QList<QRect> EntryIconPlaces(const TListEntryLook &Look, const QRect &Rect);

// Paints Look into Rect; ListFont is the list's own font, made bold for line 1.
void PaintListEntry(QPainter &Painter, const QRect &Rect, const TListEntryLook &Look, const QFont &ListFont);

// The look of entry Index of a list: Selected for the highlighted popup row.
using TEntryLookFunction = std::function<TListEntryLook(int Index, bool Selected)>;

// Paints a combo box's entries, in the popup and in the closed field, with one look function.
class TOwnerDrawnList : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Installs itself on Combo; Combo owns it.
    TOwnerDrawnList(QComboBox *Combo, TEntryLookFunction LookFor);

    void paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override;
    QSize sizeHint(const QStyleOptionViewItem &Option, const QModelIndex &Index) const override;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void PaintClosedField();

    QComboBox *FCombo;
    TEntryLookFunction FLookFor;
};

} // namespace kvn
