#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Runs the record's writes on a thread of their own, one after the other,
// so that a slow or stuck disk never holds the windows. A write that fails
// leaves its reason to be collected.
class BackgroundWriter {
public:
    // A write: nothing when it succeeded, else why it failed.
    using Job = std::function<std::optional<std::string>()>;

    BackgroundWriter();
    // Finishes what was submitted, then ends the thread.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    void submit(Job job);
    // Waits at most `limit` for everything submitted to be done; true if it is.
    bool waitIdle(std::chrono::milliseconds limit);
    // The reasons of the failures since the last call, in their order.
    std::vector<std::string> takeFailures();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool working_ = false;
    bool ending_ = false;
    std::vector<std::string> failures_;
    std::thread thread_;
};
