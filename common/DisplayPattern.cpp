#include "DisplayPattern.h"

#include <cmath>

namespace {

struct PatternShape {
    int decimals = 0;
    int minIntegerDigits = 0;
    bool grouped = false;
};

PatternShape shapeOf(std::string_view pattern) {
    PatternShape shape;
    const auto point = pattern.find('.');
    const std::string_view integerPart = pattern.substr(0, point);
    for (char c : integerPart) {
        if (c == '0') {
            ++shape.minIntegerDigits;
        } else if (c == ',') {
            shape.grouped = true;
        }
    }
    if (point != std::string_view::npos) {
        for (char c : pattern.substr(point + 1)) {
            if (c == '0' || c == '#') {
                ++shape.decimals;
            }
        }
    }
    return shape;
}

std::string groupThousands(const std::string& digits, const std::string& separator) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += separator;
        }
        out += digits[i];
    }
    return out;
}

} // namespace

std::string formatPattern(double value, std::string_view pattern, const QLocale& locale) {
    if (!std::isfinite(value)) {
        return "OVERFLOW";
    }
    const PatternShape shape = shapeOf(pattern);
    // Fixed notation in the C locale gives the rounded digits; the pattern then
    // decides the integer digits and the grouping.
    std::string fixed = QString::number(std::fabs(value), 'f', shape.decimals).toStdString();
    const auto point = fixed.find('.');
    std::string integerDigits = fixed.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : fixed.substr(point);

    while (integerDigits.size() > 1 && integerDigits.front() == '0' &&
           static_cast<int>(integerDigits.size()) > shape.minIntegerDigits) {
        integerDigits.erase(0, 1);
    }
    if (shape.minIntegerDigits == 0 && integerDigits == "0") {
        integerDigits.clear();
    }
    while (static_cast<int>(integerDigits.size()) < shape.minIntegerDigits) {
        integerDigits.insert(0, "0");
    }
    if (shape.grouped) {
        integerDigits = groupThousands(integerDigits, locale.groupSeparator().toStdString());
    }
    std::string text = integerDigits + fraction;
    // A value that rounds to zero is shown without a sign.
    const bool roundsToZero = text.find_first_not_of("0.,") == std::string::npos;
    if (value < 0 && !roundsToZero) {
        text.insert(0, "-");
    }
    return text;
}
