#pragma once

#include "EfficiencyPlots.h"
#include "ResultsController.h"
#include "SummaryModel.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
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
// It reads the folders and never writes to them. What it shows is its
// controller's; the window lays it out and hands over the operator's choices.
class UnitsTab;
class ResultsWindow final : public QWidget {
  public:
    explicit ResultsWindow(QStringList folders, QWidget* parent = nullptr);

    // Narrower than this its plots' titles, legends and ticks are cut.
    static constexpr int ReadableWidth = 900;

    // Reads what the files have that the window has not shown yet (all of
    // it at the start); then shows it.
    void readNew() { controller_.readNew(); }
    // True while there is more to read now.
    bool reading() const { return controller_.reading(); }

    // The parts tests and the export buttons use.
    ResultsController& controller() { return controller_; }
    ResultsModel& model() { return controller_.model(); }
    ResultsFilter& filter() { return controller_.filter(); }
    EfficiencyPlots& plots() { return plots_; }
    QTableView* table() const { return table_; }
    const RecordFolders& folders() const { return controller_.folders(); }
    // Characterisations...: the characterisations kept in these folders.
    std::function<void(const QStringList& folders)> characterisationsWanted;
    QString statusText() const { return controller_.statusText(); }
    const std::vector<PlotSeries>& shownSeries() const { return controller_.series(); }
    void setXValue(XValue x);
    void setSeriesBy(SeriesBy by);
    // The limit set whose limits on the estimates the plots draw.
    void setLimits(std::optional<LimitSet> limits);
    void setTolerance(double points);
    std::optional<QString> exportPlots(const QString& path, QSize size);
    std::optional<QString> exportTable(const QString& path);
    // The set-ups as the summary shows them, as CSV.
    std::optional<QString> exportSummary(const QString& path);
    const SummaryModel& summary() const { return summary_; }
    // The Units tab: the yield of the folders' unit tests.
    const UnitsTab& units() const { return *units_; }
    // "Results of campaign-A, 2026-12-08 to 2026-12-09"
    QString exportTitle() const { return controller_.exportTitle(); }
    // The selected rows as tab-separated text under the table's titles, in
    // the table's order: what Ctrl+C puts on the clipboard.
    QString selectedRowsText() const;
    // Other record folders, or one more.
    void openFolders(const QStringList& folders);
    void addFolder(const QString& folder);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFilters();
    void buildActions();
    void layOut();
    void buildTable();
    QWidget* buildCharts();
    void connectParts();
    // Asks for a lab database (the one last given offered) and opens its window.
    void askLabDatabase();
    void applyFilters();
    void resetZoom();
    void drawPlots();
    void selectRows(const std::vector<int>& rows);
    void fillTransformers(const std::vector<ResultRow>& rows);
    void askExportPlots();
    void askExportTable();
    void askFolder(bool add);
    // Where a save dialog starts: the first record folder.
    QString startFolder() const;

    void askExportSummary();
    void readUnits();
    // A save dialog's answer, with the chosen filter's extension.
    QString askSavePath(const QString& title, const QString& filters);
    void askExport(const QString& title, const QString& filters,
                   const std::function<std::optional<QString>(const QString&)>& write);

    ResultsController controller_;
    EfficiencyPlots plots_;
    SummaryModel summary_;
    UnitsTab* units_;

    QComboBox* transformer_ = nullptr;
    QComboBox* ending_ = nullptr;
    QComboBox* verdict_ = nullptr;
    QCheckBox* dates_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QComboBox* xChoice_ = nullptr;
    QComboBox* seriesChoice_ = nullptr;
    QDoubleSpinBox* toleranceBox_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* disagreement_ = nullptr;
    QTableView* table_ = nullptr;
    ZoomChartView* efficiencyView_ = nullptr;
    ZoomChartView* differenceView_ = nullptr;
};
