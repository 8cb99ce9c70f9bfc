#include "MeasurementRecord.h"

#include "Counted.h"

#include <QFile>

#include "ResultsTable.h"

#include <QStandardPaths>

namespace {

const std::string& header() {
    static const std::string line = ResultsTable::header();
    return line;
}

std::string joined(const std::deque<std::string>& rows) {
    std::string all;
    for (const std::string& row : rows) {
        all += row;
    }
    return all;
}

} // namespace

MeasurementRecord::MeasurementRecord(std::string folder, std::string spareFolder)
    : folder_(std::move(folder)), spareFolder_(std::move(spareFolder)) {}

std::string MeasurementRecord::defaultSpareFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

void MeasurementRecord::passEnded(const PassOutcome& pass) {
    // Formatted here, where the texts are; only the disk work goes over.
    writer_.submit([this, row = ResultsTable::row(pass)] {
        std::vector<std::string> lines;
        waiting_.push_back(row);
        if (waiting_.size() > MaxWaiting) {
            waiting_.pop_front();
            lines.push_back("RECORD: " + std::to_string(MaxWaiting) +
                            " rows are waiting; the oldest waiting row was dropped");
        }
        for (std::string& line : writeWaiting()) {
            lines.push_back(std::move(line));
        }
        return lines;
    });
}

// Every waiting row in one append, oldest first; they stay when it fails.
std::vector<std::string> MeasurementRecord::writeWaiting() {
    const std::size_t count = waiting_.size();
    RecordFolder::Appended appended = folder_.appendLines(ResultsFile, header(), waiting_);
    std::vector<std::string> lines = std::move(appended.notices);
    if (appended.problem) {
        lines.push_back("RECORD Failed: " + *appended.problem + " (" +
                        counted(static_cast<long long>(count), "row", "rows") + " waiting)");
        return lines;
    }
    waiting_.clear();
    if (count > 1) {
        lines.push_back("RECORD: " + std::to_string(count) + " rows that were waiting are written");
    }
    return lines;
}

bool MeasurementRecord::close(std::chrono::milliseconds limit) {
    writer_.submit([this] { return saveWaiting(); });
    return writer_.waitIdle(limit);
}

std::vector<std::string> MeasurementRecord::saveWaiting() {
    if (waiting_.empty()) {
        return {};
    }
    std::vector<std::string> lines = writeWaiting();
    if (waiting_.empty()) {
        return lines;
    }
    const RecordFolder spare(spareFolder_);
    const std::string name = "unwritten-rows-" +
                             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")).toStdString() +
                             ".csv";
    std::string path;
    if (const auto problem = spare.writeNewFile(name, header() + joined(waiting_), &path)) {
        lines.push_back("RECORD Failed: " + *problem + " (" + std::to_string(waiting_.size()) + " rows lost)");
    } else {
        lines.push_back("RECORD: " + std::to_string(waiting_.size()) + " rows that could not be written to " +
                        folder_.path() + " are in " + path);
    }
    waiting_.clear();
    return lines;
}

void MeasurementRecord::reportCaptured(const QDateTime& when, std::function<std::string()> encode) {
    writer_.submit([this, name = reportFileName(when), encode = std::move(encode)] {
        const std::string bytes = encode();
        const std::optional<std::string> problem =
            bytes.empty() ? std::optional<std::string>("the report picture could not be made")
                          : folder_.writeNewFile(name, bytes);
        return problem ? std::vector<std::string>{"RECORD Failed: " + *problem} : std::vector<std::string>{};
    });
}

void MeasurementRecord::keepLimitSet(const std::string& sha256, const std::string& bytes) {
    if (sha256.empty() || bytes.empty() || !limitSetsKept_.insert(sha256).second) {
        return;
    }
    writer_.submit([this, name = limitSetFileName(sha256), bytes] {
        if (QFile::exists(QString::fromStdString(folder_.path() + "/" + name))) {
            return std::vector<std::string>{}; // the same bytes: its name is their hash
        }
        const std::optional<std::string> problem = folder_.writeNewFile(name, bytes);
        return problem ? std::vector<std::string>{"RECORD Failed: " + *problem} : std::vector<std::string>{};
    });
}

std::string MeasurementRecord::limitSetFileName(const std::string& sha256) {
    return "limits-" + sha256 + ".json";
}

std::string MeasurementRecord::reportFileName(const QDateTime& when) {
    return "report-" + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")).toStdString() + ".png";
}

std::vector<std::string> MeasurementRecord::events(std::chrono::milliseconds limit) {
    writer_.waitIdle(limit);
    return writer_.takeLines();
}
