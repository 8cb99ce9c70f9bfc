#pragma once

#include "RecordRows.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The passes of a record folder that the database does not have yet: the
// complete rows of its results*.csv files after a cursor kept in the folder
// (.database-cursor), in the files' order. The record is the spool: a pass
// is uploaded from it, so whatever happens to the upload, the row is there.
// Its rows are the record's rows (RecordRows.h), as the results window reads
// them: a row still being written (no line end yet) waits for the next read.
// A file cut shorter than the cursor, or replaced under its name, is read
// again from its start (the database keeps each pass once).
class SpoolReader {
  public:
    explicit SpoolReader(QString folder);

    // One row, its fields taken by the database's columns (none: empty or not
    // in that file's layout), where it ends, and what is wrong with it.
    struct Pass {
        QString file;
        qint64 end = 0;
        qint64 line = 0;                                // the row's number in its file, the header being 1
        std::vector<std::optional<std::string>> values; // LabSchema::columns() order
        std::string text;                               // the row as the file holds it, without its line end
        // Why it is not a pass the database can take (a row cut off, a field
        // that is not what its column holds); empty when it is one.
        std::string problem;
    };
    // Up to `most` rows after the cursor.
    std::vector<Pass> next(std::size_t most);
    // The rows up to and including `last` are done with (in the database, or
    // set aside): the cursor moves past them and is kept (false: it could
    // not be written; the rows are then simply sent again, which the
    // database ignores).
    bool uploaded(const Pass& last);
    // How many complete rows wait after the cursor, however many there are.
    std::size_t waiting();

    const QString& folder() const { return folder_; }

  private:
    struct File {
        QString name;
        std::vector<std::string> header;
        qint64 headerEnd = 0;
        std::uint64_t identity = 0; // the file's inode: another file under the name starts anew
    };
    struct Place {
        qint64 at = 0;   // bytes done with
        qint64 line = 1; // rows done with, the header counted
        std::uint64_t identity = 0;
    };
    std::vector<File> files();
    static std::vector<int> fieldsOf(const File& file);
    void forEachRow(const File& file, QFile& f, const Place& place, const std::function<bool(Pass&&)>& take) const;
    Pass passOf(const File& file, const std::vector<int>& fieldOf, const RecordRowScanner::Row& row) const;
    Pass oversized(const QString& file, const RecordRowScanner::Row& row) const;
    Place& placeIn(const File& file, qint64 size);
    void readCursor();
    bool writeCursor() const;

    QString folder_;
    std::map<QString, Place> cursor_; // file name -> how far it is done with
};

// Why a row's fields cannot go up as the database's columns say (fields
// missing, a time or a number that is none, a pass id that is no UUID);
// empty when they can.
std::string problemOf(const std::vector<std::string>& header, const std::vector<std::string>& fields);
// The same with the field of each database column found already.
std::string problemOf(const std::vector<std::string>& header, const std::vector<std::string>& fields,
                      const std::vector<int>& fieldOf);
