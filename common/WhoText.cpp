#include "WhoText.h"

#include <QString>

namespace {
constexpr int Longest = 64;
}

std::string whoText(const std::string& typed) {
    QString text = QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size()));
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format; });
    return text.simplified().left(Longest).toStdString();
}

std::string whyNotASerial(const std::string& typed) {
    const QString text = QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size()));
    if (text.trimmed().isEmpty()) {
        return "the unit's serial is empty";
    }
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) {
            return "the unit's serial holds a control character (" + QString::number(c.unicode(), 16).toStdString() +
                   " hex)";
        }
    }
    if (text.trimmed().size() > Longest) {
        return "the unit's serial has " + std::to_string(text.trimmed().size()) + " characters; at most 64";
    }
    return {};
}
