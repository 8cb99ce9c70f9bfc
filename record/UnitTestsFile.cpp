#include "UnitTestsFile.h"

#include "SmallFiles.h"

#include <QFile>
#include <QString>
#include <algorithm>

namespace UnitTestsFile {

const std::vector<std::string>& columns() {
    static const std::vector<std::string> all{"unit test id",
                                              "unit",
                                              "lot",
                                              "operator",
                                              "plan",
                                              "plan version",
                                              "plan SHA-256",
                                              "transformer",
                                              "bench",
                                              "started",
                                              "ended",
                                              "verdict",
                                              "attempt",
                                              "stopped at",
                                              "step verdicts",
                                              "reasons",
                                              "simulated true verdict",
                                              "report"};
    return all;
}

std::string header() {
    std::string line;
    for (const std::string& c : columns()) {
        line += (line.empty() ? "" : ",") + c;
    }
    return line + "\r\n";
}

namespace {

// The file's lines, a quoted field's line ends kept inside it.
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool quoted = false;
    for (char c : bytes) {
        quoted = c == '"' ? !quoted : quoted;
        if (!quoted && (c == '\n' || c == '\r')) {
            if (!line.empty()) {
                lines.push_back(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::vector<Row> rowsOf(const std::string& csvBytes, const std::string& folder) {
    const auto lines = linesOf(csvBytes);
    std::vector<Row> rows;
    if (lines.empty()) {
        return rows;
    }
    const auto header = csvFields(lines.front());
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const auto f = csvFields(lines[n]);
        if (f.size() != header.size()) {
            continue; // cut short, or not a row of this layout
        }
        Row r;
        for (std::size_t i = 0; i < f.size(); ++i) {
            r.fields[header[i]] = f[i];
        }
        const auto field = [&r](const char* name) {
            const auto i = r.fields.find(name);
            return i == r.fields.end() ? std::string() : i->second;
        };
        if (field("unit test id").empty() || r.fields.count("verdict") == 0) {
            continue;
        }
        r.id = field("unit test id");
        r.unit = field("unit");
        r.lot = field("lot");
        r.operatorName = field("operator");
        r.plan = field("plan");
        r.planVersion = field("plan version");
        r.bench = field("bench");
        r.verdict = field("verdict");
        r.stepVerdicts = field("step verdicts");
        r.ended = field("ended");
        r.started = QDateTime::fromString(QString::fromStdString(field("started")), Qt::ISODate);
        r.folder = folder;
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<Row> read(const std::vector<std::string>& folders) {
    std::vector<Row> rows;
    for (const std::string& folder : folders) {
        QFile f(QString::fromStdString(folder + "/" + Name));
        if (f.open(QIODevice::ReadOnly)) {
            const auto found = rowsOf(f.read(64 << 20).toStdString(), folder);
            rows.insert(rows.end(), found.begin(), found.end());
        }
    }
    return rows;
}

} // namespace UnitTestsFile
