#pragma once

#include <QDateTime>
#include <QLocale>
#include <string>

// "ddddd ttttt": the user's short date, a blank, and the time of day with
// seconds in the user's form (the long time format without its zone).
std::string timestampText(const QDateTime& when, const QLocale& locale = QLocale());
