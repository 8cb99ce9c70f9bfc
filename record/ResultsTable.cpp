#include "ResultsTable.h"

#include <QString>
#include <QStringDecoder>
#include <charconv>
#include <cmath>

namespace ResultsTable {

namespace {

constexpr std::array<std::string_view, PassOutcome::ValueCount> ValueNames{
    "frequency", "input voltage", "input current", "input power",
    "output voltage", "output current", "output power"};
constexpr std::array<std::string_view, PassOutcome::ValueCount> ValueUnits{
    "Hz", "V rms", "A rms", "W", "V rms", "A rms", "W"};
constexpr std::array<std::string_view, PassOutcome::FigureCount> FigureColumns{
    "apparent input power (VA)",
    "input phase angle (degrees)",
    "reactive input power (var)",
    "apparent output power (VA)",
    "apparent power multiplier",
    "apparent power multiplier efficiency (%)",
    "output phase angle (degrees)",
    "reactive output power (var)",
    "phase angle efficiency (%)",
    "resistor real output power (W)",
    "load resistor efficiency (%)",
    "percent efficiency difference (%)",
    "phase angle output power factor",
    "load resistor output power factor"};

// One line of fields; an empty field keeps its place.
struct Line {
    std::string text;
    bool first = true;
    void add(const std::string& field) {
        text += first ? "" : ",";
        text += field;
        first = false;
    }
    std::string ended() const { return text + "\r\n"; }
};

std::string validUtf8(std::string_view bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) {
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            c = QChar::ReplacementCharacter;
        }
    }
    return text.toUtf8().toStdString();
}

} // namespace

const std::array<std::string_view, PassRecord::BoxCount>& resultBoxNames() {
    static constexpr std::array<std::string_view, PassRecord::BoxCount> names{
        "RESONANT FREQUENCY (Hz)",
        "INPUT VOLTAGE (V RMS)",
        "INPUT CURRENT (A RMS)",
        "APPARENT INPUT POWER (VA)",
        "INPUT PHASE ANGLE (DEGREES)",
        "REACTIVE INPUT POWER (VAR)",
        "PHASE REAL INPUT POWER (WATTS)",
        "OUTPUT VOLTAGE (V RMS)",
        "OUTPUT CURRENT (A RMS)",
        "APPARENT OUTPUT POWER (VA)",
        "APPARENT POWER MULTIPLIER",
        "OUTPUT PHASE ANGLE (DEGREES)",
        "REACTIVE OUTPUT POWER (VAR)",
        "PHASE REAL OUTPUT POWER (WATTS)",
        "PHASE ANGLE: EFFICIENCY (%)",
        "RESISTOR REAL OUTPUT POWER (WATTS)",
        "LOAD RESISTOR: EFFICIENCY (%)",
        "TEST TIMESTAMP"};
    return names;
}

std::string textField(std::string_view text) {
    const std::string utf8 = validUtf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) {
        return utf8;
    }
    std::string quoted = "\"";
    for (char c : utf8) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string numberField(std::optional<double> value) {
    if (!value || std::isnan(*value)) {
        return {};
    }
    if (std::isinf(*value)) {
        return *value > 0 ? "inf" : "-inf";
    }
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value);
    return std::string(buffer.data(), result.ptr);
}

std::string dateTimeField(const QDateTime& when) {
    // A fixed offset, so the zone is written out even for local time.
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

std::string endingName(PassOutcome::Ending ending) {
    switch (ending) {
    case PassOutcome::Ending::Complete:
        return "complete";
    case PassOutcome::Ending::Stopped:
        return "stopped";
    case PassOutcome::Ending::LinkFailure:
        return "link failure";
    }
    return {};
}

std::string header() {
    Line line;
    for (const char* column : {"date and time (ISO 8601)", "pass ended", "transformer",
                               "power supply (V rms)", "load resistor (ohms)",
                               "load capacitor (uF)", "sample average"}) {
        line.add(textField(column));
    }
    for (std::size_t v = 0; v < ValueNames.size(); ++v) {
        line.add(textField(std::string(ValueNames[v]) + " answer text"));
    }
    for (std::size_t v = 0; v < ValueNames.size(); ++v) {
        line.add(textField(std::string(ValueNames[v]) + " (" + std::string(ValueUnits[v]) + ")"));
    }
    for (std::string_view column : FigureColumns) {
        line.add(textField(column));
    }
    for (std::string_view box : resultBoxNames()) {
        line.add(textField("box " + std::string(box)));
    }
    return line.ended();
}

std::string row(const PassRecord& record) {
    Line line;
    line.add(textField(dateTimeField(record.when)));
    line.add(textField(endingName(record.outcome.ending)));
    for (const std::string* text : {&record.transformer, &record.supply, &record.loadResistor,
                                    &record.loadCapacitor, &record.sampleAverage}) {
        line.add(textField(*text));
    }
    for (const auto& answer : record.outcome.answers) {
        line.add(answer ? textField(*answer) : std::string());
    }
    for (const auto& value : record.outcome.values) {
        line.add(numberField(value));
    }
    for (const auto& figure : record.outcome.figures) {
        line.add(numberField(figure));
    }
    for (const std::string& box : record.boxes) {
        line.add(textField(box));
    }
    return line.ended();
}

} // namespace ResultsTable
