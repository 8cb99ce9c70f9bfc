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
#include <QSettings>
#include <QVBoxLayout>
#include <variant>

namespace {

QString settingsKey(const QString& adapter) {
    return QStringLiteral("accuracy/") + (adapter.isEmpty() ? QStringLiteral("unknown adapter") : adapter);
}

} // namespace

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
        box->setRange(AccuracyKeys[i].value == &Accuracy::coverage ? 0.001 : 0.0, 1000.0);
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
    row->addWidget(calibration_, 1);
    row->addWidget(calibrate);
    layout->addLayout(row);
    error_ = addErrorLine(layout);
    auto* buttons = addFileButtons(this, layout, QStringLiteral("Accuracy"), [this](const QString& path) { openFile(path); });
    auto* save = buttons->addButton(QStringLiteral("Save file..."), QDialogButtonBox::ActionRole);
    auto* defaults = buttons->addButton(QStringLiteral("Defaults"), QDialogButtonBox::ResetRole);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Accuracy file"),
                                                          QStringLiteral("accuracy.json"),
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

QString AccuracyWindow::error() const { return error_->text(); }

void AccuracyWindow::offerCalibration(const std::optional<ChannelCalibration>& held, TakeCalibration take) {
    take_ = std::move(take);
    calibration_->setText(held ? QStringLiteral("Held: %1").arg(QString::fromStdString(held->name()))
                               : QStringLiteral("No channel calibration held."));
    findChild<QPushButton*>(QStringLiteral("CalibrateChannels"))->setEnabled(static_cast<bool>(take_));
}

QString AccuracyWindow::calibrationShown() const { return calibration_->text(); }

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
    calibration_->setText(QStringLiteral("Taken: %1").arg(QString::fromStdString(std::get<ChannelCalibration>(taken).name())));
}

namespace {

QString calibrationKey(const QString& adapter) {
    return QStringLiteral("calibration/") + (adapter.isEmpty() ? QStringLiteral("unknown adapter") : adapter);
}

} // namespace

std::optional<ChannelCalibration> rememberedCalibration(const QString& adapter) {
    auto c = ChannelCalibration::fromText(QSettings().value(calibrationKey(adapter)).toString().toStdString());
    return c && QString::fromStdString(c->adapter) == adapter ? c : std::nullopt;
}

void rememberCalibration(const ChannelCalibration& c) {
    QSettings().setValue(calibrationKey(QString::fromStdString(c.adapter)), QString::fromStdString(c.text()));
}

Accuracy rememberedAccuracy(const QString& adapter, const Accuracy& fallback) {
    const QString json = QSettings().value(settingsKey(adapter)).toString();
    if (json.isEmpty()) {
        return fallback;
    }
    const auto read = accuracyFromJson(json.toStdString());
    return std::holds_alternative<Accuracy>(read) ? std::get<Accuracy>(read) : fallback;
}

void rememberAccuracy(const QString& adapter, const Accuracy& a) {
    QSettings().setValue(settingsKey(adapter), QString::fromStdString(accuracyJson(a)));
}
