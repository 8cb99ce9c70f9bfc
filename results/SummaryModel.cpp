#include "SummaryModel.h"

#include <QDateTime>
#include <QLocale>

namespace {

// Series, X, passes, then mean, deviation, lowest and highest of each of the
// three figures.
constexpr int FirstFigureColumn = 3;
constexpr int FiguresPerSpread = 4;
constexpr int Columns = FirstFigureColumn + 3 * FiguresPerSpread;
const char* const SpreadNames[3]{"Phase angle efficiency (%)", "Load resistor efficiency (%)",
                                 "Phase minus resistor (points)"};
const char* const StatisticNames[FiguresPerSpread]{"mean", "standard deviation", "lowest", "highest"};

const Spread& spreadOf(const SetUpPoint& p, int which) {
    return which == 0 ? p.phase : which == 1 ? p.resistor : p.difference;
}

std::optional<double> statistic(const Spread& s, int which) {
    if (s.count == 0) {
        return std::nullopt;
    }
    switch (which) {
    case 0:
        return s.mean;
    case 1:
        return s.deviation();
    case 2:
        return s.low;
    default:
        return s.high;
    }
}

} // namespace

void SummaryModel::show(const std::vector<PlotSeries>& series, XValue x) {
    beginResetModel();
    x_ = x;
    rows_.clear();
    for (const PlotSeries& s : series) {
        for (const SetUpPoint& p : s.points) {
            rows_.push_back({s.name(), p.x, p});
        }
    }
    endResetModel();
}

int SummaryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SummaryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QString SummaryModel::title(int column) const {
    if (column == 0) {
        return QStringLiteral("Series");
    }
    if (column == 1) {
        return xTitle(x_);
    }
    if (column == 2) {
        return QStringLiteral("Passes");
    }
    const int f = column - FirstFigureColumn;
    if (f < 0 || f >= 3 * FiguresPerSpread) {
        return {};
    }
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(SpreadNames[f / FiguresPerSpread]),
                                       QString::fromLatin1(StatisticNames[f % FiguresPerSpread]));
}

std::optional<double> SummaryModel::number(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 1 || column >= Columns) {
        return std::nullopt;
    }
    const Row& r = rows_[static_cast<std::size_t>(row)];
    if (column == 1) {
        return r.x;
    }
    if (column == 2) {
        return static_cast<double>(r.point.rows.size());
    }
    const int f = column - FirstFigureColumn;
    return statistic(spreadOf(r.point, f / FiguresPerSpread), f % FiguresPerSpread);
}

QString SummaryModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    const Row& r = rows_[static_cast<std::size_t>(row)];
    if (column == 0) {
        return r.series;
    }
    if (column == 1 && x_ == XValue::Time) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(r.x)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    const auto v = number(row, column);
    if (!v) {
        return {};
    }
    return column <= 2 ? QLocale::c().toString(*v, 'g', 10) : QLocale::c().toString(*v, 'f', 3);
}

QVariant SummaryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return text(index.row(), index.column());
    }
    if (role == Qt::TextAlignmentRole && index.column() > 0) {
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant SummaryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return title(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
