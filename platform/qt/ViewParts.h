#pragma once

#include "Controls.h"
#include "WidgetBinder.h"

#include <QPixmap>
#include <QRect>
#include <functional>

class LampWidget;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

// Makes the widgets of a view at fixed places, names each after its control
// and binds it to the control's model.
class ViewParts {
public:
    ViewParts(QWidget* parent, WidgetBinder& binder) : parent_(parent), binder_(binder) {}

    QLineEdit* box(const char* name, TextBox& model, QRect at);
    QComboBox* combo(const char* name, ComboBox& model, QRect at, std::function<void()> onPick);
    QLabel* label(const char* name, Label& model, QRect at);
    QPushButton* button(const char* name, Button& model, QRect at, std::function<void()> onClick);
    QListWidget* list(const char* name, ListBox& model, QRect at);
    LampWidget* lamp(const char* name, Lamp& model, QRect at);
    QFrame* line(const char* name, QRect at);

private:
    QWidget* parent_;
    WidgetBinder& binder_;
};

// Draws the program's own pictures: the splash and the main window's Image1.
QPixmap benchPicture(int width, int height, bool withTitle);
