#include "SimLine.h"
#include "Clock.h"

#include <gtest/gtest.h>

// The simulated line costs what a real one does and keeps what nobody read.

TEST(SimLine, EveryByteCostsItsLineTimeBothWays) {
    VirtualClock clock;
    SimLine line(clock);
    line.transmit(20); // a value query: 20 bytes at 1.0417 ms
    EXPECT_EQ(clock.slept(), 21u);
    line.send(std::string(31, 'x') + "\n"); // its answer, after the scope's latency
    const SimLine::Received fast = line.read(256, 5000, true);
    EXPECT_EQ(fast.bytes.size(), 32u);
    // 20.8 ms out, 5 ms latency, 33.3 ms back: done at the line feed's arrival.
    EXPECT_EQ(clock.slept(), 60u);
    EXPECT_EQ(line.bytesMoved(), 52u);

    line.transmit(20);
    line.send("answer\r\n");
    const std::uint64_t before = clock.slept();
    const SimLine::Received faithful = line.read(256, 5000, false);
    EXPECT_EQ(faithful.bytes, "answer\r\n");
    EXPECT_EQ(clock.slept() - before, 5000u) << "256 bytes never come: the time-out decides";
}

TEST(SimLine, APurgeDropsWhatArrivedAndNotWhatIsOnItsWay) {
    VirtualClock clock;
    SimLine line(clock);
    line.transmit(10);
    line.send("first\r\n");
    clock.sleep(100); // all of it has arrived
    line.transmit(10);
    line.send("second\r\n"); // still on the way when the purge comes
    line.purge();
    EXPECT_EQ(line.queued(), 8u);
    EXPECT_EQ(line.read(256, 1000, true).bytes, "second\r\n");
}

TEST(SimLine, LateTrickledFloodedAndDeadLines) {
    VirtualClock clock;
    SimLine line(clock);
    line.transmit(20);
    line.send("late\r\n", 5'200'000); // after a 5-second time-out
    EXPECT_TRUE(line.read(256, 5000, true).bytes.empty());
    EXPECT_EQ(line.read(256, 5000, true).bytes, "late\r\n") << "it stays queued for the next read";

    line.transmit(20);
    line.send("slow\r\n", SimLine::AnswerLatencyUs, SimLine::TrickleByteUs);
    const std::uint64_t before = clock.slept();
    EXPECT_EQ(line.read(256, 5000, true).bytes, "slow\r\n");
    EXPECT_GE(clock.slept() - before, 48u) << "six bytes at 8 ms";

    line.transmit(20);
    line.flood("stuck\r\n");
    EXPECT_EQ(line.read(256, 5000, false).bytes.size(), 256u) << "a flood fills any read";
    clock.sleep(600'000); // ten minutes of flooding
    line.purge();
    EXPECT_LE(line.queued(), SimLine::MostQueued) << "held off by the flow control";

    line.reset();
    line.transmit(20);
    line.send("half");
    line.hangUpAfterQueued();
    const SimLine::Received last = line.read(256, 5000, false);
    EXPECT_EQ(last.bytes, "half");
    EXPECT_TRUE(last.lineWentDown);
    EXPECT_TRUE(line.isDown());
}
