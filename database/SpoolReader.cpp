#include "SpoolReader.h"

#include "LabSchema.h"
#include "RecordLayout.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUuid>
#include <algorithm>
#include <limits>

namespace {

constexpr const char* CursorFile = ".database-cursor";
constexpr qint64 ReadAtOnce = 4 << 20;

// The pass id a row names, or one made from the row itself (a row of an
// older layout without one): the same row gives the same id every time.
std::string passIdOf(const std::optional<std::string>& named, const QByteArray& row) {
    if (named && !QUuid::fromString(QString::fromStdString(*named)).isNull()) {
        return *named;
    }
    static const QUuid space = QUuid::fromString(QStringLiteral("6f1c1c2e-5e8a-4f55-9d43-2c0a8b7e4d10"));
    return QUuid::createUuidV5(space, row).toString(QUuid::WithoutBraces).toStdString();
}

} // namespace

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

SpoolReader::SpoolReader(QString folder) : folder_(std::move(folder)) { readCursor(); }

std::vector<SpoolReader::File> SpoolReader::files() {
    std::vector<std::pair<int, QString>> numbered;
    const QStringList names = QDir(folder_).entryList({QStringLiteral("results*.csv")}, QDir::Files);
    for (const QString& name : names) {
        if (const int n = numberOfFile(name.toStdString(), RecordFileName); n > 0) {
            numbered.emplace_back(n, name);
        }
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<File> out;
    for (const auto& [n, name] : numbered) {
        QFile f(QDir(folder_).filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            continue;
        }
        const auto header = nextCsvRecord(f.read(1 << 20), 0);
        if (header) {
            out.push_back({name, header->fields});
            cursor_.try_emplace(name, static_cast<qint64>(header->end));
        }
    }
    return out;
}

std::vector<SpoolReader::Pass> SpoolReader::next(std::size_t most) {
    std::vector<Pass> out;
    const auto& columns = LabSchema::columns();
    for (const File& file : files()) {
        QFile f(QDir(folder_).filePath(file.name));
        qint64& at = cursor_[file.name];
        if (!f.open(QIODevice::ReadOnly)) {
            continue;
        }
        if (f.size() < at) {
            at = 0; // cut shorter or replaced: read it again (the database ignores what it has)
        }
        // Which field of this file each database column is.
        std::vector<int> fieldOf(columns.size(), -1);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const auto it = std::find(file.header.begin(), file.header.end(), columns[c].title);
            fieldOf[c] = it == file.header.end() ? -1 : static_cast<int>(it - file.header.begin());
        }
        if (at == 0) {
            at = static_cast<qint64>(nextCsvRecord(f.read(1 << 20), 0)->end);
        }
        f.seek(at);
        const QByteArray bytes = f.read(ReadAtOnce);
        std::size_t from = 0;
        while (out.size() < most) {
            const auto record = nextCsvRecord(bytes, from);
            if (!record) {
                break;
            }
            Pass p;
            p.file = file.name;
            p.end = at + static_cast<qint64>(record->end);
            p.values.resize(columns.size());
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const int i = fieldOf[c];
                const auto field = static_cast<std::size_t>(i);
                if (i >= 0 && field < record->fields.size() && !record->fields[field].empty()) {
                    p.values[c] = record->fields[field];
                }
                if (columns[c].type == LabSchema::Type::Uuid) {
                    p.values[c] = passIdOf(p.values[c], bytes.mid(static_cast<qsizetype>(from),
                                                                  static_cast<qsizetype>(record->end - from)));
                }
            }
            out.push_back(std::move(p));
            from = record->end;
        }
        if (out.size() >= most) {
            break;
        }
    }
    return out;
}

bool SpoolReader::uploaded(const Pass& last) {
    // Every file before the row's is done with.
    for (const File& file : files()) {
        if (file.name == last.file) {
            break;
        }
        cursor_[file.name] = QFileInfo(QDir(folder_).filePath(file.name)).size();
    }
    cursor_[last.file] = last.end;
    return writeCursor();
}

std::size_t SpoolReader::waiting() { return next(std::numeric_limits<std::size_t>::max()).size(); }

void SpoolReader::readCursor() {
    QFile f(QDir(folder_).filePath(QString::fromLatin1(CursorFile)));
    if (!f.open(QIODevice::ReadOnly)) {
        return;
    }
    while (!f.atEnd()) {
        const QList<QByteArray> parts = f.readLine().trimmed().split(' ');
        bool ok = false;
        const qint64 at = parts.size() == 2 ? parts[1].toLongLong(&ok) : 0;
        if (ok && at >= 0) {
            cursor_[QString::fromUtf8(parts[0])] = at;
        }
    }
}

bool SpoolReader::writeCursor() const {
    QSaveFile f(QDir(folder_).filePath(QString::fromLatin1(CursorFile)));
    if (!f.open(QIODevice::WriteOnly)) {
        return false;
    }
    for (const auto& [name, at] : cursor_) {
        f.write(name.toUtf8() + ' ' + QByteArray::number(at) + '\n');
    }
    return f.commit();
}
