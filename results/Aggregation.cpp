#include "Aggregation.h"

#include <algorithm>
#include <cmath>
#include <map>

void Spread::add(double value) {
    low = count == 0 ? value : std::min(low, value);
    high = count == 0 ? value : std::max(high, value);
    const double before = mean;
    mean += (value - mean) / ++count;
    m2 += (value - before) * (value - mean);
}

std::optional<double> Spread::deviation() const {
    return count >= 2 ? std::optional<double>(std::sqrt(m2 / (count - 1))) : std::nullopt;
}

int verdictRank(const QString& verdict) {
    static const QStringList order{QStringLiteral("PASS"), QStringLiteral("CONDITIONAL PASS"),
                                   QStringLiteral("NO VERDICT"), QStringLiteral("CONDITIONAL FAIL"),
                                   QStringLiteral("FAIL")};
    return static_cast<int>(order.indexOf(verdict));
}

QString xTitle(XValue x) {
    switch (x) {
    case XValue::Supply:
        return QStringLiteral("Power supply (V rms)");
    case XValue::Resistor:
        return QStringLiteral("Load resistor (ohms)");
    case XValue::Capacitor:
        return QStringLiteral("Load capacitor (uF)");
    case XValue::Time:
        return QStringLiteral("Time");
    }
    return {};
}

namespace {

// "SPLIT-FLUX #1, 100 uF": the word every transformer's name has left out.
QString transformerAndCapacitor(const PlotSeries& s) {
    QString shortName = s.transformer;
    shortName.replace(QStringLiteral(" TRANSFORMER"), QString());
    shortName = shortName.simplified();
    if (shortName.isEmpty()) {
        shortName = QStringLiteral("(no transformer)");
    }
    return s.capacitor.isEmpty() ? shortName : shortName + QStringLiteral(", ") + s.capacitor + QStringLiteral(" uF");
}

QString resistorText(const QString& resistor) {
    return resistor + QStringLiteral(" ohms");
}
QString supplyText(const QString& supply) {
    return supply + QStringLiteral(" V");
}

} // namespace

QString PlotSeries::group() const {
    if (by == SeriesBy::Resistor && !resistor.isEmpty()) {
        return resistorText(resistor);
    }
    if (by == SeriesBy::Supply && !supply.isEmpty()) {
        return supplyText(supply);
    }
    return transformerAndCapacitor(*this);
}

QString PlotSeries::name() const {
    const QString lead = group();
    const bool byResistor = lead != transformerAndCapacitor(*this) && by == SeriesBy::Resistor;
    const bool bySupply = lead != transformerAndCapacitor(*this) && by == SeriesBy::Supply;
    QString name = lead;
    if (byResistor || bySupply) {
        name += QStringLiteral(", ") + transformerAndCapacitor(*this);
    }
    const auto add = [&name](bool named, const QString& text) {
        if (named) {
            name += QStringLiteral(", ") + text;
        }
    };
    add(namesResistor && !byResistor && !resistor.isEmpty(), resistorText(resistor));
    add(namesSupply && !bySupply && !supply.isEmpty(), supplyText(supply));
    add(namesAverage && !average.isEmpty(), QStringLiteral("avg ") + average);
    return name;
}

namespace {

std::optional<double> xOf(const ResultRow& row, XValue x) {
    switch (x) {
    case XValue::Supply:
        return row.supply;
    case XValue::Resistor:
        return row.resistor;
    case XValue::Capacitor:
        return row.capacitor;
    case XValue::Time:
        return static_cast<double>(row.whenMs);
    }
    return std::nullopt;
}

bool finite(const std::optional<double>& v) {
    return v && std::isfinite(*v);
}

} // namespace

void Aggregator::add(const std::vector<ResultRow>& rows, int index) {
    const ResultRow& row = rows[static_cast<std::size_t>(index)];
    const auto at = xOf(row, x_);
    if (!at || !std::isfinite(*at) || (!finite(row.phaseEfficiency) && !finite(row.resistorEfficiency))) {
        return;
    }
    const Key key = keyOf(row);
    SetUpPoint single;
    SetUpPoint& point = x_ == XValue::Time ? single : grouped_[key][*at];
    point.x = *at;
    point.rows.push_back(index);
    point.worstVerdict = std::max(point.worstVerdict, verdictRank(row.verdict));
    if (finite(row.phaseEfficiency)) {
        point.phase.add(*row.phaseEfficiency);
    }
    if (finite(row.resistorEfficiency)) {
        point.resistor.add(*row.resistorEfficiency);
    }
    if (const auto d = row.difference(); finite(d)) {
        point.difference.add(*d);
    }
    for (const auto& [u, spread] : {std::pair{std::optional<double>(row.phaseU), &point.phaseU},
                                    std::pair{std::optional<double>(row.resistorU), &point.resistorU},
                                    std::pair{row.differenceU(), &point.differenceU}}) {
        if (finite(u)) {
            spread->add(*u);
        }
    }
    if (x_ == XValue::Time) {
        std::vector<SetUpPoint>& points = overTime_[key];
        const auto place = std::upper_bound(points.begin(), points.end(), single.x,
                                            [](double x, const SetUpPoint& p) { return x < p.x; });
        points.insert(place, std::move(single));
    }
}

Aggregator::Key Aggregator::keyOf(const ResultRow& row) const {
    return {row.transformer, x_ == XValue::Capacitor ? QString() : row.capacitorText.text(),
            x_ == XValue::Resistor ? QString() : row.resistorText.text(),
            x_ == XValue::Supply ? QString() : row.supplyText.text(), row.averageText};
}

namespace {

PlotSeries seriesOf(const std::tuple<QString, QString, QString, QString, QString>& key) {
    PlotSeries s;
    std::tie(s.transformer, s.capacitor, s.resistor, s.supply, s.average) = key;
    return s;
}

// A set-up value joins the names when the series shown differ in it.
void nameWhatDiffers(std::vector<PlotSeries>& series) {
    const auto differs = [&series](QString PlotSeries::*value) {
        return std::any_of(series.begin(), series.end(),
                           [&](const PlotSeries& s) { return s.*value != series.front().*value; });
    };
    if (series.empty()) {
        return;
    }
    const bool resistor = differs(&PlotSeries::resistor);
    const bool supply = differs(&PlotSeries::supply);
    const bool average = differs(&PlotSeries::average);
    for (PlotSeries& s : series) {
        s.namesResistor = resistor;
        s.namesSupply = supply;
        s.namesAverage = average;
    }
}

} // namespace

void Aggregator::addSetUp(const QString& transformer, const QString& capacitor, const QString& resistor,
                          const QString& supply, const QString& average, const SetUpPoint& point) {
    const Key key{transformer, x_ == XValue::Capacitor ? QString() : capacitor,
                  x_ == XValue::Resistor ? QString() : resistor, x_ == XValue::Supply ? QString() : supply, average};
    grouped_[key][point.x] = point;
}

std::vector<PlotSeries> Aggregator::series() const {
    std::vector<PlotSeries> series;
    for (const auto& [key, points] : grouped_) {
        PlotSeries s = seriesOf(key);
        s.points.reserve(points.size());
        for (const auto& [at, point] : points) {
            s.points.push_back(point);
        }
        series.push_back(std::move(s));
    }
    for (const auto& [key, points] : overTime_) {
        PlotSeries s = seriesOf(key);
        s.points = points;
        series.push_back(std::move(s));
    }
    nameWhatDiffers(series);
    return series;
}

std::vector<PlotSeries> aggregate(const std::vector<ResultRow>& rows, const std::vector<int>& which, XValue x) {
    Aggregator aggregator(x);
    for (const int index : which) {
        aggregator.add(rows, index);
    }
    return aggregator.series();
}

void groupSeries(std::vector<PlotSeries>& series, SeriesBy by) {
    for (PlotSeries& s : series) {
        s.by = by;
    }
    // By the leading value as a number where it is one (9.4 before 47 ohms).
    const auto number = [](const PlotSeries& s) {
        bool ok = false;
        const double v = s.group().section(QLatin1Char(' '), 0, 0).toDouble(&ok);
        return ok ? v : -1.0;
    };
    std::stable_sort(series.begin(), series.end(), [&number](const PlotSeries& a, const PlotSeries& b) {
        return std::tuple(number(a), a.group()) < std::tuple(number(b), b.group());
    });
}

bool judged(const SetUpPoint& point, double tolerance) {
    return point.difference.count > 0 && (tolerance != FromUncertainty || point.differenceU.count > 0);
}

bool disagrees(const SetUpPoint& point, double tolerance) {
    const double limit = tolerance == FromUncertainty ? point.differenceU.mean : tolerance;
    return judged(point, tolerance) && std::fabs(point.difference.mean) > limit;
}

Disagreement disagreements(const std::vector<PlotSeries>& series, double tolerance) {
    Disagreement d;
    std::vector<double> us;
    for (const PlotSeries& s : series) {
        for (const SetUpPoint& p : s.points) {
            d.setUps += judged(p, tolerance) ? 1 : 0;
            d.withoutU += p.difference.count > 0 && !judged(p, tolerance) ? 1 : 0;
            d.disagreeing += disagrees(p, tolerance) ? 1 : 0;
            if (p.differenceU.count > 0) {
                us.push_back(p.differenceU.mean);
            }
        }
    }
    if (!us.empty()) {
        std::nth_element(us.begin(), us.begin() + static_cast<std::ptrdiff_t>(us.size() / 2), us.end());
        d.medianU = us[us.size() / 2];
    }
    return d;
}

QString disagreementText(const Disagreement& d, double tolerance) {
    const QString setUps = QStringLiteral("%1 of %2 %3: ")
                               .arg(d.disagreeing)
                               .arg(d.setUps)
                               .arg(d.setUps == 1 ? QStringLiteral("set-up") : QStringLiteral("set-ups"));
    if (tolerance == FromUncertainty) {
        QString text = setUps + QStringLiteral("mean estimates further apart than their U95");
        if (d.withoutU > 0) {
            text += QStringLiteral("; %1 without a U95 in the record").arg(d.withoutU);
        }
        return text;
    }
    return setUps +
           QStringLiteral("mean estimates more than %1 points apart").arg(QLocale::c().toString(tolerance, 'g', 6));
}
