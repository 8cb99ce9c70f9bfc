#pragma once

#include <QString>

// A supply as the characterisation's plots and table name it: "10.0 V".
inline QString volts(double v) {
    return QString::number(v, 'f', 1) + QStringLiteral(" V");
}
