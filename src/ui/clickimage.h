// An image that answers clicks and shows the hand cursor while the mouse is over it.
#pragma once

#include <QLabel>

namespace kvn {

class TClickImage : public QLabel {
    Q_OBJECT
public:
    explicit TClickImage(QWidget *Parent = nullptr);

    // Shows Picture centred in the image, made smaller where the image is (a layout scaled down
    // to fit the screen); a null picture leaves the image empty.
    void SetPicture(const QPixmap &Picture);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(class QMouseEvent *Event) override;
    void resizeEvent(class QResizeEvent *Event) override;

private:
    void ShowPicture();
    QPixmap FPicture;
};

} // namespace kvn
