#pragma once

#include "Controls.h"

#include <QColor>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class LampWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

QColor toQColor(Colour colour);
// Texts are single-byte: what the scope sent, byte for byte.
QString toQString(const std::string& text);
std::string fromQString(const QString& text);

// Ties each widget to its control model: refresh() paints every widget from
// its model; typing goes into the model at once; a click or a pick runs its
// action and then afterAction (the views repaint).
class WidgetBinder {
public:
    void bind(QLineEdit* widget, TextBox& model);
    void bind(QComboBox* widget, ComboBox& model, std::function<void()> onPick);
    void bind(QListWidget* widget, ListBox& model);
    void bind(QLabel* widget, Label& model);
    void bind(QPushButton* widget, Button& model, std::function<void()> onClick);
    void bind(LampWidget* widget, Lamp& model);

    void refresh();
    std::function<void()> afterAction;

private:
    std::vector<std::function<void()>> painters_;
};
