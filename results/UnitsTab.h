#pragma once

#include "UnitYield.h"

#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QTableWidget;

// The Units tab: per lot and plan, the units tested, first-pass and final
// yield, retests, the units by their final verdict and the failures by step,
// from the folders' unit-tests.csv; filtered by bench, operator and dates.
class UnitsTab final : public QWidget {
public:
    explicit UnitsTab(QWidget* parent = nullptr);
    // Reads the folders' unit tests again and shows them.
    void setFolders(const std::vector<std::string>& folders);
    // The table as text, a row a line, tab between the cells (header first).
    QStringList lines() const;
    YieldFilter filter() const;

private:
    void show();

    std::vector<UnitTestRow> tests_;
    QComboBox* bench_;
    QComboBox* operator_;
    QLineEdit* from_;
    QLineEdit* to_;
    QTableWidget* table_;
};
