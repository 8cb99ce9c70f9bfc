#include "UnitTestPlan.h"

#include "PlanJson.h"
#include "SetupLists.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

using namespace plan_json;

const std::string Where = "unit test plan: ";
const std::vector<std::string> PlanKeys{"name", "version", "transformer", "preset", "customer", "steps"};
const std::vector<std::string> StepKeys{"name",   "supply", "load",   "capacitor",   "sample average",
                                        "passes", "prompt", "limits", "limits file", "limits sha256"};
const std::vector<std::string> StepNeeds{"name", "supply", "load", "capacitor", "passes", "prompt"};

std::string sha256Of(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

std::string textOf(const QJsonValue& v) {
    return v.isDouble() ? QString::number(v.toDouble(), 'f', 1).toStdString() : v.toString().toStdString();
}

std::string unknownKey(const QJsonObject& o, const std::vector<std::string>& keys, const std::string& where) {
    for (const QString& key : o.keys()) {
        if (!listed(keys, key.toStdString())) {
            return Where + where + "\"" + key.toStdString() + "\" is not a key: " + joined(keys);
        }
    }
    return {};
}

// An item of one of the windows' lists, as they show it; or why not.
std::string pick(const QJsonObject& o, const char* key, const std::vector<std::string>& allowed, std::string& into,
                 const std::string& where) {
    into = key == std::string("capacitor") ? o.value(QLatin1String(key)).toVariant().toString().toStdString()
                                           : textOf(o.value(QLatin1String(key)));
    return listed(allowed, into) ? std::string()
                                 : Where + where + "\"" + key + "\" is \"" + into + "\", not one of " + joined(allowed);
}

std::variant<LimitSet, std::string> stepLimits(const QJsonObject& s, const std::string& folder,
                                               const std::string& where, std::string& file) {
    const bool inline_ = s.contains(QStringLiteral("limits"));
    const bool filed = s.contains(QStringLiteral("limits file"));
    if (inline_ == filed) {
        return Where + where + "needs \"limits\" (a limit set) or \"limits file\" with \"limits sha256\", one of them";
    }
    if (inline_) {
        if (!s.value(QStringLiteral("limits")).isObject()) {
            return Where + where + "\"limits\" is not a limit set";
        }
        auto set = limitSetFromJson(QJsonDocument(s.value(QStringLiteral("limits")).toObject()).toJson().toStdString());
        if (const auto* why = std::get_if<std::string>(&set)) {
            return Where + where + *why;
        }
        return set;
    }
    file = s.value(QStringLiteral("limits file")).toString().toStdString();
    const std::string expected = s.value(QStringLiteral("limits sha256")).toString().toLower().toStdString();
    if (expected.size() != 64) {
        return Where + where + "\"limits file\" needs \"limits sha256\", the file's 64 hex digits";
    }
    const QString path = QFileInfo(QString::fromStdString(file)).isAbsolute()
                             ? QString::fromStdString(file)
                             : QDir(QString::fromStdString(folder)).filePath(QString::fromStdString(file));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return Where + where + "cannot read limits file " + file + ": " + f.errorString().toStdString();
    }
    const QByteArray bytes = f.read(1 << 20);
    if (sha256Of(bytes) != expected) {
        return Where + where + "limits file " + file + " has SHA-256 " + sha256Of(bytes) + ", not " + expected +
               " as the plan says: the file is not the one the plan was written for";
    }
    auto set = limitSetFromJson(bytes.toStdString());
    if (const auto* why = std::get_if<std::string>(&set)) {
        return Where + where + file + ": " + *why;
    }
    return set;
}

std::variant<UnitTestPlan::Step, std::string> stepOf(const QJsonValue& v, TransformerKind kind, int n,
                                                     const std::string& folder) {
    const std::string where = "step " + std::to_string(n) + ": ";
    if (!v.isObject()) {
        return Where + where + "is not an object";
    }
    const QJsonObject s = v.toObject();
    if (std::string why = unknownKey(s, StepKeys, where); !why.empty()) {
        return why;
    }
    for (const std::string& key : StepNeeds) {
        if (!s.contains(QString::fromStdString(key))) {
            return Where + where + "has no \"" + key + "\"";
        }
    }
    UnitTestPlan::Step step;
    step.name = s.value(QStringLiteral("name")).toString().simplified().toStdString();
    step.prompt = s.value(QStringLiteral("prompt")).toString().simplified().toStdString();
    if (step.name.empty() || step.prompt.empty()) {
        return Where + where + "\"name\" and \"prompt\" are texts, not empty";
    }
    std::vector<std::string> supplies = supplyList(kind);
    supplies.erase(std::remove(supplies.begin(), supplies.end(), std::string(NoSupplyItem)), supplies.end());
    std::vector<std::string> caps = listOf(LoadCapacitorItems);
    caps.erase(caps.begin()); // a pass needs a capacitor
    for (const std::string& why :
         {pick(s, "supply", supplies, step.supply, where), pick(s, "load", listOf(LoadResistorItems), step.load, where),
          pick(s, "capacitor", caps, step.capacitor, where)}) {
        if (!why.empty()) {
            return why;
        }
    }
    if (s.contains(QStringLiteral("sample average"))) {
        std::string count;
        if (std::string why = pick(s, "sample average", listOf(AverageCounts), count, where); !why.empty()) {
            return why;
        }
        step.sampleAverage = count;
    }
    const QJsonValue passes = s.value(QStringLiteral("passes"));
    if (!passes.isDouble() || passes.toDouble() != std::floor(passes.toDouble()) || passes.toDouble() < 1 ||
        passes.toDouble() > 100) {
        return Where + where + "\"passes\" is not a whole number from 1 to 100";
    }
    step.passes = passes.toInt();
    auto limits = stepLimits(s, folder, where, step.limitsFile);
    if (const auto* why = std::get_if<std::string>(&limits)) {
        return *why;
    }
    step.limits = std::get<LimitSet>(limits);
    return step;
}

} // namespace

std::variant<UnitTestPlan, std::string> unitTestPlanFromJson(const std::string& bytes, const std::string& folder) {
    QJsonParseError error{};
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &error);
    if (error.error != QJsonParseError::NoError || !d.isObject()) {
        return Where + "not a JSON object (" + error.errorString().toStdString() + ")";
    }
    const QJsonObject o = d.object();
    if (std::string why = unknownKey(o, PlanKeys, ""); !why.empty()) {
        return why;
    }
    UnitTestPlan p;
    p.name = o.value(QStringLiteral("name")).toString().simplified().toStdString();
    p.version = o.value(QStringLiteral("version")).toVariant().toString().simplified().toStdString();
    if (p.name.empty() || p.version.empty()) {
        return Where + "needs a \"name\" and a \"version\"";
    }
    const std::string transformer = o.value(QStringLiteral("transformer")).toString().toStdString();
    p.kind = kindNamed(transformer);
    if (p.kind == TransformerKind::Other) {
        return Where + "\"transformer\" is \"" + transformer + "\", not " + SplitFluxName + " or " + StandardName;
    }
    p.preset = o.value(QStringLiteral("preset")).toString().toStdString();
    if (!p.preset.empty() && kindNamed(p.preset) == TransformerKind::Other) {
        return Where + "\"preset\" is \"" + p.preset + "\", not a set-up button";
    }
    p.customer = o.value(QStringLiteral("customer")).toString().simplified().toStdString();
    const QJsonValue steps = o.value(QStringLiteral("steps"));
    if (!steps.isArray() || steps.toArray().isEmpty() || steps.toArray().size() > 100) {
        return Where + "\"steps\" is not a list of 1 to 100 steps";
    }
    int n = 0;
    for (const QJsonValue& s : steps.toArray()) {
        auto step = stepOf(s, p.kind, ++n, folder);
        if (const auto* why = std::get_if<std::string>(&step)) {
            return *why;
        }
        const auto& named = std::get<UnitTestPlan::Step>(step).name;
        if (std::any_of(p.steps.begin(), p.steps.end(),
                        [&named](const auto& earlier) { return earlier.name == named; })) {
            return Where + "step " + std::to_string(n) + ": \"" + named + "\" names an earlier step too";
        }
        p.steps.push_back(std::get<UnitTestPlan::Step>(step));
    }
    p.bytes = bytes;
    p.sha256 = sha256Of(QByteArray::fromStdString(bytes));
    return p;
}

std::variant<UnitTestPlan, std::string> readUnitTestPlan(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        return Where + "cannot read " + path + ": " + f.errorString().toStdString();
    }
    return unitTestPlanFromJson(f.read(1 << 20).toStdString(), QFileInfo(f).absolutePath().toStdString());
}
