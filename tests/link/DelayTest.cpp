#include "Delay.h"
#include "Clock.h"
#include "ScriptedPump.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Records the clock at every yield.
struct TickPump final : EventPump {
    explicit TickPump(VirtualClock& c) : clock(c) {}
    void yield() override { at.push_back(clock.slept()); }
    VirtualClock& clock;
    std::vector<std::uint64_t> at;
};

} // namespace

TEST(Delay, ZeroOrLessReturnsAtOnceWithoutYielding) {
    VirtualClock clock;
    TickPump pump(clock);
    delay(clock, pump, 0);
    delay(clock, pump, -5);
    EXPECT_EQ(clock.slept(), 0u);
    EXPECT_TRUE(pump.at.empty());
}

TEST(Delay, YieldsEveryHundredMillisecondsAndLastsAtLeastTheWait) {
    VirtualClock clock;
    TickPump pump(clock);
    delay(clock, pump, 250);
    EXPECT_EQ(clock.slept(), 250u);
    EXPECT_EQ(pump.at, (std::vector<std::uint64_t>{100, 200}));

    VirtualClock clock2;
    TickPump pump2(clock2);
    delay(clock2, pump2, 2000);
    EXPECT_EQ(clock2.slept(), 2000u);
    EXPECT_EQ(pump2.at.size(), 20u);
}

TEST(Delay, SurvivesAWrapOfTheTickCounter) {
    VirtualClock clock(0xFFFFFF00u); // wraps after 256 ms
    TickPump pump(clock);
    delay(clock, pump, 1000);
    EXPECT_EQ(clock.slept(), 1000u);
    EXPECT_EQ(pump.at.size(), 10u);
}

TEST(Delay, AnActionInsideAYieldDoesNotShortenOrRepeatTheMarks) {
    // A button pressed during the wait takes 5 s of its own; afterwards the
    // wait yields once more and ends, instead of once for every missed mark.
    VirtualClock clock;
    ScriptedPump pump;
    bool pressed = false;
    pump.when([&] { return !pressed; },
              [&] {
                  pressed = true;
                  clock.sleep(5000);
              });
    delay(clock, pump, 300);
    EXPECT_EQ(clock.slept(), 5100u);
    EXPECT_EQ(pump.yields, 2);
}
