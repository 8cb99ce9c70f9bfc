#include "CharacterisationRun.h"

#include "Calibration.h"
#include "CharacterisationFiles.h"
#include "Clock.h"
#include "CommandNumber.h"
#include "MeasuringSession.h"
#include "NumberText.h"
#include "PointPicks.h"
#include "SmallFiles.h"

#include <QFile>
#include <QUuid>
#include <algorithm>
#include <numbers>
#include <unistd.h>

namespace {

std::string pointsFile(const std::string& folder, const std::string& id) {
    return folder + "/characterisation-" + id + ".points";
}

std::string prompt(const CharacterisationPlan& plan, const CharacterisationPlan::Point& p) {
    const std::string load =
        p.load == "NO LOAD" ? "open the load resistor (no load)" : "set the load resistor to " + p.load + " ohms";
    return "Set the supply to " + p.supply + " V rms and " + load + " (load capacitor " + plan.capacitor +
           " uF), then press NEXT";
}

} // namespace

CharacterisationRun::CharacterisationRun(MeasuringSession& session, CharacterisationPlan plan, PlanOperator& op,
                                         std::string folder)
    : session_(session), plan_(std::move(plan)), operator_(op), folder_(std::move(folder)),
      id_(QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString()), started_(QDateTime::currentDateTime()) {}

std::optional<CharacterisationRun> CharacterisationRun::resumed(MeasuringSession& session, PlanOperator& op,
                                                                const std::string& folder, const std::string& id,
                                                                std::string& why) {
    QFile f(QString::fromStdString(pointsFile(folder, id)));
    if (!f.open(QIODevice::ReadOnly)) {
        why = "no characterisation " + id + " to resume in " + folder;
        return std::nullopt;
    }
    // The first line is the plan; each next one a point done.
    auto plan = planFromJson(f.readLine().toStdString());
    if (auto* problem = std::get_if<std::string>(&plan)) {
        why = *problem;
        return std::nullopt;
    }
    CharacterisationRun run(session, std::get<CharacterisationPlan>(plan), op, folder);
    run.id_ = id;
    while (!f.atEnd()) {
        std::vector<std::string> ids;
        if (const auto p = CharacterisationFiles::pointOf(f.readLine().toStdString(), ids)) {
            run.points_.push_back(*p);
            run.done_.push_back(plainNumber(p->supplyVolts) + "|" + p->load);
            run.passIds_.insert(run.passIds_.end(), ids.begin(), ids.end());
        }
    }
    return run;
}

void CharacterisationRun::report(int point, int pass, const std::string& doing) {
    PlanProgress p;
    p.point = point;
    p.points = static_cast<int>(plan_.points().size());
    p.pass = pass;
    p.passes = plan_.passesPerPoint;
    const int passesLeft = (p.points - point + 1) * p.passes - pass + 1;
    p.secondsLeft = passesTimed_ > 0 ? passSeconds_ / passesTimed_ * passesLeft : 0;
    p.doing = doing;
    operator_.progress(p);
}

CharacterisationRun::Ended CharacterisationRun::run() {
    stopRequested_ = false;
    if (!folder_.empty() && done_.empty() && !QFile::exists(QString::fromStdString(pointsFile(folder_, id_)))) {
        std::string planLine = planJson(plan_);
        planLine.erase(std::remove(planLine.begin(), planLine.end(), '\n'), planLine.end());
        appendSynced(pointsFile(folder_, id_), planLine + "\n");
    }
    if (const std::string why = readSettingsFirst(session_); !why.empty()) {
        problem = why;
        return Ended::Failed;
    }
    session_.belongs = {};
    session_.belongs.characterisationId = id_;
    const auto points = plan_.points();
    Ended ended = Ended::Finished;
    for (std::size_t n = 0; n < points.size(); ++n) {
        const auto& point = points[n];
        const auto supply = parseNumber(point.supply).value_or(0);
        if (std::find(done_.begin(), done_.end(), plainNumber(supply) + "|" + point.load) != done_.end()) {
            continue;
        }
        if (stopRequested_ || !operator_.ready(prompt(plan_, point))) {
            ended = Ended::Stopped;
            break;
        }
        if (benchTo) {
            benchTo(point); // the simulated bench sets itself
        }
        std::vector<PassOutcome> passes;
        if (!measurePoint(point, passes)) {
            ended = stopRequested_ ? Ended::Stopped : Ended::Failed;
            break;
        }
        const auto measured = characterisationPoint(passes, supply, point.load);
        if (!measured) {
            problem = "no complete pass at " + point.load + ", " + point.supply + " V";
            ended = Ended::Failed;
            break;
        }
        std::vector<std::string> ids;
        for (const PassOutcome& p : passes) {
            ids.push_back(p.passId);
        }
        keepPoint(point, *measured, ids);
    }
    session_.belongs = {};
    if (ended == Ended::Finished) {
        finish();
    }
    return ended;
}

bool CharacterisationRun::measurePoint(const CharacterisationPlan::Point& point, std::vector<PassOutcome>& passes) {
    PointPicks picks{point.supply, point.load, plan_.capacitor, plan_.sampleAverage.value_or(""), plan_.preset};
    if (const std::string why = pickPoint(session_, picks); !why.empty()) {
        problem = why;
        return false;
    }
    session_.passListeners.push_back([&passes](const PassOutcome& p) { passes.push_back(p); });
    bool ok = true;
    for (int pass = 0; pass < plan_.passesPerPoint && ok; ++pass) {
        report(static_cast<int>(done_.size() + 1), pass + 1,
               (point.load == "NO LOAD" ? std::string("no load") : point.load + " ohms") + " at " + point.supply +
                   " V: pass " + std::to_string(pass + 1) + " of " + std::to_string(plan_.passesPerPoint));
        const std::uint32_t started = session_.platform.clock.ticks();
        const std::size_t before = passes.size();
        session_.startCalculation();
        passSeconds_ += (session_.platform.clock.ticks() - started) / 1000.0;
        ++passesTimed_;
        ok = passes.size() > before && passes.back().ending == PassOutcome::Ending::Complete && !stopRequested_;
        if (!ok && !stopRequested_) {
            problem = passes.size() > before ? "a pass did not complete at " + point.load + ", " + point.supply + " V"
                                             : "no pass ran at " + point.load + ", " + point.supply + " V";
        }
    }
    session_.passListeners.pop_back();
    return ok;
}

void CharacterisationRun::keepPoint(const CharacterisationPlan::Point& point, const CharacterisationPoint& measured,
                                    const std::vector<std::string>& ids) {
    points_.push_back(measured);
    done_.push_back(plainNumber(measured.supplyVolts) + "|" + point.load);
    passIds_.insert(passIds_.end(), ids.begin(), ids.end());
    if (!folder_.empty()) {
        appendSynced(pointsFile(folder_, id_), CharacterisationFiles::pointLine(measured, ids) + "\n");
    }
    if (pointKept) {
        pointKept();
    }
}

void CharacterisationRun::finish() {
    FitOptions options;
    options.accuracy = session_.accuracy;
    const bool allCalibrated = std::all_of(points_.begin(), points_.end(), [](const auto& p) { return p.calibrated; });
    if (allCalibrated && !calibration && session_.lastPass) {
        // The calibration the passes were read through: its own uncertainty.
        const CalibrationFound found =
            calibrationFor(session_.calibrations, *session_.lastPass, session_.calibrationDays, QDate::currentDate());
        if (found.calibration != nullptr) {
            calibration = CalibrationUncertainty{found.calibration->uVoltageRatio, found.calibration->uCurrentRatio,
                                                 found.calibration->uPhaseDegrees * std::numbers::pi / 180};
        }
    }
    options.calibration = allCalibrated ? calibration : std::nullopt;
    options.ratedVA = plan_.ratedVA;
    options.ratedAmps = plan_.ratedAmps;
    result_ = fitCharacterisation(points_, options);
    truths.clear();
    for (const SupplyFit& s : result_.supplies) {
        if (const auto t = truthAt ? truthAt(s.supplyVolts) : std::nullopt) {
            truths.emplace_back(s.supplyVolts, *t);
        }
    }
    if (folder_.empty()) {
        return;
    }
    const std::string when = started_.toOffsetFromUtc(started_.offsetFromUtc()).toString(Qt::ISODate).toStdString();
    QFile json(QString::fromStdString(folder_ + "/characterisation-" + id_ + ".json"));
    if (json.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const std::string bytes =
            CharacterisationFiles::json(id_, session_.benchName, when, plan_, passIds_, result_, truths);
        json.write(bytes.data(), static_cast<qint64>(bytes.size()));
        json.flush();
        ::fsync(json.handle());
    }
    const std::string table = folder_ + "/characterisations.csv";
    std::string rows = QFile::exists(QString::fromStdString(table)) ? "" : CharacterisationFiles::csvHeader();
    for (const std::string& row :
         CharacterisationFiles::csvRows(id_, session_.benchName, when, plan_, result_, truths)) {
        rows += row;
    }
    appendSynced(table, rows);
}
