#include "RecordFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

// The results window's reader on any bytes: a record's header (or not, by
// the first byte), then the input, read in slices of a size the input picks.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool header = size > 0 && (data[0] & 1) != 0;
    const qint64 slice = size > 1 ? 1 + data[1] : 4096;
    {
        QFile file(dir.filePath(QStringLiteral("results.csv")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        if (header) {
            file.write("date and time (ISO 8601),pass ended,transformer,power supply (V rms),"
                       "phase angle efficiency (%),load resistor efficiency (%),comment\r\n");
        }
        file.write(bytes);
    }
    RecordFolders folders({dir.path()});
    std::vector<ResultRow> rows;
    int slices = 0;
    while (folders.readMore(rows, slice)) {
        if (++slices > 1000000) {
            std::abort(); // it must end
        }
    }
    qint64 lines = 1 + bytes.count('\n');
    qint64 last = 0;
    for (const ResultRow& row : rows) {
        if (row.line <= last || row.line > lines || !row.when().isValid()) {
            std::abort();
        }
        last = row.line;
    }
    if (static_cast<qint64>(rows.size()) + folders.unreadCount() > lines) {
        std::abort();
    }
    (void)folders.unreadSummary();
    return 0;
}
