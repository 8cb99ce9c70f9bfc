#include "Delay.h"

#include "Clock.h"
#include "EventPump.h"

#include <algorithm>

void delay(Clock& clock, EventPump& pump, std::int32_t msdelay) {
    const std::uint32_t start = clock.ticks();
    std::uint32_t nextYield = 100;
    if (msdelay <= 0) {
        return;
    }
    const auto wanted = static_cast<std::uint32_t>(msdelay);
    for (;;) {
        // Unsigned difference: a wrap of the tick counter does no harm.
        const std::uint32_t elapsed = clock.ticks() - start;
        if (elapsed >= nextYield) {
            nextYield = elapsed + 100;
            pump.yield();
        }
        if (elapsed >= wanted) {
            return;
        }
        const std::uint32_t wakeAt = std::min(nextYield, wanted);
        const std::uint32_t now = clock.ticks() - start;
        if (now < wakeAt) {
            clock.sleep(wakeAt - now);
        }
    }
}
