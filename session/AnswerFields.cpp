#include "AnswerFields.h"

#include "NumberText.h"

int findKeyword(const std::string& answer, std::string_view keyword) {
    const auto at = answer.find(keyword);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

std::string charactersAt(const std::string& answer, int position, int length) {
    if (position < 1 || length <= 0 || static_cast<std::size_t>(position) > answer.size()) {
        return {};
    }
    return answer.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(length));
}

std::optional<std::string> textUpTo(const std::string& answer, int position, char separator) {
    if (position < 1 || static_cast<std::size_t>(position) > answer.size()) {
        return std::nullopt;
    }
    const auto start = static_cast<std::size_t>(position - 1);
    const auto end = answer.find(separator, start);
    if (end == std::string::npos) {
        return std::nullopt;
    }
    return answer.substr(start, end - start);
}

std::optional<double> numberField(const std::string& answer, std::string_view keyword, int offset) {
    const int p = findKeyword(answer, keyword);
    if (p == 0) {
        return std::nullopt;
    }
    const auto text = textUpTo(answer, p + offset, ';');
    return text ? parseNumber(*text) : std::nullopt;
}

std::string fixedField(const std::string& answer, std::string_view keyword, int offset, int length) {
    const int p = findKeyword(answer, keyword);
    return p == 0 ? std::string() : charactersAt(answer, p + offset, length);
}

std::optional<std::string> invertField(const std::string& answer) {
    const int p = findKeyword(answer, "INVERT");
    if (p == 0) {
        return std::nullopt;
    }
    const auto from = static_cast<std::size_t>(p - 1 + 7);
    if (from <= answer.size() && answer.find("OFF", from) != std::string::npos) {
        return std::string("OFF");
    }
    if (from <= answer.size() && answer.find("ON", from) != std::string::npos) {
        return std::string("ON");
    }
    return std::nullopt;
}

std::optional<std::string> definitionField(const std::string& answer) {
    const int p = findKeyword(answer, "DEFINE");
    if (p == 0) {
        return std::nullopt;
    }
    auto text = textUpTo(answer, p + 8, ';');
    if (!text || text->empty()) {
        return std::nullopt;
    }
    text->pop_back(); // the closing quote mark
    return text;
}

std::optional<double> scaleReadBack(const std::string& answer) {
    const auto text = textUpTo(answer, 12, '\r');
    return text ? parseNumber(*text) : std::nullopt;
}
