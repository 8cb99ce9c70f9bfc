#pragma once

#include "EfficiencyPlots.h"

#include <QColor>
#include <QString>
#include <utility>

class QAbstractAxis;
class QAbstractSeries;
class QAreaSeries;
class QChart;
class QValueAxis;

// The pieces the results window's plots are drawn with: axes, ticks, bars,
// the band of agreement, the ranges a zoom keeps, a point's tool-tip.
namespace PlotPieces {

// Ticks at round numbers (1, 2 or 5 times a power of ten, about five of them)
// whatever the range, also after a zoom or a pan.
void roundTicks(QValueAxis* axis);

struct Range {
    double low = 0, high = 0;
    bool any = false;
    void add(double v) {
        low = any ? std::min(low, v) : v;
        high = any ? std::max(high, v) : v;
        any = true;
    }
    // Some room around the values, never an empty range, and never below
    // zero for values that are not.
    std::pair<double, double> padded(double least) const {
        const double span = std::max(high - low, least);
        const double middle = (low + high) / 2;
        const double from = middle - span * 0.55;
        return {low >= 0 && from < 0 ? 0.0 : from, middle + span * 0.55};
    }
};

void hideFromLegend(QChart* chart, QAbstractSeries* series);
// A vertical bar from the lowest to the highest value of a point's passes.
void addBar(QChart* chart, double x, const Spread& s, const QColor& colour, QAbstractAxis* ax, QAbstractAxis* ay);
// A dashed bar of +/- the passes' mean U95 about a point: what the bench's
// declared accuracy allows, beside the solid bar of what the passes did.
void addUncertaintyBar(QChart* chart, double x, double mean, const Spread& u, const QColor& colour, QAbstractAxis* ax,
                       QAbstractAxis* ay);
QString xText(double x, XValue kind);
QString spreadText(const char* what, const Spread& s, const char* unit, const Spread& u = {});

// An axis range the operator zoomed to, kept across a redraw.
struct KeptRange {
    bool keep = false;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};
KeptRange keptRange(QChart* chart, bool keep);
// A chart emptied and given new axes: the set-up value below, `yTitle` left.
PlotAxes freshAxes(QChart* chart, XValue x, const QString& yTitle);
// The band's two lines from one end of the X axis to the other, and again
// whenever the axis moves (a zoom, a pan): never beyond the plot area, in the
// window or in an exported drawing.
void fitBandToAxis(QAreaSeries* band, QAbstractAxis* axis, double tolerance);
// A point's tool-tip: its series, its set-up value, its figures and passes.
QString pointText(const SetUpPoint& p, const QString& name, XValue x, bool differencePlot);
void setXRange(QAbstractAxis* axis, XValue x, double low, double high);
// A chart's ranges: every point with room around it, or the operator's zoom;
// round ticks where the operator has not zoomed.
void setRanges(const PlotAxes& axes, XValue x, std::pair<double, double> xr, std::pair<double, double> yr,
               const KeptRange& kept);

} // namespace PlotPieces
