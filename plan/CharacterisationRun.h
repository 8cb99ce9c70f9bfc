#pragma once

#include "CharacterisationFit.h"
#include "CharacterisationPlan.h"
#include "PlanOperator.h"

#include <QDateTime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class MeasuringSession;

// What a simulated bench knows of its own circuit at a supply (empty on real
// hardware): the no-load loss, R_eq, the best efficiency and its load.
struct CircuitTruthAt {
    double noLoadLoss = 0, referredResistance = 0, bestEfficiency = 0, bestLoadOhms = 0;
};

// A characterisation under way: the session stepped through the plan's
// points as the operator would be (the picks, then the passes), each point's
// passes kept as they land, stopped and resumed where it stopped, and fitted
// at the end. Every pass is an ordinary pass (recorded, weighed, judged,
// uploaded) that names the characterisation it belongs to. With a record
// folder each finished point is appended to characterisation-<id>.points
// (synced), from which a stopped run resumes; the result goes to
// characterisation-<id>.json and a row a supply to characterisations.csv.
class CharacterisationRun {
  public:
    CharacterisationRun(MeasuringSession& session, CharacterisationPlan plan, PlanOperator& op,
                        std::string folder = {});
    // The run of that id, from its folder's points file: the plan and the
    // points done; none when the file cannot be read.
    static std::optional<CharacterisationRun> resumed(MeasuringSession& session, PlanOperator& op,
                                                      const std::string& folder, const std::string& id,
                                                      std::string& why);

    enum class Ended { Finished, Stopped, Failed };
    // Steps through the points not done yet, then fits; returns how it ended
    // (`problem` says why when it failed).
    Ended run();
    // Asked between steps (a STOP press, a stop signal): the run ends after
    // the pass under way, and can be resumed.
    void stop() { stopRequested_ = true; }

    // On the simulated bench: moves its panel to the point (supply and load).
    std::function<void(const CharacterisationPlan::Point&)> benchTo;
    // Told each time a point's passes are kept (a view shows them).
    std::function<void()> pointKept;
    // On the simulated bench: its circuit's truth at a supply.
    std::function<std::optional<CircuitTruthAt>(double supplyVolts)> truthAt;
    // The calibration's own uncertainty where every pass was read through
    // one (the fit then takes its terms instead of the gains'); found from
    // the session's calibrations when not given.
    std::optional<CalibrationUncertainty> calibration;

    const std::string& id() const { return id_; }
    const CharacterisationPlan& plan() const { return plan_; }
    const std::vector<CharacterisationPoint>& points() const { return points_; }
    std::size_t pointsDone() const { return done_.size(); }
    const Characterisation& result() const { return result_; }
    const std::vector<std::string>& passIds() const { return passIds_; }
    std::string problem;
    // The truth at each supply fitted (simulated bench only).
    std::vector<std::pair<double, CircuitTruthAt>> truths;

  private:
    bool measurePoint(const CharacterisationPlan::Point& point, std::vector<PassOutcome>& passes);
    void keepPoint(const CharacterisationPlan::Point& point, const CharacterisationPoint& measured,
                   const std::vector<std::string>& ids);
    void finish();
    void report(int point, int pass, const std::string& doing);

    MeasuringSession& session_;
    CharacterisationPlan plan_;
    PlanOperator& operator_;
    std::string folder_;
    std::string id_;
    QDateTime started_;
    std::vector<std::string> done_; // "supply|load" of the points done
    std::vector<CharacterisationPoint> points_;
    std::vector<std::string> passIds_;
    Characterisation result_;
    bool stopRequested_ = false;
    double passSeconds_ = 0;
    int passesTimed_ = 0;
};
