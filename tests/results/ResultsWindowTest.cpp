#include "ResultsWindow.h"
#include "LimitSet.h"
#include "ResultsExport.h"
#include "SummaryModel.h"
#include "UnitsTab.h"

#include <QAbstractSeries>
#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>

// The results window on a known set of passes, offscreen.

namespace {

const QByteArray Header =
    "date and time (ISO 8601),pass ended,transformer,power supply (V rms),load resistor (ohms),"
    "load capacitor (uF),phase angle efficiency (%),load resistor efficiency (%),output power (W),comment\r\n";

QByteArray row(int minute, const char* ending, const char* transformer, const char* supply, const char* phase,
               const char* resistor, const char* comment = "") {
    return QStringLiteral("2026-12-%1T10:%2:00Z")
               .arg(minute < 30 ? 8 : 9, 2, 10, QLatin1Char('0'))
               .arg(minute, 2, 10, QLatin1Char('0'))
               .toUtf8() +
           "," + ending + "," + transformer + "," + supply + ",9.4,100," + phase + "," + resistor + ",8.5," + comment +
           "\r\n";
}

// Eight passes of two transformers; one stopped, one where the estimates part.
const QByteArray Campaign = Header + row(1, "complete", "SPLIT-FLUX TRANSFORMER #1", "10.0", "88", "87", "unit 1") +
                            row(2, "complete", "SPLIT-FLUX TRANSFORMER #1", "10.0", "90", "89") +
                            row(3, "complete", "SPLIT-FLUX TRANSFORMER #1", "5.0", "80", "84", "unit 1 warm") +
                            row(4, "stopped", "SPLIT-FLUX TRANSFORMER #1", "5.0", "", "") +
                            row(5, "complete", "STANDARD TRANSFORMER F-54X", "120.0", "84", "84") +
                            row(40, "complete", "STANDARD TRANSFORMER F-54X", "120.0", "85", "85") +
                            row(41, "link failure", "STANDARD TRANSFORMER F-54X", "100.0", "", "") +
                            row(42, "complete", "STANDARD TRANSFORMER F-54X", "100.0", "83.5", "83");

struct WindowRig {
    explicit WindowRig(const QByteArray& record = Campaign) {
        QFile file(dir.filePath("results.csv"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(record);
        file.close();
        window = std::make_unique<ResultsWindow>(QStringList{dir.path()});
        window->show();
    }
    QString cell(int row, int column) const { return window->filter().index(row, column).data().toString(); }
    QTemporaryDir dir;
    std::unique_ptr<ResultsWindow> window;
};

} // namespace

TEST(ResultsWindow, TheTableListsEveryPassNewestFirstAndGreysTheUnfinished) {
    WindowRig r;
    ASSERT_EQ(r.window->filter().rowCount(), 8);
    EXPECT_EQ(r.cell(0, ResultsModel::Time), QStringLiteral("2026-12-09 10:42:00 UTC"));
    EXPECT_EQ(r.cell(0, ResultsModel::PhaseEfficiency), QStringLiteral("83.50"));
    EXPECT_EQ(r.cell(0, ResultsModel::Difference), QStringLiteral("0.500"));
    EXPECT_EQ(r.cell(7, ResultsModel::Comment), QStringLiteral("unit 1"));
    EXPECT_EQ(r.cell(1, ResultsModel::Ending), QStringLiteral("link failure"));
    EXPECT_TRUE(r.window->filter().index(1, 0).data(Qt::ForegroundRole).isValid()) << "greyed";
    EXPECT_FALSE(r.window->filter().index(0, 0).data(Qt::ForegroundRole).isValid());
    // Sorted by a figure, passes without one go last.
    r.window->table()->sortByColumn(ResultsModel::PhaseEfficiency, Qt::DescendingOrder);
    EXPECT_EQ(r.cell(0, ResultsModel::PhaseEfficiency), QStringLiteral("90.00"));
    EXPECT_EQ(r.window->statusText(), QStringLiteral("8 passes, 8 shown"));
}

TEST(ResultsWindow, FiltersNarrowTheTableAndThePlots) {
    WindowRig r;
    const struct {
        const char* what;
        std::function<void(ResultsWindow&)> set;
        int shown;
    } filters[]{
        {"a transformer",
         [](ResultsWindow& w) {
             w.findChild<QComboBox*>("transformerFilter")->setCurrentText("STANDARD TRANSFORMER F-54X");
         },
         4},
        {"how a pass ended",
         [](ResultsWindow& w) { w.findChild<QComboBox*>("endingFilter")->setCurrentText("complete"); }, 6},
        {"text in the comment", [](ResultsWindow& w) { w.findChild<QLineEdit*>("commentFilter")->setText("WARM"); }, 1},
        {"a date range", [](ResultsWindow& w) { w.filter().setDates(QDate(2026, 12, 9), QDate(2026, 12, 9)); }, 3},
    };
    for (const auto& f : filters) {
        WindowRig fresh;
        f.set(*fresh.window);
        EXPECT_EQ(fresh.window->filter().rowCount(), f.shown) << f.what;
    }
    r.window->findChild<QComboBox*>("transformerFilter")->setCurrentText("STANDARD TRANSFORMER F-54X");
    ASSERT_EQ(r.window->shownSeries().size(), 1u) << "the plots follow the filter";
    EXPECT_EQ(r.window->shownSeries()[0].name(), QStringLiteral("STANDARD F-54X, 100 uF"));
}

TEST(ResultsWindow, ThePlotsShowEachSetUpAtItsMeanAndCountTheDisagreements) {
    WindowRig r;
    const std::vector<PlotSeries> series = r.window->shownSeries();
    ASSERT_EQ(series.size(), 2u);
    const PlotSeries& split = series[0];
    ASSERT_EQ(split.points.size(), 2u) << "5 V and 10 V";
    EXPECT_EQ(split.points[1].phase.count, 2);
    EXPECT_DOUBLE_EQ(split.points[1].phase.mean, 89);
    EXPECT_EQ(split.points[1].resistor.low, 87);
    EXPECT_EQ(split.points[1].resistor.high, 89);
    EXPECT_EQ(split.points[0].rows.size(), 1u) << "the stopped pass has no estimate";
    // Judged by their own U95 unless told a fixed tolerance: this record has none.
    EXPECT_EQ(r.window->findChild<QLabel*>("disagreement")->text(),
              QStringLiteral("0 of 0 set-ups: mean estimates further apart than their U95; 4 without a U95 in the "
                             "record"));
    r.window->setTolerance(2);
    EXPECT_EQ(r.window->findChild<QLabel*>("disagreement")->text(),
              QStringLiteral("1 of 4 set-ups: mean estimates more than 2 points apart"));
    r.window->setTolerance(0.4);
    EXPECT_EQ(r.window->findChild<QLabel*>("disagreement")->text(),
              QStringLiteral("3 of 4 set-ups: mean estimates more than 0.4 points apart"));
    EXPECT_TRUE(r.window->plots().legend().contains(QStringLiteral("SPLIT-FLUX #1, 100 uF")));

    // A point clicked in a plot selects its passes; selected rows are marked.
    r.window->setTolerance(2);
    auto* view = r.window->findChild<QChartView*>("differencePlot");
    QAbstractSeries* splitDifference = nullptr;
    for (QAbstractSeries* s : view->chart()->series()) {
        splitDifference = s->name() == QStringLiteral("SPLIT-FLUX #1, 100 uF") ? s : splitDifference;
    }
    ASSERT_NE(splitDifference, nullptr);
    const QPointF scene = view->chart()->mapToPosition(QPointF(10, split.points[1].difference.mean), splitDifference);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(scene));
    QTest::qWait(20);
    EXPECT_EQ(r.window->table()->selectionModel()->selectedRows().size(), 2);
}

TEST(ResultsWindow, AnAppendedRowAppearsWithinASecondKeepingSortAndSelection) {
    WindowRig r;
    r.window->table()->sortByColumn(ResultsModel::Supply, Qt::AscendingOrder);
    r.window->table()->selectRow(0);
    const QString selected = r.cell(0, ResultsModel::Time);
    // The operator zooms with the wheel.
    auto* view = r.window->findChild<QChartView*>("efficiencyPlot");
    const QPointF middle(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
    QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(view->viewport(), &wheel);
    const auto yRange = [view] {
        auto* axis = static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).first());
        return std::pair{axis->min(), axis->max()};
    };
    const auto zoomed = yRange();
    {
        QFile file(r.dir.filePath("results.csv"));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(row(50, "complete", "SPLIT-FLUX TRANSFORMER #1", "2.5", "70", "70.5"));
    }
    QElapsedTimer timer;
    timer.start();
    while (r.window->model().rowCount() < 9 && timer.elapsed() < 3000) {
        QTest::qWait(20);
    }
    EXPECT_EQ(r.window->model().rowCount(), 9);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(r.cell(0, ResultsModel::Supply), QStringLiteral("2.5")) << "sorted in";
    const auto rows = r.window->table()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].siblingAtColumn(ResultsModel::Time).data().toString(), selected);
    EXPECT_EQ(yRange(), zoomed) << "the zoom is kept";
    r.window->findChild<QPushButton*>("resetZoom")->click();
    EXPECT_NE(yRange(), zoomed);
}

TEST(ResultsWindow, BadFilesShowWhatCanBeReadAndSayWhereTheRestIs) {
    QTemporaryDir dir;
    {
        QFile file(dir.filePath("results.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Header + row(1, "complete", "A", "10.0", "88", "87") + "2026-12-08T10:00:00Z,compl\r\n" +
                   row(2, "complete", "A", "10.0", "eighty", "87") + row(3, "complete", "A", "10.0", "88", "87"));
    }
    ResultsWindow window({dir.path()});
    EXPECT_EQ(window.model().rowCount(), 2);
    EXPECT_EQ(window.statusText(), QStringLiteral("2 passes, 2 shown; 2 rows not read: results.csv lines 3 and 4"));
    QTemporaryDir empty;
    ResultsWindow none({empty.path()});
    EXPECT_EQ(none.statusText(), QStringLiteral("No record in %1").arg(empty.path()));
}

TEST(ResultsWindow, ExportsPlotsAndTheFilteredTable) {
    WindowRig r;
    r.window->findChild<QComboBox*>("endingFilter")->setCurrentText("complete");
    QTemporaryDir out;
    for (const char* name : {"plots.png", "plots.svg", "plots.pdf"}) {
        EXPECT_EQ(r.window->exportPlots(out.filePath(name), QSize(1200, 900)), std::nullopt) << name;
        EXPECT_GT(QFileInfo(out.filePath(name)).size(), 1000) << name;
    }
    EXPECT_EQ(QImage(out.filePath("plots.png")).size(), QSize(1200, 900));
    QFile svg(out.filePath("plots.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("Results of")) << "the title names the folder";
    EXPECT_TRUE(r.window->exportTitle().endsWith(QStringLiteral("2026-12-08 to 2026-12-09")));
    EXPECT_NE(r.window->exportPlots(out.filePath("plots.bmp"), QSize(1200, 900)), std::nullopt);

    ASSERT_EQ(r.window->exportTable(out.filePath("table.csv")), std::nullopt);
    QFile csv(out.filePath("table.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    EXPECT_EQ(lines.size(), 8) << "a header, six complete passes, the end";
    EXPECT_TRUE(
        lines[1].startsWith("2026-12-09T10:42:00Z,complete,STANDARD TRANSFORMER F-54X,100.0,9.4,100,83.5,83,0.5,"));
    ASSERT_EQ(r.window->exportTable(out.filePath("table.xlsx")), std::nullopt);
    EXPECT_GT(QFileInfo(out.filePath("table.xlsx")).size(), 4000);
}

TEST(ResultsWindow, CtrlCCopiesTheSelectedRowsUnderTheirTitles) {
    WindowRig r;
    r.window->table()->selectRow(0);
    QTest::keyClick(r.window->table(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(r.window->table(), Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << "the titles and two rows";
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Time\tPass ended\tTransformer\t")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tComment\tFolder\tVerdict\tPower loss (W)")))
        << "the figures beyond the boxes after the others";
    EXPECT_TRUE(
        lines[1].startsWith(QStringLiteral("2026-12-09 10:42:00 UTC\tcomplete\tSTANDARD TRANSFORMER F-54X\t100.0\t")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("2026-12-09 10:41:00 UTC\tlink failure\t")))
        << lines[2].toStdString();
    EXPECT_EQ(lines[1].count(QLatin1Char('\t')), ResultsModel::columns() - 1);
}

TEST(ResultsWindow, SeveralFoldersEachPassSaysItsFolderAndFoldersCanBeAddedAndOpened) {
    WindowRig r;
    QTemporaryDir other;
    QFile file(other.filePath("results.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Header + row(50, "complete", "SPLIT-FLUX TRANSFORMER #1", "7.5", "86", "86", "other bench"));
    file.close();
    const QString first = QDir(r.dir.path()).dirName();
    EXPECT_EQ(r.cell(0, ResultsModel::Folder), first);
    r.window->addFolder(other.path());
    while (r.window->reading()) {
        r.window->readNew();
    }
    EXPECT_EQ(r.window->model().rowCount(), 9);
    EXPECT_EQ(r.cell(0, ResultsModel::Comment), QStringLiteral("other bench")) << "newest first";
    EXPECT_EQ(r.cell(0, ResultsModel::Folder), QDir(other.path()).dirName());
    EXPECT_EQ(r.cell(1, ResultsModel::Folder), first);
    r.window->openFolders({other.path()});
    EXPECT_EQ(r.window->model().rowCount(), 1);
    EXPECT_EQ(r.window->shownSeries().size(), 1u) << "the plots hold only the folder opened";
    EXPECT_TRUE(r.window->windowTitle().endsWith(QDir(other.path()).dirName()));
}

namespace {

QAbstractSeries* seriesNamed(QChart* chart, const QString& name) {
    for (QAbstractSeries* s : chart->series()) {
        if (s->name() == name) {
            return s;
        }
    }
    return nullptr;
}

// The rightmost column of `image` between rows `top` and `bottom` that is not white.
int rightmostInk(const QImage& image, int top, int bottom) {
    for (int x = image.width() - 1; x >= 0; --x) {
        for (int y = top; y < bottom; ++y) {
            if (image.pixelColor(x, y) != Qt::white) {
                return x;
            }
        }
    }
    return -1;
}

} // namespace

TEST(ResultsWindow, ThePlotsReadInEveryViewAndTheExportsFillThePage) {
    WindowRig r;
    auto* efficiency = r.window->findChild<QChartView*>("efficiencyPlot")->chart();
    const QString squares = QStringLiteral("STANDARD F-54X, 100 uF load resistor");
    auto* resistor = static_cast<QScatterSeries*>(seriesNamed(efficiency, squares));
    ASSERT_NE(resistor, nullptr);
    const QColor colour = resistor->pen().color();
    // One legend entry a series (the title tells circles from squares), in
    // the series' colour, never white.
    const auto phase = seriesNamed(efficiency, QStringLiteral("STANDARD F-54X, 100 uF phase angle"));
    ASSERT_NE(phase, nullptr);
    const QList<QLegendMarker*> markers = efficiency->legend()->markers(phase);
    ASSERT_EQ(markers.size(), 1);
    EXPECT_EQ(markers[0]->label(), QStringLiteral("STANDARD F-54X, 100 uF"));
    EXPECT_EQ(markers[0]->brush().color(), colour);
    EXPECT_NE(colour, QColor(Qt::white));
    EXPECT_FALSE(efficiency->legend()->markers(resistor).at(0)->isVisible());

    // Another view, fewer series: the same series keeps its colour.
    r.window->findChild<QComboBox*>("transformerFilter")->setCurrentText("STANDARD TRANSFORMER F-54X");
    resistor = static_cast<QScatterSeries*>(seriesNamed(efficiency, squares));
    ASSERT_NE(resistor, nullptr);
    EXPECT_EQ(r.window->shownSeries().size(), 1u);
    EXPECT_EQ(resistor->pen().color(), colour);
    r.window->setXValue(XValue::Time);
    auto* time = qobject_cast<QDateTimeAxis*>(efficiency->axes(Qt::Horizontal).value(0));
    ASSERT_NE(time, nullptr);
    EXPECT_TRUE(time->format().contains(QStringLiteral("HH:mm")) && time->format().size() <= 11)
        << "the time of day, short enough to show: " << time->format().toStdString();

    // Zoomed in: ticks still at round numbers; the band never beyond the plot.
    r.window->findChild<QComboBox*>("transformerFilter")->setCurrentIndex(0);
    r.window->setXValue(XValue::Supply);
    r.window->setTolerance(2);
    auto* difference = r.window->findChild<QChartView*>("differencePlot")->chart();
    difference->zoom(3.7);
    auto* dy = qobject_cast<QValueAxis*>(difference->axes(Qt::Vertical).value(0));
    auto* dx = qobject_cast<QValueAxis*>(difference->axes(Qt::Horizontal).value(0));
    ASSERT_TRUE(dx != nullptr && dy != nullptr);
    const double interval = dy->tickInterval();
    const double mantissa = interval / std::pow(10.0, std::floor(std::log10(interval)));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
        << "tick every " << interval;
    EXPECT_NEAR(std::remainder(dy->tickAnchor(), interval), 0, 1e-9);
    auto* band = qobject_cast<QAreaSeries*>(seriesNamed(difference, QStringLiteral("+/-2 points")));
    ASSERT_NE(band, nullptr);
    for (const QPointF& p : band->upperSeries()->points()) {
        EXPECT_TRUE(p.x() >= dx->min() - 1e-9 && p.x() <= dx->max() + 1e-9) << p.x();
    }

    // The exported picture: both charts across the whole width.
    QTemporaryDir out;
    ASSERT_EQ(r.window->exportPlots(out.filePath("plots.png"), QSize(1600, 1200)), std::nullopt);
    const QImage picture(out.filePath("plots.png"));
    for (const auto& [top, bottom] : {std::pair{100, 650}, std::pair{650, 1190}}) {
        EXPECT_GT(rightmostInk(picture, top, bottom), 1600 * 0.9) << "rows " << top << " to " << bottom;
    }
}

TEST(ResultsWindow, TheSetUpSummaryGivesEachSetUpsSpreadAndIsExported) {
    WindowRig r;
    const SummaryModel& summary = r.window->summary();
    ASSERT_EQ(summary.rowCount(), 4) << "split-flux at 5 and 10 V, standard at 100 and 120 V";
    int tenVolts = -1;
    for (int row = 0; row < summary.rowCount(); ++row) {
        if (summary.text(row, 0) == QStringLiteral("SPLIT-FLUX #1, 100 uF") && summary.number(row, 1) == 10.0) {
            tenVolts = row;
        }
    }
    ASSERT_GE(tenVolts, 0);
    const auto at = [&](const char* title) {
        for (int c = 0; c < summary.columnCount(); ++c) {
            if (summary.title(c) == QString::fromLatin1(title)) {
                return summary.number(tenVolts, c);
            }
        }
        ADD_FAILURE() << "no column " << title;
        return std::optional<double>();
    };
    // 88 and 90, 87 and 89: the passes of that set-up.
    EXPECT_EQ(at("Passes"), 2.0);
    EXPECT_EQ(at("Phase angle efficiency (%) mean"), 89.0);
    EXPECT_NEAR(*at("Phase angle efficiency (%) standard deviation"), std::sqrt(2.0), 1e-12);
    EXPECT_EQ(at("Load resistor efficiency (%) lowest"), 87.0);
    EXPECT_EQ(at("Load resistor efficiency (%) highest"), 89.0);
    EXPECT_EQ(at("Phase minus resistor (points) mean"), 1.0);
    EXPECT_EQ(at("Phase minus resistor (points) standard deviation"), 0.0);

    QTemporaryDir out;
    ASSERT_EQ(r.window->exportSummary(out.filePath("set-ups.csv")), std::nullopt);
    QFile csv(out.filePath("set-ups.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    EXPECT_EQ(lines.size(), 6) << "a header, four set-ups, the end";
    EXPECT_TRUE(lines[0].startsWith("Series,Power supply (V rms),Passes,Phase angle efficiency (%) mean,"));
}

TEST(ResultsExport, ASaveDialogsAnswerGetsTheChosenFiltersExtension) {
    const struct {
        const char* typed;
        const char* filter;
        const char* path;
    } cases[]{
        {"/tmp/passes", "Excel workbook (*.xlsx)", "/tmp/passes.xlsx"},
        {"/tmp/passes", "CSV file (*.csv)", "/tmp/passes.csv"},
        {"/tmp/passes.XLSX", "Excel workbook (*.xlsx)", "/tmp/passes.XLSX"},
        {"/tmp/passes.csv", "Excel workbook (*.xlsx)", "/tmp/passes.csv"},
        {"/tmp/run.2026", "Excel workbook (*.xlsx)", "/tmp/run.2026.xlsx"},
        {"/tmp/plots", "SVG drawing (*.svg)", "/tmp/plots.svg"},
        {"", "Excel workbook (*.xlsx)", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResultsExport::pathForFilter(QString::fromLatin1(c.typed), QString::fromLatin1(c.filter)),
                  QString::fromLatin1(c.path))
            << c.typed << " under " << c.filter;
    }
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // also when the tests are listed
    }
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // no "." decimals to lean on
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// With the record's U95: each set-up judged by what its two estimates do not
// share, the band at the set-ups' median U, a dashed bar of +/-U at each point.
TEST(ResultsWindow, EachSetUpIsJudgedByItsOwnUncertainty) {
    const QByteArray header = "date and time (ISO 8601),pass ended,transformer,power supply (V rms),"
                              "load resistor (ohms),load capacitor (uF),phase angle efficiency (%),"
                              "load resistor efficiency (%),U95 phase angle efficiency (%),"
                              "U95 load resistor efficiency (%),U95 efficiency estimates ratio (%)\r\n";
    // 3 points apart in both; a ratio U of 5 % (4.5 points on 90) and of 2 % (1.8 points).
    WindowRig r(header + "2026-12-08T10:00:00Z,complete,A,10.0,9.4,100,90,87,8.9,9.2,5\r\n" +
                "2026-12-08T10:01:00Z,complete,A,5.0,9.4,100,90,87,8.9,9.2,2\r\n");
    EXPECT_EQ(r.window->findChild<QLabel*>("disagreement")->text(),
              QStringLiteral("1 of 2 set-ups: mean estimates further apart than their U95"));
    auto* difference = r.window->findChild<QChartView*>("differencePlot")->chart();
    auto* band = qobject_cast<QAreaSeries*>(seriesNamed(difference, QStringLiteral("+/-U95 (median 4.5 points)")));
    ASSERT_NE(band, nullptr) << "the band at the larger of the two (the median of two)";
    EXPECT_DOUBLE_EQ(band->upperSeries()->at(0).y(), 4.5);
    const auto outside = static_cast<QScatterSeries*>(seriesNamed(difference, QStringLiteral("outside their U95")));
    ASSERT_NE(outside, nullptr);
    ASSERT_EQ(outside->count(), 1);
    EXPECT_EQ(outside->at(0).x(), 5.0) << "the set-up whose U is 1.8 points";
    auto* efficiency = r.window->findChild<QChartView*>("efficiencyPlot")->chart();
    int dashed = 0;
    for (QAbstractSeries* s : efficiency->series()) {
        const auto* line = qobject_cast<QLineSeries*>(s);
        if (line != nullptr && line->pen().style() == Qt::DashLine) {
            ++dashed;
            const double middle = (line->at(0).y() + line->at(1).y()) / 2; // the estimate: 90 or 87
            EXPECT_NEAR(line->at(1).y() - line->at(0).y(), middle > 88.5 ? 2 * 8.9 : 2 * 9.2, 1e-9) << middle;
        }
    }
    EXPECT_EQ(dashed, 4) << "+/-U about both estimates of both set-ups";
}

// Passes judged against limits: counted by verdict, and filtered by it.
TEST(ResultsWindow, VerdictsAreCountedAndFiltered) {
    const QByteArray header = "date and time (ISO 8601),pass ended,transformer,power supply (V rms),"
                              "load resistor (ohms),load capacitor (uF),phase angle efficiency (%),verdict\r\n";
    WindowRig r(header + "2026-12-08T10:00:00Z,complete,A,10.0,9.4,100,90,PASS\r\n" +
                "2026-12-08T10:01:00Z,complete,A,10.0,9.4,100,80,FAIL\r\n" +
                "2026-12-08T10:02:00Z,complete,A,10.0,9.4,100,86,CONDITIONAL PASS\r\n" +
                "2026-12-08T10:03:00Z,stopped,A,10.0,9.4,100,,NO VERDICT\r\n");
    EXPECT_EQ(r.window->statusText(),
              QStringLiteral("4 passes, 4 shown; verdicts: 1 PASS, 1 CONDITIONAL PASS, 1 NO VERDICT, 1 FAIL"));
    // The limits on an estimate as lines, each set-up ringed by its passes' worst verdict.
    r.window->setLimits(std::get<LimitSet>(limitSetFromJson(
        R"j({"rule": "simple", "limits": {"phase angle efficiency (%)": {"lower": 85, "upper": 99}}})j")));
    auto* efficiency = r.window->findChild<QChartView*>("efficiencyPlot")->chart();
    auto* lower = static_cast<QLineSeries*>(seriesNamed(efficiency, QStringLiteral("phase angle lower limit 85")));
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->at(0).y(), 85);
    EXPECT_NE(seriesNamed(efficiency, QStringLiteral("phase angle upper limit 99")), nullptr);
    auto* fail = static_cast<QScatterSeries*>(seriesNamed(efficiency, QStringLiteral("FAIL")));
    ASSERT_NE(fail, nullptr) << "the one set-up: its worst pass failed";
    EXPECT_EQ(fail->count(), 1);
    EXPECT_EQ(seriesNamed(efficiency, QStringLiteral("PASS")), nullptr) << "no set-up whose worst is a pass";

    r.window->findChild<QComboBox*>("verdictFilter")->setCurrentText("FAIL");
    EXPECT_EQ(r.window->filter().rowCount(), 1);
    EXPECT_EQ(r.cell(0, ResultsModel::Verdict), QStringLiteral("FAIL"));
    EXPECT_EQ(r.window->statusText(), QStringLiteral("4 passes, 1 shown; verdicts: 1 FAIL"));
}

// The Units tab: per lot and plan, from the folders' unit-tests.csv, written
// here by hand; a retest, two benches, a row cut short, and the filters.
TEST(ResultsWindowUnits, YieldPerLotAndPlanFilteredByBenchOperatorAndDate) {
    QTemporaryDir a, b;
    const QByteArray header =
        "unit test id,unit,lot,operator,plan,plan version,plan SHA-256,transformer,bench,started,"
        "ended,verdict,attempt,stopped at,step verdicts,reasons,simulated true verdict,report\r\n";
    const auto row = [](const char* id, const char* unit, const char* op, const char* bench, const char* day,
                        const char* verdict, const char* steps) {
        return QByteArray(id) + "," + unit + ",12," + op + ",outgoing,1,sha,SPLIT-FLUX TRANSFORMER #1," + bench + "," +
               day + "T10:00:00Z," + day + "T10:01:00Z," + verdict + ",1,,\"" + steps + "\",,,r.pdf\r\n";
    };
    QFile fa(a.filePath(QStringLiteral("unit-tests.csv"))), fb(b.filePath(QStringLiteral("unit-tests.csv")));
    ASSERT_TRUE(fa.open(QIODevice::WriteOnly) && fb.open(QIODevice::WriteOnly));
    fa.write(header + row("t1", "SN-1", "ann", "bench 1", "2026-12-01", "PASS", "1 a: PASS; 2 b: PASS") +
             row("t2", "SN-2", "ann", "bench 1", "2026-12-01", "FAIL", "1 a: PASS; 2 b: FAIL") +
             row("t4", "SN-3", "bob", "bench 1", "2026-12-03", "CONDITIONAL PASS", "1 a: PASS; 2 b: CONDITIONAL PASS") +
             "t9,SN-9,12,ann,outg");
    // SN-2 retested on the other bench, later: it passes.
    fb.write(header + row("t3", "SN-2", "bob", "bench 2", "2026-12-02", "PASS", "1 a: PASS; 2 b: PASS") +
             row("t5", "SN-4", "bob", "bench 2", "2026-12-02", "CONDITIONAL FAIL", "1 a: CONDITIONAL FAIL; 2 b: FAIL"));
    fa.close();
    fb.close();
    ResultsWindow window({a.path(), b.path()});
    const QStringList all = window.units().lines();
    ASSERT_EQ(all.size(), 2) << all.join(QLatin1Char('\n')).toStdString();
    // lot, plan, units, tests, first-pass %, final %, retests, cond. pass, cond. fail, no verdict, fail, by step
    EXPECT_EQ(all[1], QStringLiteral("12\toutgoing, version 1\t4\t5\t25.0\t50.0\t1\t1\t1\t0\t0\t1 a: 1; 2 b: 2"));

    auto* bench = window.findChild<QComboBox*>(QStringLiteral("unitsBench"));
    bench->setCurrentText(QStringLiteral("bench 1"));
    EXPECT_EQ(window.units().lines().value(1),
              QStringLiteral("12\toutgoing, version 1\t3\t3\t33.3\t33.3\t0\t1\t0\t0\t1\t2 b: 1"));
    bench->setCurrentIndex(0);
    auto* to = window.findChild<QLineEdit*>(QStringLiteral("unitsTo"));
    to->setText(QStringLiteral("2026-12-01"));
    emit to->editingFinished();
    EXPECT_EQ(window.units().lines().value(1),
              QStringLiteral("12\toutgoing, version 1\t2\t2\t50.0\t50.0\t0\t0\t0\t0\t1\t2 b: 1"));
    to->clear();
    emit to->editingFinished();
    window.findChild<QComboBox*>(QStringLiteral("unitsOperator"))->setCurrentText(QStringLiteral("bob"));
    EXPECT_EQ(window.units().lines().value(1),
              QStringLiteral("12\toutgoing, version 1\t3\t3\t33.3\t33.3\t0\t1\t1\t0\t0\t1 a: 1; 2 b: 1"));
}
