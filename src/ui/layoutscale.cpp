#include "ui/layoutscale.h"

#include <QFrame>
#include <QGroupBox>
#include <algorithm>
#include <cmath>

namespace kvn {

double LayoutScaleFor(QSize Designed, QSize Frame, const QRect &Available, int DesktopFontPixels,
                      int DesignedFontPixels)
{
    double scale = 1.0;
    if (DesignedFontPixels > 0 && DesktopFontPixels > DesignedFontPixels)
        scale = double(DesktopFontPixels) / DesignedFontPixels;
    if (Available.isValid() && !Designed.isEmpty()) {
        const double fitWidth = double(Available.width() - Frame.width()) / Designed.width();
        const double fitHeight = double(Available.height() - Frame.height()) / Designed.height();
        scale = std::min({scale, fitWidth, fitHeight});
    }
    // Below this the texts can no longer be read; the window then overlaps the screen's edge.
    return std::max(scale, 0.5);
}

namespace {

bool IsOwnWidget(const QWidget *Widget, const QWidget *Window)
{
    const QString name = Widget->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return false;
    const QWidget *parent = Widget->parentWidget();
    if (parent == Window)
        return true;
    // Inside one of the window's groups or plain overlay panels; the insides of a tree view (a
    // frame too) follow the view.
    return parent && (qobject_cast<const QGroupBox *>(parent) || parent->metaObject() == &QFrame::staticMetaObject) &&
           IsOwnWidget(parent, Window);
}

int Scaled(int Value, double Scale)
{
    return int(std::lround(Value * Scale));
}

} // namespace

void TLayoutScaler::Record()
{
    FRecorded = true;
    for (QWidget *widget : FWindow->findChildren<QWidget *>()) {
        if (!IsOwnWidget(widget, FWindow))
            continue;
        TDesigned designed;
        designed.Widget = widget;
        designed.Geometry = widget->geometry();
        designed.FixedWidth = widget->minimumWidth() == widget->maximumWidth();
        designed.FixedHeight = widget->minimumHeight() == widget->maximumHeight();
        if (widget->testAttribute(Qt::WA_SetFont) && widget->font().pixelSize() > 0)
            designed.FontPixels = widget->font().pixelSize();
        FDesigned << designed;
    }
}

void TLayoutScaler::Apply(double Scale)
{
    if (!FRecorded)
        Record();
    for (const TDesigned &designed : std::as_const(FDesigned)) {
        QWidget *widget = designed.Widget;
        if (!widget)
            continue;
        const QRect &g = designed.Geometry;
        const QPoint topLeft(Scaled(g.left(), Scale), Scaled(g.top(), Scale));
        // Edges are scaled, not sizes, so that neighbours that touched still touch.
        const QPoint bottomRight(Scaled(g.left() + g.width(), Scale), Scaled(g.top() + g.height(), Scale));
        const QSize size(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y());
        if (designed.FixedWidth)
            widget->setFixedWidth(size.width());
        if (designed.FixedHeight)
            widget->setFixedHeight(size.height());
        widget->setGeometry(QRect(topLeft, size));
        if (designed.FontPixels > 0) {
            QFont font = widget->font();
            font.setPixelSize(std::max(1, Scaled(designed.FontPixels, Scale)));
            widget->setFont(font);
        }
    }
}

} // namespace kvn
