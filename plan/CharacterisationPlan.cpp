#include "CharacterisationPlan.h"

#include "PlanJson.h"
#include "SetupLists.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace {

using namespace plan_json;

const std::string Where = "characterisation plan: ";
const std::vector<std::string> PlanKeys{
    "name",           "transformer", "supplies", "loads",  "capacitor", "passes per point",
    "sample average", "rated VA",    "rated A",  "preset", "note"};

// Texts of a JSON array, each one of `allowed`; or why not.
std::variant<std::vector<std::string>, std::string> itemsOf(const QJsonObject& o, const char* key,
                                                            const std::vector<std::string>& allowed) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isArray() || v.toArray().isEmpty()) {
        return Where + "\"" + key + "\" is not a list of items";
    }
    std::vector<std::string> items;
    for (const QJsonValue& item : v.toArray()) {
        const std::string text =
            item.isDouble() ? QString::number(item.toDouble(), 'f', 1).toStdString() : item.toString().toStdString();
        if (!listed(allowed, text)) {
            return Where + "\"" + key + "\" names \"" + text + "\", not one of " + joined(allowed);
        }
        if (!listed(items, text)) {
            items.push_back(text);
        }
    }
    return items;
}

std::optional<double> positiveOf(const QJsonObject& o, const char* key, std::string& why) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) {
        return std::nullopt;
    }
    if (!v.isDouble() || !(v.toDouble() > 0) || !std::isfinite(v.toDouble())) {
        why = Where + "\"" + key + "\" is not a number above zero";
        return std::nullopt;
    }
    return v.toDouble();
}

} // namespace

std::vector<CharacterisationPlan::Point> CharacterisationPlan::points() const {
    std::vector<Point> out;
    for (const std::string& supply : supplies) {
        for (const std::string& load : loads) {
            out.push_back({supply, load});
        }
    }
    return out;
}

CharacterisationPlan defaultPlan(TransformerKind kind) {
    CharacterisationPlan p;
    p.kind = kind;
    p.loads = listOf(LoadResistorItems);
    if (kind == TransformerKind::Standard) {
        p.name = "STANDARD TRANSFORMER F-54X";
        p.supplies = {"40.0", "50.0"};
        p.preset = StandardName;
        p.note = "The recommended 20 V a division puts a supply above about 56 V rms off CH1's screen "
                 "(4 divisions, a peak of 1.41 x rms): the plan keeps to 40 and 50 V.";
    } else {
        p.name = "SPLIT-FLUX TRANSFORMER #1";
        p.supplies = {"5.0", "7.5", "10.0"};
        p.preset = SplitFluxName;
        p.note = "Three supplies, so that the core's loss is seen against the supply; the set-up is run again "
                 "for each supply's band.";
    }
    return p;
}

std::variant<CharacterisationPlan, std::string> planFromJson(const std::string& bytes) {
    QJsonParseError error{};
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &error);
    if (error.error != QJsonParseError::NoError || !d.isObject()) {
        return Where + "not a JSON object (" + error.errorString().toStdString() + ")";
    }
    const QJsonObject o = d.object();
    for (const QString& key : o.keys()) {
        if (!listed(PlanKeys, key.toStdString())) {
            return Where + "\"" + key.toStdString() + "\" is not a key of a plan: " + joined(PlanKeys);
        }
    }
    CharacterisationPlan p;
    p.name = o.value(QStringLiteral("name")).toString().toStdString();
    const std::string transformer = o.value(QStringLiteral("transformer")).toString().toStdString();
    p.kind = kindNamed(transformer);
    if (p.kind == TransformerKind::Other) {
        return Where + "\"transformer\" is \"" + transformer + "\", not " + SplitFluxName + " or " + StandardName;
    }
    auto supplies = itemsOf(o, "supplies", [&p] {
        std::vector<std::string> s = supplyList(p.kind);
        s.erase(std::remove(s.begin(), s.end(), std::string(NoSupplyItem)), s.end());
        return s;
    }());
    if (auto* why = std::get_if<std::string>(&supplies)) {
        return *why;
    }
    p.supplies = std::get<std::vector<std::string>>(supplies);
    auto loads = itemsOf(o, "loads", listOf(LoadResistorItems));
    if (auto* why = std::get_if<std::string>(&loads)) {
        return *why;
    }
    p.loads = std::get<std::vector<std::string>>(loads);
    if (p.loads.size() < 3) {
        return Where + "\"loads\" names " + std::to_string(p.loads.size()) + ": a fit needs three at least";
    }
    if (o.contains(QStringLiteral("capacitor"))) {
        p.capacitor = o.value(QStringLiteral("capacitor")).toVariant().toString().toStdString();
        std::vector<std::string> caps = listOf(LoadCapacitorItems);
        caps.erase(caps.begin()); // a pass needs a capacitor
        if (!listed(caps, p.capacitor)) {
            return Where + "\"capacitor\" is \"" + p.capacitor + "\", not one of " + joined(caps);
        }
    }
    if (o.contains(QStringLiteral("passes per point"))) {
        const QJsonValue n = o.value(QStringLiteral("passes per point"));
        if (!n.isDouble() || n.toDouble() != std::floor(n.toDouble()) || n.toDouble() < 1 || n.toDouble() > 100) {
            return Where + "\"passes per point\" is not a whole number from 1 to 100";
        }
        p.passesPerPoint = n.toInt();
    }
    if (o.contains(QStringLiteral("sample average"))) {
        const std::string count = o.value(QStringLiteral("sample average")).toVariant().toString().toStdString();
        if (!listed(listOf(AverageCounts), count)) {
            return Where + "\"sample average\" is \"" + count + "\", not one of " + joined(listOf(AverageCounts));
        }
        p.sampleAverage = count;
    }
    std::string why;
    p.ratedVA = positiveOf(o, "rated VA", why);
    p.ratedAmps = why.empty() ? positiveOf(o, "rated A", why) : std::nullopt;
    if (!why.empty()) {
        return why;
    }
    p.preset = o.value(QStringLiteral("preset")).toString().toStdString();
    if (!p.preset.empty() && kindNamed(p.preset) == TransformerKind::Other) {
        return Where + "\"preset\" is \"" + p.preset + "\", not a set-up button";
    }
    p.note = o.value(QStringLiteral("note")).toString().toStdString();
    return p;
}

std::variant<CharacterisationPlan, std::string> readPlan(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        return Where + "cannot read " + path + ": " + f.errorString().toStdString();
    }
    return planFromJson(f.read(1 << 20).toStdString());
}

std::string planJson(const CharacterisationPlan& p) {
    const auto array = [](const std::vector<std::string>& items) {
        QJsonArray a;
        for (const std::string& i : items) {
            a.append(QString::fromStdString(i));
        }
        return a;
    };
    QJsonObject o{{"name", QString::fromStdString(p.name)},
                  {"transformer", QString::fromStdString(kindName(p.kind))},
                  {"supplies", array(p.supplies)},
                  {"loads", array(p.loads)},
                  {"capacitor", QString::fromStdString(p.capacitor)},
                  {"passes per point", p.passesPerPoint},
                  {"preset", QString::fromStdString(p.preset)},
                  {"note", QString::fromStdString(p.note)}};
    if (p.sampleAverage) {
        o.insert(QStringLiteral("sample average"), QString::fromStdString(*p.sampleAverage));
    }
    o.insert(QStringLiteral("rated VA"), p.ratedVA ? QJsonValue(*p.ratedVA) : QJsonValue());
    o.insert(QStringLiteral("rated A"), p.ratedAmps ? QJsonValue(*p.ratedAmps) : QJsonValue());
    return QJsonDocument(o).toJson().toStdString();
}
