#include "RecordRows.h"
#include "RecordFolders.h"
#include "SpoolReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

// The record's one rule for rows, as both of its readers follow it.

namespace {

struct Taken {
    std::string text; // "<too long>" for a row too long to be one
    qint64 line = 0, end = 0;
    bool operator==(const Taken&) const = default;
};

// The rows a scanner hands on when the bytes come in pieces of `piece`
// bytes (0: all at once), the last piece reaching the file's end.
std::vector<Taken> rowsOf(const QByteArray& bytes, int width, qsizetype piece, bool* waiting = nullptr) {
    std::vector<Taken> rows;
    RecordRowScanner scanner(0, 0, width);
    const qsizetype step = piece == 0 ? std::max<qsizetype>(bytes.size(), 1) : piece;
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        const qsizetype n = std::min(step, bytes.size() - at);
        scanner.feed(bytes.constData() + at, n, at + n >= bytes.size(), [&rows](const RecordRowScanner::Row& r) {
            rows.push_back(
                {r.tooLong ? "<too long>" : std::string(r.data, static_cast<std::size_t>(r.size)), r.line, r.end});
            return true;
        });
    }
    if (waiting != nullptr) {
        *waiting = scanner.rowWaiting();
    }
    return rows;
}

} // namespace

// A row is a line; a quoted line end joins lines into one row only where
// they make a row of the header's width; a stray quote spoils its own line
// and no other; a row without its line end waits. Fed whole, a byte at a
// time or in pieces, the same rows come, each with its first line and end.
TEST(RecordRows, TheRuleForARowHoldsHoweverTheBytesCome) {
    const struct {
        const char* what;
        QByteArray bytes;
        std::vector<Taken> rows;
        bool waiting;
    } cases[]{
        {"lines, CR LF or LF", "a,b,c\r\nd,e,f\n", {{"a,b,c", 1, 7}, {"d,e,f", 2, 13}}, false},
        {"a comment over two lines",
         "a,\"x\r\ny\",c\r\nd,e,f\r\n",
         {{"a,\"x\r\ny\",c", 1, 12}, {"d,e,f", 3, 19}},
         false},
        {"a stray quote before a row", "a,\"b,c\r\nd,e,f\r\n", {{"a,\"b,c", 1, 8}, {"d,e,f", 2, 15}}, false},
        {"a stray quote at the end", "a,b,c\r\nd,\"e\r\n", {{"a,b,c", 1, 7}, {"d,\"e", 2, 13}}, false},
        {"a row still being written", "a,b,c\r\nd,e", {{"a,b,c", 1, 7}}, true},
        {"a blank line", "\r\na,b,c\r\n", {{"", 1, 2}, {"a,b,c", 2, 9}}, false},
    };
    for (const auto& c : cases) {
        for (const qsizetype piece : {0, 1, 2, 5}) {
            bool waiting = false;
            EXPECT_EQ(rowsOf(c.bytes, 3, piece, &waiting), c.rows) << c.what << ", pieces of " << piece;
            EXPECT_EQ(waiting, c.waiting) << c.what << ", pieces of " << piece;
        }
    }
    // A row longer than the longest is passed over to its line end, whole or
    // in pieces; the row after it is read.
    const QByteArray longRow = QByteArray(RecordRowScanner::LongestRow + 10, 'x') + "\r\na,b,c\r\n";
    const std::vector<Taken> expected{{"<too long>", 1, RecordRowScanner::LongestRow + 12},
                                      {"a,b,c", 2, RecordRowScanner::LongestRow + 19}};
    for (const qsizetype piece : {0, 1 << 20, 3000001}) {
        EXPECT_EQ(rowsOf(longRow, 3, piece), expected) << "pieces of " << piece;
    }
}

// The results window and the upload read the same rows out of one record:
// a comment with a line end is one pass to both, a broken row is no pass to
// either.
TEST(RecordRows, TheResultsWindowAndTheUploadTakeTheSameRows) {
    QTemporaryDir dir;
    QFile file(dir.filePath("results.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("date and time (ISO 8601),pass ended,transformer,comment,pass id\r\n"
               "2026-12-08T10:00:00Z,complete,T,\"unit 7,\r\nsecond line\",0f8b6c1e-3a52-4c1d-9a7e-2b9f4e6d8a10\r\n"
               "2026-12-08T10:01:00Z,complete,T,\"broken,0f8b6c1e-3a52-4c1d-9a7e-2b9f4e6d8a11\r\n"
               "2026-12-08T10:02:00Z,complete,T,plain,0f8b6c1e-3a52-4c1d-9a7e-2b9f4e6d8a12\r\n");
    file.close();

    RecordFolders folders({dir.path()});
    std::vector<ResultRow> shown;
    while (folders.readMore(shown)) {
    }
    std::vector<std::string> uploaded;
    for (const SpoolReader::Pass& p : SpoolReader(dir.path()).next(10)) {
        if (p.problem.empty()) {
            uploaded.push_back(p.text.substr(0, 20));
        }
    }
    ASSERT_EQ(shown.size(), 2u) << folders.unreadSummary().toStdString();
    EXPECT_EQ(shown[0].comment, QStringLiteral("unit 7,\r\nsecond line"));
    EXPECT_EQ(shown[1].line, 5);
    EXPECT_EQ(folders.unreadSummary(), QStringLiteral("1 row not read: results.csv line 4"));
    EXPECT_EQ(uploaded, (std::vector<std::string>{"2026-12-08T10:00:00Z", "2026-12-08T10:02:00Z"}));
}
