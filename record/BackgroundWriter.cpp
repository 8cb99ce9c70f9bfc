#include "BackgroundWriter.h"

#include <iterator>
#include <utility>

BackgroundWriter::BackgroundWriter() : thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

bool BackgroundWriter::waitIdle(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return jobs_.empty() && !working_; });
}

std::vector<std::string> BackgroundWriter::takeLines() {
    std::lock_guard lock(mutex_);
    return std::exchange(lines_, {});
}

void BackgroundWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
        if (jobs_.empty()) {
            return; // ending, and nothing left to write
        }
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        working_ = true;
        lock.unlock();
        std::vector<std::string> told = job();
        lock.lock();
        working_ = false;
        lines_.insert(lines_.end(), std::make_move_iterator(told.begin()), std::make_move_iterator(told.end()));
        changed_.notify_all();
    }
}
