#pragma once

#include "CharacterisationFit.h"
#include "CharacterisationRun.h"
#include "EfficiencyPlots.h"

#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

class QChart;
class QTableWidget;
class ZoomChartView;

// A characterisation shown: the loss against I^2 with the fitted line and its
// U95 band, the loss's residuals, the efficiency against the output power
// (the points, the fitted curve and its band, the best load marked) and the
// output voltage against its current; under them every parameter with its
// U95 (and, on the simulated bench, the circuit's truth).
class CharacterisationPlots final : public QWidget {
  public:
    explicit CharacterisationPlots(QWidget* parent = nullptr);

    void show(const Characterisation& c, const std::vector<std::pair<double, CircuitTruthAt>>& truths);
    // Points measured so far, before there is a fit.
    void showPoints(const std::vector<CharacterisationPoint>& points);
    void clear();

    // The four plots and the parameters' lines as PNG, SVG or PDF (by the
    // suffix); why not, or nothing.
    std::optional<QString> exportTo(const QString& path, const QString& title) const;

    // The table's text, row by row, cells by tabs (tests and the export).
    QStringList tableLines() const;

  private:
    void drawLoss(const Characterisation& c);
    void drawEfficiency(const Characterisation& c);
    void drawVoltage(const Characterisation& c);
    void fillTable(const Characterisation& c, const std::vector<std::pair<double, CircuitTruthAt>>& truths);

    QChart* loss_;
    QChart* residuals_;
    QChart* efficiency_;
    QChart* voltage_;
    PlotAxes lossAxes_{}, residualAxes_{}, efficiencyAxes_{}, voltageAxes_{};
    std::vector<ZoomChartView*> views_;
    QTableWidget* table_;
    QStringList lines_;
};
