#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Runs the record's writes on a thread of their own, one after the other,
// so that a slow or stuck disk never holds the windows. What a write has to
// tell (a failure, a notice) is left as event-list lines to be collected.
class BackgroundWriter {
  public:
    // A write: the lines it has to tell, none when all went well.
    using Job = std::function<std::vector<std::string>()>;

    BackgroundWriter();
    // Finishes what was submitted, then ends the thread.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    void submit(Job job);
    // Waits at most `limit` for everything submitted to be done; true if it is.
    bool waitIdle(std::chrono::milliseconds limit);
    // The jobs' lines since the last call, in their order.
    std::vector<std::string> takeLines();

  private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool working_ = false;
    bool ending_ = false;
    std::vector<std::string> lines_;
    std::thread thread_;
};
