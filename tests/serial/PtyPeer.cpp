#include "PtyPeer.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer(Mode mode) : mode_(mode) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    slavePath_ = ptsname(master_);
    termios raw{};
    tcgetattr(master_, &raw);
    cfmakeraw(&raw);
    tcsetattr(master_, TCSANOW, &raw);
    thread_ = std::thread([this] { run(); });
}

PtyPeer::~PtyPeer() {
    running_ = false;
    thread_.join();
    if (master_ >= 0) {
        close(master_);
    }
}

void PtyPeer::hangUp() {
    running_ = false;
    thread_.join();
    close(master_);
    master_ = -1;
    thread_ = std::thread([] {});
}

std::string PtyPeer::received() {
    std::lock_guard lock(mutex_);
    return received_;
}

std::string PtyPeer::sent() {
    std::lock_guard lock(mutex_);
    return sent_;
}

void PtyPeer::misbehave(const std::string& command, Misbehaviour how) {
    std::lock_guard lock(mutex_);
    misbehaviours_[command] = how;
}

void PtyPeer::writeAll(const std::string& bytes) {
    std::size_t at = 0;
    while (at < bytes.size() && master_ >= 0) {
        const ssize_t n = write(master_, bytes.data() + at, bytes.size() - at);
        if (n <= 0) {
            pollfd p{master_, POLLOUT, 0};
            poll(&p, 1, 20);
            if (!running_) {
                return;
            }
            continue;
        }
        at += static_cast<std::size_t>(n);
    }
    std::lock_guard lock(mutex_);
    sent_ += bytes;
}

void PtyPeer::answer(const std::string& reply) {
    if (mode_ == Mode::SplitAnswers) {
        // Three pieces with pauses: the reader must gather them.
        const std::size_t third = reply.size() / 3;
        for (std::size_t at = 0; at < reply.size(); at += third) {
            writeAll(reply.substr(at, third));
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
    } else if (mode_ == Mode::SplitAtLineEnd && reply.size() >= 2) {
        writeAll(reply.substr(0, reply.size() - 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        writeAll(reply.substr(reply.size() - 1));
    } else {
        writeAll(reply);
    }
}

void PtyPeer::answer(const std::string& reply, Misbehaviour how) {
    using namespace std::chrono_literals;
    switch (how) {
    case Misbehaviour::AnswerTwice:
        writeAll(reply + reply);
        break;
    case Misbehaviour::LongAnswer:
        writeAll(reply.substr(0, reply.size() - 2) + std::string(300, ';') + "\r\n");
        break;
    case Misbehaviour::LateAnswer:
        std::this_thread::sleep_for(std::chrono::milliseconds(lateMs));
        writeAll(reply);
        break;
    case Misbehaviour::NulBefore:
        writeAll(std::string(2, '\0') + reply);
        break;
    case Misbehaviour::NulAfter:
        writeAll(reply + std::string(2, '\0'));
        break;
    case Misbehaviour::Trickle:
        for (char c : reply) {
            writeAll(std::string(1, c));
            std::this_thread::sleep_for(5ms);
        }
        break;
    case Misbehaviour::Flood:
        flood_ = reply;
        break;
    case Misbehaviour::HangUp:
        writeAll(reply.substr(0, reply.size() / 2));
        std::this_thread::sleep_for(30ms);
        close(master_);
        master_ = -1;
        running_ = false;
        break;
    }
}

void PtyPeer::floodOnce() {
    // As much as the line takes without blocking; the reader is held off by
    // the pseudo-terminal's buffer as a real one is by the flow control.
    const ssize_t n = write(master_, flood_.data(), flood_.size());
    if (n > 0) {
        std::lock_guard lock(mutex_);
        sent_.append(flood_, 0, static_cast<std::size_t>(n));
    }
}

void PtyPeer::run() {
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    char buffer[512];
    while (running_) {
        pollfd p{master_, static_cast<short>(POLLIN | (flood_.empty() ? 0 : POLLOUT)), 0};
        if (poll(&p, 1, 20) <= 0) {
            continue;
        }
        if ((p.revents & POLLOUT) != 0 && !flood_.empty()) {
            floodOnce();
        }
        if ((p.revents & POLLIN) == 0) {
            continue;
        }
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
        for (auto end = pending_.find("\r\n"); end != std::string::npos && running_; end = pending_.find("\r\n")) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            const auto reply = scope.execute(line);
            if (!reply || mode_ == Mode::Silent || !flood_.empty()) {
                continue;
            }
            std::unique_lock lock(mutex_);
            const auto found = misbehaviours_.find(line);
            if (found == misbehaviours_.end()) {
                lock.unlock();
                answer(*reply);
            } else {
                const Misbehaviour how = found->second;
                lock.unlock();
                answer(*reply, how);
            }
        }
    }
}
