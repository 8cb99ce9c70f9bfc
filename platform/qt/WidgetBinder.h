#pragma once

#include "Controls.h"

#include <QColor>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class LampWidget;
class PickComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

QColor toQColor(Colour colour);
// The models hold UTF-8, so a box keeps any text the operator types. What
// the scope sent is shown byte for byte where it is no UTF-8 (as Latin-1).
QString toQString(const std::string& text);
std::string fromQString(const QString& text);

// Ties each widget to its control model: refresh() paints every widget from
// its model; typing goes into the model at once; a click or a pick runs its
// action and then afterAction (the views repaint). While a device call
// blocks, clicks and picks wait for the next yield (InputGate).
class WidgetBinder {
  public:
    void bind(QLineEdit* widget, TextBox& model);
    void bind(PickComboBox* widget, ComboBox& model, std::function<void()> onPick);
    void bind(QListWidget* widget, ListBox& model);
    void bind(QLabel* widget, Label& model);
    void bind(QPushButton* widget, Button& model, std::function<void()> onClick);
    void bind(LampWidget* widget, Lamp& model);

    void refresh();
    // Runs an action of this view's window as a click does: through the
    // input gate, then afterAction.
    void act(std::function<void()> action);
    std::function<void()> afterAction;
    // Fonts are drawn at their model's point size times this.
    double fontScale = 1.0;

  private:
    std::vector<std::function<void()>> painters_;
};
