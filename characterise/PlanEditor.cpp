#include "PlanEditor.h"

#include "NumberText.h"
#include "SetupLists.h"
#include "TransformerKinds.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <algorithm>

namespace {

QListWidget* tickList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(true);
    list->setFixedHeight(name == std::string("PlanSupplies") ? 76 : 54);
    return list;
}

void fill(QListWidget* list, const std::vector<std::string>& items, const std::vector<std::string>& ticked) {
    list->clear();
    for (const std::string& item : items) {
        auto* row = new QListWidgetItem(QString::fromStdString(item), list);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        row->setCheckState(std::find(ticked.begin(), ticked.end(), item) != ticked.end() ? Qt::Checked : Qt::Unchecked);
    }
}

QJsonArray tickedOf(const QListWidget* list) {
    QJsonArray items;
    for (int n = 0; n < list->count(); ++n) {
        if (list->item(n)->checkState() == Qt::Checked) {
            items.append(list->item(n)->text());
        }
    }
    return items;
}

// A rating as typed: empty is none; else the number (a bad one is passed on
// as text, for the reader to refuse in its words).
QJsonValue ratingOf(const QLineEdit* edit) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        return QJsonValue();
    }
    const auto n = parseNumber(text.toStdString());
    return n ? QJsonValue(*n) : QJsonValue(text);
}

std::vector<std::string> suppliesOf(TransformerKind kind) {
    std::vector<std::string> s = supplyList(kind);
    s.erase(std::remove(s.begin(), s.end(), std::string(NoSupplyItem)), s.end());
    return s;
}

} // namespace

PlanEditor::PlanEditor(QWidget* parent)
    : QWidget(parent), name_(new QLineEdit(this)), kind_(new QComboBox(this)),
      supplies_(tickList(this, "PlanSupplies")), loads_(tickList(this, "PlanLoads")), capacitor_(new QComboBox(this)),
      passes_(new QSpinBox(this)), average_(new QComboBox(this)), ratedVA_(new QLineEdit(this)),
      ratedAmps_(new QLineEdit(this)), preset_(new QComboBox(this)), note_(new QLineEdit(this)) {
    name_->setObjectName(QStringLiteral("PlanName"));
    kind_->setObjectName(QStringLiteral("PlanTransformer"));
    kind_->addItems({QString::fromStdString(SplitFluxName), QString::fromStdString(StandardName)});
    for (std::size_t n = 1; n < LoadCapacitorItems.size(); ++n) {
        capacitor_->addItem(QString::fromLatin1(LoadCapacitorItems[n]));
    }
    passes_->setRange(1, 100);
    passes_->setObjectName(QStringLiteral("PlanPasses"));
    average_->addItem(QStringLiteral("as it is"));
    for (const char* count : AverageCounts) {
        average_->addItem(QString::fromLatin1(count));
    }
    preset_->addItems({QString(), QString::fromStdString(SplitFluxName), QString::fromStdString(StandardName)});
    ratedVA_->setPlaceholderText(QStringLiteral("none"));
    ratedAmps_->setPlaceholderText(QStringLiteral("none"));
    auto* rating = new QHBoxLayout;
    rating->addWidget(ratedVA_);
    rating->addWidget(ratedAmps_);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Transformer"), kind_);
    form->addRow(QStringLiteral("Supplies (V rms)"), supplies_);
    form->addRow(QStringLiteral("Loads (ohms)"), loads_);
    form->addRow(QStringLiteral("Capacitor (uF)"), capacitor_);
    form->addRow(QStringLiteral("Passes a point"), passes_);
    form->addRow(QStringLiteral("Sample average"), average_);
    form->addRow(QStringLiteral("Rated VA / A"), rating);
    form->addRow(QStringLiteral("Set-up button"), preset_);
    form->addRow(QStringLiteral("Note"), note_);
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { kindChosen(); });
    setPlan(defaultPlan(TransformerKind::SplitFlux));
}

void PlanEditor::fillSupplies(TransformerKind kind, const std::vector<std::string>& ticked) {
    fill(supplies_, suppliesOf(kind), ticked);
}

// Another transformer: its own default plan.
void PlanEditor::kindChosen() {
    if (filling_) {
        return;
    }
    setPlan(defaultPlan(kind_->currentIndex() == 1 ? TransformerKind::Standard : TransformerKind::SplitFlux));
}

void PlanEditor::setPlan(const CharacterisationPlan& plan) {
    filling_ = true;
    name_->setText(QString::fromStdString(plan.name));
    kind_->setCurrentIndex(plan.kind == TransformerKind::Standard ? 1 : 0);
    fillSupplies(plan.kind, plan.supplies);
    fill(loads_, std::vector<std::string>(LoadResistorItems.begin(), LoadResistorItems.end()), plan.loads);
    capacitor_->setCurrentText(QString::fromStdString(plan.capacitor));
    passes_->setValue(plan.passesPerPoint);
    average_->setCurrentIndex(plan.sampleAverage ? average_->findText(QString::fromStdString(*plan.sampleAverage)) : 0);
    ratedVA_->setText(plan.ratedVA ? QString::number(*plan.ratedVA) : QString());
    ratedAmps_->setText(plan.ratedAmps ? QString::number(*plan.ratedAmps) : QString());
    preset_->setCurrentText(QString::fromStdString(plan.preset));
    note_->setText(QString::fromStdString(plan.note));
    filling_ = false;
}

std::variant<CharacterisationPlan, std::string> PlanEditor::plan() const {
    QJsonObject o{{"name", name_->text()},
                  {"transformer", kind_->currentText()},
                  {"supplies", tickedOf(supplies_)},
                  {"loads", tickedOf(loads_)},
                  {"capacitor", capacitor_->currentText()},
                  {"passes per point", passes_->value()},
                  {"rated VA", ratingOf(ratedVA_)},
                  {"rated A", ratingOf(ratedAmps_)},
                  {"preset", preset_->currentText()},
                  {"note", note_->text()}};
    if (average_->currentIndex() > 0) {
        o.insert(QStringLiteral("sample average"), average_->currentText());
    }
    return planFromJson(QJsonDocument(o).toJson().toStdString());
}
