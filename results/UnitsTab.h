#pragma once

#include "UnitYield.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

// The Units tab: per lot and plan, the units tested, first-pass and final
// yield, retests, the units by their final verdict and the failures by step,
// from the folders' unit-tests.csv or from the lab's server; filtered by
// bench, operator and dates.
class UnitsTab final : public QWidget {
  public:
    explicit UnitsTab(QWidget* parent = nullptr);
    // Reads the folders' unit tests again and shows them.
    void setFolders(const std::vector<std::string>& folders);
    // The lots from elsewhere (the lab's server), asked again at each
    // change of a filter; `error` empty when they came.
    using Yields = std::function<std::vector<LotYield>(const YieldFilter&, QString& error)>;
    void setSource(const std::vector<std::string>& benches, const std::vector<std::string>& operators, Yields yields);
    // Asks the source again.
    void refresh() { show(); }
    QString statusText() const;
    // The table as text, a row a line, tab between the cells (header first).
    QStringList lines() const;
    YieldFilter filter() const;

  private:
    void show();

    Yields yields_;
    QComboBox* bench_;
    QComboBox* operator_;
    QLineEdit* from_;
    QLineEdit* to_;
    QTableWidget* table_;
    QLabel* status_;
};
