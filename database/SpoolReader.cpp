#include "SpoolReader.h"

#include "LabSchema.h"
#include "RecordFileRule.h"
#include "RecordLayout.h"
#include "RecordRows.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUuid>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr const char* CursorFile = ".database-cursor";
constexpr qint64 ReadAtOnce = 4 << 20;

bool isUuid(const std::string& text) {
    return !QUuid::fromString(QString::fromStdString(text)).isNull();
}

// The pass id a row names, or one made from the row itself (a row of an
// older layout without one): the same row gives the same id every time.
std::string passIdOf(const std::optional<std::string>& named, const QByteArray& row) {
    if (named && isUuid(*named)) {
        return *named;
    }
    static const QUuid space = QUuid::fromString(QStringLiteral("6f1c1c2e-5e8a-4f55-9d43-2c0a8b7e4d10"));
    return QUuid::createUuidV5(space, row).toString(QUuid::WithoutBraces).toStdString();
}

// The cursor keeps a file's inode (the device is not kept: 0, taken as the same).
std::uint64_t identityOf(const QString& path) {
    const auto id = fileIdentityOf(path);
    return id ? id->inode : 0;
}

bool isNumber(const std::string& field) {
    if (field == "inf" || field == "-inf") {
        return true;
    }
    char* end = nullptr;
    std::strtod(field.c_str(), &end);
    return end != field.c_str() && *end == '\0' && field.find_first_of(" \t") == std::string::npos;
}

// Complete rows (a line each) in a file from `at` on, read a slice at a time.
std::size_t countRecords(QFile& f, qint64 at) {
    std::size_t count = 0;
    f.seek(at);
    while (!f.atEnd()) {
        const QByteArray slice = f.read(ReadAtOnce);
        count += static_cast<std::size_t>(std::count(slice.begin(), slice.end(), '\n'));
    }
    return count;
}

// A file's header: its fields and where it ends; none before its line end.
std::optional<std::pair<std::vector<std::string>, qint64>> headerOf(QFile& f) {
    std::optional<std::pair<std::vector<std::string>, qint64>> header;
    f.seek(0);
    const QByteArray start = f.read(1 << 20);
    RecordRowScanner(0, 0, 0).feed(start.constData(), start.size(), f.atEnd(),
                                   [&header](const RecordRowScanner::Row& r) {
                                       RowFields fields;
                                       fields.split(r.data, r.size);
                                       header.emplace(fields.strings(r.data), r.end);
                                       return false;
                                   });
    return header;
}

} // namespace

std::string problemOf(const std::vector<std::string>& header, const std::vector<std::string>& fields,
                      const std::vector<int>& fieldOf) {
    if (fields.size() != header.size()) {
        return "not a whole pass (" + std::to_string(fields.size()) + " of " + std::to_string(header.size()) +
               " fields)";
    }
    const auto& columns = LabSchema::columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (fieldOf[c] < 0) {
            continue;
        }
        const LabSchema::Column& column = columns[c];
        const std::string& field = fields[static_cast<std::size_t>(fieldOf[c])];
        if (field.empty() && column.type == LabSchema::Type::Time) {
            return "no time in " + column.title; // a pass is kept by the month of its time
        }
        if (field.empty()) {
            continue;
        }
        const bool fits = column.type == LabSchema::Type::Time
                              ? QDateTime::fromString(QString::fromStdString(field), Qt::ISODate).isValid()
                          : column.type == LabSchema::Type::Number ? isNumber(field)
                          : column.type == LabSchema::Type::Uuid   ? isUuid(field)
                                                                   : field.find('\0') == std::string::npos;
        if (!fits) {
            return "\"" + field.substr(0, 40) + "\" in " + column.title + " is not what the column holds";
        }
    }
    return {};
}

std::string problemOf(const std::vector<std::string>& header, const std::vector<std::string>& fields) {
    const auto& columns = LabSchema::columns();
    std::vector<int> fieldOf(columns.size(), -1);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto at = std::find(header.begin(), header.end(), columns[c].title);
        fieldOf[c] = at == header.end() ? -1 : static_cast<int>(at - header.begin());
    }
    return problemOf(header, fields, fieldOf);
}

SpoolReader::SpoolReader(QString folder) : folder_(std::move(folder)) {
    readCursor();
}

std::vector<SpoolReader::File> SpoolReader::files() {
    std::vector<File> out;
    for (const QString& name : numberedRecordFiles(folder_)) {
        const QString path = QDir(folder_).filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            continue;
        }
        if (auto header = headerOf(f)) {
            out.push_back({name, std::move(header->first), header->second, identityOf(path)});
        }
    }
    return out;
}

// Where a file is done with: from its header on when it is new to the
// cursor, cut shorter than the cursor, or another file under its name.
SpoolReader::Place& SpoolReader::placeIn(const File& file, qint64 size) {
    Place& place = cursor_[file.name];
    const bool anew = place.at < file.headerEnd ||
                      readAnew(FileIdentity{0, place.identity}, place.at, FileIdentity{0, file.identity}, size);
    if (anew) {
        place = Place{file.headerEnd, 1, file.identity};
    }
    place.identity = file.identity;
    return place;
}

// Which field of a file each database column is.
std::vector<int> SpoolReader::fieldsOf(const File& file) {
    const auto& columns = LabSchema::columns();
    std::vector<int> fieldOf(columns.size(), -1);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto it = std::find(file.header.begin(), file.header.end(), columns[c].title);
        fieldOf[c] = it == file.header.end() ? -1 : static_cast<int>(it - file.header.begin());
    }
    return fieldOf;
}

// The rows of a file from `place` on, a slice at a time, each told to
// `take` (which says whether to go on), as the record's one rule for rows
// says.
void SpoolReader::forEachRow(const File& file, QFile& f, const Place& place,
                             const std::function<bool(Pass&&)>& take) const {
    const std::vector<int> fieldOf = fieldsOf(file);
    RecordRowScanner rows(place.at, place.line, static_cast<int>(file.header.size()));
    f.seek(place.at);
    while (!f.atEnd()) {
        const QByteArray bytes = f.read(ReadAtOnce);
        if (bytes.isEmpty()) {
            return;
        }
        const bool more = rows.feed(bytes.constData(), bytes.size(), f.atEnd(), [&](const RecordRowScanner::Row& r) {
            return take(r.tooLong ? oversized(file.name, r) : passOf(file, fieldOf, r));
        });
        if (!more) {
            return;
        }
    }
}

std::vector<SpoolReader::Pass> SpoolReader::next(std::size_t most) {
    std::vector<Pass> out;
    for (const File& file : files()) {
        QFile f(QDir(folder_).filePath(file.name));
        if (out.size() >= most || !f.open(QIODevice::ReadOnly)) {
            continue;
        }
        const Place place = placeIn(file, f.size());
        forEachRow(file, f, place, [&out, most](Pass&& p) {
            out.push_back(std::move(p));
            return out.size() < most;
        });
    }
    return out;
}

SpoolReader::Pass SpoolReader::passOf(const File& file, const std::vector<int>& fieldOf,
                                      const RecordRowScanner::Row& row) const {
    const auto& columns = LabSchema::columns();
    Pass p;
    p.file = file.name;
    p.end = row.end;
    p.line = row.line;
    const QByteArray bytes(row.data, row.withLineEnd); // as the file holds it: a row's made id rests on it
    p.text = QByteArray(row.data, row.size).trimmed().toStdString();
    RowFields split;
    split.split(row.data, row.size);
    const std::vector<std::string> fields = split.whole ? split.strings(row.data) : std::vector<std::string>();
    p.problem = split.whole ? problemOf(file.header, fields, fieldOf) : "not a whole pass (a quote not closed)";
    p.values.resize(columns.size());
    for (std::size_t c = 0; split.whole && c < columns.size(); ++c) {
        const int i = fieldOf[c];
        const auto field = static_cast<std::size_t>(i);
        if (i >= 0 && field < fields.size() && !fields[field].empty()) {
            p.values[c] = fields[field];
        }
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].type == LabSchema::Type::Uuid && p.problem.empty()) {
            p.values[c] = passIdOf(p.values[c], bytes);
        }
    }
    return p;
}

// A row longer than the record's longest is no pass: it is passed over
// whole once its end has come.
SpoolReader::Pass SpoolReader::oversized(const QString& file, const RecordRowScanner::Row& row) const {
    Pass p;
    p.file = file;
    p.line = row.line;
    p.end = row.end;
    p.problem = "not a pass (a line longer than 4 MiB)";
    return p;
}

bool SpoolReader::uploaded(const Pass& last) {
    // Every file before the row's is done with.
    for (const File& file : files()) {
        if (file.name == last.file) {
            break;
        }
        QFile f(QDir(folder_).filePath(file.name));
        Place& place = placeIn(file, f.size());
        if (f.open(QIODevice::ReadOnly)) {
            place.line += static_cast<qint64>(countRecords(f, place.at));
        }
        place.at = f.size();
    }
    Place& place = cursor_[last.file];
    place.at = last.end;
    place.line = last.line;
    return writeCursor();
}

std::size_t SpoolReader::waiting() {
    std::size_t count = 0;
    for (const File& file : files()) {
        QFile f(QDir(folder_).filePath(file.name));
        if (f.open(QIODevice::ReadOnly)) {
            forEachRow(file, f, placeIn(file, f.size()), [&count](Pass&&) {
                ++count;
                return true;
            });
        }
    }
    return count;
}

void SpoolReader::readCursor() {
    QFile f(QDir(folder_).filePath(QString::fromLatin1(CursorFile)));
    if (!f.open(QIODevice::ReadOnly)) {
        return;
    }
    // "name bytes [rows inode]": a cursor of an earlier version has the bytes alone.
    while (!f.atEnd()) {
        const QList<QByteArray> parts = f.readLine().trimmed().split(' ');
        bool ok = false;
        const qint64 at = parts.size() >= 2 ? parts[1].toLongLong(&ok) : 0;
        if (!ok || at < 0) {
            continue;
        }
        Place place{at, 0, 0};
        if (parts.size() == 4) {
            place.line = parts[2].toLongLong();
            place.identity = parts[3].toULongLong();
        }
        cursor_[QString::fromUtf8(parts[0])] = place;
    }
    // Rows counted anew where the cursor did not keep them.
    for (auto& [name, place] : cursor_) {
        if (place.line == 0) {
            QFile file(QDir(folder_).filePath(name));
            place.line = 1;
            if (file.open(QIODevice::ReadOnly) && file.size() >= place.at) {
                const auto header = headerOf(file);
                const qint64 headerEnd = header ? header->second : place.at;
                const QByteArray done = (file.seek(headerEnd), file.read(std::max<qint64>(0, place.at - headerEnd)));
                place.line += static_cast<qint64>(std::count(done.begin(), done.end(), '\n'));
            }
        }
    }
}

bool SpoolReader::writeCursor() const {
    QSaveFile f(QDir(folder_).filePath(QString::fromLatin1(CursorFile)));
    if (!f.open(QIODevice::WriteOnly)) {
        return false;
    }
    for (const auto& [name, place] : cursor_) {
        f.write(name.toUtf8() + ' ' + QByteArray::number(place.at) + ' ' + QByteArray::number(place.line) + ' ' +
                QByteArray::number(static_cast<qulonglong>(place.identity)) + '\n');
    }
    return f.commit();
}
