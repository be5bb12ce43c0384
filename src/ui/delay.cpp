#include "ui/delay.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace kvn {

void Delay(int Milliseconds, bool ProcessMessages)
{
    if (Milliseconds <= 0)
        return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!ProcessMessages || !app || QThread::currentThread() != app->thread()) {
        QThread::msleep(static_cast<unsigned long>(Milliseconds));
        return;
    }
    if (QCoreApplication::closingDown())
        return;
    // The thread sleeps in the event loop until input or the timer wakes it; polling the queue
    // in a loop instead kept a whole core busy for the length of every wait.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(app, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    timer.start(Milliseconds);
    loop.exec();
}

} // namespace kvn
