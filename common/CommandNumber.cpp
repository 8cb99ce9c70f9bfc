#include "CommandNumber.h"

#include <array>
#include <charconv>
#include <cmath>

std::string commandNumber(double value) {
    if (!std::isfinite(value)) {
        // Operator input is checked before it gets here; never send "inf".
        return " 0";
    }
    if (value == 0.0) {
        return " 0";
    }
    std::array<char, 400> buffer{};
    const double magnitude = std::fabs(value);
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::fixed);
    std::string digits(buffer.data(), result.ptr);
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') {
        digits.erase(0, 1);
    }
    return (value < 0 ? "-" : " ") + digits;
}

std::string commandNumber(std::int32_t value) {
    const std::int64_t wide = value;
    return (wide < 0 ? "-" : " ") + std::to_string(wide < 0 ? -wide : wide);
}

std::string plainNumber(double value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

bool isSendable(std::string_view commandText) {
    if (commandText.size() > LongestCommandText) {
        return false;
    }
    for (char c : commandText) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) {
            return false;
        }
    }
    return true;
}
