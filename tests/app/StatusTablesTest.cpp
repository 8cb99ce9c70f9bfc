#include "TestRig.h"

#include <functional>
#include <gtest/gtest.h>

// The status words with their colour pairs, the walk of CALCULATOR STATUS
// row by row, and the guards that keep an action out of the wrong state.

namespace {

using Lines = std::vector<std::string>;

struct Shown {
    std::string text;
    Colour back;
    Colour fore;
};

void expectShown(const TextBox& box, const Shown& expected, const std::string& where) {
    EXPECT_EQ(box.text, expected.text) << where;
    EXPECT_EQ(box.BackColor, expected.back) << where << ": " << expected.text;
    EXPECT_EQ(box.ForeColor, expected.fore) << where << ": " << expected.text;
}

const Shown BlackOnGreen(const char* text) {
    return {text, Colours::Green, Colours::Black};
}
const Shown BlackOnYellow(const char* text) {
    return {text, Colours::Yellow, Colours::Black};
}
const Shown WhiteOnBlue(const char* text) {
    return {text, Colours::Blue, Colours::White};
}
const Shown WhiteOnRed(const char* text) {
    return {text, Colours::Red, Colours::White};
}

} // namespace

TEST(StatusTables, EveryStatusWordHasItsColourPair) {
    struct Case {
        const char* name;
        std::function<void(TestRig&)> reach;
        std::function<const TextBox&(TestRig&)> box;
        Shown shown;
    };
    const auto main1 = [](TestRig& b) -> const TextBox& { return b.form->Text1; };
    const auto main12 = [](TestRig& b) -> const TextBox& { return b.form->Text12; };
    const auto settings1 = [](TestRig& b) -> const TextBox& { return b.form->Settings.Text1; };
    const std::vector<Case> cases{
        {"connected", [](TestRig& b) { b.start(); }, main1, BlackOnGreen("READY")},
        {"connected, settings closed", [](TestRig& b) { b.start(); }, main12, WhiteOnBlue("PRESS SETTINGS")},
        {"settings opened",
         [](TestRig& b) {
             b.start();
             b.form->openSettings();
         },
         main12, WhiteOnBlue("GET SETTINGS")},
        {"settings opened",
         [](TestRig& b) {
             b.start();
             b.form->openSettings();
         },
         settings1, WhiteOnBlue("GET SETTINGS")},
        {"settings read", [](TestRig& b) { b.startAndReadSettings(); }, main12, BlackOnYellow("SELECT LOAD RESISTOR")},
        {"settings read", [](TestRig& b) { b.startAndReadSettings(); }, settings1, BlackOnGreen("READY")},
        {"resistor picked",
         [](TestRig& b) {
             b.startAndReadSettings();
             b.pick(b.form->Combo1, "9.4", &Form1::loadResistorPicked);
         },
         main12, BlackOnYellow("SELECT PWR SUPPLY VOLTAGE")},
        {"supply picked",
         [](TestRig& b) {
             b.startAndReadSettings();
             b.pick(b.form->Combo1, "9.4", &Form1::loadResistorPicked);
             b.pick(b.form->Combo2, "10.0", &Form1::supplyVoltagePicked);
         },
         main12, BlackOnYellow("SELECT LOAD CAPACITOR")},
        {"gains wrong", [](TestRig& b) { b.walkToReady("9.4", "10.5"); }, main12, BlackOnYellow("WAIT")},
        {"gains wrong", [](TestRig& b) { b.walkToReady("9.4", "10.5"); }, main1, BlackOnYellow("RUN SETUP AGAIN")},
        {"gains wrong", [](TestRig& b) { b.walkToReady("9.4", "10.5"); }, settings1, BlackOnYellow("RUN SETUP AGAIN")},
        {"ready", [](TestRig& b) { b.walkToReady(); }, main12, BlackOnGreen("READY")},
        {"disconnected",
         [](TestRig& b) {
             b.start();
             b.form->disconnect();
         },
         main1, WhiteOnRed("DISCONNECTED")},
        {"disconnected",
         [](TestRig& b) {
             b.start();
             b.form->disconnect();
         },
         main12, WhiteOnRed("NOT READY")},
        {"link reset",
         [](TestRig& b) {
             b.d2xx.addFault("ID?", SimFault::noAnswer());
             b.start();
         },
         main1, WhiteOnRed("RESET SCOPE")},
        {"link reset",
         [](TestRig& b) {
             b.d2xx.addFault("ID?", SimFault::noAnswer());
             b.start();
         },
         main12, WhiteOnRed("FAULT")},
        {"settings reset",
         [](TestRig& b) {
             b.d2xx.addFault("CH1?", SimFault::noAnswer());
             b.startAndReadSettings();
         },
         settings1, WhiteOnRed("RESET SCOPE")},
    };
    for (const Case& c : cases) {
        TestRig b;
        c.reach(b);
        expectShown(c.box(b), c.shown, c.name);
    }

    // While a pass runs, all three boxes read RUNNING.
    TestRig b;
    b.walkToReady();
    int checked = 0;
    b.pump.whenLogged(b.form->List1, "MEASU:IMMED:VALUE?", [&] {
        for (const TextBox* box :
             {static_cast<const TextBox*>(&b.form->Text1), static_cast<const TextBox*>(&b.form->Text12),
              static_cast<const TextBox*>(&b.form->Settings.Text1)}) {
            expectShown(*box, BlackOnYellow("RUNNING"), "during a pass");
            ++checked;
        }
    });
    b.form->startCalculation();
    EXPECT_EQ(checked, 3);
}

TEST(StatusTables, CalculatorStatusWalksRowByRow) {
    struct Row {
        const char* event;
        std::string supplyBefore;    // Combo2 as shown before the event
        std::string capacitorBefore; // Combo4 as shown before the event
        std::string kind;            // the settings window's TRANSFORMER box
        std::function<void(TestRig&)> act;
        std::optional<std::string> to; // none: unchanged
    };
    const auto resistor = [](TestRig& b) { b.pick(b.form->Combo1, "48.0", &Form1::loadResistorPicked); };
    const auto supply = [](const char* v) {
        return [v](TestRig& b) { b.pick(b.form->Combo2, v, &Form1::supplyVoltagePicked); };
    };
    const auto capacitor = [](const char* v) {
        return [v](TestRig& b) { b.pick(b.form->Combo4, v, &Form1::loadCapacitorPicked); };
    };
    const std::vector<Row> rows{
        {"resistor, supply OFF", "OFF", "100", SplitFluxName, resistor, "SELECT PWR SUPPLY VOLTAGE"},
        {"resistor, supply chosen", "10.0", "NO LOAD", SplitFluxName, resistor, "READY"},
        {"supply OFF", "10.0", "100", SplitFluxName, supply("OFF"), "SELECT PWR SUPPLY VOLTAGE"},
        {"supply, gains wrong", "OFF", "100", SplitFluxName, supply("11.0"), "WAIT"},
        {"supply, gains right, no capacitor", "OFF", "NO LOAD", SplitFluxName, supply("10.0"), "SELECT LOAD CAPACITOR"},
        {"supply, gains right, capacitor", "OFF", "100", SplitFluxName, supply("10.0"), "READY"},
        {"supply, kind without a list", "OFF", "100", GeneralName, supply("10.0"), std::nullopt},
        {"capacitor NO LOAD", "10.0", "100", SplitFluxName, capacitor("NO LOAD"), "SELECT LOAD CAPACITOR"},
        {"capacitor, supply chosen", "10.0", "NO LOAD", SplitFluxName, capacitor("200"), "READY"},
        {"capacitor, supply OFF", "OFF", "NO LOAD", SplitFluxName, capacitor("200"), std::nullopt},
    };
    for (const CalculatorStatus fromStatus :
         {CalculatorStatus::SelectLoadResistor, CalculatorStatus::Ready, CalculatorStatus::Running}) {
        const std::string from = wordsOf(fromStatus);
        for (const Row& row : rows) {
            TestRig b;
            b.startAndReadSettings();
            Form1& f = *b.form;
            f.Combo2.items = supplyList(TransformerKind::SplitFlux);
            f.Combo2.text = row.supplyBefore;
            f.Combo4.text = row.capacitorBefore;
            f.Settings.Text70.text = row.kind;
            f.Text12.set(fromStatus);
            row.act(b);
            EXPECT_EQ(f.Text12.text, row.to.value_or(from)) << "from " << from << ": " << row.event;
        }
    }
    // From WAIT nothing moves, and a capacitor's shown value is put back.
    for (const Row& row : rows) {
        TestRig b;
        b.startAndReadSettings();
        Form1& f = *b.form;
        f.Combo2.text = row.supplyBefore;
        f.Combo4.text = "NO LOAD";
        f.LoadCapacitance = 0;
        f.Settings.Text70.text = row.kind;
        f.Text12.set(CalculatorStatus::Wait);
        row.act(b);
        EXPECT_EQ(f.Text12.text, "WAIT") << row.event;
        EXPECT_EQ(f.Combo4.text, "NO LOAD") << row.event;
    }
}

TEST(StatusTables, GuardsKeepActionsOutOfTheWrongState) {
    {
        // A malformed answer in a pass, then a supply pick of OFF shows READY
        // in OSCILLOSCOPE STATUS again: DISCONNECT still refuses, as does
        // SETTINGS and CAPTURE, while TestFailed is set.
        TestRig b;
        b.walkToReady();
        b.d2xx.addFault("MEASU:MEAS2:VALUE?", SimFault::noLF());
        b.form->startCalculation();
        ASSERT_TRUE(b.form->TestFailed);
        b.pick(b.form->Combo2, "OFF", &Form1::supplyVoltagePicked);
        ASSERT_EQ(b.form->Text1.text, "READY");
        const Lines before = b.form->List1.lines;
        const std::size_t calls = b.d2xx.calls.size();
        b.form->disconnect();
        EXPECT_EQ(b.form->Text1.text, "READY") << "DISCONNECT refused";
        b.form->openSettings();
        EXPECT_EQ(b.form->List1.lines, before) << "SETTINGS refused";
        EXPECT_EQ(b.d2xx.calls.size(), calls) << "no device call";
    }
    {
        // One dialogue at a time: while RECONNECT's connection runs, and in
        // its 2-second waits, nothing else talks to the scope.
        TestRig b;
        b.walkToReady();
        b.form->Text12.set(CalculatorStatus::Ready);
        b.form->disconnect();
        b.scope.acquiring = false; // the connection waits 2 s and asks again
        std::vector<std::string> sentInside;
        const auto tryEverything = [&b] {
            Form1& f = *b.form;
            f.Text12.set(CalculatorStatus::Ready);
            f.Settings.Text1.set(ScopeStatus::Ready);
            const std::size_t mark = b.d2xx.transcript.size();
            f.startCalculation();
            f.Settings.getSettings();
            f.Settings.updateScope();
            f.Settings.updateTrace();
            f.Settings.splitFluxPreset();
            f.Combo3.text = "64";
            f.sampleAveragePicked();
            f.reconnect();
            return b.linesSince(mark);
        };
        b.pump.whenLogged(b.form->List1, "VERBOSE ON", [&] { sentInside = tryEverything(); });
        std::vector<std::string> sentInWait;
        b.pump.whenLogged(b.form->List1, "ACQ:STATE ON", [&] { sentInWait = tryEverything(); });
        b.form->reconnect();
        EXPECT_TRUE(b.pump.allDone());
        EXPECT_TRUE(sentInside.empty()) << joined(sentInside);
        EXPECT_TRUE(sentInWait.empty()) << joined(sentInWait);
        EXPECT_EQ(b.form->Shape1.FillColor, Colours::Green) << "the connection went on to its end";
    }
}
