#include "LimitSet.h"

#include "FigureCatalogue.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

const std::string Where = "limit set: ";

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// A bound's key in a limit: absent, a number (infinite: absent), or wrong.
std::variant<std::optional<double>, std::string> boundOf(const QJsonObject& limit, const char* key,
                                                         const std::string& column) {
    const QString name = QString::fromLatin1(key);
    if (!limit.contains(name)) {
        return std::optional<double>();
    }
    const QJsonValue v = limit.value(name);
    // JSON has no infinity: "inf", "-inf" (or "infinity") and null stand for an absent bound.
    const QString word = v.toString().toLower().remove(QLatin1Char('+'));
    if (v.isNull() || word == QLatin1String("inf") || word == QLatin1String("-inf") ||
        word == QLatin1String("infinity") || word == QLatin1String("-infinity")) {
        return std::optional<double>();
    }
    if (!v.isDouble() || std::isnan(v.toDouble())) {
        return Where + quoted(column) + ": " + key + " is not a number";
    }
    const double bound = v.toDouble();
    return std::isfinite(bound) ? std::optional<double>(bound) : std::nullopt;
}

std::variant<LimitSet::Limit, std::string> limitOf(const QString& column, const QJsonValue& value) {
    const std::string title = column.toStdString();
    if (catalogueFigure(title) == nullptr) {
        return Where + "unknown column " + quoted(title) + " (a record column of a measured value or a figure)";
    }
    if (!value.isObject()) {
        return Where + quoted(title) + " is not an object with lower and upper";
    }
    LimitSet::Limit limit{title, {}};
    const QJsonObject object = value.toObject();
    for (const auto& [key, bound] :
         {std::pair{"lower", &limit.bounds.lower}, std::pair{"upper", &limit.bounds.upper}}) {
        auto read = boundOf(object, key, title);
        if (const auto* why = std::get_if<std::string>(&read)) {
            return *why;
        }
        *bound = std::get<std::optional<double>>(read);
    }
    if (!object.contains(QStringLiteral("lower")) && !object.contains(QStringLiteral("upper"))) {
        return Where + quoted(title) + " has neither lower nor upper";
    }
    if (limit.bounds.lower && limit.bounds.upper && *limit.bounds.lower > *limit.bounds.upper) {
        return Where + quoted(title) + ": lower " + number(*limit.bounds.lower) + " is above upper " +
               number(*limit.bounds.upper);
    }
    return limit;
}

std::string text(const QJsonValue& v) {
    return v.isDouble() ? number(v.toDouble()) : v.toString().toStdString();
}

// "decides": one limited column, or a list of them.
std::string readDecides(const QJsonObject& o, LimitSet& set) {
    if (!o.contains(QStringLiteral("decides"))) {
        return {};
    }
    const QJsonValue v = o.value(QStringLiteral("decides"));
    QJsonArray names;
    if (v.isString()) {
        names.append(v);
    } else if (v.isArray()) {
        names = v.toArray();
    }
    if (names.isEmpty()) {
        return Where + "decides is not a limited column or a list of them";
    }
    for (const QJsonValue& name : names) {
        const std::string column = name.toString().toStdString();
        const bool limited = std::any_of(set.limits.begin(), set.limits.end(),
                                         [&column](const LimitSet::Limit& l) { return l.column == column; });
        if (!name.isString() || !limited) {
            return Where + "decides names " + quoted(column.empty() ? text(name) : column) +
                   ", which is not one of the set's limits";
        }
        set.decides.push_back(column);
    }
    return {};
}

} // namespace

std::string LimitSet::title() const {
    return version.empty() ? name : name + ", version " + version;
}

std::variant<LimitSet, std::string> limitSetFromJson(const std::string& bytes) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &error);
    if (error.error != QJsonParseError::NoError) {
        return Where + "not JSON (" + error.errorString().toStdString() + " at byte " + std::to_string(error.offset) +
               ")";
    }
    if (!document.isObject()) {
        return Where + "not a JSON object";
    }
    const QJsonObject o = document.object();
    LimitSet set;
    set.name = text(o.value(QStringLiteral("name")));
    set.version = text(o.value(QStringLiteral("version")));
    const QString rule = o.value(QStringLiteral("rule")).toString();
    if (!o.contains(QStringLiteral("rule"))) {
        return Where + "missing rule (\"simple\" or \"guard-band\")";
    }
    if (rule == QLatin1String("simple")) {
        set.rule = Rule::Simple;
    } else if (rule == QLatin1String("guard-band")) {
        set.rule = Rule::GuardBand;
    } else {
        return Where + "unknown rule " + quoted(text(o.value(QStringLiteral("rule")))) +
               " (\"simple\" or \"guard-band\")";
    }
    if (o.contains(QStringLiteral("guard"))) {
        const QJsonValue guard = o.value(QStringLiteral("guard"));
        if (!guard.isDouble() || !std::isfinite(guard.toDouble())) {
            return Where + "guard is not a number";
        }
        if (guard.toDouble() < 0) {
            return Where + "guard is negative (" + number(guard.toDouble()) + ")";
        }
        set.guard = guard.toDouble();
    }
    const QJsonValue limits = o.value(QStringLiteral("limits"));
    if (!limits.isObject() || limits.toObject().isEmpty()) {
        return Where + "no limits (an object naming record columns)";
    }
    const QJsonObject byColumn = limits.toObject();
    for (auto it = byColumn.begin(); it != byColumn.end(); ++it) {
        auto limit = limitOf(it.key(), it.value());
        if (const auto* why = std::get_if<std::string>(&limit)) {
            return *why;
        }
        set.limits.push_back(std::get<LimitSet::Limit>(limit));
    }
    if (auto why = readDecides(o, set); !why.empty()) {
        return why;
    }
    set.sha256 =
        QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
    set.bytes = bytes;
    return set;
}

std::variant<LimitSet, std::string> readLimitSet(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return Where + "cannot read " + path + ": " + file.errorString().toStdString();
    }
    return limitSetFromJson(file.read(1 << 20).toStdString());
}

namespace {

std::string figureText(double v) {
    char t[32];
    std::snprintf(t, sizeof t, "%.4g", v);
    return t;
}

// "phase angle efficiency (%) 84.2 ± 8.9 is below the lower limit 85 (guard-band, w = 8.9)"
std::string reasonFor(const LimitSet::Limit& limit, std::optional<double> value, std::optional<double> U,
                      const LimitSet& set) {
    std::string r = limit.column + " ";
    if (!value || std::isnan(*value)) {
        return r + "has no number";
    }
    r += figureText(*value);
    if (U) {
        r += " \u00b1 " + figureText(*U);
    } else if (set.rule == Rule::GuardBand) {
        return r + " has no U (the guard-band rule needs one)";
    }
    // The bound the value is nearest to (or furthest beyond) decides.
    const auto& b = limit.bounds;
    const double belowUpper = b.upper ? *b.upper - *value : INFINITY;
    const double aboveLower = b.lower ? *value - *b.lower : INFINITY;
    if (!b.lower && !b.upper) {
        r += " has no finite limit";
    } else if (b.lower && aboveLower <= belowUpper) {
        r += std::string(aboveLower < 0 ? " is below" : " is above") + " the lower limit " + figureText(*b.lower);
    } else {
        r += std::string(belowUpper < 0 ? " is above" : " is below") + " the upper limit " + figureText(*b.upper);
    }
    r += set.rule == Rule::GuardBand ? " (guard-band, w = " + figureText(set.guard * U.value_or(0)) + ")" : " (simple)";
    return r;
}

// Why a calibrated figure is not judged: no calibration held, none applies,
// or it does not fit the bench; empty when it is.
std::string whyNotCalibrated(const PassOutcome::Calibrated& c) {
    if (!c.applied) {
        return c.calibration.empty() ? "no channel calibration is held" : c.calibration;
    }
    return c.misfit;
}

} // namespace

PassVerdict judgePass(const PassOutcome& pass, const LimitSet& set) {
    PassVerdict result;
    result.limitSet = set.title();
    result.limitSetSha = set.sha256;
    if (pass.ending != PassOutcome::Ending::Complete) {
        result.verdict = Verdict::NoVerdict;
        result.reason =
            pass.ending == PassOutcome::Ending::Stopped ? "the pass was stopped" : "the pass failed on the link";
        return result;
    }
    Verdict worst = Verdict::Pass;
    std::string worstReason;
    for (const LimitSet::Limit& limit : set.limits) {
        const CatalogueFigure* column = catalogueFigure(limit.column);
        const std::optional<double> value = column != nullptr ? column->number(pass) : std::nullopt;
        const std::optional<double> U = column != nullptr ? column->U(pass) : std::nullopt;
        // A calibrated figure whose calibration is not in force, or does not
        // fit this bench, is no figure to judge: the uncalibrated one does
        // not stand in for it.
        const std::string noCalibration =
            column != nullptr && column->calibrated ? whyNotCalibrated(pass.calibrated) : std::string();
        const Verdict v =
            noCalibration.empty() ? judge(value, U, limit.bounds, set.rule, set.guard) : Verdict::NoVerdict;
        const std::string reason = noCalibration.empty() ? reasonFor(limit, value, U, set)
                                                         : limit.column + " has no verdict: " + noCalibration;
        result.figures.push_back({limit.column, v, reason});
        const bool decides =
            set.decides.empty() || std::find(set.decides.begin(), set.decides.end(), limit.column) != set.decides.end();
        if (decides && (worstReason.empty() || v > worst)) {
            worst = v;
            worstReason = reason;
        }
    }
    result.verdict = worst;
    result.reason = worst == Verdict::Pass ? "every limited figure inside its " +
                                                 std::string(set.rule == Rule::GuardBand ? "acceptance limit" : "limit")
                                           : worstReason;
    return result;
}

std::optional<Verdict> judgeTruth(const PassOutcome& pass, const LimitSet& set) {
    if (!pass.truth || pass.ending != PassOutcome::Ending::Complete || !(pass.truth->inputPower > 0)) {
        return std::nullopt;
    }
    Verdict worst = Verdict::Pass;
    for (const LimitSet::Limit& limit : set.limits) {
        if (!set.decides.empty() &&
            std::find(set.decides.begin(), set.decides.end(), limit.column) == set.decides.end()) {
            continue;
        }
        const CatalogueFigure* column = catalogueFigure(limit.column);
        const auto truth = column != nullptr && column->truth != nullptr ? column->truth(*pass.truth) : std::nullopt;
        if (!truth) {
            return std::nullopt; // a figure whose truth the bench does not know
        }
        worst = std::max(worst, judge(*truth, column->U(pass), limit.bounds, set.rule, set.guard));
    }
    return worst;
}
