#include "ApplicationViews.h"

#include "Form1.h"
#include "Form1View.h"
#include "PrintScreenView.h"
#include "SettingsFormView.h"
#include "SplashFormView.h"
#include "WindowFit.h"

namespace {

// A view follows its form's window: made on load, dropped on unload. The
// widget is deleted later, since its own click may be what unloaded it.
template <class View, class Form> void follow(QPointer<View>& view, Form& form, ApplicationViews& views) {
    if (form.window.loaded && view.isNull()) {
        view = new View(form);
        view->binder.afterAction = [&views] { views.refresh(); };
    } else if (!form.window.loaded && !view.isNull()) {
        view->hide();
        view->deleteLater();
        view.clear();
    }
    if (!view.isNull()) {
        view->refresh();
    }
}

} // namespace

ApplicationViews::ApplicationViews(Form1& form) : form_(form), main_(std::make_unique<Form1View>(form)) {
    main_->binder.afterAction = [this] { refresh(); };
}

ApplicationViews::~ApplicationViews() {
    delete splash_.data();
    delete settings_.data();
    delete report_.data();
}

// The settings window stays open while the operator picks in the main
// window: it goes beside the main window's results, the main window moving
// to the left edge where the screen is too narrow for both.
void ApplicationViews::followSettings() {
    SettingsForm& form = form_.SettingsWindow;
    if (form.window.loaded && settings_.isNull()) {
        const QSize design(form.window.width, form.window.height);
        const QSize mainDesign(form_.window.width, form_.window.height);
        const WindowFit::SideBySide placed =
            WindowFit::besideResults(mainDesign, Form1View::ResultsWidth, design, SmallestSettingsScale);
        settings_ = new SettingsFormView(form, placed.secondScale, [this, placed](QWidget* window) {
            if (placed.mainAt) {
                main_->move(*placed.mainAt);
            }
            window->move(placed.secondAt);
        });
        settings_->binder.afterAction = [this] { refresh(); };
    } else if (!form.window.loaded && !settings_.isNull()) {
        settings_->hide();
        settings_->deleteLater();
        settings_.clear();
    }
    if (!settings_.isNull()) {
        settings_->refresh();
    }
}

void ApplicationViews::refresh() {
    if (refreshing_) {
        return;
    }
    refreshing_ = true;
    follow(splash_, form_.Splash, *this);
    main_->refresh();
    followSettings();
    follow(report_, form_.Report, *this);
    refreshing_ = false;
}

Form1View* ApplicationViews::mainView() const {
    return main_.get();
}
QWidget* ApplicationViews::settingsView() const {
    return settings_.data();
}
QWidget* ApplicationViews::reportView() const {
    return report_.data();
}
QWidget* ApplicationViews::splashView() const {
    return splash_.data();
}
