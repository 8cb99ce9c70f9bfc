#pragma once

#include <optional>
#include <string>

// The record's folder on the disk. Each write is flushed to the disk (fsync)
// before it counts as done, so a crash or a power cut loses at most the
// write under way. A failure gives its reason; nothing is thrown.
class RecordFolder {
public:
    explicit RecordFolder(std::string path) : path_(std::move(path)) {}

    // Appends a line to the file, which (with the folder) is made with the
    // header line first when it is missing or empty.
    std::optional<std::string> appendLine(const std::string& file, const std::string& header,
                                          const std::string& line) const;
    // Writes a whole file under a name of its own (never over another one:
    // "-2", "-3" ... are added to the name while it is taken).
    std::optional<std::string> writeNewFile(const std::string& file, const std::string& bytes) const;

    const std::string& path() const { return path_; }

private:
    std::optional<std::string> makeFolder() const;
    std::string pathOf(const std::string& file) const { return path_ + "/" + file; }

    std::string path_;
};
