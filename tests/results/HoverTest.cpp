// The plots' tool-tip under a real pointer: run on an X server with a window
// manager (tests/results/with_desktop.sh), the pointer moved there as a
// person's mouse moves it.
#include "ResultsWindow.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

TEST(ResultsHover, APointTellsItsSetUpUnderARealPointer) {
    QTemporaryDir dir;
    QFile file(dir.filePath("results.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("date and time (ISO 8601),pass ended,transformer,power supply (V rms),load resistor (ohms),"
               "load capacitor (uF),phase angle efficiency (%),load resistor efficiency (%)\r\n"
               "2026-12-08T10:00:00Z,complete,SPLIT-FLUX TRANSFORMER #1,10.0,9.4,100,88,87\r\n"
               "2026-12-08T10:01:00Z,complete,SPLIT-FLUX TRANSFORMER #1,10.0,9.4,100,90,89\r\n"
               "2026-12-08T10:02:00Z,complete,SPLIT-FLUX TRANSFORMER #1,5.0,9.4,100,80,84\r\n");
    file.close();
    ResultsWindow window({dir.path()});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(300);
    auto* view = window.findChild<QChartView*>("efficiencyPlot");
    QScatterSeries* phase = nullptr;
    for (QAbstractSeries* s : view->chart()->series()) {
        phase =
            s->name() == QStringLiteral("SPLIT-FLUX #1, 100 uF phase angle") ? static_cast<QScatterSeries*>(s) : phase;
    }
    ASSERT_NE(phase, nullptr);
    ASSERT_EQ(phase->count(), 2);
    const QPointF at = phase->at(1); // 10 V: two passes
    const QPoint local = view->mapFromScene(view->chart()->mapToPosition(at, phase));
    const QPoint global = view->viewport()->mapToGlobal(local);
    QCursor::setPos(global + QPoint(40, 40));
    QTest::qWait(200);
    QCursor::setPos(global);
    QElapsedTimer waited;
    waited.start();
    while (!QToolTip::isVisible() && waited.elapsed() < 5000) {
        QTest::qWait(50);
    }
    ASSERT_TRUE(QToolTip::isVisible()) << "no tool-tip over the point at " << global.x() << "," << global.y();
    const QString text = QToolTip::text();
    EXPECT_TRUE(text.contains(QStringLiteral("SPLIT-FLUX #1, 100 uF phase angle"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Power supply (V rms): 10"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("phase angle 89.000 % (88.000 to 90.000)"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("2 passes"))) << text.toStdString();
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
