#pragma once

#include "CharacterisationPlan.h"

#include <QWidget>
#include <string>
#include <variant>

class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

// A characterisation plan as the operator edits it: the transformer, the
// supplies and loads to visit (ticked in their lists), the capacitor, passes
// a point, the sample average, the rating and the set-up button. What it
// holds is read through the plan file's own reader, so the window refuses
// what a file would be refused for, in the same words.
class PlanEditor final : public QWidget {
  public:
    explicit PlanEditor(QWidget* parent = nullptr);

    void setPlan(const CharacterisationPlan& plan);
    std::variant<CharacterisationPlan, std::string> plan() const;

  private:
    void kindChosen();
    void fillSupplies(TransformerKind kind, const std::vector<std::string>& ticked);

    QLineEdit* name_;
    QComboBox* kind_;
    QListWidget* supplies_;
    QListWidget* loads_;
    QComboBox* capacitor_;
    QSpinBox* passes_;
    QComboBox* average_;
    QLineEdit* ratedVA_;
    QLineEdit* ratedAmps_;
    QComboBox* preset_;
    QLineEdit* note_;
    bool filling_ = false;
};
