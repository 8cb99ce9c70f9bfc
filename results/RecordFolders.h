#pragma once

#include "RecordReader.h"

#include <QStringList>
#include <memory>
#include <vector>

// Every results*.csv of one or more record folders, read as they grow.
class RecordFolders {
  public:
    explicit RecordFolders(QStringList folders) : folders_(std::move(folders)) {}

    // Finds files that are new, then reads at most `maxBytes` of what was
    // added to them; the rows go to `rows`. True while more remains.
    bool readMore(std::vector<ResultRow>& rows, qint64 maxBytes = 8 << 20);
    // The files (by their index in the rows) that were cut shorter, replaced
    // or removed since the last read, and are read anew: their earlier rows
    // are stale.
    const std::vector<int>& restartedSinceLastRead() const { return restarted_; }

    const QStringList& folders() const { return folders_; }
    QStringList filePaths() const;
    // The file a row came from, as the operator knows it: its name, and its
    // folder's when several are read.
    QString fileName(int file) const;
    // The name of the folder a file (by its index) is in.
    QString folderName(int file) const;
    // "2 rows not read: results.csv lines 17 and 40"; empty when all were.
    QString unreadSummary() const;
    // What stands in the way, in words: a folder not found or not readable,
    // a file not readable, empty, of other columns, or with its last row
    // still being written.
    QStringList notes() const;
    qint64 unreadCount() const;
    // Bytes read so far, and left to read: how many rows are still to come.
    qint64 bytesRead() const;
    qint64 bytesLeft() const;

  private:
    void findFiles();

    QStringList folders_;
    std::vector<std::unique_ptr<RecordFileReader>> files_;
    std::vector<int> restarted_;
};
