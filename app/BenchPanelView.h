#pragma once

#include <QRect>
#include <QWidget>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class SimScope;

// With --simulate: a small window that sets up the simulated bench (the
// transformer, its supply and its load). It is not part of the instrument.
class BenchPanelView final : public QWidget {
  public:
    explicit BenchPanelView(SimScope& scope);

    // How a change reaches the scope: by default at once; in the program on
    // the thread that runs the device calls, after the call under way.
    std::function<void(std::function<void()>)> onDeviceThread;

    // Opens where it hides none of the instrument's windows (which take
    // `occupied`) when the screen allows, else at the screen's corner with
    // its title bar on the screen.
    void placeAwayFrom(QRect occupied);

  private:
    void change(std::function<void(SimScope&)> edit);
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
