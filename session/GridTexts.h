#pragma once

#include <string>

// A scale in whole units, or in thousandths below 1: "10.0 V/div", "500.0 mA/div".
std::string gainText(double scale, const char* unit);

// A voltage-probe factor with its letter, as a whole number: "10X", and 12.6
// shows as "13X".
std::string voltProbeText(double factor);
// A current-probe factor with its letter. A fractional factor such as 0.2
// keeps its decimals ("0.2X"), so the next UPDATE SCOPE reads back what it wrote.
std::string ampProbeText(double factor);

// The SENSOR PROBE text of a current channel: 1.0 V/A on CH1 and CH3,
// 100.0 mV/A on CH2 and CH4.
std::string sensorText(double voltsPerAmp);
