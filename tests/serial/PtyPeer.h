#pragma once

#include "SimScope.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// The other end of a pseudo-terminal pair: the simulated scope answering over
// a real serial line. It runs in a thread of its own, as the instrument does,
// and can misbehave the way real instruments and lines do.
class PtyPeer {
  public:
    // SplitAnswers: three pieces with pauses; SplitAtLineEnd: everything up
    // to the CR, a pause, then the LF alone.
    enum class Mode { Answer, Silent, SplitAnswers, SplitAtLineEnd };
    enum class Misbehaviour {
        AnswerTwice, // the answer twice, back to back
        LongAnswer,  // 300 more bytes before the line end
        LateAnswer,  // the answer after `lateMs`
        NulBefore,   // two NUL bytes, then the answer
        NulAfter,    // the answer, then two NUL bytes
        Trickle,     // one byte every 5 ms
        Flood,       // the answer repeated without pause from now on
        HangUp,      // half the answer, then the line goes away
    };
    explicit PtyPeer(Mode mode = Mode::Answer);
    ~PtyPeer();

    const std::string& slavePath() const { return slavePath_; }
    void hangUp(); // closes the master: the line goes away
    std::string received();
    std::string sent();
    // The answer to this command line (without CR LF) misbehaves, every time.
    void misbehave(const std::string& command, Misbehaviour how);
    int lateMs = 600;

    SimScope scope;

  private:
    void run();
    void answer(const std::string& reply);
    void answer(const std::string& reply, Misbehaviour how);
    void writeAll(const std::string& bytes);
    void floodOnce();

    Mode mode_;
    int master_ = -1;
    std::string slavePath_;
    std::atomic<bool> running_{true};
    std::mutex mutex_;
    std::string received_;
    std::string sent_;
    std::string pending_;
    std::map<std::string, Misbehaviour> misbehaviours_;
    std::string flood_;
    std::thread thread_;
};
