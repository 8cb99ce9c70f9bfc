#include "MeasurementRecord.h"

#include "ResultsTable.h"

void MeasurementRecord::passEnded(const PassOutcome& pass) {
    // Formatted here, where the texts are; only the disk work goes over.
    static const std::string header = ResultsTable::header();
    writer_.submit([this, row = ResultsTable::row(pass)] {
        return folder_.appendLine(ResultsFile, header, row);
    });
}

void MeasurementRecord::reportCaptured(const QDateTime& when, std::function<std::string()> encode) {
    writer_.submit([this, name = reportFileName(when), encode = std::move(encode)] {
        const std::string bytes = encode();
        if (bytes.empty()) {
            return std::optional<std::string>("the report picture could not be made");
        }
        return folder_.writeNewFile(name, bytes);
    });
}

std::string MeasurementRecord::reportFileName(const QDateTime& when) {
    return "report-" + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")).toStdString() + ".png";
}

std::vector<std::string> MeasurementRecord::failures(std::chrono::milliseconds limit) {
    writer_.waitIdle(limit);
    return writer_.takeFailures();
}
