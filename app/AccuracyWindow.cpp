#include "AccuracyWindow.h"

#include "AccuracySet.h"
#include "FileDialogParts.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
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
