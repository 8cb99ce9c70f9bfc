#pragma once

#include "ApplicationViews.h"
#include "Clock.h"
#include "Form1.h"
#include "Form1View.h"
#include "PickComboBox.h"
#include "QtEventPump.h"
#include "QtReportPlatform.h"
#include "SimulatedDesk.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The world outside the program for view tests: the simulated bench on
// virtual time, the Qt clipboard, keys and carets.
struct QtParts : SimulatedDesk<VirtualClock> {
    QtEventPump pump;
    QtClipboard clipboard;
    QtKeySynth keys;
    QtCarets carets;
};

// The real forms and views, wired as the program wires them, on those parts;
// `device` is what the forms call (the simulated device, or a wrapper of it).
struct QtRig {
    QtRig(QtParts& parts, D2xx& device)
        : platform(parts.platformOn(device, parts.pump, parts.clipboard, parts.keys, parts.carets)), form(platform),
          views(std::make_unique<ApplicationViews>(form)) {
        parts.pump.beforeEvents = [this] { views->refresh(); };
        parts.keys.target = [this]() -> QWidget* { return views->reportView(); };
        parts.carets.root = [this]() -> QWidget* { return views->reportView(); };
    }
    void start() {
        form.Form_Load();
        views->refresh();
    }
    template <class W> W* find(const char* name, QWidget* in = nullptr) {
        QWidget* root = in != nullptr ? in : views->mainView();
        auto* widget = root->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* name, QWidget* in = nullptr) {
        QTest::mouseClick(find<QPushButton>(name, in), Qt::LeftButton);
    }
    // Opens the list and clicks the item, as the operator does.
    void pick(const char* name, const QString& item) {
        auto* combo = find<PickComboBox>(name);
        ASSERT_NE(combo, nullptr);
        const int row = combo->findText(item);
        ASSERT_GE(row, 0) << item.toStdString();
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
        QCoreApplication::processEvents(); // the list closes in a turn of its own
    }

    Platform platform;
    Form1 form;
    std::unique_ptr<ApplicationViews> views;
};
