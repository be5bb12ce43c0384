#include "ui/delay.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

namespace kvn {

std::uint64_t TickCount64()
{
    // A monotonic 64-bit clock has no 32-bit wrap to correct.
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint64_t>(clock.elapsed());
}

void Delay(int Milliseconds, bool ProcessMessages)
{
    if (Milliseconds <= 0)
        return;
    QDeadlineTimer deadline(Milliseconds);
    while (!deadline.hasExpired()) {
        if (QCoreApplication::closingDown())
            return;
        const int left = static_cast<int>(deadline.remainingTime());
        if (ProcessMessages && QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, left > 0 ? left : 1);
        else
            QThread::msleep(static_cast<unsigned long>(left > 0 ? left : 1));
    }
}

} // namespace kvn
