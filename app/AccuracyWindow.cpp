#include "AccuracyWindow.h"

#include "AccuracySet.h"
#include "FileDialogParts.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <variant>

AccuracyWindow::AccuracyWindow(const Accuracy& current, const QString& adapter, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AccuracyWindow"));
    setWindowTitle(QStringLiteral("Accuracy of the bench - %1").arg(adapter));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Each a +/- limit the bench keeper declares; every figure's +/- "
                                            "comes from them (U = k u, u = limit / sqrt 3)."));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        auto* box = new QDoubleSpinBox;
        box->setObjectName(QString::fromLatin1(AccuracyKeys[i].key));
        box->setDecimals(3);
        box->setRange(AccuracyKeys[i].lowest, AccuracyKeys[i].highest);
        box->setToolTip(QStringLiteral("%1 to %2").arg(AccuracyKeys[i].lowest).arg(AccuracyKeys[i].highest));
        box->setSingleStep(0.1);
        values_[i] = box;
        form->addRow(QString::fromLatin1(AccuracyKeys[i].title), box);
    }
    layout->addLayout(form);
    auto* how = new QLabel(QStringLiteral(
        "Channel calibration: put both voltage probes (CH1 and CH3) on the load's node and both current probes "
        "(CH2 and CH4) around the load's conductor, the load and the ranges as for the passes to come (a load "
        "capacitor gives the node the angle the phase needs), then press CALIBRATE CHANNELS; put the probes back "
        "when it is taken."));
    how->setWordWrap(true);
    layout->addWidget(how);
    auto* row = new QHBoxLayout;
    calibration_ = new QLabel;
    calibration_->setObjectName(QStringLiteral("Calibration"));
    calibration_->setWordWrap(true);
    auto* calibrate = new QPushButton(QStringLiteral("CALIBRATE CHANNELS"));
    calibrate->setObjectName(QStringLiteral("CalibrateChannels"));
    calibrate->setEnabled(false);
    connect(calibrate, &QPushButton::clicked, this, [this] { this->calibrate(); });
    auto* forget = new QPushButton(QStringLiteral("FORGET"));
    forget->setObjectName(QStringLiteral("ForgetCalibration"));
    forget->setToolTip(QStringLiteral("Drop every channel calibration kept for this adapter"));
    forget->setEnabled(false);
    connect(forget, &QPushButton::clicked, this, [this] {
        if (forget_) {
            calibration_->setText(QString::fromStdString(forget_()));
        }
    });
    row->addWidget(calibration_, 1);
    row->addWidget(calibrate);
    row->addWidget(forget);
    layout->addLayout(row);
    error_ = addErrorLine(layout);
    auto* buttons =
        addFileButtons(this, layout, QStringLiteral("Accuracy"), [this](const QString& path) { openFile(path); });
    auto* save = buttons->addButton(QStringLiteral("Save file..."), QDialogButtonBox::ActionRole);
    auto* defaults = buttons->addButton(QStringLiteral("Defaults"), QDialogButtonBox::ResetRole);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, QStringLiteral("Accuracy file"), QStringLiteral("accuracy.json"),
                                         QStringLiteral("Accuracy (*.json)"));
        if (!path.isEmpty()) {
            saveFile(path);
        }
    });
    connect(defaults, &QPushButton::clicked, this, [this] {
        showValues(Accuracy{});
        error_->clear();
    });
    showValues(current);
}

Accuracy AccuracyWindow::accuracy() const {
    Accuracy a;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        a.*AccuracyKeys[i].value = values_[i]->value();
    }
    return a;
}

void AccuracyWindow::showValues(const Accuracy& a) {
    for (std::size_t i = 0; i < values_.size(); ++i) {
        values_[i]->setValue(a.*AccuracyKeys[i].value);
    }
}

bool AccuracyWindow::openFile(const QString& path) {
    const auto read = readAccuracyFile(path.toStdString());
    if (const auto* why = std::get_if<std::string>(&read)) {
        error_->setText(QString::fromStdString(*why) + QStringLiteral(" - the values stay as they were"));
        return false;
    }
    showValues(std::get<Accuracy>(read));
    error_->clear();
    return true;
}

bool AccuracyWindow::saveFile(const QString& path) {
    QFile file(path);
    const std::string json = accuracyJson(accuracy());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(json.data(), static_cast<qint64>(json.size())) != static_cast<qint64>(json.size())) {
        error_->setText(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    error_->clear();
    return true;
}

QString AccuracyWindow::error() const {
    return error_->text();
}

void AccuracyWindow::offerCalibration(const std::string& inForce, TakeCalibration take,
                                      std::function<std::string()> forget) {
    take_ = std::move(take);
    forget_ = std::move(forget);
    calibration_->setText(QString::fromStdString(inForce));
    findChild<QPushButton*>(QStringLiteral("CalibrateChannels"))->setEnabled(static_cast<bool>(take_));
    findChild<QPushButton*>(QStringLiteral("ForgetCalibration"))->setEnabled(static_cast<bool>(forget_));
}

QString AccuracyWindow::calibrationShown() const {
    return calibration_->text();
}

void AccuracyWindow::calibrate() {
    if (!take_) {
        return;
    }
    calibration_->setText(QStringLiteral("Reading %1 passes on the node...").arg(CalibrationReadings));
    const auto taken = take_();
    if (const auto* why = std::get_if<std::string>(&taken)) {
        error_->setText(QStringLiteral("No calibration was taken: %1").arg(QString::fromStdString(*why)));
        calibration_->setText(QStringLiteral("No new calibration."));
        return;
    }
    error_->clear();
    calibration_->setText(
        QStringLiteral("Taken: %1").arg(QString::fromStdString(std::get<ChannelCalibration>(taken).name())));
}
