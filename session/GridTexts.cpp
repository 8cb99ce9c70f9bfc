#include "GridTexts.h"

#include "CommandNumber.h"
#include "DisplayPattern.h"

#include <cmath>

std::string gainText(double scale, const char* unit) {
    if (scale >= 1) {
        return formatPattern(scale, "###0.0") + " " + unit + "/div";
    }
    return formatPattern(scale * 1000, "###0.0") + " m" + unit + "/div";
}

std::string voltProbeText(double factor) {
    return formatPattern(factor, "###0") + "X";
}

std::string ampProbeText(double factor) {
    if (std::isfinite(factor) && factor != std::round(factor)) {
        return plainNumber(factor) + "X";
    }
    return voltProbeText(factor);
}

std::string sensorText(double voltsPerAmp) {
    if (voltsPerAmp >= 1) {
        return formatPattern(voltsPerAmp, "###0.0") + " V/A";
    }
    return formatPattern(voltsPerAmp * 1000, "###0.0") + " mV/A";
}
