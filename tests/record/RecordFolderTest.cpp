#include "RecordFolder.h"
#include "CsvFile.h"
#include "MeasurementRecord.h"
#include "ProgramOptions.h"
#include "RecordFileRule.h"
#include "ResultsTable.h"
#include "TestRig.h"
#include "TransformerKinds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

// What a record says about its rows, and what it does with a folder or a
// file it cannot simply append to: a defined line in the event list, never
// a changed byte, never a lost row.

namespace {

// A plain file's bytes (never a device's: /dev/full has no end).
std::string readAll(const QString& path) {
    if (!QFileInfo(path).isFile() || QFileInfo(path).isSymLink()) {
        return {};
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

bool hasLine(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The forms at "READY" on the simulated bench, recording into a folder.
struct FolderRig {
    FolderRig() {
        EXPECT_TRUE(dir.isValid());
        record.reportWait = std::chrono::seconds(10);
        b.form->record = &record;
        b.walkToReady();
    }
    QString path(const char* name) const { return dir.path() + "/" + name; }
    std::string pass() {
        b.form->startCalculation();
        EXPECT_TRUE(record.finish());
        return joined(b.form->List1.lines);
    }
    QTemporaryDir dir;
    QTemporaryDir spare;
    MeasurementRecord record{dir.path().toStdString(), spare.path().toStdString()};
    TestRig b;
};

} // namespace

TEST(RecordFolder, ARowSaysWhatWasMeasuredAndWithWhat) {
    FolderRig r;
    auto& b = r.b;
    const auto path = [&r](const char* name) { return r.path(name); };
    const auto pass = [&r] { return r.pass(); };
    b.form->onSimulatedBench = true;
    b.form->Text24.text = "unit 4711, after 2 h";
    b.form->Settings.closeWindow(); // the set-up is kept as it was last shown
    pass();
    const Row row = lastRow(path("results.csv").toStdString());
    EXPECT_EQ(row.at("comment"), "unit 4711, after 2 h");
    EXPECT_EQ(row.at("program version"), programVersion());
    EXPECT_EQ(row.at("scope identity"), "ID " + b.scope.identity);
    EXPECT_EQ(row.at("adapter"), "simulated");
    EXPECT_EQ(row.at("USB port"), b.form->Text2.text);
    EXPECT_EQ(row.at("recognised transformer set-up"), SplitFluxName);
    // As the grid showed them: the recommended set-up below 10 V.
    EXPECT_EQ(row.at("CH1 scope gain"), "10.0 V/div");
    EXPECT_EQ(row.at("CH2 scope gain"), "5.0 A/div");
    EXPECT_EQ(row.at("MATH scope gain"), "50.0 VA/div");
    EXPECT_EQ(row.at("CH4 scope gain"), "5.0 A/div");
    for (const char* column : {"CH1 volt probe", "CH2 amp probe", "CH3 scale", "MATH scale"}) {
        EXPECT_FALSE(row.at(column).empty()) << column;
    }

    // On an adapter the row names it by its serial number.
    b.form->onSimulatedBench = false;
    pass();
    EXPECT_EQ(lastRow(path("results.csv").toStdString()).at("adapter"), b.d2xx.devices.at(0).serialNumber);
}

TEST(RecordFolder, AFileThatCannotSimplyBeAppendedToIsLeftAsItIs) {
    const std::string header = ResultsTable::header();
    const struct {
        const char* what;
        std::function<void(FolderRig&)> prepare;
        const char* line;      // the event list's line about it
        const char* rowsGoTo;  // the file that gets the row
        std::size_t rowsBelow; // lines after the header there, the new row included
    } cases[]{
        {"a cut-off last row",
         [&](FolderRig& r) { writeFile(r.path("results.csv"), header + "2026-12-08T14:30:05+00:00,compl"); },
         "RECORD: ended a cut-off last row of results.csv", "results.csv", 2},
        {"a header of other columns", [](FolderRig& r) { writeFile(r.path("results.csv"), "when,volts\r\n1,2\r\n"); },
         "RECORD: rows go to results-2.csv (results.csv has other columns)", "results-2.csv", 1},
        {"a folder named results.csv", [](FolderRig& r) { ASSERT_TRUE(QDir(r.dir.path()).mkdir("results.csv")); },
         "RECORD: rows go to results-2.csv (results.csv is a folder)", "results-2.csv", 1},
        {"a link to /dev/full", [](FolderRig& r) { ASSERT_TRUE(QFile::link("/dev/full", r.path("results.csv"))); },
         "RECORD: rows go to results-2.csv (results.csv is no plain file)", "results-2.csv", 1},
        {"two earlier layouts",
         [](FolderRig& r) {
             writeFile(r.path("results.csv"), "a\r\n");
             writeFile(r.path("results-2.csv"), "b\r\n");
         },
         "RECORD: rows go to results-3.csv (results.csv has other columns, results-2.csv has other columns)",
         "results-3.csv", 1},
        // Other layouts shorter than our header, as long, and longer.
        {"a header as long as ours",
         [&](FolderRig& r) { writeFile(r.path("results.csv"), "D" + header.substr(1) + "1,2\r\n"); },
         "RECORD: rows go to results-2.csv (results.csv has other columns)", "results-2.csv", 1},
        {"our header with one more column, and rows",
         [&](FolderRig& r) {
             std::string longer = header.substr(0, header.size() - 2) + ",operator\r\n";
             for (int n = 0; n < 300; ++n) {
                 longer += "2026-12-08T14:30:05+00:00,complete,x,1,2,3\r\n";
             }
             writeFile(r.path("results.csv"), longer);
         },
         "RECORD: rows go to results-2.csv (results.csv has other columns)", "results-2.csv", 1},
        {"a file of another program, longer than our header",
         [](FolderRig& r) { writeFile(r.path("results.csv"), "when,volts\r\n" + std::string(20000, '7') + "\r\n"); },
         "RECORD: rows go to results-2.csv (results.csv has other columns)", "results-2.csv", 1},
    };
    for (const auto& c : cases) {
        FolderRig r;
        c.prepare(r);
        const std::string before = readAll(r.path("results.csv"));
        const std::string log = r.pass();
        EXPECT_TRUE(hasLine(r.b.form->List1.lines, c.line)) << c.what << "\n" << log;
        EXPECT_EQ(readAll(r.path("results.csv")).substr(0, before.size()), before) << c.what;
        if (std::string(c.rowsGoTo) != "results.csv") {
            EXPECT_EQ(readAll(r.path("results.csv")), before) << c.what << ": left exactly as it was";
        }
        const std::vector<Lines> rows = readCsv(r.path(c.rowsGoTo).toStdString());
        ASSERT_EQ(rows.size(), 1 + c.rowsBelow) << c.what;
        EXPECT_EQ(rows.back().size(), ResultsTable::columns().size()) << c.what;
        EXPECT_EQ(rows.back().at(1), "complete") << c.what;
        // Said once: the next pass adds no line about it.
        r.pass();
        EXPECT_FALSE(hasLine(r.b.form->List1.lines, c.line)) << c.what;
    }
}

TEST(RecordFolder, AGigabyteFileIsAppendedToWithoutReadingIt) {
    FolderRig r;
    auto& b = r.b;
    const auto path = [&r](const char* name) { return r.path(name); };
    {
        QFile big(path("results.csv"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(ResultsTable::header().c_str());
        ASSERT_TRUE(big.resize(qint64(1) << 30)); // sparse: no gigabyte written here
    }
    r.pass();
    EXPECT_TRUE(hasLine(b.form->List1.lines, "RECORD: ended a cut-off last row of results.csv"));
    QFile big(path("results.csv"));
    ASSERT_TRUE(big.open(QIODevice::ReadOnly));
    EXPECT_GT(big.size(), qint64(1) << 30);
    ASSERT_TRUE(big.seek((qint64(1) << 30) - 1));
    const QByteArray tail = big.readAll();
    EXPECT_EQ(tail.at(0), '\0') << "the old last byte";
    EXPECT_TRUE(tail.mid(1).startsWith("\r\n2026-12-08T14:30:05"));
    EXPECT_TRUE(tail.endsWith("\r\n"));
}

TEST(RecordFolder, RowsThatCannotBeWrittenWaitAndGoFirstOnceTheyCan) {
    FolderRig r;
    auto& b = r.b;
    const auto path = [&r](const char* name) { return r.path(name); };
    // The folder would stand below a plain file: it cannot be made.
    writeFile(path("blocked"), "");
    MeasurementRecord waiting(path("blocked").toStdString() + "/records", r.spare.path().toStdString());
    waiting.reportWait = std::chrono::seconds(10);
    b.form->record = &waiting;
    for (int n = 1; n <= 2; ++n) {
        b.form->Text24.text = "pass " + std::to_string(n);
        b.form->startCalculation();
        const std::string line = last(b.form->List1.lines);
        EXPECT_EQ(line.rfind("RECORD Failed: cannot make the folder ", 0), 0u) << line;
        EXPECT_NE(line.find("(" + std::to_string(n) + (n == 1 ? " row waiting)" : " rows waiting)")), std::string::npos)
            << line;
    }
    ASSERT_TRUE(QFile::remove(path("blocked")));
    b.form->Text24.text = "pass 3";
    b.form->startCalculation();
    EXPECT_EQ(last(b.form->List1.lines), "RECORD: 3 rows that were waiting are written");
    const std::vector<Lines> rows = readCsv(path("blocked/records/results.csv").toStdString());
    ASSERT_EQ(rows.size(), 4u);
    const auto comment = std::find(rows[0].begin(), rows[0].end(), "comment") - rows[0].begin();
    for (std::size_t n = 1; n <= 3; ++n) {
        EXPECT_EQ(rows.at(n).at(static_cast<std::size_t>(comment)), "pass " + std::to_string(n)) << "in order";
    }
}

TEST(RecordWaiting, ARecordFolderThatIsAFileIsRefusedAndLeftAsItIs) {
    QTemporaryDir dir, spare;
    const QString file = dir.filePath("campaign");
    writeFile(file, "a plain file");
    MeasurementRecord record(file.toStdString(), spare.path().toStdString());
    record.passEnded(PassOutcome{});
    EXPECT_EQ(record.events(std::chrono::seconds(10)),
              (std::vector<std::string>{"RECORD Failed: cannot use the folder " + file.toStdString() +
                                        ": Not a directory (1 row waiting)"}));
    EXPECT_EQ(readAll(file), "a plain file");
}

TEST(RecordWaiting, AtTheEndRowsStillWaitingAreSavedAndAtMostTenThousandWait) {
    QTemporaryDir dir, spare;
    const std::string blocked = dir.path().toStdString() + "/a file";
    ASSERT_EQ(std::system(("touch '" + blocked + "'").c_str()), 0);
    MeasurementRecord record(blocked + "/records", spare.path().toStdString());
    PassOutcome pass;
    for (std::size_t n = 1; n <= MeasurementRecord::MaxWaiting + 1; ++n) {
        pass.setUp.comment = "row " + std::to_string(n);
        record.passEnded(pass);
    }
    ASSERT_TRUE(record.close(std::chrono::seconds(60)));
    const std::vector<std::string> lines = record.events(std::chrono::milliseconds(0));
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "RECORD: 10000 rows are waiting; the oldest waiting row was dropped"),
        1);
    const QStringList saved = QDir(spare.path()).entryList({"unwritten-rows-*.csv"});
    ASSERT_EQ(saved.size(), 1);
    const std::string file = spare.path().toStdString() + "/" + saved.at(0).toStdString();
    EXPECT_EQ(last(lines), "RECORD: 10000 rows that could not be written to " + blocked + "/records are in " + file);
    const std::vector<Lines> rows = readCsv(file);
    ASSERT_EQ(rows.size(), 1 + MeasurementRecord::MaxWaiting);
    const auto comment = std::find(rows[0].begin(), rows[0].end(), "comment") - rows[0].begin();
    EXPECT_EQ(rows.at(1).at(static_cast<std::size_t>(comment)), "row 2") << "the oldest went";
    EXPECT_EQ(rows.back().at(static_cast<std::size_t>(comment)), "row 10001");
}

// The lock and the flush an append promises, counted at the calls that keep
// them: one lock and one sync of the results file for every append, the
// sync after the bytes are in the file.
namespace {
int locks = 0;
int syncs = 0;
std::vector<long> sizesAtSync;
} // namespace

TEST(RecordFolder, EveryAppendIsLockedAndSyncedWithItsBytesInTheFile) {
    QTemporaryDir dir;
    const RecordFolder::Durability real = RecordFolder::durability();
    RecordFolder::durability() = {[](int fd, void* lock) {
                                      ++locks;
                                      return ::fcntl(fd, F_OFD_SETLK, static_cast<struct flock*>(lock));
                                  },
                                  [](int fd) {
                                      ++syncs;
                                      struct stat info {};
                                      ::fstat(fd, &info);
                                      sizesAtSync.push_back(static_cast<long>(info.st_size));
                                      return ::fsync(fd);
                                  }};
    RecordFolder folder(dir.path().toStdString());
    std::vector<long> sizes;
    for (const char* row : {"1,a\r\n", "2,bb\r\n", "3,ccc\r\n"}) {
        const RecordFolder::Appended done = folder.appendLines("results.csv", "n,t\r\n", {row});
        EXPECT_FALSE(done.problem.has_value());
        sizes.push_back(static_cast<long>(QFileInfo(dir.filePath("results.csv")).size()));
    }
    RecordFolder::durability() = real;
    EXPECT_EQ(locks, 3);
    EXPECT_EQ(syncs, 3);
    EXPECT_EQ(sizesAtSync, sizes) << "each sync sees its append's bytes";
}

// The scope's set-up in a row is the one the scope was last read or written
// with, not a text typed in the settings grid and never sent.
TEST(RecordFolder, TheScopesSetUpIsAsLastReadNotAsTypedSince) {
    FolderRig r;
    ScopeSettings& s = r.b.form->Settings;
    ASSERT_EQ(s.Text32.text, "20X") << "CH1 VOLT PROBE as read";
    s.Text32.text = "2X";
    s.Text45.text = "typed";
    r.pass();
    const Row row = lastRow(r.path("results.csv").toStdString());
    EXPECT_EQ(row.at("CH1 volt probe"), "20X");
    EXPECT_EQ(row.at("CH1 scope gain"), "10.0 V/div");
    EXPECT_EQ(row.at("recognised transformer set-up"), SplitFluxName);
    s.closeWindow();
    r.pass();
    EXPECT_EQ(lastRow(r.path("results.csv").toStdString()).at("CH1 volt probe"), "20X") << "the window closed";
}

// The one rule both readers of the record follow: what was read stands while
// the same file holds at least that much; an identity part not known (0, as
// an older cursor keeps it) is taken as the same. And a real file replaced
// under its name is another file.
TEST(RecordFolder, AFileCutShorterReplacedOrRemovedIsReadAnew) {
    const FileIdentity a{1, 100}, sameInode{1, 100}, other{1, 101}, otherDevice{2, 100}, inodeOnly{0, 100};
    const struct {
        std::optional<FileIdentity> before;
        std::int64_t readUpTo;
        std::optional<FileIdentity> now;
        std::int64_t size;
        bool anew;
        const char* what;
    } cases[]{{a, 500, sameInode, 500, false, "the same file, nothing added"},
              {a, 500, sameInode, 900, false, "the same file, grown"},
              {a, 500, sameInode, 499, true, "cut shorter than what was read"},
              {a, 500, other, 900, true, "another file under the name"},
              {a, 500, otherDevice, 900, true, "the same inode on another device"},
              {inodeOnly, 500, a, 900, false, "a cursor's inode alone, the same"},
              {FileIdentity{0, 101}, 500, a, 900, true, "a cursor's inode alone, another"},
              {a, 500, std::nullopt, 0, true, "removed"},
              {std::nullopt, 0, a, 900, false, "nothing read yet"}};
    for (const auto& c : cases) {
        EXPECT_EQ(readAnew(c.before, c.readUpTo, c.now, c.size), c.anew) << c.what;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("results.csv"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a\r\n");
    f.close();
    const auto first = fileIdentityOf(path);
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(QFile::rename(path, dir.filePath(QStringLiteral("kept.csv"))));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a\r\nb\r\n");
    f.close();
    EXPECT_TRUE(readAnew(first, 3, fileIdentityOf(path), 6)) << "a new file under the old name";
    EXPECT_FALSE(readAnew(first, 3, fileIdentityOf(dir.filePath(QStringLiteral("kept.csv"))), 3))
        << "the old file, moved";
}
