#include "InputGate.h"

#include <QCoreApplication>
#include <QTimer>

InputGate& InputGate::instance() {
    static InputGate gate;
    return gate;
}

void InputGate::act(std::function<void()> action) {
    if (!deviceCallUnderWay() && held_.empty()) {
        action();
        return;
    }
    held_.push_back(std::move(action));
    runHeldSoon();
}

void InputGate::runHeld() {
    while (!deviceCallUnderWay() && !held_.empty()) {
        std::function<void()> action = std::move(held_.front());
        held_.pop_front();
        action();
    }
}

void InputGate::runHeldSoon() {
    // Whichever comes first runs them: the next yield of a running action,
    // or, when the action has ended meanwhile, the event loop itself.
    if (QCoreApplication::instance() != nullptr) {
        QTimer::singleShot(0, QCoreApplication::instance(), [this] { runHeld(); });
    }
}

InputGate::DeviceCall::DeviceCall() {
    ++instance().depth_;
}

InputGate::DeviceCall::~DeviceCall() {
    InputGate& gate = instance();
    if (--gate.depth_ == 0 && !gate.held_.empty()) {
        gate.runHeldSoon();
    }
}
