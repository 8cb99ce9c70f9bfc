#pragma once

#include "Aggregation.h"
#include "LimitSet.h"
#include "RecordFolders.h"
#include "ResultsModel.h"

#include <QDate>
#include <QFileSystemWatcher>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// What the results window shows, apart from its widgets: the record folders
// followed as they grow, every pass read (the table's model and its filters),
// and the plots' series and disagreement count kept in step with both. The
// window draws what this holds and hands it the operator's choices.
class ResultsController {
  public:
    explicit ResultsController(QStringList folders, QObject* owner = nullptr);

    // Reads what the files have that has not been taken yet (a slice at a
    // time; all of it at the start), then tells. A file cut shorter than what
    // was read starts everything anew: table, plots and counts.
    void readNew();
    // True while there is more to read now.
    bool reading() const { return reading_.isActive(); }

    // Other record folders: everything read anew from them.
    void setFolders(QStringList folders);

    // The operator's choices.
    struct Filters {
        QString transformer; // empty: every one
        QString ending;      // empty: every one
        QDate from, to;      // invalid: no bound
        QString comment;     // text the comment contains
        QString verdict;     // empty: every one
    };
    void setFilters(const Filters& filters);
    void setXValue(XValue x);
    void setSeriesBy(SeriesBy by);
    void setTolerance(double points);

    ResultsModel& model() { return model_; }
    const ResultsModel& model() const { return model_; }
    ResultsFilter& filter() { return filter_; }
    const ResultsFilter& filter() const { return filter_; }
    const RecordFolders& folders() const { return folders_; }
    const std::vector<PlotSeries>& series() const { return series_; }
    XValue x() const { return x_; }
    SeriesBy seriesBy() const { return by_; }
    double tolerance() const { return tolerance_; }
    // The set-ups shown, and those whose mean estimates are more than the
    // tolerance apart (the red marks).
    const Disagreement& disagreement() const { return disagreement_; }
    // "12 passes, 10 shown", or "No record in ...", with what was not read.
    QString statusText() const;
    // "Results of campaign-A, 2026-12-08 to 2026-12-09"
    QString exportTitle() const;
    // "verdicts: 8 PASS, 1 CONDITIONAL FAIL" over the passes shown.
    QString verdictCounts() const;
    // The limit sets the passes shown were judged against, each as the record
    // folder keeps it (limits-<SHA-256>.json) or as given to the window; and
    // the SHA-256 of those shown whose set is known to neither.
    std::vector<LimitSet> limitSetsShown() const;
    QStringList unknownLimitSets() const;
    // A set the window was given (--limits, LIMITS): used where a folder does
    // not keep the set of that SHA-256.
    void setGivenLimits(std::optional<LimitSet> limits) { given_ = std::move(limits); }

    // Told when the series or the counts changed (draw the plots again), when
    // rows were added (with the new rows), and when the status changed.
    std::function<void()> plotsChanged;
    std::function<void(const std::vector<ResultRow>&)> rowsAdded;
    std::function<void()> statusChanged;

  private:
    void countAll();
    void reserveFor(std::size_t newRows);
    void countFrom(int firstNew);
    void follow();
    void tell(const std::function<void()>& what) const {
        if (what) {
            what();
        }
    }

    RecordFolders folders_;
    ResultsModel model_;
    ResultsFilter filter_;
    Aggregator aggregator_;
    std::vector<PlotSeries> series_;
    Disagreement disagreement_;
    int counted_ = 0; // the rows counted into the plots
    XValue x_ = XValue::Supply;
    SeriesBy by_ = SeriesBy::TransformerAndCapacitor;
    double tolerance_ = FromUncertainty; // each set-up judged by its own U95
    // The passes shown by their limit set's SHA-256; the sets read so far.
    std::vector<ResultRow> slice_;
    std::map<QString, int> limitSetsShown_;
    std::map<QString, int> verdictsShown_; // the passes shown by their verdict
    mutable std::map<QString, std::optional<LimitSet>> limitSetsRead_;
    std::optional<LimitSet> given_;
    std::optional<LimitSet> limitSetOf(const QString& sha) const;
    QFileSystemWatcher watcher_;
    QTimer poll_;
    QTimer reading_;
};

// Names of folders as one text: "campaign-A, campaign-B".
QString foldersText(const QStringList& folders);
