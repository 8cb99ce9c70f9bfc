#pragma once

#include <cstdint>

// 32-bit millisecond ticks that wrap, and a sleep. Every wait and time-out of
// the program goes through a Clock, so tests can run on virtual time.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint32_t ticks() = 0;
    virtual void sleep(std::uint32_t ms) = 0;
};

// Wall-clock time from the steady clock; sleeping blocks the thread.
class RealClock final : public Clock {
  public:
    std::uint32_t ticks() override;
    void sleep(std::uint32_t ms) override;
};

// Time that moves only when somebody sleeps on it: a 5-second read time-out
// costs nothing in a test, and the total shows what the real clock would cost.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t ticks() override { return now_; }
    void sleep(std::uint32_t ms) override {
        now_ += ms;
        slept_ += ms;
    }
    // Milliseconds slept in all, unaffected by the 32-bit wrap of ticks().
    std::uint64_t slept() const { return slept_; }

  private:
    std::uint32_t now_;
    std::uint64_t slept_ = 0;
};
