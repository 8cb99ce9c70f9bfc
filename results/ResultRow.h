#pragma once

#include <QDateTime>
#include <QString>
#include <cmath>
#include <optional>

// One pass as the results window knows it, read from a record's row by the
// columns' names. A figure the row has no number for is none.
struct ResultRow {
    int file = 0;      // which of the reader's files
    qint64 line = 0;   // its line there (the header is line 1)
    QDateTime when;
    QString ending;    // complete, stopped, link failure
    QString transformer;
    QString supplyText, resistorText, capacitorText, averageText;
    std::optional<double> supply, resistor, capacitor; // NO LOAD and texts: none
    std::optional<double> phaseEfficiency, resistorEfficiency;
    std::optional<double> apparentInput, apparentOutput, reactiveInput, reactiveOutput;
    std::optional<double> realInput, realOutput, resistorOutputPower;
    std::optional<double> phasePowerFactor, resistorPowerFactor;
    // The estimates' U95 (points) and their ratio's (per cent), when recorded.
    std::optional<double> phaseU, resistorU, ratioU;
    QString comment;
    QString folder; // the record folder's name the row came from
    QString verdict; // against the limit set it was measured with; empty without

    bool complete() const { return ending == QLatin1String("complete"); }
    // Phase-angle estimate minus load-resistor estimate, in percentage points.
    std::optional<double> difference() const {
        if (!phaseEfficiency || !resistorEfficiency) {
            return std::nullopt;
        }
        return *phaseEfficiency - *resistorEfficiency;
    }
    // The difference's U95 in points: what the two estimates do not share
    // (their ratio's U) on the phase-angle estimate.
    std::optional<double> differenceU() const {
        if (!ratioU || !phaseEfficiency) {
            return std::nullopt;
        }
        return std::fabs(*phaseEfficiency) * *ratioU / 100;
    }
};
