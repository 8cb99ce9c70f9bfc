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

void PtyPeer::answer(const std::string& reply) {
    if (mode_ == Mode::SplitAnswers) {
        // Three pieces with pauses: the reader must gather them.
        const std::size_t third = reply.size() / 3;
        for (std::size_t at = 0; at < reply.size(); at += third) {
            const std::string piece = reply.substr(at, third);
            (void)!write(master_, piece.data(), piece.size());
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
    } else {
        (void)!write(master_, reply.data(), reply.size());
    }
    std::lock_guard lock(mutex_);
    sent_ += reply;
}

void PtyPeer::run() {
    char buffer[512];
    while (running_) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0 || (p.revents & POLLIN) == 0) {
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
        for (auto end = pending_.find("\r\n"); end != std::string::npos; end = pending_.find("\r\n")) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            const auto reply = scope.execute(line);
            if (reply && mode_ != Mode::Silent) {
                answer(*reply);
            }
        }
    }
}
