#include "AccuracySet.h"
#include "CsvFile.h"
#include "FigureCatalogue.h"
#include "MeasurementRecord.h"
#include "RecordReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

// A pass whose every value, figure, box, set-up and instrument field is
// distinct, written by the record and read back column by column by name:
// with this test's own parser, with Python's csv and pandas, and with the
// results window's reader. Swapping any two columns' fields fails here.

namespace {

using Pass = PassOutcome;

struct Pin {
    std::string column;
    std::string expected;
};

// Each value i is 10.5 + i, each figure 30.25 + i: every one distinct, and
// each written the same way by any shortest-exact formatter.
std::string half(int whole) {
    return std::to_string(whole) + ".5";
}
std::string quarter(int whole) {
    return std::to_string(whole) + ".25";
}

struct PinnedPass {
    Pass pass;
    std::vector<Pin> pins;

    PinnedPass() {
        pass.when = QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5), QTimeZone(3600));
        pass.ending = Pass::Ending::Stopped;
        pins.push_back({"date and time (ISO 8601)", "2026-12-08T14:30:05+01:00"});
        pins.push_back({"pass ended", "stopped"});
        pinSetUp();
        pinValues();
        pinFigures();
        pinBoxes();
        pinInstrument();
        pinUncertainty();
        pinVerdict();
        pinCalibration();
        pinBelongings();
        pinMoreFigures();
        pass.passId = "0f8b6c1e-3a52-4c1d-9a7e-2b9f4e6d8a10";
        pass.bench = "bench 7, room \"B\"";
        pins.insert(pins.end(), {{"pass id", pass.passId}, {"bench", pass.bench}});
    }

    void pinSetUp() {
        pass.setUp = {"T-7 UNDER TEST", "7.5", "48.0", "200", "64", "unit 4711, \"warm\""};
        for (const Pin& p : std::vector<Pin>{{"transformer", "T-7 UNDER TEST"},
                                             {"power supply (V rms)", "7.5"},
                                             {"load resistor (ohms)", "48.0"},
                                             {"load capacitor (uF)", "200"},
                                             {"sample average", "64"},
                                             {"comment", "unit 4711, \"warm\""}}) {
            pins.push_back(p);
        }
    }

    void pinValues() {
        const std::pair<Pass::Value, const char*> values[]{{Pass::Frequency, "frequency (Hz)"},
                                                           {Pass::InputVoltage, "input voltage (V rms)"},
                                                           {Pass::InputCurrent, "input current (A rms)"},
                                                           {Pass::InputPower, "input power (W)"},
                                                           {Pass::OutputVoltage, "output voltage (V rms)"},
                                                           {Pass::OutputCurrent, "output current (A rms)"},
                                                           {Pass::OutputPower, "output power (W)"}};
        int n = 10;
        for (const auto& [value, title] : values) {
            pass.values[value] = n + 0.5;
            pass.answers[value] = "ANSWER " + std::to_string(n);
            pins.push_back({title, half(n)});
            const std::string name(title);
            pins.push_back({name.substr(0, name.find(" (")) + " answer text", "ANSWER " + std::to_string(n)});
            ++n;
        }
    }

    void pinFigures() {
        using F = Figures;
        const std::pair<std::optional<double> F::*, const char*> figures[]{
            {&F::ApparentInputPower, "apparent input power (VA)"},
            {&F::InputPhaseAngle, "input phase angle (degrees)"},
            {&F::ReactiveInputPower, "reactive input power (var)"},
            {&F::ApparentOutputPower, "apparent output power (VA)"},
            {&F::ApparentMultiplier, "apparent power multiplier"},
            {&F::ApparentMultiplierEfficiency, "apparent power multiplier efficiency (%)"},
            {&F::OutputPhaseAngle, "output phase angle (degrees)"},
            {&F::ReactiveOutputPower, "reactive output power (var)"},
            {&F::PhaseEfficiency, "phase angle efficiency (%)"},
            {&F::ResistorOutputPower, "resistor real output power (W)"},
            {&F::ResistorEfficiency, "load resistor efficiency (%)"},
            {&F::EfficiencyDifference, "percent efficiency difference (%)"},
            {&F::PhaseOutputPowerFactor, "phase angle output power factor"},
            {&F::ResistorOutputPowerFactor, "load resistor output power factor"}};
        int n = 30;
        for (const auto& [figure, title] : figures) {
            pass.figures.*figure = n + 0.25;
            pins.push_back({title, quarter(n++)});
        }
    }

    void pinBoxes() {
        const char* const captions[Pass::BoxCount]{
            "RESONANT FREQUENCY (Hz)",        "INPUT VOLTAGE (V RMS)",
            "INPUT CURRENT (A RMS)",          "APPARENT INPUT POWER (VA)",
            "INPUT PHASE ANGLE (DEGREES)",    "REACTIVE INPUT POWER (VAR)",
            "PHASE REAL INPUT POWER (WATTS)", "OUTPUT VOLTAGE (V RMS)",
            "OUTPUT CURRENT (A RMS)",         "APPARENT OUTPUT POWER (VA)",
            "APPARENT POWER MULTIPLIER",      "OUTPUT PHASE ANGLE (DEGREES)",
            "REACTIVE OUTPUT POWER (VAR)",    "PHASE REAL OUTPUT POWER (WATTS)",
            "PHASE ANGLE: EFFICIENCY (%)",    "RESISTOR REAL OUTPUT POWER (WATTS)",
            "LOAD RESISTOR: EFFICIENCY (%)",  "TEST TIMESTAMP"};
        for (int b = 0; b < Pass::BoxCount; ++b) {
            const std::string shown = "shown " + std::to_string(b);
            pass.shown[static_cast<std::size_t>(b)] = shown;
            pins.push_back({std::string("box ") + captions[b], shown});
        }
    }

    void pinInstrument() {
        pass.instrument = {"9.8.7", "ID TDS 2024B", "FT0042", "USB 3", ""};
        pins.insert(pins.end(), {{"program version", "9.8.7"},
                                 {"scope identity", "ID TDS 2024B"},
                                 {"adapter", "FT0042"},
                                 {"USB port", "USB 3"}});
        for (std::size_t c = 0; c < 4; ++c) {
            const std::string n = std::to_string(c + 1);
            pass.scopeSetUp.channels[c] = {"vp" + n, "ap" + n, "sc" + n, "g" + n};
            pins.insert(pins.end(), {{"CH" + n + " volt probe", "vp" + n},
                                     {"CH" + n + " amp probe", "ap" + n},
                                     {"CH" + n + " scale", "sc" + n},
                                     {"CH" + n + " scope gain", "g" + n}});
        }
        pass.scopeSetUp.mathScale = "math scale";
        pass.scopeSetUp.mathGain = "math gain";
        pass.scopeSetUp.recognised = "RECOGNISED";
        pins.insert(pins.end(), {{"MATH scale", "math scale"},
                                 {"MATH scope gain", "math gain"},
                                 {"recognised transformer set-up", "RECOGNISED"}});
    }

    // The accuracy 50.5 + i, each U 70.25 + i, the truth and the words.
    void pinUncertainty() {
        int n = 50;
        for (const AccuracyKey& k : AccuracyKeys) {
            pass.accuracy.*k.value = n + 0.5;
            pins.push_back({std::string("accuracy ") + k.title, half(n++)});
        }
        const char* const figures[QuantityCount]{"input voltage (V rms)",
                                                 "input current (A rms)",
                                                 "input power (W)",
                                                 "output voltage (V rms)",
                                                 "output current (A rms)",
                                                 "output power (W)",
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
        n = 70;
        for (int q = 0; q < QuantityCount; ++q) {
            pass.uncertainty.of[static_cast<std::size_t>(q)] = {Expanded::State::Number, n + 0.25};
            const std::string title = figures[q];
            const auto unit = title.find(" (");
            pins.push_back(
                {"U95 " + title.substr(0, unit) + (unit == std::string::npos ? "" : title.substr(unit)), quarter(n++)});
        }
        pass.uncertainty.warnings = "low input power factor: phase term 3.9 %, gain terms 3.6 %";
        pass.uncertainty.estimateRatio = 0.0125;
        pass.uncertainty.estimatesAgree = false;
        pass.truth = Pass::Truth{12.5, 10.0};
        pins.insert(pins.end(), {{"warnings", "low input power factor: phase term 3.9 %, gain terms 3.6 %"},
                                 {"U95 efficiency estimates ratio (%)", "1.25"},
                                 {"estimates agree", "no"},
                                 {"simulated true input power (W)", "12.5"},
                                 {"simulated true output power (W)", "10"},
                                 {"simulated true efficiency (%)", "80"}});
    }

    // Two limited figures with verdicts of their own; the others' empty.
    void pinVerdict() {
        pass.verdict = PassVerdict{Verdict::ConditionalFail,
                                   "phase angle efficiency (%) below, \"guard-band\"",
                                   "F-54X acceptance, version 3",
                                   "ab12",
                                   {{"phase angle efficiency (%)", Verdict::ConditionalFail, "below"},
                                    {"input power (W)", Verdict::Pass, "inside"}}};
        pins.insert(pins.end(), {{"verdict", "CONDITIONAL FAIL"},
                                 {"verdict reason", "phase angle efficiency (%) below, \"guard-band\""},
                                 {"limit set", "F-54X acceptance, version 3"},
                                 {"limit set SHA-256", "ab12"}});
        for (const CatalogueFigure& f : figureCatalogue()) {
            const std::string expected = f.title == "phase angle efficiency (%)" ? "CONDITIONAL FAIL"
                                         : f.title == "input power (W)"          ? "PASS"
                                                                                 : "";
            pins.push_back({"verdict " + f.title, expected});
        }
    }

    // A calibration applied: its name, the phase angle estimate with its U;
    // the load resistor's without one.
    // What the pass belongs to: a characterisation, a unit's test.
    void pinBelongings() {
        pass.belongs = {"c0ffee00-0000-4000-8000-000000000001",
                        "4711",
                        "A. Operator",
                        "lot 12",
                        "c0ffee00-0000-4000-8000-000000000002",
                        "2 of 3: full load",
                        "PASS"};
        pins.insert(pins.end(), {{"characterisation id", "c0ffee00-0000-4000-8000-000000000001"},
                                 {"unit", "4711"},
                                 {"operator", "A. Operator"},
                                 {"lot", "lot 12"},
                                 {"unit test id", "c0ffee00-0000-4000-8000-000000000002"},
                                 {"step", "2 of 3: full load"},
                                 {"simulated true verdict", "PASS"}});
    }

    // The figures beyond the boxes: each 90.25 + i, its U 110.25 + i.
    void pinMoreFigures() {
        int n = 90;
        for (const CatalogueFigure& f : figureCatalogue()) {
            if (f.compute != nullptr) {
                f.restore(pass, n + 0.25, n + 20.25);
                pins.insert(pins.end(), {{f.title, quarter(n)}, {"U95 " + f.title, quarter(n + 20)}});
                ++n;
            }
        }
    }

    void pinCalibration() {
        pass.calibrated.calibration = "2026-12-01 CH3 x1.0000 CH4 x1.0510 phase -0.98 deg";
        pass.calibrated.applied = true;
        pass.calibrated.phaseEfficiency = 88.2125;
        pass.calibrated.uPhaseEfficiency = {Expanded::State::Number, 0.9512};
        pass.calibrated.resistorEfficiency = 87.5;
        pass.calibrated.uResistorEfficiency = {Expanded::State::Unusable, 3};
        pass.calibrated.misfit = "calibration does not fit this bench: its estimates differ by 1.20 % (U 1.10 %)";
        pass.calibrated.uRatio = 0.0125;
        pins.insert(pins.end(), {{"calibration fit",
                                  "calibration does not fit this bench: its estimates differ by 1.20 % (U 1.10 %)"},
                                 {"U95 calibrated estimates ratio (%)", "1.25"},
                                 {"calibration", "2026-12-01 CH3 x1.0000 CH4 x1.0510 phase -0.98 deg"},
                                 {"calibrated phase angle efficiency (%)", "88.2125"},
                                 {"U95 calibrated phase angle efficiency (%)", "0.9512"},
                                 {"calibrated load resistor efficiency (%)", "87.5"},
                                 {"U95 calibrated load resistor efficiency (%)", ""}});
    }
};

struct RoundTrip : testing::Test {
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        MeasurementRecord record(folder.path().toStdString());
        record.passEnded(pinned.pass);
        record.passEnded(pinned.pass);
        ASSERT_TRUE(record.finish());
    }
    std::string file() const { return folder.path().toStdString() + "/results.csv"; }

    // The results window's reader over a file.
    static std::vector<ResultRow> readBack(const QString& path) {
        RecordFileReader reader(path, 0);
        std::vector<ResultRow> rows;
        while (reader.readMore(rows)) {
        }
        EXPECT_EQ(reader.unreadCount(), 0) << path.toStdString();
        return rows;
    }

    // The record's file with only the columns `keep` says, in the order given.
    QString layout(const std::string& name, const std::vector<std::size_t>& keep) const {
        std::string bytes;
        for (const Lines& line : readCsv(file())) {
            std::string out;
            for (std::size_t i = 0; i < keep.size(); ++i) {
                out += (i == 0 ? "\"" : ",\"") + quoted(line.at(keep[i])) + "\"";
            }
            bytes += out + "\r\n";
        }
        const QString path = folder.filePath(QString::fromStdString(name));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    static std::string quoted(const std::string& field) {
        std::string q;
        for (char c : field) {
            q += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        return q;
    }

    PinnedPass pinned;
    QTemporaryDir folder;
};

} // namespace

TEST_F(RoundTrip, EveryColumnHoldsItsOwnFieldAndEveryColumnIsPinned) {
    const std::vector<Lines> table = readCsv(file());
    ASSERT_EQ(table.size(), 3u);
    const Row row = lastRow(file());
    std::set<std::string> pinnedColumns;
    for (const Pin& pin : pinned.pins) {
        EXPECT_EQ(row.count(pin.column) ? row.at(pin.column) : "(no such column)", pin.expected) << pin.column;
        pinnedColumns.insert(pin.column);
    }
    const std::set<std::string> header(table.front().begin(), table.front().end());
    EXPECT_EQ(header, pinnedColumns) << "a column without its pin, or a pin without its column";
    EXPECT_EQ(header.size(), table.front().size()) << "no title twice";
}

TEST_F(RoundTrip, PythonsCsvAndPandasReadEveryColumnAsWritten) {
    std::string command =
        "LC_ALL=de_DE.UTF-8 /usr/bin/python3 " TESTS_DIR "/record/read_results.py --pandas '" + file() + "' 2";
    for (const Pin& pin : pinned.pins) {
        command += " '" + pin.column + "=" + pin.expected + "'";
    }
    // Single quotes in a value would need escaping; none of the pins has one.
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(RoundTrip, TheResultsReaderTakesEachColumnByNameInEveryLayout) {
    const std::vector<Lines> table = readCsv(file());
    const std::size_t all = table.front().size();
    std::vector<std::size_t> everyColumn(all), reversed(all), firstLayout;
    for (std::size_t i = 0; i < all; ++i) {
        everyColumn[i] = i;
        reversed[i] = all - 1 - i;
    }
    // A shorter layout: the columns up to the power factors, then the comment.
    for (std::size_t i = 0; i < all; ++i) {
        const std::string& title = table.front()[i];
        if (i <= 34 || title == "comment") {
            firstLayout.push_back(i);
        }
    }
    const Pass& p = pinned.pass;
    for (const auto& [what, path] : {std::pair{"as written", QString::fromStdString(file())},
                                     std::pair{"columns reversed", layout("reversed.csv", reversed)},
                                     std::pair{"a shorter layout", layout("shorter.csv", firstLayout)}}) {
        SCOPED_TRACE(what);
        const std::vector<ResultRow> rows = readBack(path);
        ASSERT_EQ(rows.size(), 2u);
        const ResultRow& r = rows.back();
        EXPECT_EQ(r.when(), p.when);
        EXPECT_EQ(r.ending, "stopped");
        EXPECT_EQ(r.transformer, "T-7 UNDER TEST");
        EXPECT_EQ(r.supplyText, "7.5");
        EXPECT_EQ(r.supply, 7.5);
        EXPECT_EQ(r.resistor, 48.0);
        EXPECT_EQ(r.capacitor, 200.0);
        EXPECT_EQ(r.comment, "unit 4711, \"warm\"");
        EXPECT_EQ(r.realInput, p.values[Pass::InputPower]);
        EXPECT_EQ(r.realOutput, p.values[Pass::OutputPower]);
        const Figures& f = p.figures;
        EXPECT_EQ(r.phaseEfficiency, f.PhaseEfficiency);
        EXPECT_EQ(r.resistorEfficiency, f.ResistorEfficiency);
        EXPECT_EQ(r.apparentInput, f.ApparentInputPower);
        EXPECT_EQ(r.apparentOutput, f.ApparentOutputPower);
        EXPECT_EQ(r.reactiveInput, f.ReactiveInputPower);
        EXPECT_EQ(r.reactiveOutput, f.ReactiveOutputPower);
        EXPECT_EQ(r.resistorOutputPower, f.ResistorOutputPower);
        EXPECT_EQ(r.phasePowerFactor, f.PhaseOutputPowerFactor);
        EXPECT_EQ(r.resistorPowerFactor, f.ResistorOutputPowerFactor);
    }
}
