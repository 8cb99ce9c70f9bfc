#include "CharacterisationFiles.h"

#include "CharacterisationRun.h"
#include "ProgramVersion.h"
#include "ResultsTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace CharacterisationFiles {

namespace {

QJsonObject estimate(const Estimate& e) {
    return QJsonObject{{"value", e.value}, {"U95", e.U}};
}

QJsonArray texts(const std::vector<std::string>& items) {
    QJsonArray a;
    for (const std::string& i : items) {
        a.append(QString::fromStdString(i));
    }
    return a;
}

const CircuitTruthAt* truthAt(const std::vector<std::pair<double, CircuitTruthAt>>& truths, double volts) {
    for (const auto& [v, t] : truths) {
        if (v == volts) {
            return &t;
        }
    }
    return nullptr;
}

QJsonObject supplyJson(const SupplyFit& s, const std::vector<std::pair<double, CircuitTruthAt>>& truths) {
    QJsonArray covariance;
    for (std::size_t r = 0; r < s.covariance.rows(); ++r) {
        QJsonArray row;
        for (std::size_t c = 0; c < s.covariance.columns(); ++c) {
            row.append(s.covariance(r, c));
        }
        covariance.append(row);
    }
    QJsonObject o{{"supply (V rms)", s.supplyVolts},
                  {"no-load loss P0 (W)", estimate(s.p0)},
                  {"linear term a (W/A)", estimate(s.a)},
                  {"gain mismatch (%)", estimate(s.mismatchPercent)},
                  {"R_eq (ohms)", estimate(s.rEq)},
                  {"no-load output V20 (V rms)", estimate(s.v20)},
                  {"output resistance (ohms)", estimate(s.rOut)},
                  {"output bend c (V/A^2)", estimate(s.bend)},
                  {"covariance of P0, a, R_eq, V20, R_out, c", covariance},
                  {"output power factor", s.outputPowerFactor},
                  {"chi2", s.chi2},
                  {"chi2 95 % limit", s.chi2Limit},
                  {"degrees of freedom", s.dof},
                  {"two-term chi2", s.twoTermChi2},
                  {"two-term chi2 95 % limit", s.twoTermChi2Limit},
                  {"best efficiency (%)", estimate(s.bestEfficiency)},
                  {"best load (ohms)", estimate(s.bestLoadOhms)},
                  {"best current (A)", estimate(s.bestCurrent)},
                  {"best output (W)", estimate(s.bestOutput)},
                  {"best beyond the loads measured", s.bestBeyondLoads},
                  {"voltage chi2", s.voltageChi2},
                  {"voltage chi2 95 % limit", s.voltageChi2Limit}};
    QJsonArray points, curve, lossResiduals, voltageResiduals;
    for (const std::size_t n : s.points) {
        points.append(static_cast<qint64>(n));
    }
    for (const SupplyFit::CurvePoint& p : s.curve) {
        curve.append(QJsonArray{p.current, p.pOut, p.efficiency, p.U});
    }
    for (const double r : s.lossResiduals) {
        lossResiduals.append(r);
    }
    for (const double r : s.voltageResiduals) {
        voltageResiduals.append(r);
    }
    o.insert(QStringLiteral("points"), points);
    o.insert(QStringLiteral("curve (A, W, %, U95)"), curve);
    o.insert(QStringLiteral("loss residuals (W)"), lossResiduals);
    o.insert(QStringLiteral("voltage residuals (V)"), voltageResiduals);
    QJsonArray fractions;
    for (const SupplyFit::AtFraction& f : s.atFractions) {
        fractions.append(QJsonObject{{"fraction", f.fraction}, {"efficiency (%)", estimate(f.efficiency)}});
    }
    o.insert(QStringLiteral("rated fractions"), fractions);
    if (s.averageOfFractions) {
        o.insert(QStringLiteral("average of the rated fractions (%)"), estimate(*s.averageOfFractions));
    }
    if (const CircuitTruthAt* t = truthAt(truths, s.supplyVolts)) {
        o.insert(QStringLiteral("simulated truth"), QJsonObject{{"no-load loss P0 (W)", t->noLoadLoss},
                                                                {"R_eq (ohms)", t->referredResistance},
                                                                {"best efficiency (%)", t->bestEfficiency},
                                                                {"best load (ohms)", t->bestLoadOhms}});
    }
    return o;
}

std::string number(double v) {
    return ResultsTable::numberField(v);
}

} // namespace

std::string pointLine(const CharacterisationPoint& p, const std::vector<std::string>& passIds) {
    const QJsonObject o{{"supply", p.supplyVolts},
                        {"load", QString::fromStdString(p.load)},
                        {"passes", p.passes},
                        {"pIn", p.pIn},
                        {"qIn", p.qIn},
                        {"pOut", p.pOut},
                        {"qOut", p.qOut},
                        {"vOut", p.vOut},
                        {"iOut", p.iOut},
                        {"uLoss", p.uLoss},
                        {"uVOut", p.uVOut},
                        {"uIOut", p.uIOut},
                        {"outputScale", p.outputScale},
                        {"calibrated", p.calibrated},
                        {"pass ids", texts(passIds)}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<CharacterisationPoint> pointOf(const std::string& line, std::vector<std::string>& passIds) {
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(line));
    if (!d.isObject()) {
        return std::nullopt; // a line cut off by a crash: that point is measured again
    }
    const QJsonObject o = d.object();
    CharacterisationPoint p;
    p.supplyVolts = o.value("supply").toDouble();
    p.load = o.value("load").toString().toStdString();
    p.passes = o.value("passes").toInt();
    for (auto [key, field] : {std::pair{"pIn", &p.pIn},
                              {"qIn", &p.qIn},
                              {"pOut", &p.pOut},
                              {"qOut", &p.qOut},
                              {"vOut", &p.vOut},
                              {"iOut", &p.iOut},
                              {"uLoss", &p.uLoss},
                              {"uVOut", &p.uVOut},
                              {"uIOut", &p.uIOut},
                              {"outputScale", &p.outputScale}}) {
        if (!o.value(key).isDouble()) {
            return std::nullopt;
        }
        *field = o.value(key).toDouble();
    }
    p.calibrated = o.value("calibrated").toBool();
    for (const QJsonValue& id : o.value("pass ids").toArray()) {
        passIds.push_back(id.toString().toStdString());
    }
    return p;
}

std::string json(const std::string& id, const std::string& bench, const std::string& started,
                 const CharacterisationPlan& plan, const std::vector<std::string>& passIds, const Characterisation& c,
                 const std::vector<std::pair<double, CircuitTruthAt>>& truths) {
    QJsonArray supplies;
    for (const SupplyFit& s : c.supplies) {
        supplies.append(supplyJson(s, truths));
    }
    QJsonObject o{{"characterisation id", QString::fromStdString(id)},
                  {"bench", QString::fromStdString(bench)},
                  {"started", QString::fromStdString(started)},
                  {"program version", QString::fromLatin1(programVersion())},
                  {"plan", QJsonDocument::fromJson(QByteArray::fromStdString(planJson(plan))).object()},
                  {"pass ids", texts(passIds)},
                  {"coverage factor", c.coverage},
                  {"supplies", supplies},
                  {"problem", QString::fromStdString(c.problem)}};
    QJsonArray points;
    for (const CharacterisationPoint& p : c.points) {
        points.append(QJsonDocument::fromJson(QByteArray::fromStdString(pointLine(p, {}))).object());
    }
    o.insert(QStringLiteral("points"), points);
    if (c.core) {
        o.insert(QStringLiteral("core law"), QJsonObject{{"reference supply (V rms)", c.core->referenceVolts},
                                                         {"P0 at the reference (W)", estimate(c.core->p0AtReference)},
                                                         {"exponent n", estimate(c.core->exponent)},
                                                         {"chi2", c.core->chi2},
                                                         {"degrees of freedom", c.core->dof}});
    }
    return QJsonDocument(o).toJson().toStdString();
}

namespace {

Estimate estimateOf(const QJsonValue& v) {
    const QJsonObject o = v.toObject();
    return Estimate{o.value("value").toDouble(), o.value("U95").toDouble()};
}

std::vector<double> numbersOf(const QJsonValue& v) {
    std::vector<double> out;
    for (const QJsonValue& n : v.toArray()) {
        out.push_back(n.toDouble());
    }
    return out;
}

SupplyFit supplyOf(const QJsonObject& o, std::vector<std::pair<double, CircuitTruthAt>>& truths) {
    SupplyFit s;
    s.supplyVolts = o.value("supply (V rms)").toDouble();
    for (auto [key, field] : {std::pair{"no-load loss P0 (W)", &s.p0},
                              {"linear term a (W/A)", &s.a},
                              {"gain mismatch (%)", &s.mismatchPercent},
                              {"R_eq (ohms)", &s.rEq},
                              {"no-load output V20 (V rms)", &s.v20},
                              {"output resistance (ohms)", &s.rOut},
                              {"output bend c (V/A^2)", &s.bend},
                              {"best efficiency (%)", &s.bestEfficiency},
                              {"best load (ohms)", &s.bestLoadOhms},
                              {"best current (A)", &s.bestCurrent},
                              {"best output (W)", &s.bestOutput}}) {
        *field = estimateOf(o.value(key));
    }
    for (auto [key, field] : {std::pair{"chi2", &s.chi2},
                              {"chi2 95 % limit", &s.chi2Limit},
                              {"two-term chi2", &s.twoTermChi2},
                              {"two-term chi2 95 % limit", &s.twoTermChi2Limit},
                              {"voltage chi2", &s.voltageChi2},
                              {"voltage chi2 95 % limit", &s.voltageChi2Limit},
                              {"output power factor", &s.outputPowerFactor}}) {
        *field = o.value(key).toDouble();
    }
    s.dof = o.value("degrees of freedom").toInt();
    const QJsonArray covariance = o.value("covariance of P0, a, R_eq, V20, R_out, c").toArray();
    s.covariance =
        SmallMatrix(static_cast<std::size_t>(covariance.size()), static_cast<std::size_t>(covariance.size()));
    for (qsizetype r = 0; r < covariance.size(); ++r) {
        const QJsonArray row = covariance.at(r).toArray();
        for (qsizetype c = 0; c < covariance.size() && c < row.size(); ++c) {
            s.covariance(static_cast<std::size_t>(r), static_cast<std::size_t>(c)) = row.at(c).toDouble();
        }
    }
    s.bestBeyondLoads = o.value("best beyond the loads measured").toBool();
    for (const double n : numbersOf(o.value("points"))) {
        s.points.push_back(static_cast<std::size_t>(n));
    }
    for (const QJsonValue& c : o.value("curve (A, W, %, U95)").toArray()) {
        const QJsonArray a = c.toArray();
        s.curve.push_back({a.at(0).toDouble(), a.at(1).toDouble(), a.at(2).toDouble(), a.at(3).toDouble()});
    }
    s.lossResiduals = numbersOf(o.value("loss residuals (W)"));
    s.voltageResiduals = numbersOf(o.value("voltage residuals (V)"));
    for (const QJsonValue& f : o.value("rated fractions").toArray()) {
        s.atFractions.push_back(
            {f.toObject().value("fraction").toDouble(), estimateOf(f.toObject().value("efficiency (%)"))});
    }
    if (o.contains("average of the rated fractions (%)")) {
        s.averageOfFractions = estimateOf(o.value("average of the rated fractions (%)"));
    }
    if (o.contains("simulated truth")) {
        const QJsonObject t = o.value("simulated truth").toObject();
        truths.emplace_back(s.supplyVolts,
                            CircuitTruthAt{t.value("no-load loss P0 (W)").toDouble(), t.value("R_eq (ohms)").toDouble(),
                                           t.value("best efficiency (%)").toDouble(),
                                           t.value("best load (ohms)").toDouble()});
    }
    return s;
}

} // namespace

std::variant<Kept, std::string> read(const std::string& bytes) {
    QJsonParseError error{};
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &error);
    if (!d.isObject()) {
        return "not a characterisation: " + error.errorString().toStdString();
    }
    const QJsonObject o = d.object();
    Kept k;
    k.id = o.value("characterisation id").toString().toStdString();
    if (k.id.empty() || !o.value("supplies").isArray() || !o.value("points").isArray()) {
        return std::string("not a characterisation: it names no characterisation id, supplies or points");
    }
    auto plan = planFromJson(QJsonDocument(o.value("plan").toObject()).toJson().toStdString());
    if (const auto* why = std::get_if<std::string>(&plan)) {
        return "its plan: " + *why;
    }
    k.plan = std::get<CharacterisationPlan>(plan);
    k.bench = o.value("bench").toString().toStdString();
    k.started = o.value("started").toString().toStdString();
    k.programVersion = o.value("program version").toString().toStdString();
    for (const QJsonValue& id : o.value("pass ids").toArray()) {
        k.passIds.push_back(id.toString().toStdString());
    }
    std::vector<std::string> none;
    for (const QJsonValue& p : o.value("points").toArray()) {
        if (auto point = pointOf(QJsonDocument(p.toObject()).toJson(QJsonDocument::Compact).toStdString(), none)) {
            k.result.points.push_back(*point);
        }
    }
    for (const QJsonValue& s : o.value("supplies").toArray()) {
        k.result.supplies.push_back(supplyOf(s.toObject(), k.truths));
        for (const std::size_t n : k.result.supplies.back().points) {
            if (n >= k.result.points.size()) {
                return std::string("not a characterisation: a supply names a point it does not hold");
            }
        }
    }
    k.result.coverage = o.value("coverage factor").toDouble(2);
    k.result.problem = o.value("problem").toString().toStdString();
    if (o.contains("core law")) {
        const QJsonObject c = o.value("core law").toObject();
        k.result.core = CoreLaw{c.value("reference supply (V rms)").toDouble(),
                                estimateOf(c.value("P0 at the reference (W)")), estimateOf(c.value("exponent n")),
                                c.value("chi2").toDouble(), c.value("degrees of freedom").toInt()};
    }
    return k;
}

std::string csvHeader() {
    return "characterisation id,date and time (ISO 8601),bench,transformer,plan,supply (V rms),points,"
           "no-load loss P0 (W),U95 no-load loss P0 (W),R_eq (ohms),U95 R_eq (ohms),gain mismatch (%),"
           "U95 gain mismatch (%),no-load output V20 (V rms),output resistance (ohms),best efficiency (%),"
           "U95 best efficiency (%),best load (ohms),U95 best load (ohms),best current (A),chi2,chi2 95 % limit,"
           "two-term chi2,two-term chi2 95 % limit,core exponent n,U95 core exponent n,"
           "simulated true no-load loss P0 (W),simulated true R_eq (ohms),simulated true best efficiency (%),"
           "simulated true best load (ohms)\r\n";
}

std::vector<std::string> csvRows(const std::string& id, const std::string& bench, const std::string& when,
                                 const CharacterisationPlan& plan, const Characterisation& c,
                                 const std::vector<std::pair<double, CircuitTruthAt>>& truths) {
    using ResultsTable::textField;
    std::vector<std::string> rows;
    for (const SupplyFit& s : c.supplies) {
        const CircuitTruthAt* t = truthAt(truths, s.supplyVolts);
        const auto truth = [t](double CircuitTruthAt::*f) { return t != nullptr ? number(t->*f) : std::string(); };
        std::string row = textField(id) + "," + textField(when) + "," + textField(bench) + "," +
                          textField(kindName(plan.kind)) + "," + textField(plan.name) + "," + number(s.supplyVolts) +
                          "," + std::to_string(s.points.size());
        for (const double v :
             {s.p0.value, s.p0.U, s.rEq.value, s.rEq.U, s.mismatchPercent.value, s.mismatchPercent.U, s.v20.value,
              s.rOut.value, s.bestEfficiency.value, s.bestEfficiency.U, s.bestLoadOhms.value, s.bestLoadOhms.U,
              s.bestCurrent.value, s.chi2, s.chi2Limit, s.twoTermChi2, s.twoTermChi2Limit}) {
            row += "," + number(v);
        }
        row += "," + (c.core ? number(c.core->exponent.value) : std::string()) + "," +
               (c.core ? number(c.core->exponent.U) : std::string());
        row += "," + truth(&CircuitTruthAt::noLoadLoss) + "," + truth(&CircuitTruthAt::referredResistance) + "," +
               truth(&CircuitTruthAt::bestEfficiency) + "," + truth(&CircuitTruthAt::bestLoadOhms) + "\r\n";
        rows.push_back(row);
    }
    return rows;
}

} // namespace CharacterisationFiles
