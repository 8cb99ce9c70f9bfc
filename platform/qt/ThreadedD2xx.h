#pragma once

#include "D2xx.h"

#include <QThread>
#include <functional>

class QObject;

// Makes every call of a device library on a thread of its own. While a call
// blocks (a read waits up to 5 seconds for its answer) the user-interface
// thread waits in a local event loop that leaves the operator's input for
// later: the windows keep painting, moving and answering the window
// manager, show a busy cursor, and no form code runs until the call is done.
// The library and the objects it makes (a serial port) live on that thread.
class ThreadedD2xx final : public D2xx {
  public:
    explicit ThreadedD2xx(D2xx& inner);
    ~ThreadedD2xx() override;

    D2XX_OVERRIDES

    // Runs work on the device thread without waiting for it, after the calls
    // before it: how the bench panel changes the simulated scope.
    void post(std::function<void()> work);
    // Runs work on the device thread after the calls before it and waits for
    // it, as for a call: how the simulated bench's truth is read.
    void runAndWait(const std::function<void()>& work);

    // Runs before the user-interface thread starts waiting for a call: the
    // views repaint from their models, so that what was logged since the
    // last yield is on the screen while the call blocks.
    std::function<void()> beforeWaiting;

    // A call that takes longer than this shows the busy cursor.
    static constexpr int BusyCursorAfterMs = 150;

  private:
    FT_STATUS call(const std::function<FT_STATUS()>& work);

    D2xx& inner_;
    QThread thread_;
    QObject* worker_;
};
