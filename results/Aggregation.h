#pragma once

#include "ResultRow.h"

#include <QLocale>
#include <QString>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

// What the plots show, computed from the passes apart from any drawing.

// A recorded verdict's place from PASS (0) to FAIL (4); -1 for none.
int verdictRank(const QString& verdict);

// The set-up value on the plots' X axis.
enum class XValue { Supply, Resistor, Capacitor, Time };
QString xTitle(XValue x); // with its unit

// What the plots' series are told apart by first: their name leads with it
// and the series that share it share a colour's hue. A point stays one whole
// set-up whichever is chosen.
enum class SeriesBy { TransformerAndCapacitor, Resistor, Supply };

// The mean of some figures with their lowest and highest value.
struct Spread {
    double mean = 0, low = 0, high = 0;
    int count = 0;
    double m2 = 0; // the sum of squared deviations from the mean (Welford)
    void add(double value);
    // The sample standard deviation; none below two values.
    std::optional<double> deviation() const;
};

// The passes of one set-up on one series: one point at their mean.
struct SetUpPoint {
    double x = 0;
    Spread phase, resistor, difference;
    Spread phaseU, resistorU, differenceU; // the passes' U95, where recorded
    std::vector<int> rows;                 // the passes' indexes in the rows given
    int worstVerdict = -1;                 // of its passes' verdicts, by verdictRank(); -1: none has one
    long long passes = 0;                  // where `rows` is not kept (the lab's server counts them)
};

// One series: a transformer with every other set-up value but the X value
// (capacitor, resistor, supply, sample average), so that each of its points
// is one set-up.
struct PlotSeries {
    QString transformer;
    QString capacitor;                 // empty when the capacitor is the X value
    std::vector<SetUpPoint> points;    // in the order of x
    QString resistor, supply, average; // empty when the X value, or not recorded
    // Which of those tell this series from another one shown: they join its
    // name. The capacitor always does.
    bool namesResistor = false, namesSupply = false, namesAverage = false;
    SeriesBy by = SeriesBy::TransformerAndCapacitor;
    // "SPLIT-FLUX #1, 100 uF", "SPLIT-FLUX #1, 100 uF, 9.4 ohms, avg 64";
    // by resistor "9.4 ohms, SPLIT-FLUX #1, 100 uF"
    QString name() const;
    // What the name leads with: "9.4 ohms" by resistor, "SPLIT-FLUX #1, 100 uF"
    // by transformer and capacitor (also when the chosen value is the X value).
    QString group() const;
};

// Groups passes one at a time, so that a pass that lands adds to the groups
// without the others being counted again.
class Aggregator {
  public:
    explicit Aggregator(XValue x = XValue::Supply) : x_(x) {}
    // A pass with an estimate and an X value joins its series and point.
    void add(const std::vector<ResultRow>& rows, int index);
    // A set-up already grouped elsewhere (a database's server): its point as
    // given, on the series its values name (the X value's is ignored).
    void addSetUp(const QString& transformer, const QString& capacitor, const QString& resistor, const QString& supply,
                  const QString& average, const SetUpPoint& point);
    std::vector<PlotSeries> series() const;
    XValue x() const { return x_; }

  private:
    // transformer, capacitor, resistor, supply, sample average
    using Key = std::tuple<QString, QString, QString, QString, QString>;
    Key keyOf(const ResultRow& row) const;
    XValue x_;
    std::map<Key, std::map<double, SetUpPoint>> grouped_;
    std::map<Key, std::vector<SetUpPoint>> overTime_;
};

// The rows `which` (of `rows`) that have an estimate and an X value, grouped
// into series and, except over time, into one point per X value.
std::vector<PlotSeries> aggregate(const std::vector<ResultRow>& rows, const std::vector<int>& which, XValue x);
// The series told apart by `by`: named leading with it and ordered by it.
void groupSeries(std::vector<PlotSeries>& series, SeriesBy by);
// The tolerance that judges each set-up by its own U95: its passes' mean U of
// the difference (what the two estimates do not share).
inline constexpr double FromUncertainty = 0.0;
// Whether a set-up's mean estimates differ by more than `tolerance` points
// (or, from the uncertainty, than their U95): what the red marks show and the
// disagreement line counts. A set-up without a U is not judged from it.
bool disagrees(const SetUpPoint& point, double tolerance);
bool judged(const SetUpPoint& point, double tolerance);
// The set-ups (points with both estimates) of the series, and those of them
// that disagree.
struct Disagreement {
    int setUps = 0;
    int disagreeing = 0;
    int withoutU = 0;   // judged from the uncertainty: set-ups the record gives none
    double medianU = 0; // of the set-ups judged from it: the band drawn
};
Disagreement disagreements(const std::vector<PlotSeries>& series, double tolerance);
// "1 of 5 set-ups: mean estimates more than 2 points apart"; from the
// uncertainty "1 of 5 set-ups: mean estimates further apart than their U95"
QString disagreementText(const Disagreement& d, double tolerance);
