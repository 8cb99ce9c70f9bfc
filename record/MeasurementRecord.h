#pragma once

#include "BackgroundWriter.h"
#include "PassOutcome.h"
#include "RecordFolder.h"

#include <QDateTime>
#include <chrono>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

// The measurement record kept with --record DIR: every pass a row of
// DIR/results.csv (or of the next results-N.csv when that one has other
// columns), every CAPTURE a DIR/report-<date>-<time>.png. The writes happen
// on a thread of their own; the windows only hand them over. A row that
// cannot be written waits and goes first with the next one.
class MeasurementRecord {
  public:
    // `spareFolder` takes the rows still waiting at the end: by default the
    // user's data folder for this program.
    explicit MeasurementRecord(std::string folder, std::string spareFolder = defaultSpareFolder());

    static constexpr const char* ResultsFile = RecordFileName;
    // Rows kept while they cannot be written; beyond that the oldest goes.
    static constexpr std::size_t MaxWaiting = 10000;

    void passEnded(const PassOutcome& pass);
    // `encode` makes the picture's bytes; it runs on the writing thread.
    void reportCaptured(const QDateTime& when, std::function<std::string()> encode);
    static std::string reportFileName(const QDateTime& when);
    // A limit set its passes were judged against, kept once beside them as
    // limits-<SHA-256>.json, so that a reader knows the limits of each pass.
    void keepLimitSet(const std::string& sha256, const std::string& bytes);
    static std::string limitSetFileName(const std::string& sha256);

    // The event-list lines of the writes ("RECORD Failed: <reason>", and
    // what the record has to tell), after waiting at most `limit` for the
    // writes under way (a slow disk then reports later).
    std::vector<std::string> events(std::chrono::milliseconds limit);
    // How long the end of a pass or a capture waits for its write before it
    // logs what happened: a few milliseconds hold no window.
    std::chrono::milliseconds reportWait{10};

    // Waits at most `limit` for every write handed over to be done (in
    // tests); true when they are.
    bool finish(std::chrono::milliseconds limit = std::chrono::hours(1)) { return writer_.waitIdle(limit); }
    // At the program's end: one last try for the rows still waiting, and
    // those that still cannot be written go to a file of their own in the
    // spare folder. Waits at most `limit`; true when all is done.
    bool close(std::chrono::milliseconds limit);
    const std::string& folder() const { return folder_.path(); }

    static std::string defaultSpareFolder();

  private:
    std::vector<std::string> writeWaiting();
    std::vector<std::string> saveWaiting();

    RecordFolder folder_;
    std::string spareFolder_;
    std::deque<std::string> waiting_;     // only the writing thread touches it
    std::set<std::string> limitSetsKept_; // handed over in this run
    BackgroundWriter writer_;             // last: its thread ends first
};
