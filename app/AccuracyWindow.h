#pragma once

#include "Calibration.h"
#include "Uncertainty.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <variant>

class QDoubleSpinBox;
class QLabel;

// The bench's declared accuracy, as the operator sees and sets it: the seven
// values, a file to open or save (the --accuracy file's form), the defaults.
// A file that cannot be taken leaves the values as they were and says why.
class AccuracyWindow final : public QDialog {
  public:
    AccuracyWindow(const Accuracy& current, const QString& adapter, QWidget* parent = nullptr);

    Accuracy accuracy() const;
    void showValues(const Accuracy& a);
    // Takes the file's set; false (and the reason shown) when it cannot.
    bool openFile(const QString& path);
    bool saveFile(const QString& path);
    QString error() const;

    // The channel calibration: how to set the probes for it, the one in
    // force for the bench as it is ("calibration ..." or "uncalibrated:
    // <why>"), CALIBRATE CHANNELS, which takes a new one with `take`, and
    // FORGET, which drops every one kept for the adapter.
    using TakeCalibration = std::function<std::variant<ChannelCalibration, std::string>()>;
    void offerCalibration(const std::string& inForce, TakeCalibration take, std::function<std::string()> forget);
    QString calibrationShown() const;

  private:
    QLabel* calibration_ = nullptr;
    TakeCalibration take_;
    std::function<std::string()> forget_;
    void calibrate();

    std::array<QDoubleSpinBox*, 7> values_{};
    QLabel* error_ = nullptr;
};
