#pragma once

#include <QPointer>
#include <memory>

class Form1;
class Form1View;
class PrintScreenView;
class SettingsFormView;
class SplashFormView;
class QWidget;

// Keeps one view per loaded window: creates a window's view when its form
// loads, discards it when the form unloads, and repaints them all.
class ApplicationViews {
  public:
    explicit ApplicationViews(Form1& form);
    ~ApplicationViews();

    void refresh();

    Form1View* mainView() const;
    QWidget* settingsView() const;
    QWidget* reportView() const;
    QWidget* splashView() const;

    // The settings window is never scaled below this to stand beside the
    // main window's results.
    static constexpr double SmallestSettingsScale = 0.7;

  private:
    void followSettings();
    Form1& form_;
    std::unique_ptr<Form1View> main_;
    QPointer<SplashFormView> splash_;
    QPointer<SettingsFormView> settings_;
    QPointer<PrintScreenView> report_;
    bool refreshing_ = false;
};
