#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The passes of a record folder that the database does not have yet: the
// complete rows of its results*.csv files after a cursor kept in the folder
// (.database-cursor), in the files' order. The record is the spool: a pass
// is uploaded from it, so whatever happens to the upload, the row is there.
// A row still being written (no line end yet) waits for the next read.
class SpoolReader {
public:
    explicit SpoolReader(QString folder);

    // One row, its fields taken by the database's columns (none: empty or not
    // in that file's layout), and where it ends.
    struct Pass {
        QString file;
        qint64 end = 0;
        std::vector<std::optional<std::string>> values; // LabSchema::columns() order
    };
    // Up to `most` rows after the cursor.
    std::vector<Pass> next(std::size_t most);
    // The rows up to and including `last` are in the database: the cursor
    // moves past them and is kept (false: it could not be written; the rows
    // are then simply uploaded again, which the database ignores).
    bool uploaded(const Pass& last);
    // How many complete rows wait after the cursor.
    std::size_t waiting();

    const QString& folder() const { return folder_; }

private:
    struct File {
        QString name;
        std::vector<std::string> header;
    };
    std::vector<File> files();
    void readCursor();
    bool writeCursor() const;

    QString folder_;
    std::map<QString, qint64> cursor_; // file name -> bytes uploaded
};

// A record split into its fields as RFC 4180 says; `end` is where the record
// ends after its line end, or none when the bytes hold no whole record.
struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t end = 0;
};
std::optional<CsvRecord> nextCsvRecord(const QByteArray& bytes, std::size_t from);
