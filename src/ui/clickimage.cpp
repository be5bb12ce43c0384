#include "ui/clickimage.h"

#include <QMouseEvent>
#include <QResizeEvent>

namespace kvn {

TClickImage::TClickImage(QWidget *Parent) : QLabel(Parent)
{
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

void TClickImage::SetPicture(const QPixmap &Picture)
{
    FPicture = Picture;
    ShowPicture();
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

} // namespace kvn
