#include "QtEventPump.h"

#include "InputGate.h"

#include <QCoreApplication>

void QtEventPump::yield() {
    if (beforeEvents) {
        beforeEvents();
    }
    // What the operator did while a device call blocked acts here first.
    InputGate::instance().runHeld();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
