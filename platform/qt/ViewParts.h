#pragma once

#include "Controls.h"
#include "WidgetBinder.h"
#include "WindowFit.h"

#include <QPixmap>
#include <QRect>
#include <functional>

class LampWidget;
class PickComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

// Makes the widgets of a view at their design places, names each after its
// control and binds it to the control's model.
class ViewParts {
  public:
    ViewParts(QWidget* parent, WidgetBinder& binder, DesignLayout& layout)
        : parent_(parent), binder_(binder), layout_(layout) {}

    QLineEdit* box(const char* name, TextBox& model, QRect at);
    PickComboBox* combo(const char* name, ComboBox& model, QRect at, std::function<void()> onPick);
    QLabel* label(const char* name, Label& model, QRect at);
    QPushButton* button(const char* name, Button& model, QRect at, std::function<void()> onClick);
    QListWidget* list(const char* name, ListBox& model, QRect at);
    LampWidget* lamp(const char* name, Lamp& model, QRect at);
    QFrame* line(const char* name, QRect at);
    // Any other widget of the view, placed by design like the rest.
    template <class W> W* place(W* widget, const char* name, QRect at) {
        widget->setObjectName(QString::fromLatin1(name));
        layout_.add(widget, at);
        return widget;
    }

  private:
    QWidget* parent_;
    WidgetBinder& binder_;
    DesignLayout& layout_;
};

// Fits a view to the screen: at its design size when that fits, else scaled
// down uniformly with its fonts.
void fitToScreen(QWidget* window, QSize designSize, DesignLayout& layout, WidgetBinder& binder, bool framed = true);
// The same at a scale given (at most 1).
void scaleWindow(QWidget* window, QSize designSize, DesignLayout& layout, WidgetBinder& binder, double scale);
// Shows a window centred in the available area, in front.
void showCentred(QWidget* window, bool framed = true);

// Draws the program's own pictures: the splash and the main window's Image1.
QPixmap benchPicture(int width, int height, bool withTitle);
