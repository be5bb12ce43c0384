// An image that acts as a button: it answers clicks, shows the hand cursor while the mouse is
// over it, and works without a mouse too: it takes keyboard focus, shows a frame while it has it,
// and Space or Enter press it. A padlock is checkable and reports whether it is closed.
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

    // Presses the image as a click would: from the keyboard and from assistive technology.
    void Click();

    // A checkable image (a padlock) reports its state to assistive technology as checked.
    bool Checkable() const { return FCheckable; }
    void SetCheckable(bool Checkable) { FCheckable = Checkable; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool Checked);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(class QMouseEvent *Event) override;
    void keyPressEvent(class QKeyEvent *Event) override;
    void resizeEvent(class QResizeEvent *Event) override;
    void paintEvent(class QPaintEvent *Event) override;

private:
    void ShowPicture();
    QPixmap FPicture;
    bool FCheckable = false;
    bool FChecked = false;
};

} // namespace kvn
