#include "TestRig.h"

#include <gtest/gtest.h>

// A thousand passes on the simulated bench as the running program has it
// (no byte record kept): nothing the program or the bench holds grows.
TEST(Soak, AThousandPassesKeepEverythingBounded) {
    TestRig b;
    b.walkToReady();
    b.d2xx.recording = false; // as main() leaves it
    b.d2xx.transcript.clear();
    b.d2xx.calls.clear();
    b.form->startCalculation();
    const std::size_t linesPerPass = b.form->List1.lines.size();
    const std::size_t settingsLines = b.form->Settings.List1.lines.size();
    const std::string figures = b.form->Text16.text;
    for (int pass = 0; pass < 1000; ++pass) {
        b.form->startCalculation();
        ASSERT_EQ(b.form->Text12.text, "READY") << "pass " << pass;
    }
    EXPECT_TRUE(b.d2xx.transcript.empty());
    EXPECT_TRUE(b.d2xx.calls.empty());
    EXPECT_EQ(b.d2xx.queuedBytes(), 0u);
    EXPECT_EQ(b.form->List1.lines.size(), linesPerPass);
    EXPECT_EQ(b.form->Settings.List1.lines.size(), settingsLines);
    EXPECT_TRUE(b.scope.unknownCommands.empty());
    EXPECT_EQ(b.form->Text16.text, figures);
}
