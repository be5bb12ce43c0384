// The eased slide that widens the window to uncover the options and history strip, or narrows
// it back.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

namespace kvn {

// Start at Time 0, Start + Change at Time = Duration; fast first, slowing down towards the end.
int EaseOutQuint(double Time, double Start, double Change, double Duration);

// Slides a fixed-size window's width between two values in 300 ms. The window keeps answering
// meanwhile: the steps run on a timer instead of a busy loop.
class TWindowSlide : public QObject {
    Q_OBJECT
public:
    static constexpr int kDurationMs = 300;

    TWindowSlide(QWidget *Window, int CollapsedWidth, int OpenWidth);

    // From the collapsed width to the open one, or back when the window is open. A toggle while
    // a slide runs is ignored, so that the window always ends at one of the two widths.
    void Toggle();
    bool Running() const { return FTimer.isActive(); }
    // The two widths after the window's layout was scaled.
    void SetWidths(int CollapsedWidth, int OpenWidth)
    {
        FCollapsedWidth = CollapsedWidth;
        FOpenWidth = OpenWidth;
    }
    int OpenWidth() const { return FOpenWidth; }

signals:
    void Finished();

private:
    void Step();
    void SetWidth(int Width);

    QWidget *FWindow;
    int FCollapsedWidth;
    int FOpenWidth;
    int FFrom = 0;
    int FTo = 0;
    QTimer FTimer;
    QElapsedTimer FClock;
};

} // namespace kvn
