#include "ResultsModel.h"

#include <QBrush>
#include <QColor>
#include <QLocale>
#include <cmath>

namespace {

QString shown(const std::optional<double>& v, int decimals) {
    if (!v) {
        return {};
    }
    if (std::isinf(*v)) {
        return *v > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    return QLocale::c().toString(*v, 'f', decimals);
}

} // namespace

void ResultsModel::append(std::vector<ResultRow> rows) {
    if (rows.empty()) {
        return;
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

void ResultsModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString ResultsModel::title(int column) {
    static const char* const titles[ColumnCount]{
        "Time", "Pass ended", "Transformer", "Supply (V rms)", "Load resistor (ohms)",
        "Load capacitor (uF)", "Phase angle efficiency (%)", "Load resistor efficiency (%)",
        "Difference (points)", "Apparent input power (VA)", "Apparent output power (VA)",
        "Real input power (W)", "Real output power (W)", "Reactive input power (var)",
        "Reactive output power (var)", "Resistor output power (W)", "Phase angle power factor",
        "Load resistor power factor", "Comment"};
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(titles[column]) : QString();
}

std::optional<double> ResultsModel::number(const ResultRow& row, int column) {
    switch (column) {
    case Supply: return row.supply;
    case Resistor: return row.resistor;
    case Capacitor: return row.capacitor;
    case PhaseEfficiency: return row.phaseEfficiency;
    case ResistorEfficiency: return row.resistorEfficiency;
    case Difference: return row.difference();
    case ApparentInput: return row.apparentInput;
    case ApparentOutput: return row.apparentOutput;
    case RealInput: return row.realInput;
    case RealOutput: return row.realOutput;
    case ReactiveInput: return row.reactiveInput;
    case ReactiveOutput: return row.reactiveOutput;
    case ResistorPower: return row.resistorOutputPower;
    case PhasePowerFactor: return row.phasePowerFactor;
    case ResistorPowerFactor: return row.resistorPowerFactor;
    default: return std::nullopt;
    }
}

QString ResultsModel::text(const ResultRow& row, int column) {
    switch (column) {
    case Time: return row.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Ending: return row.ending;
    case Transformer: return row.transformer;
    case Supply: return row.supplyText;
    case Resistor: return row.resistorText;
    case Capacitor: return row.capacitorText;
    case PhasePowerFactor:
    case ResistorPowerFactor: return shown(number(row, column), 3);
    case Comment: return row.comment;
    default: return shown(number(row, column), column == Difference ? 3 : 2);
    }
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) {
        return {};
    }
    const ResultRow& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return text(row, index.column());
    case SortRole:
        if (index.column() == Time) {
            return row.when;
        }
        if (const auto v = number(row, index.column())) {
            return *v;
        }
        return text(row, index.column());
    case Qt::ForegroundRole:
        // Stopped and failed passes are greyed.
        return row.complete() ? QVariant() : QBrush(QColor(150, 150, 150));
    case Qt::TextAlignmentRole:
        return number(row, index.column()) || index.column() == Time
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    default:
        return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return title(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

// --- filters -----------------------------------------------------------------

void ResultsFilter::changed() { invalidateRowsFilter(); }

void ResultsFilter::setTransformer(const QString& name) {
    transformer_ = name;
    changed();
}

void ResultsFilter::setEnding(const QString& ending) {
    ending_ = ending;
    changed();
}

void ResultsFilter::setDates(const QDate& from, const QDate& to) {
    from_ = from;
    to_ = to;
    changed();
}

void ResultsFilter::setCommentText(const QString& text) {
    comment_ = text;
    changed();
}

bool ResultsFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const ResultsModel*>(sourceModel());
    const ResultRow& row = model->rows()[static_cast<std::size_t>(sourceRow)];
    const QDate day = row.when.toLocalTime().date();
    return (transformer_.isEmpty() || row.transformer == transformer_) &&
           (ending_.isEmpty() || row.ending == ending_) && (!from_.isValid() || day >= from_) &&
           (!to_.isValid() || day <= to_) &&
           (comment_.isEmpty() || row.comment.contains(comment_, Qt::CaseInsensitive));
}

bool ResultsFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QVariant a = left.data(ResultsModel::SortRole);
    const QVariant b = right.data(ResultsModel::SortRole);
    // A pass without the figure sorts below every pass with one.
    if (a.typeId() != b.typeId()) {
        return a.typeId() == QMetaType::QString;
    }
    return QVariant::compare(a, b) == QPartialOrdering::Less;
}

std::vector<int> ResultsFilter::passing() const {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(rowCount()));
    for (int r = 0; r < rowCount(); ++r) {
        rows.push_back(mapToSource(index(r, 0)).row());
    }
    return rows;
}
