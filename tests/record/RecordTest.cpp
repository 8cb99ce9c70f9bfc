#include "CsvFile.h"
#include "MeasurementRecord.h"
#include "ResultsTable.h"
#include "TestRig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

// The measurement record: a row a pass, however it ended, in a file a
// spreadsheet opens; a write that fails is logged and changes nothing else.

namespace {

struct RecordRig : testing::Test {
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        b.form->record = &record;
        record.reportWait = std::chrono::seconds(10); // a loaded test machine is no slow disk
        b.walkToReady("9.4", "10.0", "100");
    }
    std::string results() const { return record.folder() + "/results.csv"; }
    Form1& f() { return *b.form; }
    QTemporaryDir folder;
    MeasurementRecord record{folder.path().toStdString() + "/campaign 7"};
    TestRig b;
};

} // namespace

TEST_F(RecordRig, ACompletePassIsOneRowWithEveryFigureAtFullPrecision) {
    f().startCalculation();
    ASSERT_TRUE(record.finish());
    const std::vector<Lines> rows = readCsv(results());
    ASSERT_EQ(rows.size(), 2u) << "one header, one row";
    EXPECT_EQ(rows.at(0).size(), rows.at(1).size());
    const Row row = lastRow(results());
    EXPECT_EQ(row.at("date and time (ISO 8601)"),
              ResultsTable::dateTimeField(QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5))));
    EXPECT_EQ(row.at("pass ended"), "complete");
    EXPECT_EQ(row.at("transformer"), SplitFluxName);
    EXPECT_EQ(row.at("power supply (V rms)"), "10.0");
    EXPECT_EQ(row.at("load resistor (ohms)"), "9.4");
    EXPECT_EQ(row.at("load capacitor (uF)"), "100");
    EXPECT_EQ(row.at("sample average"), "16");
    EXPECT_EQ(row.at("input current answer text"), f().measured.InputCurrentText);
    EXPECT_EQ(number(row, "input current (A rms)"), f().measured.InputCurrent);
    EXPECT_EQ(number(row, "output power (W)"), f().measured.OutputPower);
    const Figures& g = f().figures;
    EXPECT_EQ(number(row, "apparent input power (VA)"), g.ApparentInputPower);
    EXPECT_EQ(number(row, "input phase angle (degrees)"), g.InputPhaseAngle);
    EXPECT_EQ(number(row, "reactive output power (var)"), g.ReactiveOutputPower);
    EXPECT_EQ(number(row, "apparent power multiplier"), g.ApparentMultiplier);
    EXPECT_EQ(number(row, "phase angle efficiency (%)"), g.PhaseEfficiency);
    EXPECT_EQ(number(row, "load resistor efficiency (%)"), g.ResistorEfficiency);
    EXPECT_EQ(number(row, "percent efficiency difference (%)"), g.EfficiencyDifference);
    EXPECT_EQ(number(row, "load resistor output power factor"), g.ResistorOutputPowerFactor);
    EXPECT_EQ(row.at("box PHASE ANGLE: EFFICIENCY (%)"), f().Text11.text);
    EXPECT_EQ(row.at("box TEST TIMESTAMP"), f().Text14.text);
    EXPECT_EQ(last(f().List1.lines), "READY") << "no failure to log";
}

TEST_F(RecordRig, AStoppedPassAndOneEndedByTheLinkHaveTheirRowsToo) {
    b.pump.whenLogged(f().List1, "MEASU:MEAS2:VALUE?", [this] { f().stopCalculation(); });
    f().startCalculation();
    ASSERT_TRUE(record.finish());
    Row row = lastRow(results());
    EXPECT_EQ(row.at("pass ended"), "stopped");
    EXPECT_EQ(number(row, "input voltage (V rms)"), f().measured.InputVoltage);
    EXPECT_EQ(row.at("input current answer text"), "") << "written but never read";
    EXPECT_EQ(row.at("input current (A rms)"), "");
    EXPECT_EQ(row.at("apparent input power (VA)"), "") << "not reached";
    EXPECT_EQ(row.at("box INPUT VOLTAGE (V RMS)"), "") << "STOP emptied the boxes";

    b.d2xx.addFault("MEASU:MEAS5:VALUE?", SimFault::noAnswer());
    f().startCalculation();
    ASSERT_TRUE(record.finish());
    EXPECT_EQ(readCsv(results()).size(), 3u);
    row = lastRow(results());
    EXPECT_EQ(row.at("pass ended"), "link failure");
    EXPECT_EQ(number(row, "output voltage (V rms)"), f().measured.OutputVoltage);
    EXPECT_EQ(row.at("output current answer text"), "");
    EXPECT_EQ(number(row, "apparent input power (VA)"), f().figures.ApparentInputPower);
    EXPECT_EQ(row.at("apparent output power (VA)"), "");
    EXPECT_EQ(row.at("box INPUT CURRENT (A RMS)"), f().Text5.text);
    EXPECT_EQ(last(f().List1.lines), "Close Scope") << "the reset's lines end the list";
}

TEST_F(RecordRig, APassStoppedAfterACompleteOneKeepsNoFigureOfIt) {
    f().startCalculation();
    b.pump.whenLogged(f().List1, "MEASU:MEAS2:VALUE?", [this] { f().stopCalculation(); });
    f().startCalculation();
    ASSERT_TRUE(record.finish());
    const Row row = lastRow(results());
    EXPECT_EQ(row.at("pass ended"), "stopped");
    for (const char* column : {"apparent input power (VA)", "phase angle efficiency (%)",
                               "load resistor efficiency (%)", "output power (W)"}) {
        EXPECT_EQ(row.at(column), "") << column << " is the pass before's";
    }
}

TEST_F(RecordRig, ASecondRunAppendsBelowTheFirstUnderTheSameHeader) {
    f().startCalculation();
    ASSERT_TRUE(record.finish());
    {
        MeasurementRecord again(record.folder());
        TestRig next;
        next.form->record = &again;
        next.walkToReady();
        next.form->startCalculation();
        ASSERT_TRUE(again.finish());
    }
    const std::vector<Lines> rows = readCsv(results());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(rows.at(1), rows.at(0));
    EXPECT_EQ(rows.at(2)[1], "complete");
}

TEST_F(RecordRig, AFolderThatCannotBeWrittenIsLoggedAfterThePassAndChangesNothingElse) {
    // The folder would stand below a plain file: it cannot be made.
    QFile plain(folder.path() + "/a file");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    MeasurementRecord broken(plain.fileName().toStdString() + "/records");
    broken.reportWait = std::chrono::seconds(10);
    f().record = &broken;
    f().startCalculation();
    const Lines withFailure = f().List1.lines;

    f().record = nullptr;
    f().startCalculation();
    const Lines without = f().List1.lines;
    ASSERT_EQ(withFailure.size(), without.size() + 1) << joined(withFailure);
    EXPECT_EQ(Lines(withFailure.begin(), withFailure.end() - 1), without);
    EXPECT_EQ(last(withFailure).rfind("RECORD Failed: cannot make the folder ", 0), 0u) << last(withFailure);
    EXPECT_NE(last(withFailure).find("Not a directory"), std::string::npos);
    EXPECT_EQ(f().Text12.text, "READY");
}

TEST(Record, FieldsFollowRfc4180AndNumbersReadBackExactly) {
    EXPECT_EQ(ResultsTable::textField("9.4"), "9.4");
    EXPECT_EQ(ResultsTable::textField("1,234.5"), "\"1,234.5\"");
    EXPECT_EQ(ResultsTable::textField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(ResultsTable::textField("two\r\nlines"), "two\xEF\xBF\xBD\xEF\xBF\xBDlines");
    EXPECT_EQ(ResultsTable::textField("5 \xB5s"), "5 \xC2\xB5s") << "Latin-1 becomes UTF-8";
    EXPECT_EQ(ResultsTable::textField("\xE2\x82\xAC 7"), "\xE2\x82\xAC 7") << "UTF-8 stays";
    for (double v : {0.1, 1.0 / 3.0, 9.9e37, -2.5e-7, 12345.6789}) {
        const std::string text = ResultsTable::numberField(v);
        EXPECT_EQ(text.find(','), std::string::npos);
        EXPECT_EQ(std::stod(text), v) << text;
    }
    EXPECT_EQ(ResultsTable::numberField(std::nullopt), "");
    EXPECT_EQ(ResultsTable::numberField(HUGE_VAL), "inf");
    EXPECT_EQ(ResultsTable::dateTimeField(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 0), QTimeZone(3600))),
              "2026-12-08T09:05:00+01:00");
    EXPECT_EQ(MeasurementRecord::reportFileName(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7))),
              "report-2026-12-08-090507.png");
}

TEST(Record, WithoutTheOptionNoFileIsWritten) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const QString before = QDir::currentPath();
    QDir::setCurrent(empty.path());
    TestRig b;
    b.walkToReady();
    b.form->startCalculation();
    b.form->capture();
    QDir::setCurrent(before);
    EXPECT_TRUE(QDir(empty.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(b.form->record, nullptr);
}

TEST(Record, PythonsCsvReaderReadsItUnderAGermanLocale) {
    const QLocale english = QLocale();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir folder;
    MeasurementRecord record(folder.path().toStdString());
    TestRig b;
    b.form->record = &record;
    b.walkToReady();
    b.form->startCalculation();
    b.form->startCalculation();
    ASSERT_TRUE(record.finish());
    QLocale::setDefault(english);

    const Figures& g = b.form->figures;
    const std::string command = "LC_ALL=de_DE.UTF-8 python3 " TESTS_DIR "/record/read_results.py '" + record.folder() +
                                "/results.csv' 2 'pass ended=complete' 'input voltage (V rms)=" +
                                ResultsTable::numberField(b.form->measured.InputVoltage) +
                                "' 'phase angle efficiency (%)=" + ResultsTable::numberField(g.PhaseEfficiency) +
                                "' 'apparent power multiplier=" + ResultsTable::numberField(g.ApparentMultiplier) +
                                "' 'box TEST TIMESTAMP=" + b.form->Text14.text + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(RecordRig, AFigureWithoutANumberIsAnEmptyField) {
    b.scope.readings.crms[2] = 0.5; // an output voltage below 1 V counts as none
    f().startCalculation();
    ASSERT_TRUE(record.finish());
    const Row row = lastRow(results());
    EXPECT_EQ(row.at("pass ended"), "complete");
    EXPECT_EQ(row.at("box PHASE ANGLE: EFFICIENCY (%)"), "----");
    for (const char* column :
         {"phase angle efficiency (%)", "load resistor efficiency (%)", "output phase angle (degrees)",
          "apparent power multiplier", "percent efficiency difference (%)", "phase angle output power factor"}) {
        EXPECT_EQ(row.at(column), "") << column;
    }
    EXPECT_EQ(row.at("output voltage (V rms)"), "0") << "the value the pass took";
    EXPECT_EQ(row.at("output voltage answer text"), "5E-01");
    EXPECT_EQ(number(row, "apparent output power (VA)"), 0.0);
}

TEST(Record, TheHeaderAndEveryRowAreMadeFromOneTableOfColumns) {
    const std::vector<ResultsTable::Column>& columns = ResultsTable::columns();
    std::set<std::string> titles;
    for (const auto& c : columns) {
        EXPECT_TRUE(titles.insert(c.title()).second) << "twice: " << c.title();
    }
    const auto fieldCount = [](const std::string& line) {
        return static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
    };
    EXPECT_EQ(fieldCount(ResultsTable::header()), columns.size());
    EXPECT_EQ(fieldCount(ResultsTable::row(PassOutcome{})), columns.size()) << "a pass that reached nothing";
    EXPECT_EQ(columns.front().title(), "date and time (ISO 8601)");
    EXPECT_EQ(columns.at(3).title(), "power supply (V rms)");
}
