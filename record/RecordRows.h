#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What the rows and fields of a record file are, for every reader of one
// (the results window and the upload alike). A row is a line, or (RFC 4180)
// the lines a quoted field runs over when together they make a whole row of
// the header's width; a stray quote spoils its own line and no other. A row
// longer than LongestRow is no row. A row without its line end yet is still
// being written and waits.

// One row's fields as byte ranges of the row; quoted ones are unquoted on
// demand.
struct RowFields {
    struct Field {
        qsizetype from = 0, size = 0;
        bool quoted = false;
    };
    std::vector<Field> list;
    bool whole = true; // no quote left open
    // Splits a row (its bytes without the line end).
    void split(const char* row, qsizetype size);
    // A field's bytes, unquoted (into `unquoted` when it must be).
    static std::string_view bytesOf(const char* row, const Field& field, std::string& unquoted);
    // Every field as a string.
    std::vector<std::string> strings(const char* row) const;
};

// Reads the whole rows out of a file's bytes as they are fed, in order: each
// row goes to `take` where it lies, and only the bytes of a row not yet
// ended are kept for the next feed.
class RecordRowScanner {
  public:
    static constexpr qsizetype LongestRow = 4 << 20;

    // One whole row: its bytes without the line end (`withLineEnd` counts
    // it too), the line it starts on (the header is line 1), where it ends in
    // the file, and whether it was too long to be a row (its bytes are then
    // not given).
    struct Row {
        const char* data = nullptr;
        qsizetype size = 0, withLineEnd = 0;
        qint64 line = 0;
        qint64 end = 0;
        bool tooLong = false;
    };
    using Take = std::function<bool(const Row&)>; // false: take no more

    // From `at` bytes into the file with `line` lines before them; rows of
    // `width` fields (0 until the header is known: a line is a row).
    explicit RecordRowScanner(qint64 at = 0, qint64 line = 0, int width = 0) : at_(at), line_(line), width_(width) {}
    void setWidth(int width) { width_ = width; }

    // Feeds the bytes that follow those fed before; `toTheEnd`: they reach
    // the file's end as it stands. False when `take` asked for no more: at()
    // is then after the last row taken, and a reader that wants more starts a
    // new scanner there (this one is not fed again).
    bool feed(const char* bytes, qsizetype size, bool toTheEnd, const Take& take);

    // Where the whole rows end in the file, and the lines up to there.
    qint64 at() const { return at_; }
    qint64 line() const { return line_; }
    // A row has begun and not yet ended.
    bool rowWaiting() const { return !tail_.isEmpty() && !skipping_; }

  private:
    struct Scan {
        bool whole = false;
        qsizetype end = 0; // after the row's line end
        int lines = 0;
    };
    Scan scanRow(const char* d, qsizetype n, qsizetype from, bool atEnd) const;
    bool handOn(const char* d, qsizetype from, const Scan& s, const Take& take);
    bool skipTo(const char* bytes, qsizetype size, qsizetype& used, const Take& take);
    bool endTail(const char* bytes, qsizetype size, qsizetype& used, const Take& take);

    qint64 at_;
    qint64 line_;
    int width_;
    QByteArray tail_;       // a row begun in an earlier feed
    bool skipping_ = false; // the row begun is too long: passed over to its line end
    qint64 skipped_ = 0;    // how much of it so far
    bool atEnd_ = false;    // the bytes fed now reach the file's end
};
