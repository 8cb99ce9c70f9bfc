#include "CharacterisationWindow.h"
#include "CharacterisationPlots.h"
#include "CharacterisationsKept.h"
#include "NumberText.h"
#include "PlanEditor.h"
#include "QtRig.h"

#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

// The CHARACTERISE window on the simulated bench, its buttons pressed as the
// operator presses them.

namespace {

struct CharacteriseRig : testing::Test {
    void SetUp() override {
        parts.scope.attach(SimBench{}); // the circuit itself, not fixed readings
        rig.start();
        window.benchTo = [this](const CharacterisationPlan::Point& p) {
            parts.scope.bench->conditions.supplyVolts = parseNumber(p.supply).value_or(0);
            parts.scope.bench->conditions.loadOhms = parseNumber(p.load);
            parts.scope.bench->conditions.loadMicrofarads = 10;
        };
        CharacterisationPlan plan = defaultPlan(TransformerKind::SplitFlux);
        plan.supplies = {"10.0"};
        plan.loads = {"NO LOAD", "48.0", "23.1", "9.4"};
        plan.passesPerPoint = 2;
        window.editor().setPlan(plan);
    }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(QString::fromLatin1(name)); }
    void press(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    int passesListed() { return window.findChild<QListWidget*>(QStringLiteral("CharacterisePasses"))->count(); }

    QtParts parts;
    QtRig rig{parts, parts.d2xx};
    QTemporaryDir folder;
    CharacterisationWindow window{rig.form.session, folder.path().toStdString()};
};

} // namespace

// Pressed NEXT at each prompt, STOP at the third, then RESUME: every point
// measured once, the passes listed as they land, and the table shows the
// run's own figures.
TEST_F(CharacteriseRig, NextStopAndResumeAsTheOperatorPressesThem) {
    int prompts = 0;
    QTimer operatorHand;
    operatorHand.setInterval(5);
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        if (button("CharacteriseNext")->isEnabled()) {
            press(++prompts == 3 ? "CharacteriseStop" : "CharacteriseNext");
        }
    });
    operatorHand.start();
    press("CharacteriseStart");
    ASSERT_NE(window.run(), nullptr);
    EXPECT_EQ(window.run()->pointsDone(), 2u) << window.statusText().toStdString();
    EXPECT_TRUE(window.statusText().startsWith(QStringLiteral("stopped after 2 of 4 points")));
    EXPECT_EQ(passesListed(), 4);
    EXPECT_TRUE(button("CharacteriseResume")->isEnabled());
    EXPECT_FALSE(button("CharacteriseExport")->isEnabled()) << "nothing to export yet";

    press("CharacteriseResume");
    operatorHand.stop();
    ASSERT_TRUE(window.run()->result().problem.empty()) << window.statusText().toStdString();
    EXPECT_EQ(window.run()->pointsDone(), 4u);
    EXPECT_EQ(window.run()->passIds().size(), 8u) << "no point measured twice";
    EXPECT_EQ(passesListed(), 8);
    EXPECT_TRUE(window.statusText().startsWith(QStringLiteral("finished: kept in ")));
    const QStringList table = window.plots().tableLines();
    ASSERT_GT(table.size(), 2);
    const SupplyFit& s = window.run()->result().supplies.at(0);
    EXPECT_EQ(
        table[1].toStdString(),
        QStringLiteral("no-load loss P0 (W)\t%1\t%2").arg(s.p0.value, 0, 'f', 4).arg(s.p0.U, 0, 'f', 4).toStdString());
    EXPECT_TRUE(button("CharacteriseExport")->isEnabled());

    // The results window's view of the ones kept: the same table from the
    // file; a file spoilt on the disk is said, not shown.
    CharacterisationsKept kept(QStringList{folder.path()});
    ASSERT_EQ(kept.count(), 1);
    ASSERT_TRUE(kept.showKept(0)) << kept.statusText().toStdString();
    EXPECT_EQ(kept.plots().tableLines(), table);
    QFile spoilt(folder.filePath(QString::fromStdString("characterisation-" + window.run()->id() + ".json")));
    ASSERT_TRUE(spoilt.open(QIODevice::WriteOnly | QIODevice::Truncate));
    spoilt.write("{\"characterisation id\": \"x\", \"plan\": 3");
    spoilt.close();
    EXPECT_FALSE(kept.showKept(0));
    EXPECT_TRUE(kept.statusText().contains(QStringLiteral("not a characterisation")))
        << kept.statusText().toStdString();
}

// A plan the window cannot run is refused in the plan file's own words, and
// nothing runs; the finished one exports as PNG, SVG and PDF, the PDF's text
// holding the parameters.
TEST_F(CharacteriseRig, ABadPlanIsRefusedAndTheFinishedOneExports) {
    auto* loads = window.findChild<QListWidget*>(QStringLiteral("PlanLoads"));
    for (int n = 1; n < loads->count(); ++n) {
        loads->item(n)->setCheckState(Qt::Unchecked);
    }
    press("CharacteriseStart");
    EXPECT_TRUE(window.statusText().contains(QStringLiteral("\"loads\" names 1: a fit needs three at least")))
        << window.statusText().toStdString();
    EXPECT_EQ(window.run(), nullptr);

    for (int n = 0; n < loads->count(); ++n) {
        loads->item(n)->setCheckState(Qt::Checked);
    }
    window.unattended = true;
    press("CharacteriseStart");
    ASSERT_NE(window.run(), nullptr);
    ASSERT_TRUE(window.run()->result().problem.empty());
    for (const char* suffix : {"png", "svg", "pdf"}) {
        const QString path = folder.filePath(QStringLiteral("export.") + QLatin1String(suffix));
        const auto why = window.plots().exportTo(path, QStringLiteral("Characterisation"));
        EXPECT_FALSE(why.has_value()) << why.value_or(QString()).toStdString();
        EXPECT_GT(QFile(path).size(), 1000) << suffix;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {folder.filePath(QStringLiteral("export.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString read = QString::fromUtf8(text.readAllStandardOutput());
    const SupplyFit& s = window.run()->result().supplies.at(0);
    EXPECT_TRUE(read.contains(QStringLiteral("no-load loss P0 (W)"))) << read.toStdString();
    EXPECT_TRUE(read.contains(QString::number(s.rEq.value, 'f', 4))) << read.toStdString();
}
