#include "CharacterisationPlots.h"

#include "CharacterisationTexts.h"
#include "EfficiencyPlots.h"
#include "ResultsExport.h"

#include <QAreaSeries>
#include <QChart>
#include <QGridLayout>
#include <QHeaderView>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// One colour a supply, in the order of the supplies.
QColor supplyColour(std::size_t n) {
    static const std::array<QColor, 6> colours{QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                               QColor(0x2c, 0xa0, 0x2c), QColor(0x94, 0x67, 0xbd),
                                               QColor(0xff, 0x7f, 0x0e), QColor(0x8c, 0x56, 0x4b)};
    return colours[n % colours.size()];
}

// A chart's two axes, made once; each drawing empties the chart and keeps them.
PlotAxes axesOf(QChart* chart, const QString& x, const QString& y) {
    auto* ax = new QValueAxis;
    ax->setTitleText(x);
    auto* ay = new QValueAxis;
    ay->setTitleText(y);
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    return PlotAxes{chart, ax, ay};
}

const PlotAxes& emptied(const PlotAxes& a) {
    a.chart->removeAllSeries();
    return a;
}

// Each axis from its series' points with a margin.
void fitAxes(const PlotAxes& a) {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (QAbstractSeries* series : a.chart->series()) {
        std::vector<QXYSeries*> lines;
        if (auto* area = qobject_cast<QAreaSeries*>(series)) {
            lines = {area->upperSeries(), area->lowerSeries()};
        } else if (auto* xy = qobject_cast<QXYSeries*>(series)) {
            lines = {xy};
        }
        for (QXYSeries* line : lines) {
            for (const QPointF& p : line != nullptr ? line->points() : QList<QPointF>{}) {
                if (std::isfinite(p.x()) && std::isfinite(p.y())) {
                    x0 = std::min(x0, p.x()), x1 = std::max(x1, p.x());
                    y0 = std::min(y0, p.y()), y1 = std::max(y1, p.y());
                }
            }
        }
    }
    if (!std::isfinite(x0)) {
        return;
    }
    // A margin of the span, or of the value itself where every point is at
    // one value (the first point alone).
    const auto pad = [](double low, double high, double share) {
        return high > low ? (high - low) * share : std::max(std::fabs(high) * 0.1, 1e-3);
    };
    const double dx = pad(x0, x1, 0.05), dy = pad(y0, y1, 0.08);
    // What cannot be negative (a current, a power, a loss) is not drawn so.
    const auto from = [](double low, double margin) { return low >= 0 ? std::max(0.0, low - margin) : low - margin; };
    for (auto [axis, low, high] : {std::tuple{a.x, from(x0, dx), x1 + dx}, std::tuple{a.y, from(y0, dy), y1 + dy}}) {
        auto* values = qobject_cast<QValueAxis*>(axis);
        values->setRange(low, high);
        values->applyNiceNumbers();
        values->setLabelFormat(QStringLiteral("%.3g"));
    }
}

QScatterSeries* scatter(const PlotAxes& a, const QString& name, const QColor& colour, double size = 8) {
    auto* s = new QScatterSeries;
    s->setName(name);
    s->setColor(colour);
    s->setBorderColor(colour.darker(130));
    s->setMarkerSize(size);
    a.attach(s);
    return s;
}

// Only the measured points are named in the legend (a colour a supply).
void unnamed(const PlotAxes& a, QAbstractSeries* s) {
    for (QLegendMarker* marker : a.chart->legend()->markers(s)) {
        marker->setVisible(false);
    }
}

QLineSeries* line(const PlotAxes& a, const QString& name, const QColor& colour, const QList<QPointF>& points) {
    auto* s = new QLineSeries;
    s->setName(name);
    s->setPen(QPen(colour, 2));
    s->append(points);
    a.attach(s);
    unnamed(a, s);
    return s;
}

// A band between two lines, in the colour's pale shade.
void band(const PlotAxes& a, const QString& name, const QColor& colour, const QList<QPointF>& upper,
          const QList<QPointF>& lower) {
    auto* up = new QLineSeries;
    auto* down = new QLineSeries;
    up->append(upper);
    down->append(lower);
    auto* area = new QAreaSeries(up, down);
    // The area does not own its lines; they go with it.
    up->setParent(area);
    down->setParent(area);
    area->setName(name);
    QColor fill = colour;
    fill.setAlpha(50);
    area->setBrush(fill);
    area->setPen(Qt::NoPen);
    a.attach(area);
    unnamed(a, area);
}

// The U95 of g' theta from the fit's covariance.
double bandU(const SupplyFit& s, const std::vector<double>& g, double k) {
    if (s.covariance.rows() < g.size()) {
        return 0;
    }
    double u2 = 0;
    for (std::size_t r = 0; r < g.size(); ++r) {
        for (std::size_t c = 0; c < g.size(); ++c) {
            u2 += g[r] * s.covariance(r, c) * g[c];
        }
    }
    return k * std::sqrt(std::max(0.0, u2));
}

double largestCurrent(const Characterisation& c, const SupplyFit& s) {
    double most = 0;
    for (const std::size_t n : s.points) {
        most = std::max(most, c.points[n].iOut);
    }
    return most;
}

} // namespace

CharacterisationPlots::CharacterisationPlots(QWidget* parent)
    : QWidget(parent), loss_(new QChart), residuals_(new QChart), efficiency_(new QChart), voltage_(new QChart),
      table_(new QTableWidget(this)) {
    auto* grid = new QGridLayout;
    int n = 0;
    for (QChart* chart : {loss_, efficiency_, residuals_, voltage_}) {
        chart->legend()->setAlignment(Qt::AlignBottom);
        chart->setMargins(QMargins(4, 4, 4, 4));
        auto* view = new ZoomChartView(chart, this);
        view->setMinimumSize(260, 170);
        views_.push_back(view);
        grid->addWidget(view, n / 2, n % 2);
        ++n;
    }
    lossAxes_ = axesOf(loss_, QStringLiteral("I2 squared (A squared)"), QStringLiteral("loss (W)"));
    residualAxes_ = axesOf(residuals_, QStringLiteral("I2 squared (A squared)"), QStringLiteral("residual (W)"));
    efficiencyAxes_ = axesOf(efficiency_, QStringLiteral("output power (W)"), QStringLiteral("efficiency (%)"));
    voltageAxes_ = axesOf(voltage_, QStringLiteral("output current I2 (A)"), QStringLiteral("output voltage V2 (V)"));
    loss_->setTitle(QStringLiteral("Loss Pin - Pout against I2 squared"));
    residuals_->setTitle(QStringLiteral("Loss residuals (measured - fitted)"));
    efficiency_->setTitle(QStringLiteral("Efficiency against the output power"));
    voltage_->setTitle(QStringLiteral("Output voltage against its current"));
    table_->setObjectName(QStringLiteral("CharacterisationTable"));
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid, 3);
    layout->addWidget(table_, 2);
}

void CharacterisationPlots::clear() {
    for (QChart* chart : {loss_, residuals_, efficiency_, voltage_}) {
        chart->removeAllSeries();
    }
    table_->clear();
    table_->setRowCount(0);
    table_->setColumnCount(0);
    lines_.clear();
}

void CharacterisationPlots::showPoints(const std::vector<CharacterisationPoint>& points) {
    Characterisation c;
    c.points = points;
    std::vector<double> supplies;
    for (const CharacterisationPoint& p : points) {
        if (std::find(supplies.begin(), supplies.end(), p.supplyVolts) == supplies.end()) {
            supplies.push_back(p.supplyVolts);
        }
    }
    for (const double v : supplies) {
        SupplyFit s;
        s.supplyVolts = v;
        for (std::size_t n = 0; n < points.size(); ++n) {
            if (points[n].supplyVolts == v) {
                s.points.push_back(n);
            }
        }
        c.supplies.push_back(s);
    }
    drawLoss(c);
    drawEfficiency(c);
    drawVoltage(c);
    residuals_->removeAllSeries();
}

void CharacterisationPlots::show(const Characterisation& c,
                                 const std::vector<std::pair<double, CircuitTruthAt>>& truths) {
    drawLoss(c);
    drawEfficiency(c);
    drawVoltage(c);
    fillTable(c, truths);
}

void CharacterisationPlots::drawLoss(const Characterisation& c) {
    const PlotAxes& a = emptied(lossAxes_);
    const PlotAxes& r = emptied(residualAxes_);
    for (std::size_t n = 0; n < c.supplies.size(); ++n) {
        const SupplyFit& s = c.supplies[n];
        const QColor colour = supplyColour(n);
        QScatterSeries* measured = scatter(a, volts(s.supplyVolts), colour);
        QScatterSeries* residual = scatter(r, volts(s.supplyVolts), colour);
        for (std::size_t k = 0; k < s.points.size(); ++k) {
            const CharacterisationPoint& p = c.points[s.points[k]];
            measured->append(p.iOut * p.iOut, p.loss());
            if (k < s.lossResiduals.size()) {
                residual->append(p.iOut * p.iOut, s.lossResiduals[k]);
            }
        }
        if (s.covariance.rows() == 0 && s.p0.value == 0) {
            continue; // no fit yet
        }
        QList<QPointF> fitted, upper, lower;
        const double most = largestCurrent(c, s) * 1.05;
        for (int step = 0; step <= 60; ++step) {
            const double i = most * step / 60;
            const double y = s.p0.value + s.a.value * i + s.rEq.value * i * i;
            const double u = bandU(s, {1, i, i * i}, c.coverage);
            fitted.append({i * i, y});
            upper.append({i * i, y + u});
            lower.append({i * i, y - u});
        }
        band(a, QStringLiteral("U95 ") + volts(s.supplyVolts), colour, upper, lower);
        line(a, QStringLiteral("fit ") + volts(s.supplyVolts), colour, fitted);
    }
    fitAxes(a);
    fitAxes(r);
}

void CharacterisationPlots::drawEfficiency(const Characterisation& c) {
    const PlotAxes& a = emptied(efficiencyAxes_);
    for (std::size_t n = 0; n < c.supplies.size(); ++n) {
        const SupplyFit& s = c.supplies[n];
        const QColor colour = supplyColour(n);
        QScatterSeries* measured = scatter(a, volts(s.supplyVolts), colour);
        for (const std::size_t k : s.points) {
            const CharacterisationPoint& p = c.points[k];
            if (p.pIn > 0 && p.pOut > 0 && p.load != "NO LOAD") { // no output, no efficiency to speak of
                measured->append(p.pOut, 100 * p.pOut / p.pIn);
            }
        }
        if (s.curve.empty()) {
            continue;
        }
        QList<QPointF> fitted, upper, lower;
        for (const SupplyFit::CurvePoint& p : s.curve) {
            fitted.append({p.pOut, p.efficiency});
            upper.append({p.pOut, p.efficiency + p.U});
            lower.append({p.pOut, p.efficiency - p.U});
        }
        band(a, QStringLiteral("U95 ") + volts(s.supplyVolts), colour, upper, lower);
        line(a, QStringLiteral("fit ") + volts(s.supplyVolts), colour, fitted);
        QScatterSeries* best = scatter(a, QStringLiteral("best ") + volts(s.supplyVolts), colour.darker(150), 14);
        best->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        unnamed(a, best);
        best->append(s.bestOutput.value, s.bestEfficiency.value);
    }
    fitAxes(a);
    // The band of a bench without a calibration is wide; the axis keeps to
    // what the points and the curve span, so that their shape shows.
    double low = INFINITY, high = -INFINITY;
    for (const SupplyFit& s : c.supplies) {
        for (const SupplyFit::CurvePoint& p : s.curve) {
            low = std::min(low, p.efficiency), high = std::max(high, p.efficiency);
        }
        for (const std::size_t k : s.points) {
            if (c.points[k].pIn > 0 && c.points[k].pOut > 0 && c.points[k].load != "NO LOAD") {
                const double e = 100 * c.points[k].pOut / c.points[k].pIn;
                low = std::min(low, e), high = std::max(high, e);
            }
        }
    }
    if (std::isfinite(low)) {
        a.y->setRange(std::max(0.0, low - 10), std::min(110.0, high + 5));
    }
}

void CharacterisationPlots::drawVoltage(const Characterisation& c) {
    const PlotAxes& a = emptied(voltageAxes_);
    for (std::size_t n = 0; n < c.supplies.size(); ++n) {
        const SupplyFit& s = c.supplies[n];
        const QColor colour = supplyColour(n);
        QScatterSeries* measured = scatter(a, volts(s.supplyVolts), colour);
        for (const std::size_t k : s.points) {
            measured->append(c.points[k].iOut, c.points[k].vOut);
        }
        if (s.covariance.rows() == 0 && s.v20.value == 0) {
            continue;
        }
        QList<QPointF> fitted, upper, lower;
        const double most = largestCurrent(c, s) * 1.05;
        for (int step = 0; step <= 40; ++step) {
            const double i = most * step / 40;
            const double v = s.v20.value - s.rOut.value * i - s.bend.value * i * i;
            const double u = bandU(s, {0, 0, 0, 1, -i, -i * i}, c.coverage);
            fitted.append({i, v});
            upper.append({i, v + u});
            lower.append({i, v - u});
        }
        band(a, QStringLiteral("U95 ") + volts(s.supplyVolts), colour, upper, lower);
        line(a, QStringLiteral("fit ") + volts(s.supplyVolts), colour, fitted);
    }
    fitAxes(a);
}

QStringList CharacterisationPlots::tableLines() const {
    return lines_;
}

std::optional<QString> CharacterisationPlots::exportTo(const QString& path, const QString& title) const {
    std::vector<QGraphicsView*> views(views_.begin(), views_.end());
    QStringList footer;
    for (const QString& l : lines_) {
        footer << QString(l).replace(QLatin1Char('\t'), QStringLiteral("   "));
    }
    const bool pdf = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    return ResultsExport::writeCharts(path, pdf ? QSize(842, 1191) : QSize(1600, 2000), title, views, 2, footer);
}
