#include "ui/optionsslide.h"

#include <QWidget>
#include <cmath>

namespace kvn {

int EaseOutQuint(double Time, double Start, double Change, double Duration)
{
    if (Duration <= 0)
        return int(std::nearbyint(Start + Change));
    // Single precision, as the curve was tuned with it; the rounding takes halves to even.
    const float x = float(Time) / float(Duration) - 1.0f;
    const float curve = x * x * x * x * x + 1.0f;
    return int(Start) + int(std::nearbyint(float(Change) * curve));
}

TWindowSlide::TWindowSlide(QWidget *Window, int CollapsedWidth, int OpenWidth)
    : QObject(Window), FWindow(Window), FCollapsedWidth(CollapsedWidth), FOpenWidth(OpenWidth)
{
    FTimer.setInterval(10);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TWindowSlide::Step);
}

void TWindowSlide::Toggle()
{
    if (Running())
        return;
    const int current = FWindow->width();
    if (current <= 0)
        return;
    FFrom = FCollapsedWidth;
    FTo = FOpenWidth;
    if (current >= FTo)
        std::swap(FFrom, FTo);
    FClock.start();
    Step();
    FTimer.start();
}

void TWindowSlide::Step()
{
    const qint64 elapsed = FClock.elapsed();
    if (elapsed > kDurationMs) {
        FTimer.stop();
        SetWidth(FTo);
        emit Finished();
        return;
    }
    SetWidth(EaseOutQuint(double(elapsed), FFrom, FTo - FFrom, kDurationMs));
}

void TWindowSlide::SetWidth(int Width)
{
    // The window is not resizable by the user; its fixed width is what moves.
    FWindow->setFixedWidth(Width);
}

} // namespace kvn
