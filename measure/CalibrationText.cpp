#include "Calibration.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// A calibration as it is kept between runs: one JSON object, several in an
// array.

namespace {

QJsonArray jsonTexts(const std::array<std::string, 4>& texts) {
    QJsonArray a;
    for (const std::string& t : texts) {
        a.append(QString::fromStdString(t));
    }
    return a;
}

bool textsFrom(const QJsonValue& v, std::array<std::string, 4>& to) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 4) {
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        to[i] = a[static_cast<qsizetype>(i)].toString().toStdString();
    }
    return true;
}

} // namespace

std::string ChannelCalibration::text() const {
    const QJsonObject o{{"adapter", QString::fromStdString(adapter)},
                        {"simulation", QString::fromStdString(simulation)},
                        {"scope identity", QString::fromStdString(scopeIdentity)},
                        {"probes", jsonTexts(probes)},
                        {"date", date.toString(Qt::ISODate)},
                        {"ranges", jsonTexts(ranges)},
                        {"voltage ratio", voltageRatio},
                        {"current ratio", currentRatio},
                        {"phase degrees", phaseDegrees},
                        {"node angle degrees", nodeAngleDegrees},
                        {"u voltage ratio", uVoltageRatio},
                        {"u current ratio", uCurrentRatio},
                        {"u phase degrees", uPhaseDegrees},
                        {"resistor factor", resistorFactor ? QJsonValue(*resistorFactor) : QJsonValue()},
                        {"u resistor factor", uResistorFactor},
                        {"load ohms", loadOhms},
                        {"readings", readings}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<ChannelCalibration> ChannelCalibration::fromText(const std::string& text) {
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(text));
    if (!d.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = d.object();
    ChannelCalibration c;
    c.adapter = o.value("adapter").toString().toStdString();
    c.date = QDate::fromString(o.value("date").toString(), Qt::ISODate);
    if (!c.date.isValid() || !textsFrom(o.value("ranges"), c.ranges)) {
        return std::nullopt;
    }
    // A calibration kept before it named its bench applies nowhere.
    c.known = o.value("scope identity").isString() && o.value("simulation").isString() &&
              textsFrom(o.value("probes"), c.probes);
    c.simulation = o.value("simulation").toString().toStdString();
    c.scopeIdentity = o.value("scope identity").toString().toStdString();
    const auto number = [&o](const char* key, double& to) {
        const QJsonValue v = o.value(key);
        to = v.toDouble();
        return v.isDouble() && std::isfinite(to);
    };
    if (!number("voltage ratio", c.voltageRatio) || !number("current ratio", c.currentRatio) ||
        !number("phase degrees", c.phaseDegrees) || !number("node angle degrees", c.nodeAngleDegrees) ||
        !number("u voltage ratio", c.uVoltageRatio) || !number("u current ratio", c.uCurrentRatio) ||
        !number("u phase degrees", c.uPhaseDegrees) || c.voltageRatio <= 0 || c.currentRatio <= 0 ||
        c.uVoltageRatio < 0 || c.uCurrentRatio < 0 || c.uPhaseDegrees < 0) {
        return std::nullopt;
    }
    c.readings = o.value("readings").toInt();
    if (double q = 0; number("resistor factor", q) && q > 0) {
        c.resistorFactor = q;
        number("u resistor factor", c.uResistorFactor);
        number("load ohms", c.loadOhms);
    }
    return c;
}

std::string calibrationsText(const std::vector<ChannelCalibration>& kept) {
    QJsonArray a;
    for (std::size_t i = 0; i < kept.size() && i < CalibrationsKept; ++i) {
        a.append(QJsonDocument::fromJson(QByteArray::fromStdString(kept[i].text())).object());
    }
    return QJsonDocument(a).toJson(QJsonDocument::Compact).toStdString();
}

std::vector<ChannelCalibration> calibrationsFromText(const std::string& text) {
    std::vector<ChannelCalibration> kept;
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(text));
    if (d.isObject()) {
        if (auto c = ChannelCalibration::fromText(text)) {
            kept.push_back(*c);
        }
        return kept;
    }
    for (const QJsonValue& v : d.array()) {
        const QByteArray one = QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
        if (auto c = ChannelCalibration::fromText(one.toStdString())) {
            kept.push_back(*c);
        }
    }
    return kept;
}
