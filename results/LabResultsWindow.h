#pragma once

#include "DatabaseTarget.h"
#include "EfficiencyPlots.h"
#include "LabAggregates.h"

#include <QString>
#include <QTimer>
#include <QWidget>

class QComboBox;
class UnitsTab;
class QDateEdit;
class QLabel;
class QLineEdit;

// The lab's passes from its database, every bench's: the same two plots as
// a record folder's window, drawn from set-ups the server groups (it never
// sends the passes themselves), filtered by bench, transformer, comment and
// date, and drawn anew when passes arrive (a short poll); and a Units tab,
// each lot's yield as the server counts it from the lab's unit tests.
class LabResultsWindow final : public QWidget {
  public:
    explicit LabResultsWindow(DatabaseTarget target, QWidget* parent = nullptr);
    ~LabResultsWindow() override;

    // Asks the server again (the poll does it when the passes changed).
    void refresh();
    QString statusText() const;
    const std::vector<PlotSeries>& shownSeries() const { return shown_.series; }
    long long shownPasses() const { return shown_.passes; }
    EfficiencyPlots& plots() { return plots_; }
    UnitsTab& units() { return *units_; }
    void setFilter(const LabFilter& filter);
    void setXValue(XValue x);

    // One poll now: the server asked whether its passes changed, and the
    // plots drawn anew when they did.
    void pollNow() { poll(); }

    static constexpr int PollMs = 3000;
    static constexpr int RetryEveryPolls = 10;

  private:
    void poll();
    void fillChoices();
    void unitsFrom(const std::vector<std::string>& benches, const std::vector<std::string>& operators);
    LabFilter filterShown() const;

    QString connection_;
    DatabaseTarget target_;
    EfficiencyPlots plots_;
    LabSeries shown_;
    XValue x_ = XValue::Supply;
    QString lastChange_;
    qint64 lastMs_ = 0;
    int pollsSinceError_ = 0;
    QComboBox* bench_ = nullptr;
    QComboBox* transformer_ = nullptr;
    QComboBox* x_Value = nullptr;
    QLineEdit* comment_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QLabel* status_ = nullptr;
    UnitsTab* units_ = nullptr;
    QTimer poll_;
};
