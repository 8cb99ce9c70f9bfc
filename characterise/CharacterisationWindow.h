#pragma once

#include "CharacterisationRun.h"
#include "PlanOperator.h"

#include "OperatorPrompt.h"
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class CharacterisationPlots;
class MeasuringSession;
class PlanEditor;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// CHARACTERISE: a plan edited, opened or saved; its points stepped through
// with the operator (a prompt a point, NEXT when it is set up, STOP), its
// passes listed as they land, stopped and resumed where it stopped; the
// finished characterisation's plots and parameters, exported as PNG, SVG or
// PDF. On the simulated bench the bench moves to each point itself.
class CharacterisationWindow final : public QWidget, private PlanOperator {
  public:
    CharacterisationWindow(MeasuringSession& session, std::string folder, QWidget* parent = nullptr);
    ~CharacterisationWindow() override;

    // The simulated bench: moved to each point, and its truth.
    std::function<void(const CharacterisationPlan::Point&)> benchTo;
    std::function<std::optional<CircuitTruthAt>(double supplyVolts)> truthAt;
    // Nobody needs to set the bench up (the simulated one sets itself).
    bool unattended = false;

    // The buttons, as a press does them.
    void start();
    void next();
    void stop();
    void resume();
    bool running() const { return running_; }
    const CharacterisationRun* run() const { return run_ ? &*run_ : nullptr; }
    PlanEditor& editor() { return *editor_; }
    CharacterisationPlots& plots() { return *plots_; }
    QString statusText() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool ready(const std::string& prompt) override;
    void progress(const PlanProgress& p) override;
    void say(const std::string& line) override;

    void go();
    void ended(CharacterisationRun::Ended how);
    void setRunning(bool running);
    void openPlan();
    void savePlan();
    void exportPlots();
    void passLanded(const PassOutcome& pass);

    MeasuringSession& session_;
    std::string folder_;
    std::optional<CharacterisationRun> run_;
    bool running_ = false;
    std::size_t listener_ = 0; // its place among the session's pass listeners

    PlanEditor* editor_;
    QPushButton* open_;
    QPushButton* save_;
    QPushButton* start_;
    QPushButton* next_;
    QPushButton* stop_;
    QPushButton* resume_;
    QPushButton* export_;
    QLabel* prompt_;
    OperatorPrompt asking_;
    QProgressBar* bar_;
    QLabel* progress_;
    QListWidget* passes_;
    QLabel* status_;
    CharacterisationPlots* plots_;
};
