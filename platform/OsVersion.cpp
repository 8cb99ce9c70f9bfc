#include "OsVersion.h"

#include <QStringList>
#include <QSysInfo>

std::int32_t SystemOsVersion::GetVersionExA(OSVERSIONINFOA* info) {
    // "6.1.0-18-amd64" and "10.0.19045" both start with major.minor.
    const QStringList parts = QSysInfo::kernelVersion().split(QLatin1Char('.'));
    bool okMajor = false;
    bool okMinor = false;
    const uint major = parts.value(0).toUInt(&okMajor);
    // "1-rc2" and the like: the leading digits are the minor version.
    QString minorText = parts.value(1);
    qsizetype digits = 0;
    while (digits < minorText.size() && minorText[digits].isDigit()) {
        ++digits;
    }
    const uint minor = minorText.left(digits).toUInt(&okMinor);
    if (!okMajor) {
        return 0;
    }
    info->dwMajorVersion = major;
    info->dwMinorVersion = okMinor ? minor : 0;
    return 1;
}
