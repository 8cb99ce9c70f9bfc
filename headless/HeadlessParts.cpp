#include "HeadlessParts.h"

#include "StopSignals.h"

#include <QCoreApplication>

void SignalPump::yield() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents();
    }
    if (!told_ && StopSignals::requested()) {
        told_ = true;
        if (onStopRequest) {
            onStopRequest();
        }
    }
}

void HeadlessHost::endProgram() {
    if (ended) {
        return;
    }
    if (beforeEnd) {
        beforeEnd();
    }
    ended = true;
}
