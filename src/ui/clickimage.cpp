#include "ui/clickimage.h"

#include <QMouseEvent>

namespace kvn {

TClickImage::TClickImage(QWidget *Parent) : QLabel(Parent)
{
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

void TClickImage::SetPicture(const QPixmap &Picture)
{
    setPixmap(Picture);
}

void TClickImage::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(Event);
}

} // namespace kvn
