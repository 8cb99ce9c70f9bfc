#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The record's files in a folder (results.csv, results-2.csv, ...) in the
// order they were made, by name; other files are not the record's.
QStringList numberedRecordFiles(const QString& folder);

// Which file a reader of the record read, as the system knows it: its device
// and inode (0: not known, as in a cursor kept by an older program).
struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
};
std::optional<FileIdentity> fileIdentityOf(const QString& path);
std::optional<FileIdentity> fileIdentityOfOpen(int descriptor);

// The one rule every reader of the record follows (the results window and
// the upload alike): what was read from a file stands while the same file
// holds at least that much. Cut shorter than what was read, replaced by
// another file under its name, or removed, it is read anew from its start.
bool readAnew(const std::optional<FileIdentity>& readBefore, std::int64_t readUpTo,
              const std::optional<FileIdentity>& now, std::int64_t size);
