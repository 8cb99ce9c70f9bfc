#pragma once

#include "BackgroundWriter.h"
#include "PassOutcome.h"
#include "RecordFolder.h"

#include <QDateTime>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

// The measurement record kept with --record DIR: every pass a row of
// DIR/results.csv, every CAPTURE a DIR/report-<date>-<time>.png. The writes
// happen on a thread of their own; the windows only hand them over.
class MeasurementRecord {
public:
    explicit MeasurementRecord(std::string folder) : folder_(std::move(folder)) {}

    static constexpr const char* ResultsFile = "results.csv";

    void passEnded(const PassOutcome& pass);
    // `encode` makes the picture's bytes; it runs on the writing thread.
    void reportCaptured(const QDateTime& when, std::function<std::string()> encode);
    static std::string reportFileName(const QDateTime& when);

    // The reasons of failed writes, after waiting at most `limit` for the
    // writes under way (a slow disk then reports later).
    std::vector<std::string> failures(std::chrono::milliseconds limit);
    // How long the end of a pass or a capture waits for its write before it
    // logs what failed: a few milliseconds hold no window.
    std::chrono::milliseconds reportWait{10};

    // Waits at most `limit` for every write handed over to be done (at the
    // program's end, and in tests); true when they are.
    bool finish(std::chrono::milliseconds limit = std::chrono::hours(1)) { return writer_.waitIdle(limit); }
    const std::string& folder() const { return folder_.path(); }

private:
    RecordFolder folder_;
    BackgroundWriter writer_;
};
