#include "PlotPieces.h"

#include <QAreaSeries>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace PlotPieces {

// Ticks at round numbers (1, 2 or 5 times a power of ten, about five of them)
// whatever the range, also after a zoom or a pan.
void roundTicks(QValueAxis* axis) {
    const double span = axis->max() - axis->min();
    if (!(span > 0) || !std::isfinite(span)) {
        return;
    }
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    }
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(std::ceil(axis->min() / step) * step);
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

void hideFromLegend(QChart* chart, QAbstractSeries* series) {
    for (QLegendMarker* marker : chart->legend()->markers(series)) {
        marker->setVisible(false);
    }
}

// A vertical bar from the lowest to the highest value of a point's passes.
void addBar(QChart* chart, double x, const Spread& s, const QColor& colour, QAbstractAxis* ax, QAbstractAxis* ay) {
    if (s.count < 2 || s.high <= s.low) {
        return;
    }
    auto* bar = new QLineSeries;
    bar->append(x, s.low);
    bar->append(x, s.high);
    QPen pen(colour);
    pen.setWidthF(1.5);
    bar->setPen(pen);
    chart->addSeries(bar);
    bar->attachAxis(ax);
    bar->attachAxis(ay);
    hideFromLegend(chart, bar);
}

// A dashed bar of +/- the passes' mean U95 about a point: what the bench's
// declared accuracy allows, beside the solid bar of what the passes did.
void addUncertaintyBar(QChart* chart, double x, double mean, const Spread& u, const QColor& colour, QAbstractAxis* ax,
                       QAbstractAxis* ay) {
    if (u.count == 0 || !(u.mean > 0)) {
        return;
    }
    auto* bar = new QLineSeries;
    bar->append(x, mean - u.mean);
    bar->append(x, mean + u.mean);
    QPen pen(colour.lighter(130));
    pen.setWidthF(1.0);
    pen.setStyle(Qt::DashLine);
    bar->setPen(pen);
    chart->addSeries(bar);
    bar->attachAxis(ax);
    bar->attachAxis(ay);
    hideFromLegend(chart, bar);
}

QString xText(double x, XValue kind) {
    if (kind == XValue::Time) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    return QLocale::c().toString(x, 'g', 6);
}

QString spreadText(const char* what, const Spread& s, const char* unit, const Spread& u) {
    const QString withU =
        u.count > 0 ? QStringLiteral(" U95 +/-%1").arg(QLocale::c().toString(u.mean, 'f', 2)) : QString();
    return QStringLiteral("%1 %2 %3 (%4 to %5)%6")
        .arg(QString::fromLatin1(what), QLocale::c().toString(s.mean, 'f', 3), QString::fromLatin1(unit),
             QLocale::c().toString(s.low, 'f', 3), QLocale::c().toString(s.high, 'f', 3), withU);
}

KeptRange keptRange(QChart* chart, bool keep) {
    KeptRange k;
    const auto h = chart->axes(Qt::Horizontal);
    const auto v = chart->axes(Qt::Vertical);
    if (!keep || h.isEmpty() || v.isEmpty()) {
        return k;
    }
    k.keep = true;
    if (auto* dt = qobject_cast<QDateTimeAxis*>(h.first())) {
        k.x0 = static_cast<double>(dt->min().toMSecsSinceEpoch());
        k.x1 = static_cast<double>(dt->max().toMSecsSinceEpoch());
    } else if (auto* va = qobject_cast<QValueAxis*>(h.first())) {
        k.x0 = va->min();
        k.x1 = va->max();
    }
    auto* vy = static_cast<QValueAxis*>(v.first());
    k.y0 = vy->min();
    k.y1 = vy->max();
    return k;
}

// A chart emptied and given new axes: the set-up value below, `yTitle` left.
PlotAxes freshAxes(QChart* chart, XValue x, const QString& yTitle) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    QAbstractAxis* ax = nullptr;
    if (x == XValue::Time) {
        auto* dt = new QDateTimeAxis;
        dt->setFormat(QStringLiteral("MM-dd HH:mm")); // the time of day, short enough not to be cut
        dt->setTickCount(5);
        ax = dt;
    } else {
        auto* values = new QValueAxis;
        QObject::connect(values, &QValueAxis::rangeChanged, values, [values] { roundTicks(values); });
        ax = values;
    }
    ax->setTitleText(xTitle(x));
    auto* ay = new QValueAxis;
    QObject::connect(ay, &QValueAxis::rangeChanged, ay, [ay] { roundTicks(ay); });
    ay->setTitleText(yTitle);
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    return {chart, ax, ay};
}

// The band's two lines from one end of the X axis to the other, and again
// whenever the axis moves (a zoom, a pan): never beyond the plot area, in the
// window or in an exported drawing.
void fitBandToAxis(QAreaSeries* band, QAbstractAxis* axis, double tolerance) {
    const auto fit = [band, tolerance](double x0, double x1) {
        band->upperSeries()->replace(QList<QPointF>{{x0, tolerance}, {x1, tolerance}});
        band->lowerSeries()->replace(QList<QPointF>{{x0, -tolerance}, {x1, -tolerance}});
    };
    if (auto* time = qobject_cast<QDateTimeAxis*>(axis)) {
        const auto fitTime = [fit](const QDateTime& from, const QDateTime& to) {
            fit(static_cast<double>(from.toMSecsSinceEpoch()), static_cast<double>(to.toMSecsSinceEpoch()));
        };
        fitTime(time->min(), time->max());
        QObject::connect(time, &QDateTimeAxis::rangeChanged, band, fitTime);
    } else if (auto* values = qobject_cast<QValueAxis*>(axis)) {
        fit(values->min(), values->max());
        QObject::connect(values, &QValueAxis::rangeChanged, band, fit);
    }
}

// A point's tool-tip: its series, its set-up value, its figures and passes.
QString pointText(const SetUpPoint& p, const QString& name, XValue x, bool differencePlot) {
    QString text = name + QStringLiteral("\n") + xTitle(x) + QStringLiteral(": ") + xText(p.x, x);
    if (differencePlot) {
        text += QStringLiteral("\n") + spreadText("difference", p.difference, "points", p.differenceU);
    } else {
        if (p.phase.count > 0) {
            text += QStringLiteral("\n") + spreadText("phase angle", p.phase, "%", p.phaseU);
        }
        if (p.resistor.count > 0) {
            text += QStringLiteral("\n") + spreadText("load resistor", p.resistor, "%", p.resistorU);
        }
    }
    const long long n = p.rows.empty() ? p.passes : static_cast<long long>(p.rows.size());
    return text + QStringLiteral("\n%1 %2").arg(n).arg(n == 1 ? QStringLiteral("pass") : QStringLiteral("passes"));
}

void setXRange(QAbstractAxis* axis, XValue x, double low, double high) {
    if (x == XValue::Time) {
        static_cast<QDateTimeAxis*>(axis)->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(low)),
                                                    QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(high)));
    } else {
        static_cast<QValueAxis*>(axis)->setRange(low, high);
    }
}

// A chart's ranges: every point with room around it, or the operator's zoom;
// round ticks where the operator has not zoomed.
void setRanges(const PlotAxes& axes, XValue x, std::pair<double, double> xr, std::pair<double, double> yr,
               const KeptRange& kept) {
    setXRange(axes.x, x, kept.keep ? kept.x0 : xr.first, kept.keep ? kept.x1 : xr.second);
    static_cast<QValueAxis*>(axes.y)->setRange(kept.keep ? kept.y0 : yr.first, kept.keep ? kept.y1 : yr.second);
    for (QAbstractAxis* axis : {axes.x, axes.y}) {
        if (auto* values = qobject_cast<QValueAxis*>(axis); values != nullptr && !kept.keep) {
            values->applyNiceNumbers();
        }
    }
    for (QAbstractAxis* axis : {axes.x, axes.y}) {
        if (auto* values = qobject_cast<QValueAxis*>(axis)) {
            roundTicks(values);
        }
    }
}

} // namespace PlotPieces
