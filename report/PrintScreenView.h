#pragma once

#include "WidgetBinder.h"
#include "WindowFit.h"

#include <QWidget>

class PrintScreen;

// The report window on screen: a narrow sheet, label over box, top to bottom.
class PrintScreenView final : public QWidget {
  public:
    explicit PrintScreenView(PrintScreen& form);
    void refresh();
    WidgetBinder binder;
    DesignLayout layout;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    PrintScreen& form_;
};
