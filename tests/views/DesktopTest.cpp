#include "ApplicationViews.h"
#include "Clock.h"
#include "Form1.h"
#include "Form1View.h"
#include "ForwardingD2xx.h"
#include "InputGate.h"
#include "OsVersion.h"
#include "PickComboBox.h"
#include "QtEventPump.h"
#include "QtReportPlatform.h"
#include "QtRig.h"
#include "Screen.h"
#include "SimD2xx.h"
#include "ThreadedD2xx.h"
#include "WindowFit.h"

#include "Checked.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <atomic>
#include <chrono>

#include <gtest/gtest.h>
#include <thread>

// The windows on a real desktop: alive while a device call blocks, the
// operator's input held for the next yield, lists live, picks real, frames
// that close what they show, any text the operator types.

namespace {

// Reads that take real time, as the link's do.
struct SlowReads final : ForwardingD2xx {
    using ForwardingD2xx::ForwardingD2xx;
    FT_STATUS FT_Read(FT_HANDLE h, void* b, std::uint32_t n, std::uint32_t* r) override {
        inRead = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(slowMs.load()));
        const FT_STATUS status = d.FT_Read(h, b, n, r);
        inRead = false;
        return status;
    }
    std::atomic<int> slowMs{0};
    std::atomic<bool> inRead{false};
};

// Counts the paint events a widget receives.
struct PaintCounter final : QObject {
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paints = 0;
};

// The program's composition, with its device calls on their own thread.
struct DesktopRig : testing::Test {
    void SetUp() override {
        d2xx.beforeWaiting = [this] { views->refresh(); };
        rig.start();
    }
    void walkToReady() {
        form.openSettings();
        form.Settings.getSettings();
        for (auto [combo, item, action] : {std::tuple{&form.Combo1, "9.4", &Form1::loadResistorPicked},
                                           std::tuple{&form.Combo2, "10.0", &Form1::supplyVoltagePicked},
                                           std::tuple{&form.Combo4, "100", &Form1::loadCapacitorPicked}}) {
            combo->text = item;
            (form.*action)();
        }
        views->refresh();
        ASSERT_EQ(form.Text12.text, "READY");
    }
    template <class W> W* find(const char* name, QWidget* in = nullptr) { return rig.find<W>(name, in); }

    QtParts parts;
    SlowReads slow{parts.d2xx};
    ThreadedD2xx d2xx{slow};
    QtRig rig{parts, d2xx};
    Form1& form = rig.form;
    std::unique_ptr<ApplicationViews>& views = rig.views;
};

} // namespace

TEST_F(DesktopRig, WindowsPaintWhileAReadBlocksAndAClickWaitsForTheNextYield) {
    walkToReady();
    slow.slowMs = 1500; // room for a loaded machine: the checks below run well inside it
    QWidget* main = views->mainView();
    PaintCounter counter(find<QLineEdit>("Text12"));
    int paintsBefore = -1;
    int paintsDuring = -1;
    bool readStillBlocking = false;
    std::size_t heldAtClick = 0;
    bool stoppedDuringRead = true;
    bool busyCursor = false;
    // In the middle of the frequency read: the window hidden and shown again,
    // and STOP clicked.
    QTimer::singleShot(200, [&] {
        paintsBefore = counter.paints;
        main->hide();
        main->show();
        QTest::mouseClick(find<QPushButton>("Command7"), Qt::LeftButton);
        heldAtClick = InputGate::instance().held();
    });
    QTimer::singleShot(600, [&] {
        paintsDuring = counter.paints;
        readStillBlocking = slow.inRead;
        stoppedDuringRead = form.StopRequested;
        busyCursor = QGuiApplication::overrideCursor() != nullptr &&
                     QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
    });
    form.startCalculation();

    EXPECT_TRUE(readStillBlocking) << "the checks ran inside the read";
    EXPECT_GT(paintsDuring, paintsBefore) << "painted again while the read blocked";
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "and back when the call is done";
    EXPECT_EQ(heldAtClick, 1u) << "the click was held";
    EXPECT_FALSE(stoppedDuringRead) << "STOP did not act inside the read";
    // It acted at the yield after the frequency read: the pass stopped there.
    const std::vector<std::string>& log = form.List1.lines;
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(lastOf(log, 3), (std::vector<std::string>{"MATH:DEFINE \"CH1 * CH2\"", "STOP CALCULATION", "READY"}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "MEASU:MEAS1:VALUE?"), 0);
    EXPECT_EQ(InputGate::instance().held(), 0u);
}

TEST_F(DesktopRig, WhatWasLoggedIsLaidOutAndShownWhileTheNextReadBlocks) {
    walkToReady();
    slow.slowMs = 1000;
    auto* list = find<QListWidget>("List1");
    PaintCounter counter(list->viewport());
    int rows = -1;
    std::size_t logged = 0;
    QRect lastRow;
    int paints = -1;
    QTimer::singleShot(200, [&] {
        rows = list->count();
        logged = form.List1.lines.size();
        lastRow = rows > 0 ? list->visualItemRect(list->item(rows - 1)) : QRect();
        paints = counter.paints;
        QTest::mouseClick(find<QPushButton>("Command7"), Qt::LeftButton); // end the pass soon
    });
    form.startCalculation();
    ASSERT_GT(rows, 0);
    EXPECT_EQ(static_cast<std::size_t>(rows), logged) << "every line logged so far is in the list";
    EXPECT_FALSE(lastRow.isEmpty()) << "laid out";
    EXPECT_GT(paints, 0) << "and drawn";
}

TEST_F(DesktopRig, TheSettingsFrameClosesTheWindowUnlessItIsBusyAndReopensCentred) {
    QTest::mouseClick(find<QPushButton>("Command5"), Qt::LeftButton); // SETTINGS
    QWidget* settings = views->settingsView();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->pos(), WindowFit::centredFrame(settings->size()).topLeft());

    form.Settings.SettingsBusy = true;
    settings->close();
    EXPECT_TRUE(form.Settings.window.loaded) << "refused while busy";
    EXPECT_TRUE(settings->isVisible());
    form.Settings.SettingsBusy = false;

    settings->move(0, 0);
    settings->close(); // the title bar's X, Alt+F4, the window manager's close
    EXPECT_FALSE(form.Settings.window.loaded);
    EXPECT_EQ(views->settingsView(), nullptr);
    ASSERT_FALSE(form.List1.lines.empty());
    EXPECT_EQ(last(form.List1.lines), "Close Settings Window Button Pressed");

    QTest::mouseClick(find<QPushButton>("Command5"), Qt::LeftButton);
    settings = views->settingsView();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->pos(), WindowFit::centredFrame(settings->size()).topLeft())
        << "centred again, not where it was";
}

TEST_F(DesktopRig, AListActsOnlyOnAPickFromItsOpenList) {
    form.openSettings();
    form.Settings.getSettings();
    views->refresh();
    auto* combo = find<PickComboBox>("Combo1");
    auto* elsewhere = find<QLineEdit>("Text24");
    const std::vector<std::string> before = form.List1.lines;
    const QString shown = combo->currentText();

    QWheelEvent wheel(QPointF(10, 10), combo->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(combo, &wheel);
    combo->setFocus();
    EXPECT_EQ(combo->currentText(), shown) << "a wheel over the closed list changes nothing";
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentText(), shown) << "nor does an arrow key";

    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "48.0");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    elsewhere->setFocus(); // leaving the field
    QApplication::processEvents();
    EXPECT_EQ(form.List1.lines, before) << "nothing ran";
    EXPECT_EQ(form.Combo1.text, "48.0") << "the typed text stays";
    EXPECT_EQ(combo->currentText(), "48.0");

    // A pick with the mouse, then one with the keyboard in the open list.
    const int row = combo->findText("9.4");
    combo->showPopup();
    QAbstractItemView* items = combo->view();
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, items->visualRect(items->model()->index(row, 0)).center());
    QApplication::processEvents();
    ASSERT_FALSE(form.List1.lines.empty());
    EXPECT_EQ(last(form.List1.lines), "9.4 OHM Load Resistor Selected");

    combo->showPopup();
    QApplication::processEvents();
    items->setCurrentIndex(items->model()->index(row, 0));
    QTest::keyClick(items, Qt::Key_Down);
    QTest::keyClick(items, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(last(form.List1.lines), "5.0 OHM Load Resistor Selected");
    EXPECT_EQ(form.Combo1.text, "5.0");
}

TEST_F(DesktopRig, BoxesKeepAnyTextTheOperatorTypes) {
    auto* comment = find<QLineEdit>("Text24");
    const QString typed = QString::fromUtf8("Trafo 7 \xE2\x82\xAC 12 \xE4\xB8\xAD\xE6\x96\x87");
    comment->setFocus();
    // Typed through the input method, as text beyond the keyboard's keys is.
    QInputMethodEvent commit;
    commit.setCommitString(typed);
    QApplication::sendEvent(comment, &commit);
    views->refresh();
    EXPECT_EQ(comment->text(), typed) << "no question marks after a repaint";
    EXPECT_EQ(form.Text24.text, typed.toStdString());
    // Bytes that are no UTF-8 (a scope's answer in Latin-1) still show.
    EXPECT_EQ(toQString("5 \xB5s"), QString::fromUtf8("5 \xC2\xB5s"));
}
