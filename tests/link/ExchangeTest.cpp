#include "Clock.h"
#include "Controls.h"
#include "ScopeExchange.h"
#include "ScriptedPump.h"
#include "SimD2xx.h"

#include "Checked.h"
#include <algorithm>

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

struct ExchangeRig : testing::Test {
    void SetUp() override {
        d2xx.recording = true;
        ASSERT_EQ(d2xx.FT_OpenEx("FT232R USB UART", FT_OPEN_BY_DESCRIPTION, &handle), FT_OK);
        scope.header = true;
        scope.verbose = true;
    }
    VirtualClock clock;
    ScriptedPump pump;
    SimScope scope;
    SimD2xx d2xx{scope, clock};
    ListBox log;
    FT_HANDLE handle = 0;
    bool testFailed = false;
    ScopeExchange exchange{d2xx, pump, log, handle, testFailed};
};

} // namespace

TEST_F(ExchangeRig, ACommandIsItsTextAndCrLfAndIsLoggedWithoutThem) {
    ASSERT_TRUE(exchange.SendCommand("HEADER ON", 11, "Set Header ON Failed"));
    EXPECT_EQ(d2xx.writtenBytes(), "HEADER ON\r\n");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"HEADER ON"}));
    EXPECT_EQ(pump.yields, 1);
}

TEST_F(ExchangeRig, AFailedWriteLogsTheCallersLineAndDoesNotYield) {
    d2xx.forcedStatus["FT_Write"] = FT_IO_ERROR;
    EXPECT_FALSE(exchange.SendCommand("HEADER ON", 11, "Set Header ON Failed"));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Set Header ON Failed"}));
    EXPECT_EQ(pump.yields, 0);
}

TEST_F(ExchangeRig, AnAnswerIsLoggedRawAndItsValueCut) {
    scope.readings.crms[0] = 1500.0;
    ASSERT_TRUE(exchange.SendCommand("MEASU:MEAS1:VALUE?", 20, "x"));
    const auto answer = exchange.ReadAnswer();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, ":MEASUREMENT:MEAS1:VALUE 1.5E+03\r\n");
    EXPECT_EQ(last(log.lines), *answer);
    EXPECT_EQ(exchange.record.CrPos, 33);
    EXPECT_DOUBLE_EQ(*AnswerValue(*answer, exchange.record.CrPos), 1500.0);
    EXPECT_EQ(clock.slept(), SimLine::writeMs(20) + 5000u)
        << "the query's 20 bytes on the line, then a read that waits out the time-out for 256 bytes";
}

TEST_F(ExchangeRig, ValueCutLimitsAndNonNumbers) {
    // CR before the value position, a value that is no number, 24 characters at most.
    EXPECT_FALSE(AnswerValue(":MEASUREMENT:MEAS1:VALUE\r\n", 25).has_value());
    EXPECT_FALSE(AnswerValue(":MEASUREMENT:MEAS1:VALUE ABC\r\n", 29).has_value());
    const std::string longValue = ":MEASUREMENT:MEAS1:VALUE 1.00000000000000000000000009\r\n";
    EXPECT_EQ(AnswerValueText(longValue, firstPosition(longValue, '\r')).size(), 24u);
    EXPECT_EQ(AnswerValueText("short", 3), "");
}

TEST_F(ExchangeRig, ReadFailuresAreClassifiedAndLogged) {
    // A silent scope: status 0, no bytes, after the whole time-out.
    d2xx.addFault("ID?", SimFault::noAnswer());
    ASSERT_TRUE(exchange.SendCommand("ID?", 5, "ID Request Failed"));
    EXPECT_FALSE(exchange.ReadAnswer().has_value());
    EXPECT_TRUE(exchange.record.ReadTimedOut);
    EXPECT_EQ(last(log.lines), "FT_Read timeout ftStatus =  0");

    d2xx.clearFaults();
    d2xx.addFault("ID?", SimFault::readError(18));
    ASSERT_TRUE(exchange.SendCommand("ID?", 5, "ID Request Failed"));
    EXPECT_FALSE(exchange.record.ReadTimedOut) << "cleared by the write";
    EXPECT_FALSE(exchange.ReadAnswer().has_value());
    EXPECT_TRUE(exchange.record.ReadError);
    EXPECT_EQ(last(log.lines), "FT_Read error ftStatus =  18");

    // Status 4 with data is a good answer.
    d2xx.clearFaults();
    d2xx.addFault("ID?", SimFault::statusWithData(FT_IO_ERROR));
    ASSERT_TRUE(exchange.SendCommand("ID?", 5, "ID Request Failed"));
    EXPECT_TRUE(exchange.ReadAnswer().has_value());
    EXPECT_FALSE(testFailed);

    // Without LF: logged as received, TestFailed set.
    d2xx.clearFaults();
    d2xx.addFault("ID?", SimFault::noLF());
    ASSERT_TRUE(exchange.SendCommand("ID?", 5, "ID Request Failed"));
    EXPECT_FALSE(exchange.ReadAnswer().has_value());
    EXPECT_TRUE(testFailed);
    EXPECT_EQ(last(log.lines), "ID BENCHSIM DS40,FV:v1.00\r");
}

TEST_F(ExchangeRig, AQueryBlanksTheAnswerBufferSoNoStaleLineEndIsFound) {
    ASSERT_TRUE(exchange.SendCommand("ID?", 5, "x"));
    ASSERT_TRUE(exchange.ReadAnswer().has_value());
    d2xx.addFault("ACQ:STATE?", SimFault::answered(":ACQUIRE:STATE 1"));
    ASSERT_TRUE(exchange.SendCommand("ACQ:STATE?", 12, "x"));
    EXPECT_FALSE(exchange.ReadAnswer().has_value());
    EXPECT_EQ(exchange.record.CrPos, 0);
    EXPECT_EQ(std::string(exchange.record.AnswerBuffer.data() + 16, 10), std::string(10, ' '));
}

TEST_F(ExchangeRig, EveryQueryFirstDiscardsWhatNobodyRead) {
    // The scope answers a plain command (as one that reports an error would);
    // nobody reads that line.
    d2xx.addFault("HEADER ON", SimFault::answered(":MEASUREMENT:MEAS1:VALUE 9.9E+37\r\n"));
    ASSERT_TRUE(exchange.SendCommand("HEADER ON", 11, "x"));
    ASSERT_TRUE(exchange.SendCommand("VERBOSE ON", 12, "x"));
    clock.sleep(100); // the stray line has arrived (a purge cannot drop bytes on their way)
    const std::size_t before = d2xx.calls.size();
    ASSERT_TRUE(exchange.SendCommand("MEASU:MEAS1:VALUE?", 20, "x"));
    const auto answer = exchange.ReadAnswer(":MEASUREMENT:MEAS1:VALUE ");
    ASSERT_TRUE(answer.has_value()) << log.lines.size();
    EXPECT_EQ(*answer, ":MEASUREMENT:MEAS1:VALUE 1E+01\r\n");

    // The purge comes right before the query's write, on the same handle,
    // for the receive side only; the plain commands had none.
    std::vector<std::string> names;
    for (std::size_t i = before; i < d2xx.calls.size(); ++i) {
        names.push_back(d2xx.calls.at(i).name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"FT_Purge", "FT_Write", "FT_Read"}));
    ASSERT_EQ(d2xx.calls.size(), before + 3);
    EXPECT_EQ(d2xx.calls.at(before).handle, handle);
    EXPECT_EQ(d2xx.calls.at(before).args, (std::vector<std::uint32_t>{FT_PURGE_RX}));
    EXPECT_EQ(d2xx.calls.at(before + 1).args, (std::vector<std::uint32_t>{20}));
    EXPECT_EQ(d2xx.calls.at(before + 2).args, (std::vector<std::uint32_t>{256, 5000}));
    EXPECT_EQ(std::count(d2xx.calls.begin(), d2xx.calls.begin() + static_cast<long>(before), "FT_Purge"), 0);
}

TEST_F(ExchangeRig, AnAnswerUnderAnotherHeaderIsMalformed) {
    d2xx.addFault("MEASU:MEAS2:VALUE?", SimFault::answered("\0\0:MEASUREMENT:MEAS2:VALUE 1E+00\r\n"s));
    ASSERT_TRUE(exchange.SendCommand("MEASU:MEAS2:VALUE?", 20, "x"));
    EXPECT_FALSE(exchange.ReadAnswer(":MEASUREMENT:MEAS2:VALUE ").has_value());
    EXPECT_TRUE(testFailed);
    EXPECT_EQ(last(log.lines), "\0\0:MEASUREMENT:MEAS2:VALUE 1E+00\r\n"s) << "logged as received";
}

TEST_F(ExchangeRig, EveryLineIsWrittenWithTheByteCountOfItsTextAndLineEnd) {
    // The counts the instrument's command set gives for these lines.
    const struct {
        const char* line;
        std::uint32_t bytes;
    } lines[]{{"MEASU:IMMED?", 14},
              {"MEASU:IMMED:VALUE?", 20},
              {"MEASU:MEAS1?", 14},
              {"MEASU:MEAS3:VALUE?", 20},
              {"CH1?", 6},
              {"MATH?", 7},
              {"CH3:SCALE?", 12},
              {"ACQ:NUMAVG 16", 15},
              {"ACQ:NUMAVG 128", 16},
              {"MATH:DEFINE \"CH1 * CH2\"", 25}};
    for (const auto& l : lines) {
        EXPECT_EQ(lineByteCount(l.line), l.bytes) << l.line;
        const std::size_t before = d2xx.writtenBytes().size();
        ASSERT_TRUE(exchange.SendCommand(l.line, "failed"));
        EXPECT_EQ(exchange.record.BytesWritten, l.bytes) << l.line;
        EXPECT_EQ(d2xx.writtenBytes().substr(before), l.line + "\r\n"s);
    }
}
