#include "QtEventPump.h"

#include <QCoreApplication>

void QtEventPump::yield() {
    if (beforeEvents) {
        beforeEvents();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
