#include "SimLine.h"

#include "Clock.h"

#include <algorithm>
#include <cmath>

SimLine::SimLine(Clock& clock) : clock_(clock), lastTicks_(clock.ticks()) {}

std::uint64_t SimLine::nowUs() {
    // The clock's 32-bit ticks wrap; their differences do not.
    const std::uint32_t ticks = clock_.ticks();
    elapsedMs_ += ticks - lastTicks_;
    lastTicks_ = ticks;
    return elapsedMs_ * 1000;
}

void SimLine::sleepUntil(std::uint64_t us) {
    const std::uint64_t now = nowUs();
    if (us > now) {
        clock_.sleep(static_cast<std::uint32_t>((us - now + 999) / 1000));
    }
}

void SimLine::transmit(std::size_t bytes) {
    const auto start = static_cast<double>(std::max(nowUs(), txFreeUs_));
    txFreeUs_ = static_cast<std::uint64_t>(std::ceil(start + static_cast<double>(bytes) * ByteUs));
    commandAtUs_ = txFreeUs_;
    moved_ += bytes;
    sleepUntil(txFreeUs_);
}

void SimLine::send(const std::string& text, std::uint64_t delayUs, double spacingUs) {
    if (!flood_.empty() || downAtUs_) {
        return; // a flooding scope answers nothing else; a dead line carries nothing
    }
    double at = static_cast<double>(std::max(commandAtUs_ + delayUs, rxFreeUs_));
    for (char c : text) {
        at += spacingUs;
        rx_.push_back({c, static_cast<std::uint64_t>(std::ceil(at))});
    }
    rxFreeUs_ = static_cast<std::uint64_t>(std::ceil(at));
}

void SimLine::flood(const std::string& text) {
    if (text.empty()) {
        return;
    }
    flood_ = text;
    floodPos_ = 0;
    floodNextUs_ = static_cast<double>(std::max(commandAtUs_ + AnswerLatencyUs, rxFreeUs_)) + ByteUs;
}

void SimLine::topUpFlood(std::uint64_t untilUs) {
    while (!flood_.empty() && floodNextUs_ <= static_cast<double>(untilUs) && rx_.size() < MostQueued) {
        rx_.push_back({flood_[floodPos_], static_cast<std::uint64_t>(std::ceil(floodNextUs_))});
        floodPos_ = (floodPos_ + 1) % flood_.size();
        floodNextUs_ += ByteUs;
    }
    if (rx_.size() >= MostQueued && floodNextUs_ < static_cast<double>(untilUs)) {
        floodNextUs_ = static_cast<double>(untilUs); // held off meanwhile, not caught up later
    }
}

void SimLine::hangUpAfterQueued() {
    downAtUs_ = std::max(rxFreeUs_, commandAtUs_) + static_cast<std::uint64_t>(ByteUs);
}

bool SimLine::isDown() {
    return downAtUs_ && *downAtUs_ <= nowUs();
}

std::size_t SimLine::arrivedBy(std::uint64_t us) const {
    const auto first = std::find_if(rx_.begin(), rx_.end(), [us](const Byte& b) { return b.atUs > us; });
    return static_cast<std::size_t>(first - rx_.begin());
}

SimLine::Received SimLine::read(std::size_t wanted, std::uint32_t timeoutMs, bool untilLineFeed) {
    const std::uint64_t start = nowUs();
    std::uint64_t end = start + std::uint64_t{timeoutMs} * 1000;
    topUpFlood(end);
    std::size_t count = 0;
    // The moment the read completes: the wanted byte count, or with
    // untilLineFeed the first line feed after some data, or the time-out.
    for (std::size_t i = 0; i < std::min(wanted, rx_.size()); ++i) {
        if (rx_[i].atUs > end) {
            break;
        }
        if (i + 1 == wanted || (untilLineFeed && rx_[i].c == '\n')) {
            end = std::max(start, rx_[i].atUs);
            count = i + 1;
            break;
        }
    }
    Received received;
    if (downAtUs_ && *downAtUs_ <= end) {
        end = std::max(start, *downAtUs_);
        received.lineWentDown = true;
        count = 0;
    }
    if (count == 0) {
        count = std::min(wanted, arrivedBy(end));
    }
    sleepUntil(end);
    for (std::size_t i = 0; i < count; ++i) {
        received.bytes += rx_[i].c;
    }
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(count));
    moved_ += count;
    return received;
}

void SimLine::purge() {
    const std::uint64_t now = nowUs();
    topUpFlood(now);
    const std::size_t arrived = arrivedBy(now);
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(arrived));
    moved_ += arrived;
}

void SimLine::reset() {
    rx_.clear();
    flood_.clear();
    downAtUs_.reset();
    const std::uint64_t now = nowUs();
    commandAtUs_ = now;
    txFreeUs_ = now;
    rxFreeUs_ = now;
}
