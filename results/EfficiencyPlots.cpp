#include "EfficiencyPlots.h"

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

// --- zoom and pan ----------------------------------------------------------------

ZoomChartView::ZoomChartView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent), band_(new QRubberBand(QRubberBand::Rectangle, this)) {
    setRubberBand(QChartView::NoRubberBand); // its own, which lets clicks reach the points
    setRenderHint(QPainter::Antialiasing);
    band_->hide();
}

void ZoomChartView::resetZoom() {
    chart()->zoomReset();
    zoomed_ = false;
}

void ZoomChartView::wheelEvent(QWheelEvent* event) {
    chart()->zoom(event->angleDelta().y() > 0 ? 1.25 : 0.8);
    zoomed_ = true;
    event->accept();
}

void ZoomChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        panning_ = true;
        last_ = event->position();
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        origin_ = event->position().toPoint();
        dragging_ = false;
    }
    QGraphicsView::mousePressEvent(event); // a point under the mouse is pressed
}

void ZoomChartView::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        const QPointF delta = event->position() - last_;
        chart()->scroll(-delta.x(), delta.y());
        last_ = event->position();
        zoomed_ = true;
        event->accept();
        return;
    }
    if ((event->buttons() & Qt::LeftButton) != 0 &&
        (dragging_ || (event->position().toPoint() - origin_).manhattanLength() > 6)) {
        dragging_ = true;
        band_->setGeometry(QRect(origin_, event->position().toPoint()).normalized());
        band_->show();
        event->accept();
        return;
    }
    QGraphicsView::mouseMoveEvent(event);
}

void ZoomChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_) {
        panning_ = false;
        event->accept();
        return;
    }
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        band_->hide();
        const QRectF area = QRectF(band_->geometry()).intersected(chart()->plotArea());
        if (area.width() > 2 && area.height() > 2) {
            chart()->zoomIn(area);
            zoomed_ = true;
        }
        event->accept();
        return;
    }
    QGraphicsView::mouseReleaseEvent(event); // a click on a point
}

// --- the plots --------------------------------------------------------------------

namespace {

const QColor Palette[]{QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44),
                       QColor(148, 103, 189), QColor(140, 86, 75),  QColor(227, 119, 194),
                       QColor(23, 190, 207),  QColor(188, 189, 34)};
const QColor Outside(214, 39, 40);

QColor colourOf(std::size_t i) { return Palette[i % std::size(Palette)]; }

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

QString xText(double x, XValue kind) {
    if (kind == XValue::Time) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    return QLocale::c().toString(x, 'g', 6);
}

QString spreadText(const char* what, const Spread& s, const char* unit) {
    return QStringLiteral("%1 %2 %3 (%4 to %5)")
        .arg(QString::fromLatin1(what), QLocale::c().toString(s.mean, 'f', 3), QString::fromLatin1(unit),
             QLocale::c().toString(s.low, 'f', 3), QLocale::c().toString(s.high, 'f', 3));
}

} // namespace

EfficiencyPlots::EfficiencyPlots() : efficiency_(new QChart), difference_(new QChart) {
    for (QChart* chart : {efficiency_, difference_}) {
        chart->legend()->setAlignment(Qt::AlignRight);
        QFont small = chart->legend()->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        chart->legend()->setFont(small);
        chart->setMargins(QMargins(4, 4, 4, 4));
    }
    efficiency_->setTitle(QStringLiteral("Efficiency: phase angle (filled circles) and load resistor (hollow squares)"));
    difference_->setTitle(QStringLiteral("Phase angle minus load resistor efficiency"));
}

QStringList EfficiencyPlots::legend() const { return legend_; }

void EfficiencyPlots::show(const std::vector<PlotSeries>& series, XValue x, double tolerance,
                           const std::set<int>& selectedRows, bool keepEfficiencyRange, bool keepDifferenceRange) {
    series_ = series;
    legend_.clear();
    struct Kept {
        bool keep;
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    };
    const auto remember = [](QChart* chart, bool keep) {
        Kept k{keep};
        const auto h = chart->axes(Qt::Horizontal);
        const auto v = chart->axes(Qt::Vertical);
        if (!keep || h.isEmpty() || v.isEmpty()) {
            k.keep = false;
            return k;
        }
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
    };
    const Kept keptE = remember(efficiency_, keepEfficiencyRange);
    const Kept keptD = remember(difference_, keepDifferenceRange);

    Range xs, ys, ds;
    for (const PlotSeries& s : series_) {
        for (const SetUpPoint& p : s.points) {
            xs.add(p.x);
            for (const Spread* e : {&p.phase, &p.resistor}) {
                if (e->count > 0) {
                    ys.add(e->low);
                    ys.add(e->high);
                }
            }
            if (p.difference.count > 0) {
                ds.add(p.difference.low);
                ds.add(p.difference.high);
            }
        }
    }
    ds.add(-tolerance);
    ds.add(tolerance);
    const double delta = x == XValue::Time || !xs.any ? 0 : std::max(xs.high - xs.low, 1.0) * 0.015;

    const auto makeAxes = [x](QChart* chart, const QString& yTitle) {
        chart->removeAllSeries();
        for (QAbstractAxis* axis : chart->axes()) {
            chart->removeAxis(axis);
            delete axis;
        }
        QAbstractAxis* ax = nullptr;
        if (x == XValue::Time) {
            auto* dt = new QDateTimeAxis;
            dt->setFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
            ax = dt;
        } else {
            ax = new QValueAxis;
        }
        ax->setTitleText(xTitle(x));
        auto* ay = new QValueAxis;
        ay->setTitleText(yTitle);
        chart->addAxis(ax, Qt::AlignBottom);
        chart->addAxis(ay, Qt::AlignLeft);
        return std::pair{ax, ay};
    };
    const auto [ex, ey] = makeAxes(efficiency_, QStringLiteral("Efficiency (%)"));
    const auto [dx, dy] = makeAxes(difference_, QStringLiteral("Difference (percentage points)"));

    const auto attach = [](QChart* chart, QAbstractSeries* s, QAbstractAxis* ax, QAbstractAxis* ay) {
        chart->addSeries(s);
        s->attachAxis(ax);
        s->attachAxis(ay);
    };
    // Each drawn point's passes and its tool-tip, by the series and its index.
    const auto connectPoints = [this, x](QScatterSeries* scatter, std::shared_ptr<std::vector<const SetUpPoint*>> points,
                                         const QString& name, bool differencePlot) {
        QObject::connect(scatter, &QScatterSeries::hovered, scatter,
                         [scatter, points, name, x, differencePlot](const QPointF& at, bool state) {
                             if (!state) {
                                 QToolTip::hideText();
                                 return;
                             }
                             const auto all = scatter->points();
                             const auto i = std::find(all.begin(), all.end(), at) - all.begin();
                             if (i >= static_cast<qsizetype>(points->size())) {
                                 return;
                             }
                             const SetUpPoint& p = *(*points)[static_cast<std::size_t>(i)];
                             QString text = name + QStringLiteral("\n") + xTitle(x) + QStringLiteral(": ") + xText(p.x, x);
                             if (differencePlot) {
                                 text += QStringLiteral("\n") + spreadText("difference", p.difference, "points");
                             } else {
                                 if (p.phase.count > 0) {
                                     text += QStringLiteral("\n") + spreadText("phase angle", p.phase, "%");
                                 }
                                 if (p.resistor.count > 0) {
                                     text += QStringLiteral("\n") + spreadText("load resistor", p.resistor, "%");
                                 }
                             }
                             text += QStringLiteral("\n%1 %2").arg(p.rows.size()).arg(p.rows.size() == 1 ? QStringLiteral("pass") : QStringLiteral("passes"));
                             QToolTip::showText(QCursor::pos(), text);
                         });
        QObject::connect(scatter, &QScatterSeries::clicked, scatter, [this, scatter, points](const QPointF& at) {
            const auto all = scatter->points();
            const auto i = std::find(all.begin(), all.end(), at) - all.begin();
            if (i < static_cast<qsizetype>(points->size()) && picked) {
                picked((*points)[static_cast<std::size_t>(i)]->rows);
            }
        });
    };

    auto* selected = new QScatterSeries;
    selected->setName(QStringLiteral("selected"));
    selected->setMarkerSize(17);
    selected->setColor(Qt::transparent);
    selected->setBorderColor(Qt::black);
    auto* selectedDifference = new QScatterSeries;
    selectedDifference->setMarkerSize(17);
    selectedDifference->setColor(Qt::transparent);
    selectedDifference->setBorderColor(Qt::black);
    auto outside = std::make_shared<std::vector<const SetUpPoint*>>();
    auto* outsideSeries = new QScatterSeries;
    outsideSeries->setName(QStringLiteral("outside +/-%1 points").arg(QLocale::c().toString(tolerance, 'g', 6)));
    outsideSeries->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    outsideSeries->setMarkerSize(13);
    outsideSeries->setColor(Outside);
    outsideSeries->setBorderColor(Outside);

    // The band of agreement, under everything else.
    if (xs.any) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        const double x0 = xs.low - std::max(xs.high - xs.low, 1.0);
        const double x1 = xs.high + std::max(xs.high - xs.low, 1.0);
        upper->append(x0, tolerance);
        upper->append(x1, tolerance);
        lower->append(x0, -tolerance);
        lower->append(x1, -tolerance);
        auto* band = new QAreaSeries(upper, lower);
        upper->setParent(band); // the area does not own its lines
        lower->setParent(band);
        band->setName(QStringLiteral("+/-%1 points").arg(QLocale::c().toString(tolerance, 'g', 6)));
        band->setColor(QColor(200, 230, 200));
        band->setBorderColor(QColor(120, 180, 120));
        attach(difference_, band, dx, dy);
    }

    for (std::size_t i = 0; i < series_.size(); ++i) {
        const PlotSeries& s = series_[i];
        const QColor colour = colourOf(i);
        auto* phase = new QScatterSeries;
        phase->setName(s.name() + QStringLiteral(" phase angle"));
        phase->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        phase->setMarkerSize(10);
        phase->setColor(colour);
        phase->setBorderColor(colour);
        auto* resistor = new QScatterSeries;
        resistor->setName(s.name() + QStringLiteral(" load resistor"));
        resistor->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        resistor->setMarkerSize(10);
        resistor->setColor(Qt::white);
        resistor->setPen(QPen(colour, 2));
        auto* diff = new QScatterSeries;
        diff->setName(s.name());
        diff->setMarkerSize(9);
        diff->setColor(colour);
        diff->setBorderColor(colour);
        auto phasePoints = std::make_shared<std::vector<const SetUpPoint*>>();
        auto resistorPoints = std::make_shared<std::vector<const SetUpPoint*>>();
        auto diffPoints = std::make_shared<std::vector<const SetUpPoint*>>();
        QList<QPointF> phaseXY, resistorXY, diffXY;
        for (const SetUpPoint& p : s.points) {
            const bool marked = std::any_of(p.rows.begin(), p.rows.end(),
                                            [&](int r) { return selectedRows.count(r) > 0; });
            if (p.phase.count > 0) {
                phaseXY.append({p.x - delta, p.phase.mean});
                phasePoints->push_back(&p);
                addBar(efficiency_, p.x - delta, p.phase, colour, ex, ey);
                if (marked) {
                    selected->append(p.x - delta, p.phase.mean);
                }
            }
            if (p.resistor.count > 0) {
                resistorXY.append({p.x + delta, p.resistor.mean});
                resistorPoints->push_back(&p);
                addBar(efficiency_, p.x + delta, p.resistor, colour, ex, ey);
                if (marked) {
                    selected->append(p.x + delta, p.resistor.mean);
                }
            }
            if (p.difference.count > 0) {
                addBar(difference_, p.x, p.difference, colour, dx, dy);
                if (std::fabs(p.difference.mean) > tolerance) {
                    outsideSeries->append(p.x, p.difference.mean);
                    outside->push_back(&p);
                } else {
                    diffXY.append({p.x, p.difference.mean});
                    diffPoints->push_back(&p);
                }
                if (marked) {
                    selectedDifference->append(p.x, p.difference.mean);
                }
            }
        }
        phase->replace(phaseXY);
        resistor->replace(resistorXY);
        diff->replace(diffXY);
        attach(efficiency_, phase, ex, ey);
        attach(efficiency_, resistor, ex, ey);
        legend_ << phase->name() << resistor->name();
        attach(difference_, diff, dx, dy);
        connectPoints(phase, phasePoints, phase->name(), false);
        connectPoints(resistor, resistorPoints, resistor->name(), false);
        connectPoints(diff, diffPoints, diff->name(), true);
    }
    attach(difference_, outsideSeries, dx, dy);
    connectPoints(outsideSeries, outside, outsideSeries->name(), true);
    attach(efficiency_, selected, ex, ey);
    attach(difference_, selectedDifference, dx, dy);
    hideFromLegend(efficiency_, selected);
    hideFromLegend(difference_, selectedDifference);

    // Ranges: every point with room around it, or the operator's zoom.
    const auto setX = [x](QAbstractAxis* axis, double low, double high) {
        if (x == XValue::Time) {
            static_cast<QDateTimeAxis*>(axis)->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(low)),
                                                         QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(high)));
        } else {
            static_cast<QValueAxis*>(axis)->setRange(low, high);
        }
    };
    const auto [x0, x1] = xs.any ? xs.padded(x == XValue::Time ? 60000.0 : 1.0) : std::pair{0.0, 1.0};
    const auto [y0, y1] = ys.any ? ys.padded(1.0) : std::pair{0.0, 100.0};
    const auto [d0, d1] = ds.padded(1.0);
    setX(ex, keptE.keep ? keptE.x0 : x0, keptE.keep ? keptE.x1 : x1);
    static_cast<QValueAxis*>(ey)->setRange(keptE.keep ? keptE.y0 : y0, keptE.keep ? keptE.y1 : y1);
    setX(dx, keptD.keep ? keptD.x0 : x0, keptD.keep ? keptD.x1 : x1);
    static_cast<QValueAxis*>(dy)->setRange(keptD.keep ? keptD.y0 : d0, keptD.keep ? keptD.y1 : d1);
    // Round ticks where the operator has not zoomed.
    for (auto [axis, keep] : {std::pair<QAbstractAxis*, bool>{ex, keptE.keep}, {ey, keptE.keep}, {dx, keptD.keep},
                              {dy, keptD.keep}}) {
        if (auto* values = qobject_cast<QValueAxis*>(axis); values != nullptr && !keep) {
            values->applyNiceNumbers();
        }
    }
}
