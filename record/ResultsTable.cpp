#include "ResultsTable.h"

#include "AccuracySet.h"
#include "FigureCatalogue.h"
#include "RecordLayout.h"

#include <QString>
#include <QStringDecoder>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace ResultsTable {

namespace {

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

namespace {

using Pass = PassOutcome;

ResultsTable::Column text(ColumnName n, std::string Pass::SetUp::*field) {
    return {n.name, n.unit, [field](const Pass& p) { return textField(p.setUp.*field); }};
}

ResultsTable::Column answer(std::string name, Pass::Value v) {
    return {std::move(name) + " answer text", "",
            [v](const Pass& p) { return p.answers[v] ? textField(*p.answers[v]) : std::string(); }};
}

ResultsTable::Column box(std::string caption, Pass::Box b) {
    return {"box " + std::move(caption), "", [b](const Pass& p) { return textField(p.shown[b]); }};
}

ResultsTable::Column instrument(std::string name, std::string Pass::Instrument::*field) {
    return {std::move(name), "", [field](const Pass& p) { return textField(p.instrument.*field); }};
}

ResultsTable::Column scopeSetUp(std::string name, std::string Pass::ScopeSetUp::*field) {
    return {std::move(name), "", [field](const Pass& p) { return textField(p.scopeSetUp.*field); }};
}

ResultsTable::Column channel(std::string name, std::size_t n, std::string Pass::ScopeSetUp::Channel::*field) {
    return {std::move(name), "", [n, field](const Pass& p) { return textField(p.scopeSetUp.channels[n].*field); }};
}

std::optional<double> simulatedEfficiency(const Pass& p) {
    if (!p.truth || p.truth->inputPower == 0) {
        return std::nullopt;
    }
    return p.truth->outputPower / p.truth->inputPower * 100;
}

// After the Parts' columns: the accuracy each pass was weighed with, the U of
// each value and figure, the warnings, whether the two estimates agree, and
// on the simulated bench its truth.
void addUncertaintyColumns(std::vector<ResultsTable::Column>& c) {
    for (const AccuracyKey& k : AccuracyKeys) {
        const double Accuracy::*value = k.value;
        c.push_back({std::string("accuracy ") + k.title, "",
                     [value](const Pass& p) { return numberField(p.accuracy.*value); }, true});
    }
    // "U95 input voltage (V rms)": each value's and figure's U beside the others.
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (const auto q = f.quantity; q && f.compute == nullptr) {
            c.push_back({"U95 " + f.name(), f.unit(),
                         [q](const Pass& p) { return numberField(p.uncertainty[*q].number()); }, true});
        }
    }
    c.push_back({"warnings", "", [](const Pass& p) { return textField(p.uncertainty.warnings); }});
    c.push_back({RecordColumn::U95EstimatesRatio.name, RecordColumn::U95EstimatesRatio.unit,
                 [](const Pass& p) {
                     const auto& r = p.uncertainty.estimateRatio;
                     return numberField(r ? std::optional<double>(*r * 100) : std::nullopt);
                 },
                 true});
    c.push_back({"estimates agree", "", [](const Pass& p) {
                     const auto& agree = p.uncertainty.estimatesAgree;
                     return std::string(!agree ? "" : *agree ? "yes" : "no");
                 }});
    c.push_back(
        {"simulated true input power", "W",
         [](const Pass& p) { return numberField(p.truth ? std::optional<double>(p.truth->inputPower) : std::nullopt); },
         true});
    c.push_back({"simulated true output power", "W",
                 [](const Pass& p) {
                     return numberField(p.truth ? std::optional<double>(p.truth->outputPower) : std::nullopt);
                 },
                 true});
    c.push_back(
        {"simulated true efficiency", "%", [](const Pass& p) { return numberField(simulatedEfficiency(p)); }, true});
}

std::string verdictField(const std::optional<PassVerdict>& v, const std::string& column);

ResultsTable::Column valueColumn(const CatalogueFigure& f) {
    return {f.name(), f.unit(), [&f](const Pass& p) { return numberField(f.number(p)); }, true};
}

ResultsTable::Column verdictColumn(const CatalogueFigure& f) {
    const std::string title = f.title;
    return {"verdict " + f.name(), f.unit(), [title](const Pass& p) { return verdictField(p.verdict, title); }};
}

std::string verdictField(const std::optional<PassVerdict>& v, const std::string& column) {
    if (!v) {
        return {};
    }
    for (const PassVerdict::Figure& f : v->figures) {
        if (f.column == column) {
            return verdictName(f.verdict);
        }
    }
    return {};
}

// With a limit set: the pass's verdict, why, which set (its name, version and
// the SHA-256 of its file) and each limited figure's own verdict; empty
// without one.
void addVerdictColumns(std::vector<ResultsTable::Column>& c) {
    c.push_back({RecordColumn::Verdict.name, RecordColumn::Verdict.unit,
                 [](const Pass& p) { return p.verdict ? std::string(verdictName(p.verdict->verdict)) : ""; }});
    c.push_back({"verdict reason", "", [](const Pass& p) { return textField(p.verdict ? p.verdict->reason : ""); }});
    c.push_back({"limit set", "", [](const Pass& p) { return textField(p.verdict ? p.verdict->limitSet : ""); }});
    c.push_back({RecordColumn::LimitSetSha.name, RecordColumn::LimitSetSha.unit,
                 [](const Pass& p) { return p.verdict ? p.verdict->limitSetSha : ""; }});
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (!f.calibrated && f.compute == nullptr) {
            c.push_back(verdictColumn(f));
        }
    }
}

// Which channel calibration applied (or why none did; empty while none is
// held) and both efficiencies read through it, with their U.
void addCalibrationColumns(std::vector<ResultsTable::Column>& c) {
    c.push_back({RecordColumn::Calibration.name, RecordColumn::Calibration.unit,
                 [](const Pass& p) { return textField(p.calibrated.calibration); }});
    c.push_back({RecordColumn::CalibratedPhaseEfficiency.name, RecordColumn::CalibratedPhaseEfficiency.unit,
                 [](const Pass& p) { return numberField(p.calibrated.phaseEfficiency); }, true});
    c.push_back({RecordColumn::U95CalibratedPhaseEfficiency.name, RecordColumn::U95CalibratedPhaseEfficiency.unit,
                 [](const Pass& p) { return numberField(p.calibrated.uPhaseEfficiency.number()); }, true});
    c.push_back({RecordColumn::CalibratedResistorEfficiency.name, RecordColumn::CalibratedResistorEfficiency.unit,
                 [](const Pass& p) { return numberField(p.calibrated.resistorEfficiency); }, true});
    c.push_back({"U95 calibrated load resistor efficiency", "%",
                 [](const Pass& p) { return numberField(p.calibrated.uResistorEfficiency.number()); }, true});
}

// Columns added after the bench: the check on the calibration, and the
// calibrated figures' verdicts.
void addLaterColumns(std::vector<ResultsTable::Column>& c) {
    c.push_back({"calibration fit", "", [](const Pass& p) {
                     const auto& cal = p.calibrated;
                     return textField(!cal.applied ? "" : cal.misfit.empty() ? "fits" : cal.misfit);
                 }});
    c.push_back({"U95 calibrated estimates ratio", "%",
                 [](const Pass& p) {
                     const auto& u = p.calibrated.uRatio;
                     return numberField(u ? std::optional<double>(*u * 100) : std::nullopt);
                 },
                 true});
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (f.calibrated) {
            c.push_back(verdictColumn(f));
        }
    }
    using B = Pass::Belongs;
    for (const auto& [title, field] :
         {std::pair{RecordColumn::CharacterisationId, &B::characterisationId}, std::pair{RecordColumn::Unit, &B::unit},
          std::pair{RecordColumn::Operator, &B::operatorName}, std::pair{RecordColumn::Lot, &B::lot},
          std::pair{RecordColumn::UnitTestId, &B::unitTestId}, std::pair{RecordColumn::Step, &B::step},
          std::pair{RecordColumn::SimulatedTrueVerdict, &B::simulatedTrueVerdict}}) {
        std::string B::*member = field;
        c.push_back({title.name, title.unit, [member](const Pass& p) { return textField(p.belongs.*member); }});
    }
}

// The figures computed beyond the boxes, after everything else: each its
// value, its U95 and its verdict.
void addMoreFigureColumns(std::vector<ResultsTable::Column>& c) {
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (f.compute != nullptr) {
            c.push_back(valueColumn(f));
            c.push_back({"U95 " + f.name(), f.unit(), [&f](const Pass& p) { return numberField(f.U(p)); }, true});
            c.push_back(verdictColumn(f));
        }
    }
}

// The main window's boxes as they showed.
void addBoxColumns(std::vector<ResultsTable::Column>& c) {
    for (ResultsTable::Column column : {
             box("RESONANT FREQUENCY (Hz)", Pass::FrequencyBox),
             box("INPUT VOLTAGE (V RMS)", Pass::InputVoltageBox),
             box("INPUT CURRENT (A RMS)", Pass::InputCurrentBox),
             box("APPARENT INPUT POWER (VA)", Pass::ApparentInputPowerBox),
             box("INPUT PHASE ANGLE (DEGREES)", Pass::InputPhaseAngleBox),
             box("REACTIVE INPUT POWER (VAR)", Pass::ReactiveInputPowerBox),
             box("PHASE REAL INPUT POWER (WATTS)", Pass::InputPowerBox),
             box("OUTPUT VOLTAGE (V RMS)", Pass::OutputVoltageBox),
             box("OUTPUT CURRENT (A RMS)", Pass::OutputCurrentBox),
             box("APPARENT OUTPUT POWER (VA)", Pass::ApparentOutputPowerBox),
             box("APPARENT POWER MULTIPLIER", Pass::ApparentMultiplierBox),
             box("OUTPUT PHASE ANGLE (DEGREES)", Pass::OutputPhaseAngleBox),
             box("REACTIVE OUTPUT POWER (VAR)", Pass::ReactiveOutputPowerBox),
             box("PHASE REAL OUTPUT POWER (WATTS)", Pass::OutputPowerBox),
             box("PHASE ANGLE: EFFICIENCY (%)", Pass::PhaseEfficiencyBox),
             box("RESISTOR REAL OUTPUT POWER (WATTS)", Pass::ResistorOutputPowerBox),
             box("LOAD RESISTOR: EFFICIENCY (%)", Pass::ResistorEfficiencyBox),
             box("TEST TIMESTAMP", Pass::TimestampBox),
         }) {
        c.push_back(std::move(column));
    }
}

// What was measured and with what: the comment, the program, the scope, the
// adapter and the scope's channel set-up.
void addBenchColumns(std::vector<ResultsTable::Column>& c) {
    for (ResultsTable::Column column : {
             text(RecordColumn::Comment, &Pass::SetUp::comment),
             instrument("program version", &Pass::Instrument::programVersion),
             instrument("scope identity", &Pass::Instrument::scopeIdentity),
             instrument("adapter", &Pass::Instrument::adapter),
             instrument("USB port", &Pass::Instrument::usbPort),
         }) {
        c.push_back(std::move(column));
    }
    using Channel = Pass::ScopeSetUp::Channel;
    for (std::size_t n = 0; n < 4; ++n) {
        const std::string name = "CH" + std::to_string(n + 1);
        c.push_back(channel(name + " volt probe", n, &Channel::voltProbe));
        c.push_back(channel(name + " amp probe", n, &Channel::ampProbe));
        c.push_back(channel(name + " scale", n, &Channel::scale));
        c.push_back(channel(name + " scope gain", n, &Channel::gain));
    }
    c.push_back(scopeSetUp("MATH scale", &Pass::ScopeSetUp::mathScale));
    c.push_back(scopeSetUp("MATH scope gain", &Pass::ScopeSetUp::mathGain));
    c.push_back(scopeSetUp("recognised transformer set-up", &Pass::ScopeSetUp::recognised));
}

std::vector<ResultsTable::Column> makeColumns() {
    std::vector<ResultsTable::Column> c{
        {RecordColumn::When.name, RecordColumn::When.unit,
         [](const Pass& p) { return textField(dateTimeField(p.when)); }},
        {RecordColumn::Ending.name, RecordColumn::Ending.unit,
         [](const Pass& p) { return textField(endingName(p.ending)); }},
        text(RecordColumn::Transformer, &Pass::SetUp::transformer),
        text(RecordColumn::Supply, &Pass::SetUp::supply),
        text(RecordColumn::Resistor, &Pass::SetUp::loadResistor),
        text(RecordColumn::Capacitor, &Pass::SetUp::loadCapacitor),
        text(RecordColumn::SampleAverage, &Pass::SetUp::sampleAverage),
        answer("frequency", Pass::Frequency),
        answer("input voltage", Pass::InputVoltage),
        answer("input current", Pass::InputCurrent),
        answer("input power", Pass::InputPower),
        answer("output voltage", Pass::OutputVoltage),
        answer("output current", Pass::OutputCurrent),
        answer("output power", Pass::OutputPower),
    };
    // Each value and figure as the figure table lists them.
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (!f.calibrated && f.compute == nullptr) {
            c.push_back(valueColumn(f));
        }
    }
    addBoxColumns(c);
    addBenchColumns(c);
    addUncertaintyColumns(c);
    addVerdictColumns(c);
    addCalibrationColumns(c);
    // Who and where: the pass's own identity (a database keeps it once) and
    // the bench it was measured on.
    c.push_back(
        {RecordColumn::PassId.name, RecordColumn::PassId.unit, [](const Pass& p) { return textField(p.passId); }});
    c.push_back({RecordColumn::Bench.name, RecordColumn::Bench.unit, [](const Pass& p) { return textField(p.bench); }});
    addLaterColumns(c);
    addMoreFigureColumns(c);
    return c;
}

} // namespace

const std::vector<Column>& columns() {
    static const std::vector<Column> all = makeColumns();
    return all;
}

const Column* columnTitled(std::string_view title) {
    for (const Column& column : columns()) {
        if (column.title() == title) {
            return &column;
        }
    }
    return nullptr;
}

std::string header() {
    Line line;
    for (const Column& column : columns()) {
        line.add(textField(column.title()));
    }
    return line.ended();
}

std::string row(const PassOutcome& pass) {
    Line line;
    for (const Column& column : columns()) {
        line.add(column.field(pass));
    }
    return line.ended();
}

} // namespace ResultsTable
