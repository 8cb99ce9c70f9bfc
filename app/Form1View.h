#pragma once

#include "PassOutcome.h"
#include "WidgetBinder.h"
#include "WindowFit.h"

#include <QWidget>

class Form1;
class ViewParts;

// The main window on screen: lays out the controls in three panels and a
// footer strip, binds them to the form and forwards clicks and picks.
class Form1View final : public QWidget {
  public:
    explicit Form1View(Form1& form, QWidget* parent = nullptr);
    void refresh();
    // The results panel's width at the design size: what stays in view when
    // another window stands beside this one.
    static constexpr int ResultsWidth = 546;
    WidgetBinder binder;
    DesignLayout layout;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildTestPanel();
    // The picks and the boxes above the figures; the row below them.
    int buildPickRows(ViewParts& parts);
    void plusMinus(ViewParts& parts, PassOutcome::Box box, QRect at);
    void buildControlPanel();
    void buildLogPanel();
    Form1& form_;
};
