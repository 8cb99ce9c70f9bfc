#include "ProgramOptions.h"
#include "AccuracySet.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include <gtest/gtest.h>

TEST(ProgramOptions, TheCommandLineIsReadBeforeAnyWindow) {
    const auto parse = [](QStringList args) {
        args.prepend(QStringLiteral("transformer-efficiency"));
        return parseProgramOptions(args);
    };
    const ProgramOptions plain = parse({});
    EXPECT_FALSE(plain.message.has_value());
    EXPECT_FALSE(plain.simulate);
    EXPECT_FALSE(plain.recordFolder.has_value()) << "no record unless asked for";

    const ProgramOptions all =
        parse({"--simulate", "--fast-reads", "--acquisition-stopped", "--record", "/tmp/campaign 7"});
    EXPECT_TRUE(all.simulate && all.fastReads && all.acquisitionStopped);
    EXPECT_EQ(all.recordFolder, "/tmp/campaign 7");

    const ProgramOptions version = parse({"--version"});
    ASSERT_TRUE(version.message.has_value());
    EXPECT_EQ(version.message->substr(0, version.message->find('\n') + 1),
              std::string("transformer-efficiency ") + programVersion() + " (Transformer Efficiency Calculator)\n");
    EXPECT_NE(version.message->find("GNU General Public License version 3"), std::string::npos)
        << "the program links Qt Charts";
    EXPECT_EQ(version.exitCode, 0);

    const ProgramOptions help = parse({"-h"});
    ASSERT_TRUE(help.message.has_value());
    EXPECT_EQ(help.message->rfind("Usage: transformer-efficiency [options]", 0), 0u);
    EXPECT_NE(help.message->find("--record <DIR>"), std::string::npos);
    EXPECT_EQ(help.exitCode, 0);

    for (const QStringList& wrong : {QStringList{"--bogus"}, QStringList{"--record"}, QStringList{"extra"}}) {
        const ProgramOptions refused = parse(wrong);
        EXPECT_EQ(refused.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(refused.message.has_value());
    }

    // A measurement from a script, and the results window.
    const ProgramOptions headless = parse({"--headless", "--load-resistor", "9.4", "--supply", "10", "--capacitor",
                                           "100", "--passes", "3", "--interval", "1.5", "--comment", "unit 7"});
    ASSERT_TRUE(headless.headless.has_value());
    EXPECT_EQ(headless.headless->passes, 3);
    EXPECT_EQ(headless.headless->intervalSeconds, 1.5);
    EXPECT_EQ(headless.headless->comment, "unit 7");
    const ProgramOptions results = parse({"--results", "/tmp/a", "/tmp/b"});
    EXPECT_TRUE(results.results);
    EXPECT_EQ(results.resultsFolders, (std::vector<std::string>{"/tmp/a", "/tmp/b"}));
    for (const QStringList& wrong :
         {QStringList{"--headless", "--supply", "10"}, QStringList{"--passes", "2"},
          QStringList{"--headless", "--results", "--load-resistor", "9.4", "--supply", "10", "--capacitor", "100"}}) {
        EXPECT_EQ(parse(wrong).exitCode, 2) << wrong.join(' ').toStdString();
    }
}

// --accuracy: a whole, valid set or the run refused with one line naming the
// key; never the defaults in its place.
TEST(ProgramOptions, AnAccuracyFileIsWholeAndValidOrTheRunIsRefused) {
    QTemporaryDir dir;
    const std::string good = R"({"scope_gain_percent": 2, "offset_divisions": 0.04, "voltage_probe_percent": 1,
        "current_probe_percent": 3, "current_probe_phase_degrees": 0.5, "load_resistor_percent": 0.1,
        "coverage_factor": 2})";
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const struct {
        std::string json;
        const char* says; // in the refusal; empty: accepted
    } cases[]{
        {good, ""},
        {replaced("\"voltage_probe_percent\": 1", "\"voltage_probe_percent\": -1"),
         "\"voltage_probe_percent\" is negative"},
        {replaced("\"current_probe_percent\": 3", "\"current_probe_percent\": \"3\""),
         "\"current_probe_percent\" is not a number"},
        {replaced("\"load_resistor_percent\": 0.1,", ""), "missing key \"load_resistor_percent\""},
        {replaced("\"coverage_factor\": 2", "\"coverage_factor\": 2, \"gain\": 3"), "unknown key \"gain\""},
        {replaced("\"coverage_factor\": 2", "\"coverage_factor\": 0"), "\"coverage_factor\" must be above zero"},
        {"{\"scope_gain_percent\": ", "not JSON"},
        {"[1, 2]", "not a JSON object"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("accuracy.json"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.json.data(), static_cast<qint64>(c.json.size()));
        file.close();
        const ProgramOptions o =
            parseProgramOptions({QStringLiteral("transformer-efficiency"), QStringLiteral("--accuracy"), path});
        if (*c.says == '\0') {
            ASSERT_TRUE(o.accuracy.has_value()) << o.message.value_or("");
            EXPECT_EQ(o.accuracy->phaseLagDegrees, 0.5);
            EXPECT_EQ(o.accuracy->resistorPercent, 0.1);
            continue;
        }
        EXPECT_EQ(o.exitCode, 2) << c.says;
        ASSERT_TRUE(o.message.has_value()) << c.says;
        EXPECT_NE(o.message->find(c.says), std::string::npos) << *o.message;
        EXPECT_EQ(std::count(o.message->begin(), o.message->end(), '\n'), 1) << "one line: " << *o.message;
    }
    const ProgramOptions missing =
        parseProgramOptions({"transformer-efficiency", "--accuracy", dir.filePath("none.json")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.message.value_or("").find("cannot read"), std::string::npos);
    EXPECT_EQ(parseProgramOptions({"transformer-efficiency", "--simulate-errors", "3"}).exitCode, 2)
        << "needs --simulate";
    // A limit set that cannot be taken refuses the run the same way.
    const QString limits = dir.filePath(QStringLiteral("limits.json"));
    QFile file(limits);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"j({"rule": "simple", "limits": {"input power (W)": {"lower": 5, "upper": 1}}})j");
    file.close();
    const ProgramOptions badLimits = parseProgramOptions({"transformer-efficiency", "--limits", limits});
    EXPECT_EQ(badLimits.exitCode, 2);
    EXPECT_NE(badLimits.message.value_or("").find("lower 5 is above upper 1"), std::string::npos);
    EXPECT_EQ(parseProgramOptions({"transformer-efficiency", "--simulate", "--simulate-errors", "x"}).exitCode, 2);
    // The calibration's options: --calibrate with the headless picks, its days a whole number.
    const QStringList headless{
        "transformer-efficiency", "--headless", "--load-resistor", "9.4", "--supply", "10", "--capacitor", "100"};
    const ProgramOptions calibrate =
        parseProgramOptions(headless + QStringList{"--calibrate", "--calibration-days", "7"});
    ASSERT_TRUE(calibrate.headless.has_value());
    EXPECT_TRUE(calibrate.headless->calibrate);
    EXPECT_EQ(calibrate.calibrationDays, 7);
    EXPECT_EQ(parseProgramOptions({"transformer-efficiency", "--calibrate"}).exitCode, 2) << "needs --headless";
    for (const char* days : {"-1", "x", "3651", "1.5"}) {
        EXPECT_EQ(parseProgramOptions(headless + QStringList{"--calibration-days", days}).exitCode, 2) << days;
    }
}

// Every accuracy key at the ends of its range is taken; just outside, and an
// absurd 1e300, it is refused with one line naming the key and its range,
// never clamped.
TEST(ProgramOptions, EveryAccuracyKeyIsTakenWithinItsRangeAndRefusedOutside) {
    for (const AccuracyKey& k : AccuracyKeys) {
        const auto withValue = [&k](double v) {
            std::string json = "{";
            for (const AccuracyKey& other : AccuracyKeys) {
                const double value = &other == &k ? v : Accuracy{}.*other.value;
                json += std::string(json.size() > 1 ? ", " : "") + "\"" + other.key +
                        "\": " + QString::number(value, 'g', 17).toStdString();
            }
            return accuracyFromJson(json + "}");
        };
        for (const double edge : {k.lowest, k.highest}) {
            const auto taken = withValue(edge == 0 && k.value == &Accuracy::coverage ? k.lowest : edge);
            ASSERT_TRUE(std::holds_alternative<Accuracy>(taken))
                << k.key << " " << edge << ": " << std::get<std::string>(taken);
            EXPECT_EQ(std::get<Accuracy>(taken).*k.value, edge) << k.key;
        }
        const std::string range = rangeText(k);
        for (const double outside : {k.lowest - 0.001, k.highest * 1.0001 + 0.001, 1e300}) {
            const auto refused = withValue(outside);
            ASSERT_TRUE(std::holds_alternative<std::string>(refused)) << k.key << " " << outside;
            const std::string& why = std::get<std::string>(refused);
            EXPECT_NE(why.find(std::string("\"") + k.key + "\""), std::string::npos) << why;
            EXPECT_NE(why.find(range), std::string::npos) << why;
            EXPECT_EQ(why.find('\n'), std::string::npos) << "one line: " << why;
        }
    }
    const AccuracyKey& gain = AccuracyKeys[0];
    EXPECT_EQ(whyRefused(gain, 1e300), "is 1e+300, outside its range 0 to 50");
}

// A unit's test and its who: each refusal one line and status 2; the texts
// as typed or scanned, tidied.
TEST(ProgramOptions, AUnitTestNeedsItsUnitAndTakesWhoAsTyped) {
    const QString plan = QStringLiteral(EXAMPLES_DIR "/unit-test-split-flux.json");
    const struct {
        QStringList args;
        const char* says;
    } refusals[]{
        {{"--unit-test", plan}, "--unit-test needs the unit: --unit SERIAL"},
        {{"--unit", "", "--unit-test", plan}, "--unit: the unit's serial is empty"},
        {{"--unit",
          "SN\x01"
          "7",
          "--unit-test", plan},
         "--unit: the unit's serial holds a control character (1 hex)"},
        {{"--unit", QString(65, QLatin1Char('x'))}, "at most 64"},
        {{"--operator", "  "}, "--operator: the text is empty"},
        {{"--unit", "SN-1", "--unit-test", plan, "--headless"}, "--unit-test makes its own set-up"},
        {{"--unit", "SN-1", "--unit-test", plan, "--characterise", plan}, "two runs: name one"},
        {{"--simulate-unit", "4"}, "--simulate-unit takes a whole number SEED and goes with --simulate"},
        {{"--simulate", "--simulate-unit", "-4"}, "--simulate-unit takes a whole number SEED"},
        {{"--amend", "x/1", "--correction", "c"}, "--correction goes with --amend REPORT and --record DIR"},
        {{"--record", "/tmp", "--amend", "x/1"}, "--amend needs the correction"},
        {{"--unit-test", plan, "--resume", "x"}, "--resume reads the unit test from its record folder"},
        {{"--record", "/tmp", "--unit-test", plan, "--resume", "a b"}, "--resume takes the id the unit test"},
        {{"--record", "/tmp", "--resume", "x"}, "--resume goes with --characterise or --unit-test"},
    };
    for (const auto& r : refusals) {
        const ProgramOptions o = parseProgramOptions(QStringList{"transformer-efficiency"} + r.args);
        EXPECT_EQ(o.exitCode, 2) << r.says;
        const std::string said = o.message.value_or("");
        EXPECT_NE(said.find(r.says), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    const ProgramOptions ok =
        parseProgramOptions({"transformer-efficiency", "--simulate", "--simulate-unit", "7", "--unit", "  SN  4711 ",
                             "--operator", "ann   b", "--lot", "12", "--unit-test", plan});
    ASSERT_FALSE(ok.message.has_value()) << *ok.message;
    EXPECT_EQ(ok.unit, "SN 4711");
    EXPECT_EQ(ok.operatorName, "ann b");
    EXPECT_EQ(ok.lot, "12");
    EXPECT_EQ(ok.simulateUnit, 7u);
    ASSERT_TRUE(ok.unitTest.has_value());
    EXPECT_EQ(ok.unitTest->steps.size(), 3u);
}
