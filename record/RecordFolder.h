#pragma once

#include "RecordLayout.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

// The record's folder on the disk. Files are only ever appended to or made
// new: nothing in them is rewritten, renamed or truncated. Each write is
// flushed to the disk (fsync) before it counts as done, so a crash or a
// power cut loses at most the write under way. A failure gives its reason;
// nothing is thrown.
class RecordFolder {
  public:
    explicit RecordFolder(std::string path) : path_(std::move(path)) {}

    // What an append did: lines for the event list (a cut-off row ended,
    // another file used) and why it failed, if it did.
    struct Appended {
        std::vector<std::string> notices;
        std::optional<std::string> problem;
    };
    // Appends whole lines to the first of `file`, `file-2`, `file-3`, ...
    // that does not exist yet or begins with exactly `header` (a new one is
    // made with the header first). Each append holds the file's advisory
    // lock, so that programs sharing the folder never interleave, and a last
    // row cut off by a crash is first ended with a line end of its own.
    Appended appendLines(const std::string& file, const std::string& header, const std::deque<std::string>& lines);
    // Writes a whole file under a name of its own (never over another one:
    // "-2", "-3" ... are added to the name while it is taken); `written`
    // receives the path it went to.
    std::optional<std::string> writeNewFile(const std::string& file, const std::string& bytes,
                                            std::string* written = nullptr) const;

    const std::string& path() const { return path_; }

    // The two calls that keep an append's promises: the lock of the open
    // file (fcntl F_OFD_SETLK) and the flush of its bytes to the disk
    // (fsync). Tests replace them to count them; the program never does.
    struct Durability {
        int (*lockFile)(int fd, void* lock);
        int (*syncFile)(int fd);
    };
    static Durability& durability();

    // How long an append waits for another program's lock before it fails.
    static constexpr int LockWaitMs = 2000;
    // results.csv to results-1000.csv: beyond that an append gives up.
    static constexpr int MaxFiles = 1000;

  private:
    std::optional<std::string> makeFolder() const;
    std::string pathOf(const std::string& file) const { return path_ + "/" + file; }

    // Which of the numbered files this run writes to, once found.
    int fileNumber_ = 1;
    bool announced_ = false;
    std::string path_;
};
