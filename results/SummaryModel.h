#pragma once

#include "Aggregation.h"

#include <QAbstractTableModel>
#include <vector>

// The set-ups the plots show, one a row: the series, the set-up value on the
// X axis, how many passes, and the mean, standard deviation, lowest and
// highest of both estimates and of their difference.
class SummaryModel final : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void show(const std::vector<PlotSeries>& series, XValue x);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString title(int column) const;
    // A cell as the table shows it and a CSV export writes it.
    QString text(int row, int column) const;
    // Numbers as numbers where the cell is one (for sorting and workbooks).
    std::optional<double> number(int row, int column) const;

  private:
    struct Row {
        QString series;
        double x = 0;
        SetUpPoint point;
    };
    std::vector<Row> rows_;
    XValue x_ = XValue::Supply;
};
