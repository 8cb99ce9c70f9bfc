#include "AccuracySet.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>

namespace {

std::string quoted(const QString& key) {
    return "\"" + key.toStdString() + "\"";
}

const AccuracyKey* keyNamed(const QString& name) {
    for (const AccuracyKey& k : AccuracyKeys) {
        if (name == QLatin1String(k.key)) {
            return &k;
        }
    }
    return nullptr;
}

} // namespace

std::string rangeText(const AccuracyKey& k) {
    return QString::number(k.lowest).toStdString() + " to " + QString::number(k.highest).toStdString();
}

std::string whyRefused(const AccuracyKey& k, double value) {
    const std::string range = ": its range is " + rangeText(k);
    const std::string shown = QString::number(value).toStdString();
    if (!std::isfinite(value)) {
        return "is not a number";
    }
    if (value < 0) {
        return "is negative (" + shown + ")" + range;
    }
    if (k.value == &Accuracy::coverage && value == 0) {
        return "must be above zero" + range;
    }
    if (value < k.lowest || value > k.highest) {
        return "is " + shown + ", outside its range " + rangeText(k);
    }
    return {};
}

std::variant<Accuracy, std::string> accuracyFromJson(const std::string& bytes) {
    const std::string where = "accuracy file: ";
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &error);
    if (error.error != QJsonParseError::NoError) {
        return where + "not JSON (" + error.errorString().toStdString() + " at byte " + std::to_string(error.offset) +
               ")";
    }
    if (!document.isObject()) {
        return where + "not a JSON object";
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (keyNamed(it.key()) == nullptr) {
            return where + "unknown key " + quoted(it.key());
        }
    }
    Accuracy a;
    for (const AccuracyKey& k : AccuracyKeys) {
        const QString key = QLatin1String(k.key);
        if (!object.contains(key)) {
            return where + "missing key " + quoted(key);
        }
        const QJsonValue v = object.value(key);
        if (!v.isDouble() || !std::isfinite(v.toDouble())) {
            return where + quoted(key) + " is not a number";
        }
        const double number = v.toDouble();
        if (const std::string why = whyRefused(k, number); !why.empty()) {
            return where + quoted(key) + " " + why;
        }
        a.*k.value = number;
    }
    return a;
}

std::variant<Accuracy, std::string> readAccuracyFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return "accuracy file: cannot read " + path + ": " + file.errorString().toStdString();
    }
    // A declared accuracy is a few hundred bytes; a larger file is no such set.
    const QByteArray bytes = file.read(1 << 20);
    return accuracyFromJson(bytes.toStdString());
}

std::string accuracyJson(const Accuracy& a) {
    QJsonObject object;
    for (const AccuracyKey& k : AccuracyKeys) {
        object.insert(QLatin1String(k.key), a.*k.value);
    }
    return QJsonDocument(object).toJson().toStdString();
}
