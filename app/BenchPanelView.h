#pragma once

#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class SimScope;

// With --simulate: a small window that sets up the simulated bench (the
// transformer, its supply and its load). It is not part of the instrument.
class BenchPanelView final : public QWidget {
public:
    explicit BenchPanelView(SimScope& scope);

private:
    void applyTransformer(int index);
    void applyLoadResistor();
    void applyLoadCapacitor();

    SimScope& scope_;
    QComboBox* transformer_;
    QDoubleSpinBox* supply_;
    QDoubleSpinBox* frequency_;
    QComboBox* resistor_;
    QComboBox* capacitor_;
};
