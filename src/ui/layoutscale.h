// The window is laid out in pixels for 96 dots per inch and an 11-pixel font. On a screen too
// small for it at the desktop's scaling, or with a desktop font larger than that, the whole
// layout is scaled by one factor: places, sizes and fonts alike.
#pragma once

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace kvn {

// The factor for a window of Designed size (its frame adds Frame) on a screen area of Available
// logical pixels: grown to follow a desktop font larger than DesignedFontPixels, shrunk until
// the window and its frame fit the area. 1 when neither applies.
double LayoutScaleFor(QSize Designed, QSize Frame, const QRect &Available, int DesktopFontPixels,
                      int DesignedFontPixels);

// Scales the widgets below a window from the places they were designed with. Only the window's
// own widgets are moved (named, below the window, group boxes or panels); the parts inside a
// combo box or a tree view follow their owners by themselves.
class TLayoutScaler {
public:
    explicit TLayoutScaler(QWidget *Window) : FWindow(Window) {}
    // Always from the designed layout, so that applying a second factor does not compound.
    void Apply(double Scale);

private:
    struct TDesigned {
        QPointer<QWidget> Widget;
        QRect Geometry;
        bool FixedWidth = false;
        bool FixedHeight = false;
        int FontPixels = 0; // 0 unless the widget has a font of its own
    };
    void Record();

    QWidget *FWindow;
    QList<TDesigned> FDesigned;
    bool FRecorded = false;
};

} // namespace kvn
