#pragma once

#include "Uncertainty.h"

#include <QDialog>
#include <QString>
#include <array>

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

private:
    std::array<QDoubleSpinBox*, 7> values_{};
    QLabel* error_ = nullptr;
};

// The set last accepted for an adapter ("simulated" for the simulated
// bench), or `fallback` when none was.
Accuracy rememberedAccuracy(const QString& adapter, const Accuracy& fallback);
void rememberAccuracy(const QString& adapter, const Accuracy& a);
