#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

class Clock;

// The serial line between the adapter and the scope, in time. Every byte
// takes ten bit times at 9600 baud in either direction, the scope starts an
// answer a little after the command has reached it, and what it sent stays
// queued until it is read or purged: bytes still on their way arrive later.
class SimLine {
  public:
    explicit SimLine(Clock& clock);

    static constexpr double ByteUs = 10.0 * 1'000'000 / 9600; // 1041.7 us
    static constexpr std::uint64_t AnswerLatencyUs = 5'000;
    static constexpr double TrickleByteUs = 8'000;
    // A flooding scope is held off by the flow control once this much waits.
    static constexpr std::size_t MostQueued = 64 * 1024;

    // Whole milliseconds a write of `bytes` keeps the program waiting.
    static std::uint32_t writeMs(std::size_t bytes) {
        return static_cast<std::uint32_t>((static_cast<double>(bytes) * ByteUs + 999.0) / 1000.0);
    }

    // The program sends `bytes`; returns (on the clock) when they are on the
    // wire, that is when the scope has the whole command.
    void transmit(std::size_t bytes);
    // The scope sends `text`, starting `delayUs` after the command reached it
    // (and after whatever it is still sending), one byte every `spacingUs`.
    void send(const std::string& text, std::uint64_t delayUs = AnswerLatencyUs, double spacingUs = ByteUs);
    // From now on the scope repeats `text` without pause.
    void flood(const std::string& text);
    // The line goes away once everything the scope has sent so far arrived.
    void hangUpAfterQueued();
    bool isDown();

    struct Received {
        std::string bytes;
        bool lineWentDown = false;
    };
    // Waits as a read of the device library does: until `wanted` bytes have
    // arrived, or (untilLineFeed) a line feed after some data, or the
    // time-out since the call began, or the line going away.
    Received read(std::size_t wanted, std::uint32_t timeoutMs, bool untilLineFeed);
    // Drops what has arrived; what is still on its way is not touched.
    void purge();
    // A new link: nothing queued, the line up.
    void reset();

    std::size_t queued() const { return rx_.size(); }
    std::uint64_t bytesMoved() const { return moved_; }

  private:
    std::uint64_t nowUs();
    void sleepUntil(std::uint64_t us);
    void topUpFlood(std::uint64_t untilUs);
    std::size_t arrivedBy(std::uint64_t us) const;

    Clock& clock_;
    std::uint32_t lastTicks_;
    std::uint64_t elapsedMs_ = 0;
    struct Byte {
        char c;
        std::uint64_t atUs;
    };
    std::deque<Byte> rx_;
    std::uint64_t commandAtUs_ = 0; // when the last command reached the scope
    std::uint64_t txFreeUs_ = 0;    // program -> scope direction free again
    std::uint64_t rxFreeUs_ = 0;    // scope -> program direction free again
    std::optional<std::uint64_t> downAtUs_;
    std::string flood_;
    std::size_t floodPos_ = 0;
    double floodNextUs_ = 0;
    std::uint64_t moved_ = 0;
};
