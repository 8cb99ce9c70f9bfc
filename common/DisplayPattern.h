#pragma once

#include <QLocale>
#include <string>
#include <string_view>

// Digit patterns such as "##,##0.0" or "###0.00": "0" a digit always shown,
// "#" a digit shown when significant, "," asks for thousands grouping (with
// the locale's separator) and "." is the decimal point. The value is rounded
// to the pattern's decimals; a negative value gets a leading minus sign.
std::string formatPattern(double value, std::string_view pattern, const QLocale& locale = QLocale());
