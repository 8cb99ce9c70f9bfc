#pragma once

#include <array>

#include "RecordFileRule.h"
#include "RecordRows.h"
#include "ResultRow.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// Reads a record's results*.csv files as they grow: only the bytes added
// since the last read, a column by its name (so files of every version of
// the program read alike), any bytes without harm. It never writes.
class RecordFileReader {
  public:
    RecordFileReader(QString path, int fileIndex) : path_(std::move(path)), index_(fileIndex) {}

    // Reads at most `maxBytes` more; the rows it completed go to `rows`.
    // True while more remains to be read now.
    bool readMore(std::vector<ResultRow>& rows, qint64 maxBytes = 8 << 20);

    const QString& path() const { return path_; }
    // Lines that are no row this program can read, with how many there are
    // in all (only the first few are kept).
    const std::vector<qint64>& unreadLines() const { return unread_; }
    qint64 unreadCount() const { return unreadCount_; }
    // A file that was cut shorter than what was read, replaced by another
    // (another inode), or removed is read again from the start: what was
    // taken from it before is no longer in it.
    bool restarted() const { return restarted_; }
    // The file is not there (any more).
    bool gone() const { return gone_; }
    // The bytes read so far, and those the file holds beyond them.
    qint64 bytesRead() const { return offset_; }
    qint64 bytesLeft() const;
    // What keeps the file from giving rows, in words for the status line
    // ("cannot read results.csv: permission denied", "results.csv is empty",
    // "results.csv is not a record (other columns)"), or nothing; and whether
    // its last row is still being written. `name` is the file as the operator
    // knows it.
    QString trouble(const QString& name) const;
    bool rowWaiting() const { return rows_.rowWaiting(); }

    static constexpr std::size_t KeptUnreadLines = 20;

  private:
    void takeRow(const RecordRowScanner::Row& row, std::vector<ResultRow>& rows);
    void takeHeader(const char* line, qsizetype size, qint64 lineNumber);
    // A text field as the row text every row with the same text shares.
    RowText shared(std::string_view bytes);
    void notRead(qint64 line);

    QString path_;
    int index_;
    // Per column read, the text of the row before and its bytes.
    std::array<std::pair<std::string, RowText>, 16> lastTexts_;
    qint64 offset_ = 0;     // the bytes read
    RecordRowScanner rows_; // the rows in them
    QByteArray buffer_;     // what the last read brought
    int fieldCount_ = 0;
    // The field each wanted column is in (-1: the file has none), in the
    // order of the reader's wanted-column table.
    std::vector<int> wanted_;
    // The texts seen, so that a million rows of a few transformers share them.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, RowText, TextHash, std::equal_to<>> texts_;
    std::vector<qint64> unread_;
    qint64 unreadCount_ = 0;
    bool restarted_ = false;
    bool gone_ = false;
    QString cannotRead_; // why the file could not be opened, or empty
    bool empty_ = false;
    // The file read so far: its device and inode, once opened.
    std::optional<FileIdentity> identity_;
};
