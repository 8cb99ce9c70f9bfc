#pragma once

#include <optional>
#include <string>
#include <string_view>

// Cutting the settings answers into fields. Positions are 1-based, as the
// field rules count them.

// Position of the first occurrence of keyword, 0 when absent.
int findKeyword(const std::string& answer, std::string_view keyword);

// Up to `length` characters from `position`; fewer (or none) where the answer ends.
std::string charactersAt(const std::string& answer, int position, int length);

// The text from `position` up to the first `separator` at or after it; none
// when the separator does not follow.
std::optional<std::string> textUpTo(const std::string& answer, int position, char separator);

// Keyword found, then `offset` characters on, the text up to the next ";"
// read as a number. None when the keyword or the ";" is missing or the text
// is no number.
std::optional<double> numberField(const std::string& answer, std::string_view keyword, int offset);

// Keyword found, then `length` characters from `offset` on. Empty when the
// keyword is missing.
std::string fixedField(const std::string& answer, std::string_view keyword, int offset, int length);

// The INVERT rule: "OFF" if an OFF follows the keyword anywhere, else "ON" if
// an ON does, else none.
std::optional<std::string> invertField(const std::string& answer);

// The MATH definition between the quote marks after DEFINE.
std::optional<std::string> definitionField(const std::string& answer);

// The number of a "CHn:SCALE?" answer: from the 12th character up to the CR.
std::optional<double> scaleReadBack(const std::string& answer);
