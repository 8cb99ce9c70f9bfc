#pragma once

#include "PlanOperator.h"
#include "UnitTestRun.h"

#include "OperatorPrompt.h"
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class MeasuringSession;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

// UNIT TEST: a plan opened, the unit (from the main window's UNIT, OPERATOR
// and LOT boxes) stepped through it with the operator (a prompt a step, NEXT
// when it is set up, STOP), every step's verdict as it ends, the unit's
// verdict in a box of its own, and its report opened or amended. On the
// simulated bench the bench moves to each step itself.
class UnitTestWindow final : public QWidget, private PlanOperator {
  public:
    UnitTestWindow(MeasuringSession& session, std::string folder, QWidget* parent = nullptr);
    ~UnitTestWindow() override;

    std::function<void(const UnitTestPlan::Step&)> benchTo;
    std::function<std::string(const UnitTestResult&, const std::string& folder, std::string& why)> writeReport;
    std::function<std::string(const std::string& folder, const std::string& reportId, const std::string& correction,
                              std::string& why)>
        amend;
    bool unattended = false;

    // The buttons, as a press does them.
    bool openPlan(const std::string& path);
    void start();
    // RESUME: the test stopped here goes on from the step that did not end.
    void resume();
    void next();
    void stop();
    void amendReport(const std::string& correction);
    bool running() const { return running_; }
    const UnitTestRun* run() const { return run_ ? &*run_ : nullptr; }
    QString statusText() const;
    QString verdictText() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool ready(const std::string& prompt) override;
    void progress(const PlanProgress& p) override;
    void say(const std::string& line) override;
    void stepEnded(const StepResult& s);
    void showVerdict(Verdict v, const QString& text);
    void setRunning(bool running);
    void go(bool resuming);

    MeasuringSession& session_;
    std::string folder_;
    std::optional<UnitTestPlan> plan_;
    std::optional<UnitTestRun> run_;
    std::string reportId_; // the newest report of the last test
    bool running_ = false;

    QLabel* planLine_;
    QLabel* who_;
    QPushButton* open_;
    QPushButton* start_;
    QPushButton* resume_;
    QPushButton* next_;
    QPushButton* stop_;
    QPushButton* report_;
    QPushButton* amend_;
    QLabel* prompt_;
    OperatorPrompt asking_;
    QProgressBar* bar_;
    QLabel* progress_;
    QListWidget* steps_;
    QLabel* verdict_;
    QLabel* status_;
};
