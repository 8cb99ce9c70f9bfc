#include "TestRig.h"

#include <gtest/gtest.h>

// Every report box repeats its own main-window control, row by row.
TEST(ReportMapping, EveryBoxCopiesItsOwnControl) {
    TestRig b;
    b.walkToReady();
    b.form->startCalculation();
    Form1& f = *b.form;
    struct Row {
        int report;
        std::string* source;
        int result = -1; // the ± of this main-window result box goes beside it
    };
    using B = PassOutcome::Box;
    const std::vector<Row> rows{
        {1, &f.Combo2.text},
        {2, &f.Text3.text},
        {3, &f.Text15.text},
        {4, &f.Combo3.text},
        {5, &f.Text14.text},
        {6, &f.Text4.text, B::InputVoltageBox},
        {7, &f.Text8.text, B::OutputVoltageBox},
        {8, &f.Text5.text, B::InputCurrentBox},
        {9, &f.Text9.text, B::OutputCurrentBox},
        {10, &f.Text18.text, B::ApparentInputPowerBox},
        {11, &f.Text19.text, B::ApparentOutputPowerBox},
        {12, &f.Text22.text, B::ApparentMultiplierBox},
        {13, &f.Text6.text, B::InputPhaseAngleBox},
        {14, &f.Text17.text, B::OutputPhaseAngleBox},
        {15, &f.Text20.text, B::ReactiveInputPowerBox},
        {16, &f.Text21.text, B::ReactiveOutputPowerBox},
        {17, &f.Text7.text, B::InputPowerBox},
        {18, &f.Text10.text, B::OutputPowerBox},
        {19, &f.Text11.text, B::PhaseEfficiencyBox},
        {20, &f.Combo1.text},
        {21, &f.Text23.text, B::ResistorOutputPowerBox},
        {22, &f.Text16.text, B::ResistorEfficiencyBox},
        {23, &f.Text24.text},
        {24, &f.Combo4.text},
    };
    // A text of its own in every control, so that no two can be confused.
    for (const Row& row : rows) {
        *row.source = "from the control of report box " + std::to_string(row.report);
        if (row.result >= 0) {
            f.PlusMinus.at(static_cast<std::size_t>(row.result)).caption = "±" + std::to_string(row.report);
        }
    }
    f.UncertaintyWarnings = "low input power factor";
    f.VerdictLine = "VERDICT FAIL: too low (bench, version 1)";
    std::vector<std::string> plusMinus(25);
    std::string warnings;
    std::vector<std::string> shown(25);
    std::vector<int> sizes(25);
    std::vector<Alignment> alignments(25);
    b.pump.when([&] { return f.Report.window.visible && shown.at(1).empty(); },
                [&] {
                    for (int n = 1; n <= 24; ++n) {
                        shown.at(static_cast<std::size_t>(n)) = f.Report.textBox(n)->text;
                        sizes[static_cast<std::size_t>(n)] = f.Report.textBox(n)->font.pointSize;
                        alignments[static_cast<std::size_t>(n)] = f.Report.textBox(n)->alignment;
                        plusMinus.at(static_cast<std::size_t>(n)) =
                            f.Report.PlusMinus.at(static_cast<std::size_t>(n)).caption;
                    }
                    warnings = f.Report.Warnings.caption;
                });
    f.capture();
    for (const Row& row : rows) {
        const auto n = static_cast<std::size_t>(row.report);
        EXPECT_EQ(shown.at(n), "from the control of report box " + std::to_string(row.report)) << "Text" << n;
        const bool big = row.report == 5 || row.report == 12 || row.report == 19 || row.report == 22;
        EXPECT_EQ(sizes[n], big ? 18 : 12) << "Text" << n;
        EXPECT_EQ(alignments[n], row.report == 23 ? Alignment::Left : Alignment::Centre) << "Text" << n;
        EXPECT_EQ(plusMinus.at(n), row.result >= 0 ? "±" + std::to_string(row.report) : "") << "beside Text" << n;
    }
    EXPECT_EQ(warnings, "VERDICT FAIL: too low (bench, version 1); low input power factor");
    EXPECT_FALSE(f.Report.window.loaded) << "unloaded after the capture";
}
