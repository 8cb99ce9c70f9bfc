#include "UnitTestWindow.h"
#include "NumberText.h"
#include "QtRig.h"
#include "ReportPdf.h"
#include "UnitTestReport.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

// The UNIT TEST window on the simulated bench, its buttons pressed as the
// operator presses them: the unit from the main window's UNIT box, NEXT at
// each step, STOP, the verdict shown, the report written and amended.

namespace {

struct UnitTestRig : testing::Test {
    void SetUp() override {
        parts.scope.attach(SimBench{});
        rig.start();
        window.benchTo = [this](const UnitTestPlan::Step& s) {
            parts.scope.bench->conditions.supplyVolts = parseNumber(s.supply).value_or(0);
            parts.scope.bench->conditions.loadOhms = parseNumber(s.load);
            parts.scope.bench->conditions.loadMicrofarads = parseNumber(s.capacitor).value_or(0);
        };
        window.writeReport = [](const UnitTestResult& r, const std::string& where, std::string& why) {
            return issueReport(unitTestReport(r, LabProfile{}, QDateTime::currentDateTime()), where, why);
        };
        window.amend = issueAmendment;
        ASSERT_TRUE(window.openPlan(EXAMPLES_DIR "/unit-test-split-flux.json")) << window.statusText().toStdString();
    }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(QString::fromLatin1(name)); }
    void press(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    // The operator's hand: NEXT at each prompt, STOP at the prompt numbered `stopAt`.
    void startPressing(int stopAt) {
        QObject::connect(&hand, &QTimer::timeout, [this, stopAt] {
            if (button("UnitTestNext")->isEnabled()) {
                press(++prompts == stopAt ? "UnitTestStop" : "UnitTestNext");
            }
        });
        hand.setInterval(5);
        hand.start();
    }

    QtParts parts;
    QtRig rig{parts, parts.d2xx};
    QTemporaryDir folder;
    UnitTestWindow window{rig.form.session, folder.path().toStdString()};
    QTimer hand;
    int prompts = 0;
};

} // namespace

TEST_F(UnitTestRig, NoUnitNoTest) {
    rig.form.session.panel.TextUnit.text = "  ";
    press("UnitTestStart");
    EXPECT_EQ(window.run(), nullptr);
    EXPECT_TRUE(window.statusText().startsWith(QStringLiteral("the unit's serial is empty")));
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(UnitTestRig, StoppedThenTestedAgainAndAmended) {
    rig.form.session.panel.TextUnit.text = "SN 4711";
    rig.form.session.panel.TextOperator.text = "ann";
    startPressing(2);
    press("UnitTestStart");
    ASSERT_NE(window.run(), nullptr);
    EXPECT_EQ(window.run()->result().verdict, Verdict::NoVerdict);
    EXPECT_TRUE(window.verdictText().contains(QStringLiteral("stopped at step 2 (half load)")))
        << window.verdictText().toStdString();
    EXPECT_EQ(window.findChild<QListWidget*>()->count(), 1) << "the one step that ended";
    EXPECT_TRUE(button("UnitTestReport")->isEnabled()) << "a stopped test has its report";

    prompts = 100; // no more STOP
    EXPECT_TRUE(button("UnitTestResume")->isEnabled());
    press("UnitTestResume");
    EXPECT_NE(window.run()->result().verdict, Verdict::NoVerdict) << "resumed to its end";
    EXPECT_TRUE(window.run()->result().stoppedAt.empty());
    EXPECT_EQ(window.findChild<QListWidget*>()->count(), 3) << "step 1 kept, steps 2 and 3 measured";
    EXPECT_FALSE(button("UnitTestResume")->isEnabled());
    EXPECT_TRUE(window.statusText().contains(QStringLiteral("/2 in "))) << window.statusText().toStdString();

    press("UnitTestStart");
    hand.stop();
    const UnitTestResult& r = window.run()->result();
    EXPECT_TRUE(r.stoppedAt.empty());
    EXPECT_EQ(r.attempt, 2);
    EXPECT_EQ(window.findChild<QListWidget*>()->count(), 3);
    EXPECT_TRUE(window.verdictText().startsWith(QStringLiteral("UNIT SN 4711: ") +
                                                QString::fromLatin1(verdictName(r.verdict))));
    EXPECT_TRUE(window.verdictText().contains(QStringLiteral("retest, attempt 2")));

    window.amendReport("the operator is ann b.");
    EXPECT_TRUE(window.statusText().startsWith(QStringLiteral("amended report ") + QString::fromStdString(r.id) +
                                               QStringLiteral("/2")))
        << window.statusText().toStdString();
    // The stopped test's report, its resumed issue, the retest's and its amendment.
    const QStringList pdfs = QDir(folder.path()).entryList({QStringLiteral("*.pdf")});
    EXPECT_EQ(pdfs.size(), 4) << pdfs.join(QLatin1Char(' ')).toStdString();
}
