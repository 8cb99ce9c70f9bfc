#include "LineOperator.h"

#include "ProgramVersion.h"
#include "StopSignals.h"

#include <QString>
#include <cmath>
#include <poll.h>
#include <unistd.h>

bool LineOperator::ready(const std::string& prompt) {
    if (StopSignals::requested()) {
        return false;
    }
    say(prompt);
    if (unattended_) {
        return true;
    }
    std::string answer;
    if (!readLine(answer)) {
        say(StopSignals::requested() ? "stopped by a signal at the prompt" : "no answer (the input ended): stopped");
        return false;
    }
    return QString::fromStdString(answer).trimmed().compare(QStringLiteral("stop"), Qt::CaseInsensitive) != 0;
}

void LineOperator::progress(const PlanProgress& p) {
    std::string line = p.what + " " + std::to_string(p.point) + " of " + std::to_string(p.points) + ", " + p.doing;
    if (p.secondsLeft > 0) {
        line += " (about " + std::to_string(static_cast<long long>(std::ceil(p.secondsLeft))) + " s left)";
    }
    say(line);
}

void LineOperator::say(const std::string& line) {
    std::fprintf(events_, "%s: %s\n", ProgramName, line.c_str());
    std::fflush(events_);
}

bool LineOperator::readLine(std::string& line) {
    line.clear();
    for (;;) {
        pollfd fd{answersFd_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, 200);
        if (StopSignals::requested()) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        char c = 0;
        const ssize_t got = ::read(answersFd_, &c, 1);
        if (got <= 0) {
            return !line.empty(); // the input's end: a last line without its line end still counts
        }
        if (c == '\n') {
            return true;
        }
        if (line.size() < 4096) {
            line += c;
        }
    }
}
