#include "ApplicationViews.h"
#include "BenchPanelView.h"
#include "Clock.h"
#include "Form1.h"
#include "Form1View.h"
#include "OsVersion.h"
#include "QtEventPump.h"
#include "QtReportPlatform.h"
#include "QtRig.h"
#include "Screen.h"
#include "SimD2xx.h"
#include "WindowFit.h"

#include "ResultsWindow.h"
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Run once per screen (see the test list): a desk monitor, a 1366 x 768
// laptop, and a 1600 x 1000 monitor at 1.5 x scaling. Whatever the screen,
// every window lies wholly on it, in its design proportions.

namespace {

void expectFits(QWidget* window, QSize design, const char* name) {
    const QRect area = WindowFit::availableArea();
    const QRect frame = WindowFit::centredFrame(window->size());
    EXPECT_TRUE(area.contains(frame)) << name << ": frame " << frame.width() << "x" << frame.height() << " on "
                                      << area.width() << "x" << area.height();
    const double scale = WindowFit::scaleToFit(design);
    EXPECT_NEAR(window->width(), design.width() * scale, 1.0) << name;
    EXPECT_NEAR(window->height(), design.height() * scale, 1.0) << name;
    if (design.width() + WindowFit::FrameWidth <= area.width() &&
        design.height() + WindowFit::FrameHeight <= area.height()) {
        EXPECT_EQ(window->size(), design) << name << " keeps its design size where it fits";
    }
}

} // namespace

TEST(WindowFit, EveryWindowLiesWhollyOnTheScreen) {
    QtParts parts;
    QtRig rig{parts, parts.d2xx};
    rig.start();
    Form1& form = rig.form;
    ApplicationViews& views = *rig.views;

    Form1View* main = views.mainView();
    expectFits(main, QSize(1260, 820), "main window");
    const double scale = WindowFit::scaleToFit(QSize(1260, 820));
    const auto* text13 = main->findChild<QLineEdit*>("Text13");
    ASSERT_NE(text13, nullptr);
    EXPECT_NEAR(text13->font().pointSizeF(), 24 * scale, 0.01) << "fonts scale with the window";
    const auto* text3 = main->findChild<QLineEdit*>("Text3");
    EXPECT_NEAR(text3->geometry().left(), 364 * scale, 1.0) << "and so do the places";
    EXPECT_EQ(main->pos(), WindowFit::centredFrame(main->size()).topLeft());

    form.openSettings();
    views.refresh();
    ASSERT_NE(views.settingsView(), nullptr);
    QWidget* settings = views.settingsView();
    const QSize settingsDesign(1197, 670);
    if (WindowFit::scaleToFit(settingsDesign) >= 1.0) {
        expectFits(settings, settingsDesign, "settings window");
    } else {
        // On a screen too small for it, it stands beside the main window's
        // results, wholly on the screen, in its design proportions.
        const QRect frame(settings->pos(), settings->size() + QSize(WindowFit::FrameWidth, WindowFit::FrameHeight));
        EXPECT_TRUE(WindowFit::availableArea().contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        EXPECT_NEAR(double(settings->width()) / settings->height(), 1197.0 / 670, 0.01);
        const int resultsRight = main->pos().x() + int(Form1View::ResultsWidth * scale);
        const bool atItsSmallest = std::abs(settings->width() - 1197 * ApplicationViews::SmallestSettingsScale) <= 1.0;
        EXPECT_TRUE(settings->pos().x() >= resultsRight || atItsSmallest)
            << "the main window's results stay in view, unless it would be too small to read";
    }

    BenchPanelView panel(parts.scope);
    panel.placeAwayFrom(WindowFit::centredFrame(main->size()));
    const QRect panelFrame(panel.pos(), panel.size() + QSize(WindowFit::FrameWidth, WindowFit::FrameHeight));
    EXPECT_TRUE(WindowFit::availableArea().contains(panelFrame.topLeft())) << "its title bar is on the screen";
}

TEST(WindowFit, TheResultsWindowLiesWhollyOnTheScreenWithRoomForItsLayout) {
    QTemporaryDir folder;
    ResultsWindow results({folder.path()});
    WindowFit::placeCentred(&results);
    results.show();
    const QRect area = WindowFit::availableArea();
    const QRect frame(results.pos(), results.size() + QSize(WindowFit::FrameWidth, WindowFit::FrameHeight));
    EXPECT_TRUE(area.contains(frame)) << frame.width() << "x" << frame.height() << " on " << area.width() << "x"
                                      << area.height();
    const QSize needed = results.minimumSizeHint();
    EXPECT_GE(results.width(), needed.width()) << "the filters and buttons have room";
    EXPECT_GE(results.height(), needed.height());
}

TEST(WindowFit, TheResultsWindowBesideTheMainOneCoversNothingOrStandsOnItsOwnUncut) {
    QTemporaryDir folder;
    ResultsWindow results({folder.path()});
    const QSize main(1260, 820);
    WindowFit::placeBeside(&results, main, ResultsWindow::ReadableWidth);
    results.show();
    const QRect area = WindowFit::availableArea();
    const QRect frame(results.pos(), results.size() + QSize(WindowFit::FrameWidth, WindowFit::FrameHeight));
    const QRect mainFrame = WindowFit::centredFrame(main * WindowFit::scaleToFit(main));
    EXPECT_TRUE(area.contains(frame)) << "wholly on the screen";
    if (frame.intersects(mainFrame)) {
        EXPECT_GE(results.width(), std::min(ResultsWindow::ReadableWidth, area.width() - WindowFit::FrameWidth))
            << "not beside: then its own window, wide enough to read";
    } else {
        EXPECT_GE(results.width(), ResultsWindow::ReadableWidth) << "beside, and readable";
    }
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
