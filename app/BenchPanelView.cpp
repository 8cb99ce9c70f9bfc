#include "BenchPanelView.h"

#include "NumberText.h"
#include "SetupLists.h"
#include "SimScope.h"
#include "WindowFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>

BenchPanelView::BenchPanelView(SimScope& scope) : scope_(scope) {
    setObjectName(QStringLiteral("BenchPanel"));
    setWindowTitle(QStringLiteral("Simulated bench"));
    if (!scope_.bench) {
        scope_.attach(SimBench{});
    }
    auto* layout = new QVBoxLayout(this);
    auto* note =
        new QLabel(QStringLiteral("<b>Simulated bench</b> - not part of the instrument.<br>It plays the transformer "
                                  "under test and the oscilloscope that watches it.<br>Changes apply to the next "
                                  "acquisition."));
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    transformer_ = new QComboBox;
    transformer_->setObjectName(QStringLiteral("transformer"));
    transformer_->addItems({QStringLiteral("SPLIT-FLUX TRANSFORMER #1"), QStringLiteral("STANDARD TRANSFORMER F-54X")});
    form->addRow(QStringLiteral("Transformer (swaps the probes)"), transformer_);

    supply_ = new QDoubleSpinBox;
    supply_->setObjectName(QStringLiteral("supply"));
    supply_->setRange(0.5, 250);
    supply_->setDecimals(1);
    supply_->setSuffix(QStringLiteral(" V rms"));
    supply_->setValue(scope_.bench->conditions.supplyVolts);
    form->addRow(QStringLiteral("Supply voltage"), supply_);

    frequency_ = new QDoubleSpinBox;
    frequency_->setObjectName(QStringLiteral("frequency"));
    frequency_->setRange(10, 50000);
    frequency_->setDecimals(1);
    frequency_->setSuffix(QStringLiteral(" Hz"));
    frequency_->setValue(scope_.bench->conditions.frequency);
    form->addRow(QStringLiteral("Supply frequency"), frequency_);

    resistor_ = new QComboBox;
    resistor_->setObjectName(QStringLiteral("resistor"));
    resistor_->setEditable(true);
    // The bench's resistors and capacitors are the main window's list items:
    // a choice added there is on the bench too ("NO LOAD" is "open" or "none").
    for (const char* ohms : LoadResistorItems) {
        resistor_->addItem(ohms == std::string(NoLoadItem) ? QStringLiteral("open") : QString::fromLatin1(ohms));
    }
    resistor_->setCurrentText(QStringLiteral("9.4"));
    form->addRow(QStringLiteral("Load resistor (ohms, or type one)"), resistor_);

    capacitor_ = new QComboBox;
    capacitor_->setObjectName(QStringLiteral("capacitor"));
    for (const char* uf : LoadCapacitorItems) {
        capacitor_->addItem(uf == std::string(NoLoadItem) ? QStringLiteral("none") : QString::fromLatin1(uf));
    }
    form->addRow(QStringLiteral("Load capacitor (uF)"), capacitor_);

    auto* stopped = new QCheckBox(QStringLiteral("Acquisition stopped (until the program starts it)"));
    stopped->setObjectName(QStringLiteral("stopped"));
    stopped->setChecked(!scope_.acquiring);
    layout->addWidget(stopped);

    connect(transformer_, &QComboBox::activated, this, [this](int i) { applyTransformer(i); });
    connect(supply_, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([v](SimScope& s) { s.bench->conditions.supplyVolts = v; }); });
    connect(frequency_, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([v](SimScope& s) { s.bench->conditions.frequency = v; }); });
    connect(resistor_, &QComboBox::currentTextChanged, this, [this] { applyLoadResistor(); });
    connect(capacitor_, &QComboBox::currentTextChanged, this, [this] { applyLoadCapacitor(); });
    connect(stopped, &QCheckBox::toggled, this, [this](bool on) { change([on](SimScope& s) { s.acquiring = !on; }); });
}

void BenchPanelView::change(std::function<void(SimScope&)> edit) {
    if (onDeviceThread) {
        onDeviceThread([this, edit = std::move(edit)] { edit(scope_); });
    } else {
        edit(scope_);
    }
}

void BenchPanelView::placeAwayFrom(QRect occupied) {
    adjustSize();
    const QRect area = WindowFit::availableArea();
    const QSize frame = size() + QSize(WindowFit::FrameWidth, WindowFit::FrameHeight);
    constexpr int Gap = 8;
    const std::array<QPoint, 4> beside{QPoint(occupied.left() - Gap - frame.width(), occupied.top()),
                                       QPoint(occupied.right() + 1 + Gap, occupied.top()),
                                       QPoint(occupied.left(), occupied.top() - Gap - frame.height()),
                                       QPoint(occupied.left(), occupied.bottom() + 1 + Gap)};
    for (const QPoint& at : beside) {
        if (area.contains(QRect(at, frame))) {
            move(at);
            return;
        }
    }
    move(area.topLeft());
}

void BenchPanelView::applyTransformer(int index) {
    const bool standard = index == 1;
    change([standard](SimScope& s) {
        s.bench->transformer = standard ? TransformerModel::standard() : TransformerModel::splitFlux();
    });
    supply_->setValue(standard ? 120.0 : 10.0);
}

void BenchPanelView::applyLoadResistor() {
    const QString text = resistor_->currentText().trimmed();
    if (text == QStringLiteral("open")) {
        change([](SimScope& s) { s.bench->conditions.loadOhms.reset(); });
        resistor_->lineEdit()->setStyleSheet({});
        return;
    }
    const auto ohms = parseNumber(text.toStdString());
    // A text that is no positive resistance is not taken; the last one stays.
    const bool ok = ohms && *ohms > 0;
    if (ok) {
        change([value = *ohms](SimScope& s) { s.bench->conditions.loadOhms = value; });
    }
    resistor_->lineEdit()->setStyleSheet(ok ? QString() : QStringLiteral("color: red"));
}

void BenchPanelView::applyLoadCapacitor() {
    const double microfarads = parseNumber(capacitor_->currentText().toStdString()).value_or(0);
    change([microfarads](SimScope& s) { s.bench->conditions.loadMicrofarads = microfarads; });
}
