#pragma once

#include "WidgetBinder.h"
#include "WindowFit.h"

#include <QWidget>
#include <functional>
#include <optional>

class SettingsForm;

// The settings window on screen, every control at its design position.
class SettingsFormView final : public QWidget {
  public:
    // `scale`: the window's scale (none: fitted to the screen); `place`: where
    // it goes when it is shown (none: centred).
    explicit SettingsFormView(SettingsForm& form, std::optional<double> scale = std::nullopt,
                              std::function<void(QWidget*)> place = nullptr);
    void refresh();
    WidgetBinder binder;
    DesignLayout layout;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    SettingsForm& form_;
    std::function<void(QWidget*)> place_;
};
