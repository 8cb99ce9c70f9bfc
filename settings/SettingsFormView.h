#pragma once

#include "WidgetBinder.h"
#include "WindowFit.h"

#include <QWidget>

class SettingsForm;

// The settings window on screen, every control at its design position.
class SettingsFormView final : public QWidget {
public:
    explicit SettingsFormView(SettingsForm& form);
    void refresh();
    WidgetBinder binder;
    DesignLayout layout;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    SettingsForm& form_;
};
