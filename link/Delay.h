#pragma once

#include <cstdint>

class Clock;
class EventPump;

// The millisecond wait every window uses between steps. It lets pending
// window events run every 100 ms (never more often) and lasts at least
// msdelay milliseconds; it sleeps between those marks instead of spinning.
void delay(Clock& clock, EventPump& pump, std::int32_t msdelay);
