#include "HeadlessCharacterisation.h"

#include "MeasuringSession.h"
#include "NumberText.h"
#include "ProgramVersion.h"

#include <QString>

namespace {

std::string fixedText(double v, int decimals) {
    return QString::number(v, 'f', decimals).toStdString();
}

std::string withU(const Estimate& e, int decimals, const std::string& unit) {
    return fixedText(e.value, decimals) + " +- " + fixedText(e.U, decimals) + (unit.empty() ? "" : " " + unit);
}

std::string chi2Words(double chi2, double limit) {
    return "chi2 " + fixedText(chi2, 1) + (chi2 <= limit ? " within" : " BEYOND") + " its 95 % limit " +
           fixedText(limit, 1);
}

} // namespace

std::vector<std::string> characterisationLines(const Characterisation& c) {
    std::vector<std::string> lines;
    for (const SupplyFit& s : c.supplies) {
        std::string line = "at " + fixedText(s.supplyVolts, 1) + " V: P0 " + withU(s.p0, 4, "W") + ", R_eq " +
                           withU(s.rEq, 3, "ohms") + ", gain mismatch " + withU(s.mismatchPercent, 2, "%") + ", " +
                           chi2Words(s.chi2, s.chi2Limit) + "; V20 " + withU(s.v20, 3, "V") + ", R_out " +
                           withU(s.rOut, 3, "ohms") + "; best efficiency " + withU(s.bestEfficiency, 2, "%") + " at " +
                           withU(s.bestLoadOhms, 2, "ohms") +
                           (s.bestBeyondLoads ? " (beyond the heaviest load measured)" : "");
        for (const SupplyFit::AtFraction& f : s.atFractions) {
            line += "; " + fixedText(f.fraction * 100, 0) + " % of rated " + withU(f.efficiency, 2, "%");
        }
        lines.push_back(line);
    }
    if (c.core) {
        lines.push_back("core loss " + withU(c.core->p0AtReference, 4, "W") + " at " +
                        fixedText(c.core->referenceVolts, 1) + " V, growing as V^n with n " +
                        withU(c.core->exponent, 3, ""));
    }
    return lines;
}

int HeadlessCharacterisation::run(MeasuringSession& session, PlanOperator& op, std::function<void()>& stopHook) const {
    const auto say = [this](const std::string& line) {
        std::fprintf(events, "%s: %s\n", ProgramName, line.c_str());
        std::fflush(events);
    };
    std::string why;
    std::optional<CharacterisationRun> run =
        resumeId ? CharacterisationRun::resumed(session, op, folder, *resumeId, why) : std::nullopt;
    if (resumeId) {
        if (!run) {
            say(why);
            return 2;
        }
        if (planJson(run->plan()) != planJson(plan)) {
            say("characterisation " + *resumeId + " was begun with another plan than this one");
            return 2;
        }
        say("characterisation " + *resumeId + " resumed: " + std::to_string(run->pointsDone()) + " of " +
            std::to_string(plan.points().size()) + " points done");
    } else {
        run.emplace(session, plan, op, folder);
        say("characterisation " + run->id() + " of \"" + plan.name + "\": " + std::to_string(plan.points().size()) +
            " points, kept in " + folder);
    }
    run->benchTo = benchTo;
    run->truthAt = truthAt;
    stopHook = [&run] { run->stop(); };
    const CharacterisationRun::Ended ended = run->run();
    stopHook = nullptr;
    switch (ended) {
    case CharacterisationRun::Ended::Stopped:
        say("characterisation " + run->id() + " stopped after " + std::to_string(run->pointsDone()) + " of " +
            std::to_string(plan.points().size()) + " points; to go on: --characterise PLAN --resume " + run->id() +
            " --record " + folder);
        return 1;
    case CharacterisationRun::Ended::Failed:
        say("characterisation " + run->id() + " failed: " + run->problem + "; to go on: --resume " + run->id());
        return 1;
    case CharacterisationRun::Ended::Finished:
        break;
    }
    if (!run->result().problem.empty()) {
        say("characterisation " + run->id() + ": nothing could be fitted: " + run->result().problem);
        return 1;
    }
    for (const std::string& line : characterisationLines(run->result())) {
        say(line);
    }
    say("characterisation " + run->id() + " kept in " + folder + "/characterisation-" + run->id() + ".json");
    return 0;
}
