#pragma once

#include "ResultRow.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QSortFilterProxyModel>
#include <vector>

// Every pass read, one a row; the table's columns, with their units.
class ResultsModel final : public QAbstractTableModel {
  public:
    enum Column {
        Time,
        Ending,
        Transformer,
        Supply,
        Resistor,
        Capacitor,
        PhaseEfficiency,
        ResistorEfficiency,
        Difference,
        ApparentInput,
        ApparentOutput,
        RealInput,
        RealOutput,
        ReactiveInput,
        ReactiveOutput,
        ResistorPower,
        PhasePowerFactor,
        ResistorPowerFactor,
        Comment,
        Folder,
        Verdict,
        ColumnCount
    };
    // The value to sort by: numbers as numbers, time as time.
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void append(std::vector<ResultRow>& rows); // the rows moved out of it
    // Rows taken without telling the views, until tellQuietRows(): one
    // reset then, rather than an insertion a slice.
    void appendQuietly(std::vector<ResultRow>& rows);
    void tellQuietRows();
    // Room for this many rows at once: a large record read in slices is not
    // copied each time the table grows.
    void reserve(std::size_t rows) { rows_.reserve(rows); }
    void clear();
    // Every row read from one file (by its index) taken out.
    void removeFile(int file);
    const std::vector<ResultRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Every column: the fixed ones, then the figure catalogue's figures
    // beyond the result boxes.
    static int columns();
    static QString title(int column);
    // A cell as the table and the exported table show it.
    static QString text(const ResultRow& row, int column);
    static std::optional<double> number(const ResultRow& row, int column);

  private:
    std::vector<ResultRow> rows_;
    bool quietRows_ = false;
};

// The filters above the table: transformer, how a pass ended, a date range
// and text in the comment; an empty one lets every pass through.
class ResultsFilter final : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setTransformer(const QString& name);
    void setEnding(const QString& ending);
    void setDates(const QDate& from, const QDate& to);
    void setCommentText(const QString& text);
    void setVerdict(const QString& verdict); // empty: every one
    // The source rows that pass, in the table's order.
    std::vector<int> passing() const;
    // Whether one source row passes.
    bool accepts(int sourceRow) const { return filterAcceptsRow(sourceRow, {}); }

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    void changed();
    QString transformer_, ending_, comment_, verdict_;
    QDate from_, to_;
    // The same bounds as instants (the first millisecond of `from`, the first
    // after `to`, local time): a row's time is compared, not turned into a
    // local date each time.
    qint64 fromMs_ = 0, afterToMs_ = 0;
};
