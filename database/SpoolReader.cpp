#include "SpoolReader.h"

#include "LabSchema.h"
#include "RecordFileRule.h"
#include "RecordLayout.h"

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

// A line's fields, or none when a quote in it is not closed.
std::optional<std::vector<std::string>> fieldsOfLine(const QByteArray& line) {
    QByteArray whole = line; // one line, or the lines of one row
    if (!whole.endsWith('\n')) {
        whole += '\n';
    }
    const auto record = nextCsvRecord(whole, 0);
    if (!record || record->end != static_cast<std::size_t>(whole.size())) {
        return std::nullopt;
    }
    return record->fields;
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

std::optional<CsvRecord> nextCsvRecord(const QByteArray& bytes, std::size_t from) {
    CsvRecord r;
    std::string field;
    bool quoted = false;
    const auto size = static_cast<std::size_t>(bytes.size());
    for (std::size_t i = from; i < size; ++i) {
        const char c = bytes[static_cast<qsizetype>(i)];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < size && bytes[static_cast<qsizetype>(i + 1)] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            r.fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            if (!field.empty() && field.back() == '\r') {
                field.pop_back();
            }
            r.fields.push_back(std::move(field));
            r.end = i + 1;
            return r;
        } else {
            field += c;
        }
    }
    return std::nullopt;
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
        if (const auto header = nextCsvRecord(f.read(1 << 20), 0)) {
            out.push_back({name, header->fields, static_cast<qint64>(header->end), identityOf(path)});
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
// `take` (which says whether to go on). A row is a line, or (RFC 4180) the
// lines a quoted field runs over when they make a whole row: a stray quote
// spoils its own line and no other.
void SpoolReader::forEachRow(const File& file, QFile& f, const Place& place,
                             const std::function<bool(Pass&&)>& take) const {
    const std::vector<int> fieldOf = fieldsOf(file);
    qint64 at = place.at;
    qint64 line = place.line;
    for (;;) {
        f.seek(at);
        const QByteArray bytes = f.read(ReadAtOnce);
        std::size_t from = 0;
        for (;;) {
            const auto end = static_cast<std::size_t>(bytes.indexOf('\n', static_cast<qsizetype>(from)));
            if (end == static_cast<std::size_t>(-1)) {
                break;
            }
            std::size_t rowEnd = end + 1;
            if (!fieldsOfLine(bytes.mid(static_cast<qsizetype>(from), static_cast<qsizetype>(rowEnd - from)))) {
                const auto record = nextCsvRecord(bytes, from);
                if (record && record->fields.size() == file.header.size()) {
                    rowEnd = record->end;
                }
            }
            const QByteArray row = bytes.mid(static_cast<qsizetype>(from), static_cast<qsizetype>(rowEnd - from));
            line += std::count(row.begin(), row.end(), '\n');
            from = rowEnd;
            if (!take(passOf(file, fieldOf, row, at + static_cast<qint64>(rowEnd), line))) {
                return;
            }
        }
        if (from == 0 && bytes.size() == ReadAtOnce) {
            Pass big = oversized(file.name, f, at, line + 1);
            if (big.end <= at) {
                return; // still being written
            }
            at = big.end;
            ++line;
            if (!take(std::move(big))) {
                return;
            }
            continue;
        }
        if (from == 0) {
            return; // no whole row more
        }
        at += static_cast<qint64>(from);
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

SpoolReader::Pass SpoolReader::passOf(const File& file, const std::vector<int>& fieldOf, const QByteArray& row,
                                      qint64 end, qint64 line) const {
    const auto& columns = LabSchema::columns();
    Pass p;
    p.file = file.name;
    p.end = end;
    p.line = line;
    p.text = row.trimmed().toStdString();
    p.line = line - std::count(row.begin(), row.end(), '\n') + 1; // where the row starts
    const auto fields = fieldsOfLine(row);
    p.problem = fields ? problemOf(file.header, *fields, fieldOf) : "not a whole pass (a quote not closed)";
    p.values.resize(columns.size());
    for (std::size_t c = 0; fields && c < columns.size(); ++c) {
        const int i = fieldOf[c];
        const auto field = static_cast<std::size_t>(i);
        if (i >= 0 && field < fields->size() && !(*fields)[field].empty()) {
            p.values[c] = (*fields)[field];
        }
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].type == LabSchema::Type::Uuid && p.problem.empty()) {
            p.values[c] = passIdOf(p.values[c], row);
        }
    }
    return p;
}

// A line longer than a slice is no pass: it is passed over whole once its
// end has come (a line still being written waits).
SpoolReader::Pass SpoolReader::oversized(const QString& file, QFile& f, qint64 at, qint64 line) const {
    Pass p;
    p.file = file;
    p.line = line;
    p.problem = "not a pass (a line longer than 4 MiB)";
    f.seek(at);
    qint64 end = at;
    while (!f.atEnd()) {
        const QByteArray slice = f.read(ReadAtOnce);
        const qsizetype newline = slice.indexOf('\n');
        if (newline >= 0) {
            p.end = end + newline + 1;
            return p;
        }
        end += slice.size();
    }
    p.end = at; // no end yet: nothing is passed over
    p.problem.clear();
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
                const auto header = nextCsvRecord(file.read(1 << 20), 0);
                const qint64 headerEnd = header ? static_cast<qint64>(header->end) : place.at;
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
