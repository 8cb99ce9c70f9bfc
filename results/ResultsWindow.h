#pragma once

#include "Aggregation.h"
#include "EfficiencyPlots.h"
#include "RecordFolders.h"
#include "ResultsModel.h"

#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <set>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTableView;

// A whole campaign at a glance: every pass of one or more record folders in a
// table, newest first, and plotted; it follows the files while passes land.
// It reads the folders and never writes to them.
class ResultsWindow final : public QWidget {
public:
    explicit ResultsWindow(QStringList folders, QWidget* parent = nullptr);

    // Reads what the files have that the window has not shown yet (all of
    // it at the start); then shows it.
    void readNew();
    // True while there is more to read now.
    bool reading() const { return reading_.isActive(); }

    // The parts tests and the export buttons use.
    ResultsModel& model() { return model_; }
    ResultsFilter& filter() { return filter_; }
    EfficiencyPlots& plots() { return plots_; }
    QTableView* table() const { return table_; }
    const RecordFolders& folders() const { return folders_; }
    QString statusText() const;
    const std::vector<PlotSeries>& shownSeries() const { return series_; }
    void setXValue(XValue x);
    void setTolerance(double points);
    std::optional<QString> exportPlots(const QString& path, QSize size);
    std::optional<QString> exportTable(const QString& path);
    // "Results of campaign-A, 2026-12-08 to 2026-12-09"
    QString exportTitle() const;

private:
    void buildFilters();
    void buildActions();
    void applyFilters();
    // The plots counted anew from every pass the filters let through, or
    // with the passes from `firstNew` on added; then drawn.
    void showPlots();
    void addToPlots(int firstNew);
    void drawPlots();
    void selectRows(const std::vector<int>& rows);
    void fillTransformers(const std::vector<ResultRow>& rows);
    void watchFiles();
    void askExportPlots();
    void askExportTable();

    RecordFolders folders_;
    ResultsModel model_;
    ResultsFilter filter_;
    EfficiencyPlots plots_;
    std::vector<PlotSeries> series_;
    Aggregator aggregator_;
    int disagreeing_ = 0;
    int shown_ = 0; // the passes counted into the plots
    XValue x_ = XValue::Supply;
    double tolerance_ = 2.0;

    QComboBox* transformer_ = nullptr;
    QComboBox* ending_ = nullptr;
    QCheckBox* dates_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QComboBox* xChoice_ = nullptr;
    QDoubleSpinBox* toleranceBox_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* disagreement_ = nullptr;
    QTableView* table_ = nullptr;
    ZoomChartView* efficiencyView_ = nullptr;
    ZoomChartView* differenceView_ = nullptr;
    QFileSystemWatcher watcher_;
    QTimer poll_;
    QTimer reading_;
};
