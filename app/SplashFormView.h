#pragma once

#include "WidgetBinder.h"

#include <QLabel>

class SplashForm;

// The splash window: no frame, one picture that fills it.
class SplashFormView final : public QLabel {
  public:
    explicit SplashFormView(SplashForm& form);
    void refresh();
    WidgetBinder binder; // the splash has no controls; kept for a uniform view

  private:
    SplashForm& form_;
};
