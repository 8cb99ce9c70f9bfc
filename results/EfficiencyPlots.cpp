#include "EfficiencyPlots.h"

#include "VerdictLook.h"

#include "PlotPieces.h"
#include "RecordLayout.h"

#include <QAreaSeries>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

// --- the plots --------------------------------------------------------------------

using namespace PlotPieces;

namespace {

const QColor Palette[]{QColor(31, 119, 180), QColor(255, 127, 14),  QColor(44, 160, 44),  QColor(148, 103, 189),
                       QColor(140, 86, 75),  QColor(227, 119, 194), QColor(23, 190, 207), QColor(188, 189, 34)};
const QColor Outside(214, 39, 40);
// A verdict's ring, from PASS to FAIL.
// The verdicts in the one palette the main window and the report use.
QColor verdictColour(std::size_t rank) {
    const Colour c = lookOf(static_cast<Verdict>(rank)).back;
    return QColor(c.red(), c.green(), c.blue());
}
const char* const VerdictNames[]{"PASS", "CONDITIONAL PASS", "NO VERDICT", "CONDITIONAL FAIL", "FAIL"};

} // namespace

EfficiencyPlots::EfficiencyPlots() : efficiency_(new QChart), difference_(new QChart) {
    for (QChart* chart : {efficiency_, difference_}) {
        chart->legend()->setAlignment(Qt::AlignRight);
        QFont small = chart->legend()->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        chart->legend()->setFont(small);
        chart->setMargins(QMargins(4, 4, 4, 4));
    }
    efficiency_->setTitle(
        QStringLiteral("Efficiency: phase angle (filled circles) and load resistor (hollow squares)"));
    difference_->setTitle(QStringLiteral("Phase angle minus load resistor efficiency"));
}

QStringList EfficiencyPlots::legend() const {
    return legend_;
}

namespace {

// Where the points lie: the set-up values, the estimates with their bars,
// and the differences with the band of agreement.
struct Extent {
    Range xs, ys, ds;
};

Extent extentOf(const std::vector<PlotSeries>& series, double tolerance) {
    Extent e;
    for (const PlotSeries& s : series) {
        for (const SetUpPoint& p : s.points) {
            e.xs.add(p.x);
            for (const auto& [estimate, u] : {std::pair{&p.phase, &p.phaseU}, std::pair{&p.resistor, &p.resistorU}}) {
                if (estimate->count > 0) {
                    e.ys.add(std::min(estimate->low, estimate->mean - u->mean));
                    e.ys.add(std::max(estimate->high, estimate->mean + u->mean));
                }
            }
            if (p.difference.count > 0) {
                e.ds.add(std::min(p.difference.low, p.difference.mean - p.differenceU.mean));
                e.ds.add(std::max(p.difference.high, p.difference.mean + p.differenceU.mean));
            }
        }
    }
    e.ds.add(-tolerance);
    e.ds.add(tolerance);
    return e;
}

QScatterSeries* scatter(const QString& name, QScatterSeries::MarkerShape shape, qreal size, const QColor& fill,
                        const QColor& border) {
    auto* s = new QScatterSeries;
    s->setName(name);
    s->setMarkerShape(shape);
    s->setMarkerSize(size);
    s->setColor(fill);
    s->setBorderColor(border);
    return s;
}

// The band of +/- the tolerance, under everything else on the difference plot.
QAreaSeries* addAgreementBand(const PlotAxes& d, const Range& xs, double tolerance, const QString& name) {
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    upper->append(xs.low, tolerance);
    upper->append(xs.high, tolerance);
    lower->append(xs.low, -tolerance);
    lower->append(xs.high, -tolerance);
    auto* band = new QAreaSeries(upper, lower);
    upper->setParent(band); // the area does not own its lines
    lower->setParent(band);
    band->setName(name);
    band->setColor(QColor(200, 230, 200));
    band->setBorderColor(QColor(120, 180, 120));
    d.attach(band);
    return band;
}

} // namespace

// Each limit on an estimate a dashed red line across the plot, kept across
// it when the axis moves (a band of no height does that).
void EfficiencyPlots::drawLimits(const PlotAxes& axes) {
    // A set's lines in a colour and dash of their own, so that two sets shown
    // together are told apart.
    static const QColor SetColours[]{Outside, QColor(31, 80, 180), QColor(120, 60, 160), QColor(20, 120, 90)};
    static const Qt::PenStyle SetDashes[]{Qt::DashDotLine, Qt::DashLine, Qt::DashDotDotLine, Qt::DotLine};
    for (std::size_t n = 0; n < limits_.size(); ++n) {
        drawLimitSet(axes, limits_[n], SetColours[n % 4], SetDashes[n % 4]);
    }
}

void EfficiencyPlots::drawLimitSet(const PlotAxes& axes, const LimitSet& set, const QColor& colour, Qt::PenStyle dash) {
    for (const LimitSet::Limit& limit : set.limits) {
        if (limit.column != RecordColumn::PhaseEfficiency.title() &&
            limit.column != RecordColumn::ResistorEfficiency.title()) {
            continue;
        }
        const QString which = limit.column == RecordColumn::PhaseEfficiency.title() ? QStringLiteral("phase angle")
                                                                                    : QStringLiteral("load resistor");
        for (const auto& [bound, word] :
             {std::pair{limit.bounds.lower, "lower"}, std::pair{limit.bounds.upper, "upper"}}) {
            if (!bound) {
                continue;
            }
            auto* line = new QLineSeries;
            const QString name = QStringLiteral("%1 %2 limit %3")
                                     .arg(which, QString::fromLatin1(word), QLocale::c().toString(*bound, 'g', 6));
            line->setName(set.title().empty() ? name
                                              : QString::fromStdString(set.title()) + QStringLiteral(": ") + name);
            QPen pen(colour, 1.5, dash);
            line->setPen(pen);
            const double y = *bound;
            const auto fit = [line, y](double x0, double x1) { line->replace(QList<QPointF>{{x0, y}, {x1, y}}); };
            axes.attach(line);
            if (auto* values = qobject_cast<QValueAxis*>(axes.x)) {
                fit(values->min(), values->max());
                QObject::connect(values, &QValueAxis::rangeChanged, line, fit);
            } else if (auto* time = qobject_cast<QDateTimeAxis*>(axes.x)) {
                const auto fitTime = [fit](const QDateTime& from, const QDateTime& to) {
                    fit(static_cast<double>(from.toMSecsSinceEpoch()), static_cast<double>(to.toMSecsSinceEpoch()));
                };
                fitTime(time->min(), time->max());
                QObject::connect(time, &QDateTimeAxis::rangeChanged, line, fitTime);
            }
        }
    }
}

QColor EfficiencyPlots::colourFor(const PlotSeries& series) {
    const QString name = series.name();
    const auto known = colours_.find(name);
    if (known != colours_.end()) {
        return known->second;
    }
    auto group = groups_.find(series.group());
    if (group == groups_.end()) {
        group = groups_.emplace(series.group(), std::pair{Palette[groups_.size() % std::size(Palette)], 0}).first;
    }
    // The group's first series has its hue, the next ones darker and lighter
    // shades of it in turn.
    auto& [hue, shades] = group->second;
    static constexpr int Shades[] = {100, 145, 65, 175, 80, 125};
    const int shade = Shades[shades++ % std::size(Shades)];
    const QColor colour = shade == 100 ? hue : shade > 100 ? hue.darker(shade) : hue.lighter(200 - shade);
    colours_.emplace(name, colour);
    return colour;
}

void PlotAxes::attach(QAbstractSeries* series) const {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

void EfficiencyPlots::show(const std::vector<PlotSeries>& series, XValue x, double tolerance,
                           const std::set<int>& selectedRows, bool keepEfficiencyRange, bool keepDifferenceRange) {
    series_ = series;
    legend_.clear();
    const KeptRange keptE = keptRange(efficiency_, keepEfficiencyRange);
    const KeptRange keptD = keptRange(difference_, keepDifferenceRange);
    // The band: the tolerance, or from the uncertainty the set-ups' median U.
    const bool fromU = tolerance == FromUncertainty;
    const double half = fromU ? disagreements(series_, tolerance).medianU : tolerance;
    const QString halfText = QLocale::c().toString(half, 'g', 3);
    const Extent extent = extentOf(series_, half);
    Drawing d;
    d.efficiency = freshAxes(efficiency_, x, QStringLiteral("Efficiency (%)"));
    d.difference = freshAxes(difference_, x, QStringLiteral("Difference (percentage points)"));
    d.x = x;
    d.tolerance = tolerance;
    d.selectedRows = &selectedRows;
    d.delta = x == XValue::Time || !extent.xs.any ? 0 : std::max(extent.xs.high - extent.xs.low, 1.0) * 0.015;
    d.selected = scatter(QStringLiteral("selected"), QScatterSeries::MarkerShapeCircle, 17, Qt::transparent, Qt::black);
    for (std::size_t v = 0; v < d.verdicts.size(); ++v) {
        d.verdicts[v] = scatter(QString::fromLatin1(VerdictNames[v]), QScatterSeries::MarkerShapeCircle, 24,
                                Qt::transparent, verdictColour(v));
        d.verdicts[v]->setPen(QPen(verdictColour(v), 2.5));
    }
    d.selectedDifference = scatter({}, QScatterSeries::MarkerShapeCircle, 17, Qt::transparent, Qt::black);
    d.outside = scatter(fromU ? QStringLiteral("outside their U95")
                              : QStringLiteral("outside +/-%1 points").arg(QLocale::c().toString(tolerance, 'g', 6)),
                        QScatterSeries::MarkerShapeTriangle, 13, Outside, Outside);
    const QString bandName = fromU ? QStringLiteral("+/-U95 (median %1 points)").arg(halfText)
                                   : QStringLiteral("+/-%1 points").arg(QLocale::c().toString(tolerance, 'g', 6));
    QAreaSeries* band = extent.xs.any && half > 0 ? addAgreementBand(d.difference, extent.xs, half, bandName) : nullptr;
    for (std::size_t i = 0; i < series_.size(); ++i) {
        drawSeries(d, series_[i], colourFor(series_[i]));
    }
    d.outside->replace(d.outsideXY);
    d.difference.attach(d.outside);
    connectPoints(d.outside, d.outsidePoints, d.outside->name(), x, true);
    for (std::size_t v = 0; v < d.verdicts.size(); ++v) {
        if (d.verdicts[v]->count() > 0) {
            d.efficiency.attach(d.verdicts[v]);
            for (QLegendMarker* marker : efficiency_->legend()->markers(d.verdicts[v])) {
                marker->setBrush(verdictColour(v)); // the legend tells the rings' colours
            }
        } else {
            delete d.verdicts[v];
        }
    }
    d.efficiency.attach(d.selected);
    d.difference.attach(d.selectedDifference);
    hideFromLegend(efficiency_, d.selected);
    hideFromLegend(difference_, d.selectedDifference);

    const auto xr = extent.xs.any ? extent.xs.padded(x == XValue::Time ? 60000.0 : 1.0) : std::pair{0.0, 1.0};
    setRanges(d.efficiency, x, xr, extent.ys.any ? extent.ys.padded(1.0) : std::pair{0.0, 100.0}, keptE);
    setRanges(d.difference, x, xr, extent.ds.padded(1.0), keptD);
    if (band != nullptr) {
        fitBandToAxis(band, d.difference.x, half);
    }
    drawLimits(d.efficiency);
}

// One series: its two estimates with their bars on the efficiency plot, its
// differences on the other (red triangles outside the band), and the marks of
// the selected passes.
void EfficiencyPlots::drawSeries(Drawing& d, const PlotSeries& s, const QColor& colour) {
    auto* phase =
        scatter(s.name() + QStringLiteral(" phase angle"), QScatterSeries::MarkerShapeCircle, 10, colour, colour);
    auto* resistor = scatter(s.name() + QStringLiteral(" load resistor"), QScatterSeries::MarkerShapeRectangle, 10,
                             Qt::white, colour);
    resistor->setPen(QPen(colour, 2));
    auto* diff = scatter(s.name(), QScatterSeries::MarkerShapeCircle, 9, colour, colour);
    auto phasePoints = std::make_shared<PointList>();
    auto resistorPoints = std::make_shared<PointList>();
    auto diffPoints = std::make_shared<PointList>();
    QList<QPointF> phaseXY, resistorXY, diffXY;
    for (const SetUpPoint& p : s.points) {
        const bool marked =
            std::any_of(p.rows.begin(), p.rows.end(), [&d](int r) { return d.selectedRows->count(r) > 0; });
        for (auto [spread, xy, points, at] :
             {std::tuple{&p.phase, &phaseXY, phasePoints.get(), p.x - d.delta},
              std::tuple{&p.resistor, &resistorXY, resistorPoints.get(), p.x + d.delta}}) {
            if (spread->count == 0) {
                continue;
            }
            xy->append({at, spread->mean});
            points->push_back(&p);
            addBar(efficiency_, at, *spread, colour, d.efficiency.x, d.efficiency.y);
            addUncertaintyBar(efficiency_, at, spread->mean, spread == &p.phase ? p.phaseU : p.resistorU, colour,
                              d.efficiency.x, d.efficiency.y);
            if (marked) {
                d.selected->append(at, spread->mean);
            }
        }
        if (p.worstVerdict >= 0) {
            const Spread& at = p.phase.count > 0 ? p.phase : p.resistor;
            d.verdicts[static_cast<std::size_t>(p.worstVerdict)]->append(p.x, at.mean);
        }
        if (p.difference.count > 0) {
            addBar(difference_, p.x, p.difference, colour, d.difference.x, d.difference.y);
            addUncertaintyBar(difference_, p.x, p.difference.mean, p.differenceU, colour, d.difference.x,
                              d.difference.y);
            const bool out = disagrees(p, d.tolerance);
            (out ? d.outsideXY : diffXY).append({p.x, p.difference.mean});
            (out ? *d.outsidePoints : *diffPoints).push_back(&p);
            if (marked) {
                d.selectedDifference->append(p.x, p.difference.mean);
            }
        }
    }
    phase->replace(phaseXY);
    resistor->replace(resistorXY);
    diff->replace(diffXY);
    // The hollow squares first, so that a filled circle at the same place
    // (over time the two estimates share their x) shows inside its square.
    d.efficiency.attach(resistor);
    d.efficiency.attach(phase);
    // One legend entry a series, its name in its colour: the title tells the
    // circles from the squares, and twice the entries would not fit a laptop.
    hideFromLegend(efficiency_, resistor);
    for (QLegendMarker* marker : efficiency_->legend()->markers(phase)) {
        marker->setLabel(s.name());
    }
    legend_ << s.name();
    d.difference.attach(diff);
    hideFromLegend(difference_, diff); // the efficiency plot's legend names it
    connectPoints(phase, phasePoints, phase->name(), d.x, false);
    connectPoints(resistor, resistorPoints, resistor->name(), d.x, false);
    connectPoints(diff, diffPoints, diff->name(), d.x, true);
}

// Each drawn point's passes and its tool-tip, by the series and its index.
void EfficiencyPlots::connectPoints(QScatterSeries* scatter, std::shared_ptr<PointList> points, const QString& name,
                                    XValue x, bool differencePlot) {
    QObject::connect(scatter, &QScatterSeries::hovered, scatter,
                     [scatter, points, name, x, differencePlot](const QPointF& at, bool state) {
                         if (!state) {
                             QToolTip::hideText();
                             return;
                         }
                         const auto all = scatter->points();
                         const auto i = std::find(all.begin(), all.end(), at) - all.begin();
                         if (i < static_cast<qsizetype>(points->size())) {
                             const SetUpPoint& p = *(*points)[static_cast<std::size_t>(i)];
                             QToolTip::showText(QCursor::pos(), pointText(p, name, x, differencePlot));
                         }
                     });
    QObject::connect(scatter, &QScatterSeries::clicked, scatter, [this, scatter, points](const QPointF& at) {
        const auto all = scatter->points();
        const auto i = std::find(all.begin(), all.end(), at) - all.begin();
        if (i < static_cast<qsizetype>(points->size()) && picked) {
            picked((*points)[static_cast<std::size_t>(i)]->rows);
        }
    });
}
