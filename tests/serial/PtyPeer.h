#pragma once

#include "SimScope.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// The other end of a pseudo-terminal pair: the simulated scope answering over
// a real serial line. It runs in a thread of its own, as the instrument does.
class PtyPeer {
public:
    enum class Mode { Answer, Silent, SplitAnswers };
    explicit PtyPeer(Mode mode = Mode::Answer);
    ~PtyPeer();

    const std::string& slavePath() const { return slavePath_; }
    void hangUp(); // closes the master: the line goes away
    std::string received();
    std::string sent();

    SimScope scope;

private:
    void run();
    void answer(const std::string& reply);

    Mode mode_;
    int master_ = -1;
    std::string slavePath_;
    std::atomic<bool> running_{true};
    std::mutex mutex_;
    std::string received_;
    std::string sent_;
    std::string pending_;
    std::thread thread_;
};
