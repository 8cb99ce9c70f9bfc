#include "ResultsModel.h"

#include "FigureCatalogue.h"

#include <cctype>
#include <utility>

#include <QBrush>
#include <QColor>
#include <QLocale>
#include <array>
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

void ResultsModel::append(std::vector<ResultRow>& rows) {
    if (rows.empty()) {
        return;
    }
    if (quietRows_) {
        appendQuietly(rows);
        tellQuietRows();
        return;
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

void ResultsModel::appendQuietly(std::vector<ResultRow>& rows) {
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    quietRows_ = quietRows_ || !rows.empty();
}

void ResultsModel::tellQuietRows() {
    if (quietRows_) {
        quietRows_ = false;
        beginResetModel();
        endResetModel();
    }
}

void ResultsModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void ResultsModel::removeFile(int file) {
    beginResetModel();
    std::erase_if(rows_, [file](const ResultRow& row) { return row.file == file; });
    endResetModel();
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns();
}

int ResultsModel::columns() {
    return ColumnCount + static_cast<int>(moreFiguresShown().size());
}

namespace {

// One column of the table: its title, and either its number (shown with its
// decimals) or its text. Indexed by ResultsModel::Column.
struct TableColumn {
    const char* title;
    std::optional<double> (*number)(const ResultRow&);
    int decimals;
    QString (*text)(const ResultRow&);
};

template <Number ResultRow::*field> std::optional<double> numberOf(const ResultRow& row) {
    return row.*field;
}

template <RowText ResultRow::*field> QString textOf(const ResultRow& row) {
    return row.*field;
}

// In the viewer's own zone, named: a record written in another zone (or in UTC)
// reads as the local time it was.
QString timeText(const ResultRow& row) {
    return row.when().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t"));
}
std::optional<double> differenceOf(const ResultRow& row) {
    return row.difference();
}

// The set-up columns show the text as recorded (NO LOAD, OFF) and sort by
// their number where they have one.
constexpr std::array<TableColumn, ResultsModel::ColumnCount> TableColumns{{
    {"Time", nullptr, 0, timeText},
    {"Pass ended", nullptr, 0, textOf<&ResultRow::ending>},
    {"Transformer", nullptr, 0, textOf<&ResultRow::transformer>},
    {"Supply (V rms)", numberOf<&ResultRow::supply>, -1, textOf<&ResultRow::supplyText>},
    {"Load resistor (ohms)", numberOf<&ResultRow::resistor>, -1, textOf<&ResultRow::resistorText>},
    {"Load capacitor (uF)", numberOf<&ResultRow::capacitor>, -1, textOf<&ResultRow::capacitorText>},
    {"Phase angle efficiency (%)", numberOf<&ResultRow::phaseEfficiency>, 2, nullptr},
    {"Load resistor efficiency (%)", numberOf<&ResultRow::resistorEfficiency>, 2, nullptr},
    {"Phase minus resistor (points)", differenceOf, 3, nullptr},
    {"Apparent input power (VA)", numberOf<&ResultRow::apparentInput>, 2, nullptr},
    {"Apparent output power (VA)", numberOf<&ResultRow::apparentOutput>, 2, nullptr},
    {"Real input power (W)", numberOf<&ResultRow::realInput>, 2, nullptr},
    {"Real output power (W)", numberOf<&ResultRow::realOutput>, 2, nullptr},
    {"Reactive input power (var)", numberOf<&ResultRow::reactiveInput>, 2, nullptr},
    {"Reactive output power (var)", numberOf<&ResultRow::reactiveOutput>, 2, nullptr},
    {"Resistor output power (W)", numberOf<&ResultRow::resistorOutputPower>, 2, nullptr},
    {"Phase angle power factor", numberOf<&ResultRow::phasePowerFactor>, 3, nullptr},
    {"Load resistor power factor", numberOf<&ResultRow::resistorPowerFactor>, 3, nullptr},
    {"Comment", nullptr, 0, textOf<&ResultRow::comment>},
    {"Folder", nullptr, 0, textOf<&ResultRow::folder>},
    {"Verdict", nullptr, 0, textOf<&ResultRow::verdict>},
}};

template <std::size_t I> std::optional<double> moreOf(const ResultRow& row) {
    return row.more[I];
}
template <std::size_t... I> constexpr auto moreNumbers(std::index_sequence<I...>) {
    return std::array<std::optional<double> (*)(const ResultRow&), sizeof...(I)>{moreOf<I>...};
}
// One reader for each room a row has for them.
constexpr auto MoreNumbers = moreNumbers(std::make_index_sequence<ResultRow::MoreFiguresShown>());

// After those: the figure catalogue's figures beyond the boxes, each with
// two decimals, titled as the record names it ("Power loss (W)").
const std::vector<TableColumn>& moreColumns() {
    static const std::vector<std::string> titles = [] {
        std::vector<std::string> t;
        for (const CatalogueFigure* f : moreFiguresShown()) {
            t.push_back(f->title);
            t.back().front() = static_cast<char>(std::toupper(static_cast<unsigned char>(t.back().front())));
        }
        return t;
    }();
    static const std::vector<TableColumn> columns = [] {
        std::vector<TableColumn> c;
        for (std::size_t m = 0; m < titles.size(); ++m) {
            c.push_back({titles[m].c_str(), MoreNumbers[m], 2, nullptr});
        }
        return c;
    }();
    return columns;
}

const TableColumn* tableColumn(int column) {
    if (column >= ResultsModel::ColumnCount && column < ResultsModel::columns()) {
        return &moreColumns()[static_cast<std::size_t>(column - ResultsModel::ColumnCount)];
    }
    return column >= 0 && column < ResultsModel::ColumnCount ? &TableColumns[static_cast<std::size_t>(column)]
                                                             : nullptr;
}

} // namespace

QString ResultsModel::title(int column) {
    const TableColumn* c = tableColumn(column);
    return c != nullptr ? QString::fromLatin1(c->title) : QString();
}

std::optional<double> ResultsModel::number(const ResultRow& row, int column) {
    const TableColumn* c = tableColumn(column);
    return c != nullptr && c->number != nullptr ? c->number(row) : std::nullopt;
}

QString ResultsModel::text(const ResultRow& row, int column) {
    const TableColumn* c = tableColumn(column);
    if (c == nullptr) {
        return {};
    }
    return c->text != nullptr ? c->text(row) : shown(c->number(row), c->decimals);
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
            return row.when();
        }
        if (const auto v = number(row, index.column())) {
            return *v;
        }
        return text(row, index.column());
    case Qt::ForegroundRole:
        // Stopped and failed passes are greyed.
        return row.complete() ? QVariant() : QBrush(QColor(150, 150, 150));
    case Qt::TextAlignmentRole:
        return number(row, index.column()) || index.column() == Time ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
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

void ResultsFilter::changed() {
    invalidateRowsFilter();
}

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
    fromMs_ = from.isValid() ? QDateTime(from, QTime(0, 0)).toMSecsSinceEpoch() : 0;
    afterToMs_ = to.isValid() ? QDateTime(to.addDays(1), QTime(0, 0)).toMSecsSinceEpoch() : 0;
    changed();
}

void ResultsFilter::setVerdict(const QString& verdict) {
    verdict_ = verdict;
    changed();
}

void ResultsFilter::setCommentText(const QString& text) {
    comment_ = text;
    changed();
}

bool ResultsFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const ResultsModel*>(sourceModel());
    const ResultRow& row = model->rows()[static_cast<std::size_t>(sourceRow)];
    const qint64 at = from_.isValid() || to_.isValid() ? row.whenMs : 0;
    return (transformer_.isEmpty() || row.transformer == transformer_) &&
           (ending_.isEmpty() || row.ending == ending_) && (!from_.isValid() || at >= fromMs_) &&
           (!to_.isValid() || at < afterToMs_) &&
           (comment_.isEmpty() || row.comment.contains(comment_, Qt::CaseInsensitive)) &&
           (verdict_.isEmpty() || row.verdict == verdict_);
}

bool ResultsFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // By time, the table's own order: the rows' instants themselves, with no
    // value made for each comparison (a million rows take twenty million).
    if (left.column() == ResultsModel::Time) {
        const std::vector<ResultRow>& rows = static_cast<const ResultsModel*>(sourceModel())->rows();
        return rows[static_cast<std::size_t>(left.row())].whenMs < rows[static_cast<std::size_t>(right.row())].whenMs;
    }
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
