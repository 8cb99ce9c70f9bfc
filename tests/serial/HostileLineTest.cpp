#include "PtyPeer.h"
#include "SerialD2xx.h"
#include "SerialFixtures.h"
#include "TestRig.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <thread>

// A measurement pass against a scope and a line that misbehave the way real
// ones do, once over a pseudo-terminal pair and once on the in-memory line,
// with reads that wait out their time-out and with --fast-reads. Each ends
// with the answers read clean or with a logged failure and the link reset;
// never with figures that are not the scope's under "READY".

namespace {

using Lines = std::vector<std::string>;
using Kind = SimFault::Kind;
using How = PtyPeer::Misbehaviour;

enum class Expect {
    Clean,          // the pass ends "READY" with the scope's figures
    Failure,        // a logged failure, the link reset
    CleanOrFailure, // either, depending on how the bytes fall in time
};

struct Hostile {
    const char* name;
    const char* command; // the query whose answer misbehaves
    std::optional<Kind> kind;
    std::optional<How> how;
    Expect faithful; // with reads that wait out their time-out
    Expect fast;     // with --fast-reads
};

void PrintTo(const Hostile& h, std::ostream* out) {
    *out << h.name;
}

const std::vector<Hostile>& hostiles() {
    static const std::vector<Hostile> all{
        {"AnswerTwice", "MEASU:MEAS1:VALUE?", Kind::AnswerTwice, How::AnswerTwice, Expect::Clean,
         Expect::CleanOrFailure},
        {"LongAnswer", "MEASU:MEAS1:VALUE?", Kind::LongAnswer, How::LongAnswer, Expect::Failure, Expect::Failure},
        {"LateAnswer", "MEASU:MEAS2:VALUE?", Kind::LateAnswer, How::LateAnswer, Expect::Failure, Expect::Failure},
        {"StopBetweenWriteAndRead", "MEASU:MEAS1:VALUE?", std::nullopt, std::nullopt, Expect::Clean, Expect::Clean},
        {"NulBefore", "MEASU:MEAS1:VALUE?", Kind::NulBefore, How::NulBefore, Expect::Failure, Expect::Failure},
        // With --fast-reads the read ends at the line feed; bytes that come
        // after it may still be on their way when the next query is written.
        {"NulAfter", "MEASU:MEAS1:VALUE?", Kind::NulAfter, How::NulAfter, Expect::Clean, Expect::CleanOrFailure},
        {"Trickle", "MEASU:MEAS4:VALUE?", Kind::Trickle, How::Trickle, Expect::Clean, Expect::Clean},
        {"Flood", "MEASU:MEAS2:VALUE?", Kind::Flood, How::Flood, Expect::Failure, Expect::Failure},
        {"HangUpMidAnswer", "MEASU:MEAS1:VALUE?", Kind::HangUp, How::HangUp, Expect::Failure, Expect::Failure},
    };
    return all;
}

// The eighteen result boxes, in the order the pass clears them.
Lines resultTexts(const Form1& f) {
    Lines texts;
    for (const TextBox* box :
         {&f.Text3, &f.Text4, &f.Text5, &f.Text6, &f.Text7, &f.Text8, &f.Text9, &f.Text10, &f.Text11, &f.Text16,
          &f.Text17, &f.Text18, &f.Text19, &f.Text20, &f.Text21, &f.Text22, &f.Text23}) {
        texts.push_back(box->text);
    }
    return texts;
}

// A bench already set up by the operator: the link is connected, the choices
// are made and CALCULATOR STATUS reads "READY".
void connectAndChoose(Form1& f) {
    f.Form_Load();
    f.Text15.text = SplitFluxName;
    f.Combo1.text = "9.4";
    f.Combo2.text = "10.0";
    f.Combo4.text = "100";
    f.Text12.set(CalculatorStatus::Ready);
}

// One pass; for the stop case a STOP between the query's write and its read,
// then, after the operator's pause, a second pass.
void measure(Form1& f, ScriptedPump& pump, const Hostile& h, const std::function<void()>& pause) {
    if (h.kind || h.how) {
        f.startCalculation();
        return;
    }
    pump.whenLogged(f.List1, h.command, [&f] { f.stopCalculation(); });
    f.startCalculation();
    ASSERT_EQ(f.List1.lines.size() >= 2 ? f.List1.lines.at(f.List1.lines.size() - 2) : "", "STOP CALCULATION")
        << joined(f.List1.lines);
    pause();
    f.startCalculation();
}

const Lines& cleanResults() {
    static const Lines results = [] {
        TestRig b;
        connectAndChoose(*b.form);
        b.form->startCalculation();
        return resultTexts(*b.form);
    }();
    return results;
}

bool loggedFailure(const Lines& lines) {
    for (const std::string& line : lines) {
        if (line == "Test Failed" || line.rfind("FT_Read timeout ftStatus = ", 0) == 0 ||
            line.rfind("FT_Read error ftStatus = ", 0) == 0) {
            return true;
        }
    }
    return false;
}

void expectOutcome(const Form1& f, Expect expect) {
    const bool ready = f.Text12.text == "READY";
    if (ready) {
        ASSERT_FALSE(f.List1.lines.empty());
        EXPECT_EQ(last(f.List1.lines), "READY");
        EXPECT_EQ(resultTexts(f), cleanResults()) << "figures under READY are the scope's";
    }
    switch (expect) {
    case Expect::Clean:
        EXPECT_TRUE(ready) << joined(f.List1.lines);
        break;
    case Expect::Failure:
        EXPECT_EQ(f.Text12.text, "FAULT") << joined(f.List1.lines);
        EXPECT_EQ(f.Text1.text, "RESET SCOPE");
        EXPECT_TRUE(loggedFailure(f.List1.lines)) << joined(f.List1.lines);
        break;
    case Expect::CleanOrFailure:
        EXPECT_TRUE(ready || (f.Text12.text == "FAULT" && loggedFailure(f.List1.lines))) << joined(f.List1.lines);
        break;
    }
}

struct HostileLine : testing::TestWithParam<std::tuple<Hostile, bool>> {
    const Hostile& hostile() const { return std::get<0>(GetParam()); }
    bool fast() const { return std::get<1>(GetParam()); }
    Expect expected() const { return fast() ? hostile().fast : hostile().faithful; }
};

std::string caseName(const testing::TestParamInfo<HostileLine::ParamType>& info) {
    return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Fast" : "Faithful");
}

} // namespace

TEST_P(HostileLine, OnTheInMemoryLine) {
    const Hostile& h = hostile();
    TestRig b;
    b.d2xx.fastReads = fast();
    if (h.kind) {
        b.d2xx.addFault(h.command, SimFault::of(*h.kind));
    }
    connectAndChoose(*b.form);
    ASSERT_EQ(b.form->Text1.text, "READY") << joined(b.form->List1.lines);
    measure(*b.form, b.pump, h, [&b] { b.clock.sleep(300); });
    expectOutcome(*b.form, expected());
    // What is still queued is bounded: a flood is held off by the flow control.
    EXPECT_LE(b.d2xx.queuedBytes(), SimLine::MostQueued);
}

TEST_P(HostileLine, OverAPseudoTerminal) {
    const Hostile& h = hostile();
    PtyPeer peer;
    peer.lateMs = 1200; // well after the 400 ms time-out, however late the read starts
    if (h.how) {
        peer.misbehave(std::string(h.command), *h.how);
    }
    ListedPorts ports;
    ports.list = {adapterAt(peer.slavePath())};
    SerialD2xx serial(ports);
    serial.fastReads = fast();
    ShortTimeouts shortReads(serial, 400);
    TestRig onLine;
    Platform platform = onLine.platformOn(shortReads);
    Form1 f(platform);
    connectAndChoose(f);
    ASSERT_EQ(f.Text1.text, "READY") << joined(f.List1.lines);
    measure(f, onLine.pump, h, [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
    expectOutcome(f, expected());
}

INSTANTIATE_TEST_SUITE_P(Peers, HostileLine, testing::Combine(testing::ValuesIn(hostiles()), testing::Bool()),
                         caseName);
