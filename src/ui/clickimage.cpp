#include "ui/clickimage.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

namespace kvn {

TClickImage::TClickImage(QWidget *Parent) : QLabel(Parent)
{
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    // Tab and assistive technology reach it like a button; a mouse click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
}

void TClickImage::SetPicture(const QPixmap &Picture)
{
    FPicture = Picture;
    ShowPicture();
}

void TClickImage::Click()
{
    if (isEnabled())
        emit clicked();
}

void TClickImage::SetChecked(bool Checked)
{
    if (FChecked == Checked)
        return;
    FChecked = Checked;
    // A screen reader announces a padlock closing as it does a check box being ticked.
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void TClickImage::ShowPicture()
{
    const QSize room = contentsRect().size();
    const QSize size = FPicture.deviceIndependentSize().toSize();
    if (FPicture.isNull() || room.isEmpty() || (size.width() <= room.width() && size.height() <= room.height()))
        setPixmap(FPicture);
    else
        setPixmap(FPicture.scaled(room * FPicture.devicePixelRatio(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TClickImage::resizeEvent(QResizeEvent *Event)
{
    QLabel::resizeEvent(Event);
    ShowPicture();
}

void TClickImage::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(Event);
}

void TClickImage::keyPressEvent(QKeyEvent *Event)
{
    switch (Event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        // Held down, a key would toggle a padlock back and forth; one press is one click.
        if (!Event->isAutoRepeat())
            Click();
        Event->accept();
        return;
    default:
        QLabel::keyPressEvent(Event);
    }
}

void TClickImage::paintEvent(QPaintEvent *Event)
{
    QLabel::paintEvent(Event);
    if (!hasFocus())
        return;
    // The images are small and have no frame of their own: a ring in the highlight colour shows
    // where the keyboard is.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
}

} // namespace kvn
