#pragma once

#include "Aggregation.h"

#include <QChartView>
#include <QPointF>
#include <QRubberBand>
#include <functional>
#include <set>
#include <vector>

class QChart;

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
    void show(const std::vector<PlotSeries>& series, XValue x, double tolerance,
              const std::set<int>& selectedRows, bool keepEfficiencyRange, bool keepDifferenceRange);

    // A point picked: the passes it stands for.
    std::function<void(const std::vector<int>& rows)> picked;
    // The efficiency plot's legend: each series' two estimates.
    QStringList legend() const;

private:
    QChart* efficiency_;
    QChart* difference_;
    std::vector<PlotSeries> series_;
    QStringList legend_;
};
