#include "ApplicationViews.h"
#include "BenchPanelView.h"
#include "Clock.h"
#include "Form1.h"
#include "Form1View.h"
#include "MeasurementRecord.h"
#include "OsVersion.h"
#include "PickComboBox.h"
#include "QtEventPump.h"
#include "QtReportPlatform.h"
#include "QtRig.h"
#include "RecordHooks.h"
#include "Screen.h"
#include "SimD2xx.h"

#include "Checked.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The real views on the simulated bench, on virtual time, headless.
struct ViewRig : testing::Test {
    void SetUp() override { rig.start(); }
    template <class W> W* find(const char* name, QWidget* in = nullptr) { return rig.find<W>(name, in); }
    void click(const char* name, QWidget* in = nullptr) { rig.click(name, in); }
    void pick(const char* name, const QString& item) { rig.pick(name, item); }

    QtParts parts;
    QtRig rig{parts, parts.d2xx};
    Form1& form = rig.form;
    std::unique_ptr<ApplicationViews>& views = rig.views;
    QtKeySynth& keys = parts.keys;
};

} // namespace

TEST_F(ViewRig, WidgetsCarryTheirControlNamesAndShowTheModels) {
    QWidget* main = views->mainView();
    EXPECT_EQ(main->objectName(), "Form1");
    EXPECT_EQ(main->windowTitle(), "Transformer Efficiency Calculator");
    for (const char* name : {"Text1", "Text12", "Text24", "Combo1", "Combo4", "Label30"}) {
        EXPECT_NE(main->findChild<QWidget*>(name), nullptr) << name;
    }
    EXPECT_EQ(main->findChild<QWidget*>("Command8"), nullptr) << "the main window has none";
    EXPECT_EQ(find<QLineEdit>("Text1")->text(), "READY");
    EXPECT_EQ(find<QLineEdit>("Text1")->palette().color(QPalette::Base), QColor(0, 255, 0));
    EXPECT_EQ(find<QLineEdit>("Text12")->palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(find<QLineEdit>("Text12")->palette().color(QPalette::Text), QColor(255, 255, 255));
    EXPECT_EQ(find<QLineEdit>("Text13")->font().pointSize(), 24);
    EXPECT_TRUE(find<QLineEdit>("Text3")->font().bold());
    EXPECT_EQ(find<QComboBox>("Combo4")->count(), 9);
    EXPECT_EQ(find<QComboBox>("Combo4")->currentText(), "NO LOAD");
    EXPECT_EQ(find<QLabel>("Label27")->text(), "POWER SUPPLY (V RMS)");
    auto* list = find<QListWidget>("List1");
    ASSERT_GT(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "OS Version: 6.1");
    EXPECT_EQ(list->item(list->count() - 1)->text(), ":ACQUIRE:STATE 1") << "CR LF drawn invisibly";
    EXPECT_EQ(last(form.List1.lines), ":ACQUIRE:STATE 1\r\n") << "and kept in the model";
}

TEST_F(ViewRig, ClicksAndPicksReachTheirActionsAndTypingReachesTheModel) {
    click("Command5"); // SETTINGS
    QWidget* settings = views->settingsView();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->objectName(), "SettingsForm");
    EXPECT_EQ(settings->windowTitle(), "Oscilloscope Settings");
    EXPECT_EQ(settings->size(), QSize(1197, 670));
    EXPECT_EQ(find<QLineEdit>("Text32", settings)->geometry(), QRect(544, 24, 65, 25));
    EXPECT_EQ(settings->findChild<QWidget*>("Text57")->geometry().top(), 8040 / 15);
    // A caption too wide for its button is drawn on two lines.
    EXPECT_EQ(find<QPushButton>("Command6", settings)->text().replace('\n', ' '), "STANDARD TRANSFORMER  F-54X");

    click("Command2", settings); // GET SETTINGS
    EXPECT_EQ(find<QLineEdit>("Text45", settings)->text(), "10.0 V/div");
    EXPECT_EQ(find<QLineEdit>("Text65", settings)->palette().color(QPalette::Base), QColor(255, 255, 0));

    const int before = static_cast<int>(form.List1.lines.size());
    click("Command8", settings); // GENERAL TRANSFORMER: nothing
    EXPECT_EQ(static_cast<int>(form.List1.lines.size()), before);

    pick("Combo1", "9.4");
    EXPECT_EQ(last(form.List1.lines), "9.4 OHM Load Resistor Selected");
    EXPECT_EQ(find<QComboBox>("Combo2")->count(), 20) << "the supply list reached the widget";
    pick("Combo2", "10.0");
    pick("Combo4", "100");
    EXPECT_EQ(find<QLineEdit>("Text12")->text(), "READY");

    // Typing into the comment goes into the model at once, and runs nothing.
    auto* comment = find<QLineEdit>("Text24");
    QTest::keyClicks(comment, "unit 7");
    EXPECT_EQ(form.Text24.text, "unit 7");
    // Typing in a list's field runs no action.
    const std::size_t lines = form.List1.lines.size();
    QTest::keyClicks(find<QComboBox>("Combo1")->lineEdit(), "5");
    EXPECT_EQ(form.List1.lines.size(), lines);

    click("Command9"); // CLEAR LIST
    EXPECT_EQ(find<QListWidget>("List1")->count(), 0);

    click("Command1", settings); // CLOSE unloads the window; its view goes
    EXPECT_FALSE(form.Settings.window.loaded);
    EXPECT_EQ(views->settingsView(), nullptr);
}

TEST_F(ViewRig, CapturePutsAnImageOfTheReportWindowOnTheClipboard) {
    click("Command5");
    click("Command2", views->settingsView());
    pick("Combo1", "9.4");
    pick("Combo2", "10.0");
    pick("Combo4", "100");
    click("Command3"); // START CALCULATION
    ASSERT_EQ(last(form.List1.lines), "READY");
    form.Text24.text = "comment for the notebook";

    QGuiApplication::clipboard()->setText("stale");
    // The report's frame close, in the middle of its capture, is refused.
    bool closedDuringCapture = true;
    QTimer::singleShot(0, [&] {
        if (views->reportView() != nullptr) {
            closedDuringCapture = views->reportView()->close();
        }
    });
    click("Command6"); // CAPTURE
    EXPECT_FALSE(closedDuringCapture);
    EXPECT_EQ(last(form.List1.lines), "Print-Screen Captured to Clipboard");
    const QImage image = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(560, 930));
    EXPECT_EQ(keys.lastImage.size(), QSize(560, 930));
    EXPECT_EQ(views->reportView(), nullptr) << "unloaded";
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty()) << "emptied first";

    // Where the phase-angle efficiency box shows its text the pixels are not all
    // the box's white.
    const QRect efficiencyBox(140, 4 + 56 + 50 * 5 + 56 + 50 * 3 + 18, 280, 34);
    int dark = 0;
    for (int y = efficiencyBox.top(); y < efficiencyBox.bottom(); ++y) {
        for (int x = efficiencyBox.left(); x < efficiencyBox.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 50) << "text is drawn in the box";
    if (const QByteArray path = qgetenv("CAPTURE_PNG"); !path.isEmpty()) {
        image.save(QString::fromLocal8Bit(path)); // to look at what the clipboard got
    }
}

TEST_F(ViewRig, WithARecordACaptureAlsoKeepsTheClipboardsImageAsAFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    MeasurementRecord record(folder.path().toStdString());
    record.reportWait = std::chrono::seconds(10);
    form.record = &record;
    RecordHooks hooks(record, form, keys, [this] { views->refresh(); });
    form.now = [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5)); };
    click("Command5");
    click("Command2", views->settingsView());
    pick("Combo1", "9.4");
    pick("Combo2", "10.0");
    pick("Combo4", "100");
    click("Command3");
    click("Command6"); // CAPTURE
    ASSERT_TRUE(record.finish());
    EXPECT_EQ(last(form.List1.lines), "Print-Screen Captured to Clipboard");
    const QImage saved(folder.path() + "/report-2026-12-08-143005.png");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(560, 930));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), keys.lastImage.convertToFormat(QImage::Format_RGB32))
        << "the very image the clipboard got";
    EXPECT_TRUE(QFile::exists(folder.path() + "/results.csv"));
    if (const QByteArray path = qgetenv("RECORD_PNG"); !path.isEmpty()) {
        QFile::copy(folder.path() + "/report-2026-12-08-143005.png", QString::fromLocal8Bit(path));
    }
}

TEST(BenchPanel, SetsTheBenchAndRefusesAResistanceThatIsNone) {
    SimScope scope;
    BenchPanelView panel(scope);
    ASSERT_TRUE(scope.bench.has_value());
    auto* transformer = panel.findChild<QComboBox*>("transformer");
    ASSERT_NE(transformer, nullptr);
    transformer->setCurrentIndex(1);
    emit transformer->activated(1);
    EXPECT_EQ(scope.bench->transformer.ch3Probe, 1) << "the standard transformer's probes";
    EXPECT_EQ(scope.bench->conditions.supplyVolts, 120.0);

    auto* resistor = panel.findChild<QComboBox*>("resistor");
    resistor->setCurrentText("48.0");
    EXPECT_EQ(scope.bench->conditions.loadOhms, 48.0);
    resistor->setCurrentText("lots");
    EXPECT_EQ(scope.bench->conditions.loadOhms, 48.0);
    resistor->setCurrentText("open");
    EXPECT_FALSE(scope.bench->conditions.loadOhms.has_value());
    panel.findChild<QComboBox*>("capacitor")->setCurrentText("200");
    EXPECT_EQ(scope.bench->conditions.loadMicrofarads, 200.0);
    panel.findChild<QCheckBox*>("stopped")->setChecked(true);
    EXPECT_FALSE(scope.acquiring);
}

int main(int argc, char** argv) {
    // A desk screen big enough for every window at its design size, unless
    // the test is run on a screen of its own.
    if (!qgetenv("QT_QPA_PLATFORM").contains("configfile")) {
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SCREENS_DIR "/desk.json");
    }
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
