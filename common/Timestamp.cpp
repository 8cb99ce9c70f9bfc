#include "Timestamp.h"

namespace {

QString timeFormatWithSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

} // namespace

std::string timestampText(const QDateTime& when, const QLocale& locale) {
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    const QString time = locale.toString(when.time(), timeFormatWithSeconds(locale));
    return (date + QLatin1Char(' ') + time).toStdString();
}
