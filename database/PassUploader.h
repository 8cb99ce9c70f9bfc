#pragma once

#include "DatabaseTarget.h"

#include <QString>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Uploads a record folder's passes to the lab database on a thread of its
// own, in the record's order, each by its pass id (one already there is
// left as it is). Nothing here ever waits on the database: a pass is on the
// disk before it is offered, and one that cannot go up (server down, network
// gone, password refused, another schema) waits in the record and goes up
// when the server is back, also after a restart of the program.
class PassUploader {
  public:
    PassUploader(DatabaseTarget target, QString folder);
    ~PassUploader();
    PassUploader(const PassUploader&) = delete;
    PassUploader& operator=(const PassUploader&) = delete;

    // A row may have landed: look now rather than at the next poll.
    void nudge();
    // Uploads what it can within `limit`, then stops; what did not go up
    // waits in the record for the next run. Called once, at the end.
    void finish(std::chrono::milliseconds limit);
    // Lines for the event list and standard error, each once:
    // "DATABASE Failed: <reason> (N passes waiting)" when an outage starts,
    // "DATABASE N passes uploaded" when it is over.
    std::vector<std::string> events();
    // Passes uploaded by this uploader so far (benchmarks, tests).
    std::size_t uploadedCount() const;

    static constexpr std::chrono::milliseconds Poll{500};
    static constexpr std::chrono::milliseconds Retry{1000};
    static constexpr std::size_t Batch = 200;
    // Beside the record: the rows that could not go up, and why.
    static constexpr const char* SetAsideFile = "database-set-aside.csv";

  private:
    struct State;
    std::shared_ptr<State> state_;
};
