#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct CaptureRig : testing::Test {
    void SetUp() override {
        b.walkToReady();
        b.form->startCalculation();
        b.form->Text24.text = "bench 3, second unit";
        ASSERT_EQ(b.form->Text12.text, "READY");
    }
    Form1& f() { return *b.form; }
    TestRig b;
};

} // namespace

TEST_F(CaptureRig, CaptureLoadsTheReportTakesItsImageAndUnloadsIt) {
    // What the report shows while it is loaded, taken at the Print Screen press.
    std::vector<std::string> shown;
    Lines caretsAtPress;
    b.pump.when([&] { return !b.keys.events.empty() && shown.empty(); },
                [&] {
                    for (int n = 1; n <= 24; ++n) {
                        shown.push_back(f().Report.textBox(n)->text);
                    }
                    caretsAtPress = b.carets.calls;
                });
    const std::uint64_t start = b.clock.slept();
    f().capture();

    EXPECT_EQ(b.clipboard.empties, 1);
    EXPECT_EQ(lastOf(f().List1.lines, 2),
              (Lines{"Capture Print-Screen to Clipboard", "Print-Screen Captured to Clipboard"}));
    ASSERT_EQ(b.keys.events.size(), 4u);
    const std::vector<std::pair<int, std::uint32_t>> keys{{18, 0}, {44, 0}, {44, 2}, {18, 2}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(b.keys.events.at(i).key, keys[i].first);
        EXPECT_EQ(b.keys.events.at(i).flags, keys[i].second);
        EXPECT_EQ(b.keys.events.at(i).at - start, 500 * i);
    }
    EXPECT_GE(b.clock.slept() - start, 5500u);
    EXPECT_FALSE(f().Report.window.loaded) << "unloaded after the capture";

    ASSERT_EQ(shown.size(), 24u);
    EXPECT_EQ(shown.at(0), "10.0") << "Text1: the supply as shown";
    EXPECT_EQ(shown.at(1), f().Text3.text);
    EXPECT_EQ(shown.at(2), "SPLIT-FLUX TRANSFORMER #1");
    EXPECT_EQ(shown.at(3), "16");
    EXPECT_EQ(shown.at(4), f().Text14.text);
    EXPECT_EQ(shown.at(11), f().Text22.text);
    EXPECT_EQ(shown.at(18), f().Text11.text);
    EXPECT_EQ(shown.at(19), "9.4");
    EXPECT_EQ(shown.at(22), "bench 3, second unit");
    EXPECT_EQ(shown.at(23), "100");
    // Every caret was hidden before the image was taken, and shown again after.
    ASSERT_EQ(caretsAtPress.size(), 24u);
    EXPECT_EQ(first(caretsAtPress), "hide Text1");
    EXPECT_EQ(b.carets.calls.size(), 48u);
    EXPECT_EQ(last(b.carets.calls), "show Text24");
}

TEST_F(CaptureRig, TheReportIsStyledAndCopiesTextsAsTheyStand) {
    f().Combo2.text = "OFF";
    b.pump.when([&] { return f().Report.window.visible; },
                [&] {
                    PrintScreen& r = f().Report;
                    EXPECT_EQ(r.Text1.text, "OFF");
                    EXPECT_EQ(r.Text23.alignment, Alignment::Left);
                    EXPECT_EQ(r.Text22.alignment, Alignment::Centre);
                    for (int n : {5, 12, 19, 22}) {
                        EXPECT_EQ(r.textBox(n)->font, (Font{18, true})) << n;
                    }
                    EXPECT_EQ(r.Text6.font, (Font{12, true}));
                    EXPECT_EQ(r.Label1.caption, "POWER SUPPLY  (V RMS)");
                    EXPECT_EQ(r.Label20.caption, "LOAD RESISTOR (OHMS)");
                    EXPECT_EQ(r.Label1.font, (Font{10, true}));
                    EXPECT_EQ(r.window.caption, "Print Screen");
                    EXPECT_EQ(r.window.left, (1600 - r.window.width) / 2);
                    f().Text3.show("copied?", Colours::Red, Colours::White);
                });
    f().capture();
    EXPECT_TRUE(b.pump.allDone());
}

TEST_F(CaptureRig, CaptureIsRefusedWhenNotReadyRunningUnlinkedOrAfterAMalformedAnswer) {
    const auto refused = [&](const char* why) {
        const std::size_t lines = f().List1.lines.size();
        const int empties = b.clipboard.empties;
        f().capture();
        EXPECT_EQ(f().List1.lines.size(), lines) << why;
        EXPECT_EQ(b.clipboard.empties, empties) << why;
        EXPECT_TRUE(b.keys.events.empty()) << why;
    };
    f().Text12.set(CalculatorStatus::SelectLoadCapacitor);
    refused("not READY");
    f().Text12.set(CalculatorStatus::Ready);
    f().ScopeOpen = 0;
    refused("no link");
    f().ScopeOpen = 1;
    f().TestFailed = true;
    refused("a malformed answer seen");
    f().TestFailed = false;

    // During a pass: the pass logs on, no capture happens.
    b.pump.whenLogged(f().List1, "MEASU:MEAS2:VALUE?", [&] { f().capture(); });
    f().startCalculation();
    EXPECT_TRUE(b.keys.events.empty());
    EXPECT_EQ(std::count(f().List1.lines.begin(), f().List1.lines.end(), "Capture Print-Screen to Clipboard"), 0);
}

TEST_F(CaptureRig, ASecondPressDuringACaptureIsRefused) {
    b.pump.when([&] { return b.keys.events.size() == 2; }, [&] { f().capture(); });
    f().capture();
    EXPECT_EQ(b.keys.events.size(), 4u);
    EXPECT_EQ(b.clipboard.empties, 1);
    EXPECT_EQ(std::count(f().List1.lines.begin(), f().List1.lines.end(), "Print-Screen Captured to Clipboard"), 1);
}
