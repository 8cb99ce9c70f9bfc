#pragma once

#include "Aggregation.h"
#include "LimitSet.h"

#include <QChartView>
#include <QColor>
#include <QPointF>
#include <QRubberBand>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

class QAbstractAxis;
class QAbstractSeries;
class QChart;
class QScatterSeries;

// A chart with its two axes, for drawing series onto.
struct PlotAxes {
    QChart* chart;
    QAbstractAxis* x;
    QAbstractAxis* y;
    // Adds a series to the chart on both axes.
    void attach(QAbstractSeries* series) const;
};

// A chart view the operator zooms with a dragged rectangle or the wheel and
// pans with the right or middle button held; Reset shows everything again.
class ZoomChartView final : public QChartView {
  public:
    explicit ZoomChartView(QChart* chart, QWidget* parent = nullptr);
    bool zoomed() const { return zoomed_; }
    void resetZoom();

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QRubberBand* band_;
    QPoint origin_;
    bool dragging_ = false;
    bool panning_ = false;
    bool zoomed_ = false;
    QPointF last_;
};

// The two plots: efficiency against a set-up value, both estimates side by
// side (the phase-angle one as filled circles, the load-resistor one as
// hollow squares, a bar from the lowest to the highest pass); and the
// difference of the two with a band of +/- the tolerance, points outside it
// drawn in red.
class EfficiencyPlots {
  public:
    EfficiencyPlots();
    QChart* efficiency() const { return efficiency_; }
    QChart* difference() const { return difference_; }

    // Draws the series anew; the axes keep a zoom the operator made.
    void show(const std::vector<PlotSeries>& series, XValue x, double tolerance, const std::set<int>& selectedRows,
              bool keepEfficiencyRange, bool keepDifferenceRange);

    // A point picked: the passes it stands for.
    std::function<void(const std::vector<int>& rows)> picked;
    // The efficiency plot's legend: each series' two estimates.
    QStringList legend() const;
    // The limits on the two estimates drawn as lines; a limit set's others
    // are passed over (none: no lines).
    // The limit sets the passes shown were judged against: each one's limits
    // on the estimates drawn as lines of its own, named in the legend.
    void setLimits(std::vector<LimitSet> sets) { limits_ = std::move(sets); }

  private:
    using PointList = std::vector<const SetUpPoint*>;
    // One drawing of both plots: their axes, what is drawn with what, and the
    // series every set-up series adds to.
    struct Drawing {
        PlotAxes efficiency{}, difference{};
        XValue x = XValue::Supply;
        double tolerance = 0;
        const std::set<int>* selectedRows = nullptr;
        double delta = 0; // the two estimates drawn this far either side of their x
        QScatterSeries* selected = nullptr;
        QScatterSeries* selectedDifference = nullptr;
        QScatterSeries* outside = nullptr;
        // Rings about the set-ups whose passes have verdicts, by the worst.
        std::array<QScatterSeries*, 5> verdicts{};
        QList<QPointF> outsideXY;
        std::shared_ptr<PointList> outsidePoints = std::make_shared<PointList>();
    };
    void drawSeries(Drawing& d, const PlotSeries& s, const QColor& colour);
    void connectPoints(QScatterSeries* scatter, std::shared_ptr<PointList> points, const QString& name, XValue x,
                       bool differencePlot);

    QChart* efficiency_;
    QChart* difference_;
    std::vector<PlotSeries> series_;
    QStringList legend_;
    std::vector<LimitSet> limits_;
    void drawLimits(const PlotAxes& axes);
    void drawLimitSet(const PlotAxes& axes, const LimitSet& set, const QColor& colour, Qt::PenStyle dash);
    // Each series' colour, given when it is first drawn and kept: the same
    // series has the same colour in every view and export.
    // The series that lead with the same value share a hue, each a shade of
    // it: each group's hue and how many shades it has given.
    std::map<QString, QColor> colours_;
    std::map<QString, std::pair<QColor, int>> groups_;
    QColor colourFor(const PlotSeries& series);
};
