#include "TestRig.h"

#include <gtest/gtest.h>

namespace {
using Lines = std::vector<std::string>;
}

TEST(Startup, TheWindowIsStyledFilledAndShownAfterTheConnection) {
    TestRig b;
    b.d2xx.devices.clear();
    bool splashSeenWhileHidden = false;
    b.pump.when([&] { return b.form->Splash.window.visible; },
                [&] { splashSeenWhileHidden = !b.form->window.visible; });
    b.start();
    Form1& f = *b.form;
    EXPECT_TRUE(splashSeenWhileHidden);
    EXPECT_FALSE(f.Splash.window.loaded);
    EXPECT_TRUE(f.window.visible);
    EXPECT_EQ(f.window.left, (1600 - f.window.width) / 2);
    EXPECT_EQ(f.window.top, (1000 - f.window.height) / 2);
    EXPECT_EQ(f.Splash.window.width, f.window.width / 4);
    EXPECT_EQ(f.Splash.window.height, f.window.height / 3);

    EXPECT_EQ(f.Combo1.items, (Lines{"NO LOAD"}));
    EXPECT_EQ(f.Combo2.items, (Lines{"OFF"}));
    EXPECT_EQ(f.Combo3.items, (Lines{"16"}));
    EXPECT_EQ(f.Combo4.items, (Lines{"NO LOAD", "10", "20", "50", "100", "200", "300", "400", "500"}));
    EXPECT_EQ(f.Combo1.text, "NO LOAD");
    EXPECT_EQ(f.Combo2.text, "OFF");
    EXPECT_EQ(f.Combo3.text, "16");
    EXPECT_EQ(f.Combo4.text, "NO LOAD");
    EXPECT_EQ(f.SampleAverage, 16);
    EXPECT_EQ(f.Shape1.FillColor, Colours::Red);
    EXPECT_EQ(f.List1.lines, (Lines{"OS Version: 6.1", "", "Number of Devices: 0"}));
    EXPECT_EQ(f.osVersionInfo.dwOSVersionInfoSize, 148u);

    for (int n = 1; n <= 24; ++n) {
        const TextBox& box = *f.textBox(n);
        const bool big = n == 11 || n == 14 || n == 16 || n == 22;
        EXPECT_EQ(box.font, (Font{n == 13 ? 24 : big ? 18 : 12, true})) << n;
        EXPECT_EQ(box.alignment, n == 24 ? Alignment::Left : Alignment::Centre) << n;
        EXPECT_EQ(box.BackColor, n == 13 ? Colours::Blue : Colours::White) << n;
        EXPECT_EQ(box.ForeColor, n == 13 ? Colours::White : Colours::Black) << n;
    }
    for (int n = 2; n <= 30; ++n) {
        EXPECT_EQ(f.label(n)->font, (Font{10, true})) << n;
    }
    EXPECT_EQ(f.Label1.font, (Font{8, true}));
    EXPECT_EQ(f.List1.font, (Font{8, false}));
    EXPECT_EQ(f.Command3.font, (Font{8, true}));
    EXPECT_EQ(f.Label27.caption, "POWER SUPPLY (V RMS)");
    EXPECT_EQ(f.window.caption, "Transformer Efficiency Calculator");
}

TEST(Startup, CloseCyclesAndClosesThePortUnlessTheResetAlreadyDid) {
    {
        TestRig b;
        b.start();
        b.form->closeProgram();
        EXPECT_EQ(b.host.endRequests, 1);
        const Lines names = b.d2xx.callNames();
        ASSERT_GE(names.size(), 2u);
        EXPECT_EQ(lastOf(names, 2), (Lines{"FT_CyclePort", "FT_Close"}));
        EXPECT_FALSE(b.d2xx.isOpen(b.form->lngHandle));
    }
    {
        TestRig b; // no scope ever opened: the calls are made, their failure ignored
        b.d2xx.devices.clear();
        b.start();
        b.form->closeProgram();
        EXPECT_EQ(b.host.endRequests, 1);
        ASSERT_FALSE(b.d2xx.calls.empty());
        EXPECT_EQ(last(b.d2xx.calls).name, "FT_Close");
    }
    {
        TestRig b; // TestFailed: the reset sequence closed the link already
        b.d2xx.addFault("ID?", SimFault::noCR());
        b.start();
        const std::size_t calls = b.d2xx.calls.size();
        b.form->closeProgram();
        EXPECT_EQ(b.d2xx.calls.size(), calls);
        EXPECT_EQ(b.host.endRequests, 1);
    }
    {
        TestRig b; // during a pass
        b.walkToReady();
        b.pump.whenLogged(b.form->List1, "MEASU:MEAS2:VALUE?", [&] { b.form->closeProgram(); });
        b.form->startCalculation();
        EXPECT_EQ(b.host.endRequests, 1);
    }
}

TEST(RunControl, StartIsRefusedWhenAnyPreconditionFailsButAlwaysClearsStop) {
    const auto refused = [](const std::function<void(Form1&)>& spoil, const char* why) {
        TestRig b;
        b.walkToReady();
        Form1& f = *b.form;
        spoil(f);
        f.StopRequested = true;
        const bool running = f.CalculationRunning;
        const std::size_t written = b.d2xx.transcript.size();
        const Lines before = f.List1.lines;
        f.startCalculation();
        EXPECT_FALSE(f.StopRequested) << why;
        EXPECT_EQ(f.CalculationRunning, running) << why;
        EXPECT_EQ(b.d2xx.transcript.size(), written) << why;
        EXPECT_EQ(f.List1.lines, before) << why;
    };
    refused([](Form1& f) { f.ScopeOpen = 0; }, "no link");
    refused([](Form1& f) { f.CalculationRunning = true; }, "already running");
    refused([](Form1& f) { f.Text12.set(CalculatorStatus::SelectLoadCapacitor); }, "not READY");
    refused([](Form1& f) { f.Text12.clear(); }, "nothing said yet");
    refused([](Form1& f) { f.Text15.text.clear(); }, "no transformer");
    refused([](Form1& f) { f.Combo2.text = "OFF"; }, "no supply");
    refused([](Form1& f) { f.Combo4.text = "NO LOAD"; }, "no capacitor");
}

TEST(RunControl, NoLoadResistorIsAValidChoice) {
    TestRig b;
    b.walkToReady("NO LOAD", "10.0", "100");
    ASSERT_EQ(b.form->Text12.text, "READY");
    b.form->startCalculation();
    EXPECT_EQ(last(b.form->List1.lines), "READY");
    EXPECT_EQ(b.form->Text23.text, "----");
}

TEST(RunControl, StopIsHonouredOnlyDuringAPassAndNotWhileWaiting) {
    TestRig b;
    b.walkToReady();
    Form1& f = *b.form;
    f.startCalculation();
    const std::string shown = f.Text4.text;
    f.stopCalculation(); // no pass: nothing, the results stay
    EXPECT_FALSE(f.StopRequested);
    EXPECT_EQ(f.Text4.text, shown);

    // During a pass while the status reads "WAIT": ignored, the pass runs on.
    b.pump.whenLogged(f.List1, "MEASU:MEAS1:VALUE?", [&] {
        f.Text12.set(CalculatorStatus::Wait);
        f.stopCalculation();
    });
    f.startCalculation();
    EXPECT_FALSE(f.StopRequested);
    EXPECT_EQ(last(f.List1.lines), "READY");
    EXPECT_NE(f.Text16.text, "");
}

TEST(RunControl, ASecondStartDuringAPassIsRefusedAndSwallowsAStop) {
    TestRig b;
    b.walkToReady();
    Form1& f = *b.form;
    b.pump.whenLogged(f.List1, "MEASU:MEAS1:VALUE?", [&] {
        f.stopCalculation();
        f.startCalculation(); // refused, but clears the STOP just pressed
    });
    const std::size_t mark = b.d2xx.transcript.size();
    f.startCalculation();
    const Lines sent = b.linesSince(mark);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "MEASU:IMMED:VALUE?"), 1) << "one pass only";
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "MEASU:MEAS5:VALUE?"), 1) << "it ran to its end";
    EXPECT_NE(f.Text14.text, "");
}

TEST(RunControl, ClearListDuringAPassEmptiesItAndThePassAppendsAfter) {
    TestRig b;
    b.walkToReady();
    Form1& f = *b.form;
    b.pump.whenLogged(f.List1, "MATH:DEFINE \"CH3 * CH4\"", [&] { f.clearList(); });
    f.startCalculation();
    EXPECT_EQ(first(f.List1.lines), "MEASU:MEAS4:VALUE?");
    EXPECT_EQ(last(f.List1.lines), "READY");
}
