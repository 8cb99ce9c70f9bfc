#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// sign? (digits ('.' digits?)? | '.' digits) (('e'|'E') sign? digits)?
bool isPlainNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t mantissaDigits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == s.size();
}

} // namespace

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimmed(text);
    if (!isPlainNumber(s)) {
        return std::nullopt;
    }
    std::string normal(s);
    if (normal.front() == '+') {
        normal.erase(0, 1);
    }
    double value = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec != std::errc() || result.ptr != normal.data() + normal.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> parseWholeNumber(std::string_view text) {
    std::string_view s = trimmed(text);
    if (s.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!isDigit(s[i]) && !(i == 0 && (s[i] == '-' || s[i] == '+'))) {
            return std::nullopt;
        }
    }
    const auto value = parseNumber(s);
    if (!value || *value > std::numeric_limits<int>::max() || *value < std::numeric_limits<int>::min()) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}
