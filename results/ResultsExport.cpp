#include "ResultsExport.h"

#include "ResultsModel.h"
#include "ResultsTable.h"
#include "SummaryModel.h"

#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <array>
#include <charconv>
#include <cmath>
#include <xlsxwriter.h>

namespace ResultsExport {

namespace {

// A field as the record writes it: one writer for every CSV this program makes.
QByteArray csvText(const QString& text) {
    return QByteArray::fromStdString(ResultsTable::textField(text.toStdString()));
}

QByteArray csvNumber(double value) {
    return QByteArray::fromStdString(ResultsTable::numberField(value));
}

} // namespace

QString pathForFilter(const QString& path, const QString& filter) {
    const qsizetype star = filter.indexOf(QLatin1String("(*."));
    const qsizetype end = filter.indexOf(QLatin1Char(')'), star);
    if (path.isEmpty() || star < 0 || end < 0) {
        return path;
    }
    const QString suffix = filter.mid(star + 2, end - star - 2); // ".xlsx"
    const QString given = QFileInfo(path).suffix().toLower();
    for (const char* known : {"xlsx", "csv", "png", "svg", "pdf"}) {
        if (given == QLatin1String(known)) {
            return path;
        }
    }
    return path + suffix;
}

std::optional<QString> writeSummaryCsv(const QString& path, const SummaryModel& summary) {
    QByteArray bytes;
    for (int c = 0; c < summary.columnCount(); ++c) {
        bytes += (c == 0 ? "" : ",") + csvText(summary.title(c));
    }
    bytes += "\r\n";
    for (int r = 0; r < summary.rowCount(); ++r) {
        for (int c = 0; c < summary.columnCount(); ++c) {
            bytes += c == 0 ? "" : ",";
            const auto number = summary.number(r, c);
            bytes += number ? csvNumber(*number) : csvText(summary.text(r, c));
        }
        bytes += "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    }
    return std::nullopt;
}

std::optional<QString> writeCsv(const QString& path, const std::vector<ResultRow>& rows,
                                const std::vector<int>& which) {
    QByteArray bytes;
    for (int c = 0; c < ResultsModel::columns(); ++c) {
        bytes += (c == 0 ? "" : ",") + csvText(ResultsModel::title(c));
    }
    bytes += "\r\n";
    for (const int r : which) {
        const ResultRow& row = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < ResultsModel::columns(); ++c) {
            bytes += c == 0 ? "" : ",";
            const auto number = ResultsModel::number(row, c);
            const bool isText =
                c == ResultsModel::Supply || c == ResultsModel::Resistor || c == ResultsModel::Capacitor;
            if (c == ResultsModel::Time) {
                bytes += row.when().toString(Qt::ISODate).toUtf8();
            } else if (number && !std::isnan(*number) && !isText) {
                bytes += csvNumber(*number);
            } else {
                bytes += csvText(ResultsModel::text(row, c));
            }
        }
        bytes += "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    }
    return std::nullopt;
}

std::optional<QString> writeWorkbook(const QString& path, const std::vector<ResultRow>& rows,
                                     const std::vector<int>& which) {
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook* book = workbook_new(name.constData());
    if (book == nullptr) {
        return QStringLiteral("cannot make %1").arg(path);
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Passes");
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* time = workbook_add_format(book);
    format_set_num_format(time, "yyyy-mm-dd hh:mm:ss");
    for (int c = 0; c < ResultsModel::columns(); ++c) {
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), ResultsModel::title(c).toUtf8().constData(), bold);
    }
    worksheet_set_column(sheet, 0, 0, 20, nullptr);
    worksheet_set_column(sheet, 1, static_cast<lxw_col_t>(ResultsModel::columns() - 1), 14, nullptr);
    lxw_row_t r = 1;
    for (const int index : which) {
        const ResultRow& row = rows[static_cast<std::size_t>(index)];
        for (int c = 0; c < ResultsModel::columns(); ++c) {
            const auto column = static_cast<lxw_col_t>(c);
            const auto number = ResultsModel::number(row, c);
            if (c == ResultsModel::Time) {
                // The time of day where the pass ran.
                const QDateTime local = row.when();
                lxw_datetime at{local.date().year(),   local.date().month(),
                                local.date().day(),    local.time().hour(),
                                local.time().minute(), local.time().second() + local.time().msec() / 1000.0};
                worksheet_write_datetime(sheet, r, column, &at, time);
            } else if (number && std::isfinite(*number)) {
                worksheet_write_number(sheet, r, column, *number, nullptr);
            } else {
                const QByteArray text = ResultsModel::text(row, c).toUtf8();
                if (!text.isEmpty()) {
                    worksheet_write_string(sheet, r, column, text.constData(), nullptr);
                }
            }
        }
        ++r;
    }
    const lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR) {
        return QStringLiteral("cannot write %1: %2").arg(path, QString::fromUtf8(lxw_strerror(error)));
    }
    return std::nullopt;
}

namespace {

// A chart laid out anew at the size it is given on the page (not the view's
// shape shrunk into it), then put back as the window shows it.
void renderChart(QPainter& painter, QGraphicsView& view, const QRectF& target) {
    auto* chartView = dynamic_cast<QChartView*>(&view);
    if (chartView == nullptr || chartView->chart() == nullptr || chartView->chart()->scene() == nullptr) {
        view.render(&painter, target);
        return;
    }
    QChart* chart = chartView->chart();
    const QSizeF shown = chart->size();
    chart->resize(target.size());
    chart->scene()->render(&painter, target, QRectF(chart->pos(), target.size()), Qt::IgnoreAspectRatio);
    chart->resize(shown);
}

} // namespace

std::optional<QString> writePlots(const QString& path, QSize size, const QString& title, QGraphicsView& upper,
                                  QGraphicsView& lower) {
    return writeCharts(path, size, title, {&upper, &lower}, 1, {});
}

std::optional<QString> writeCharts(const QString& path, QSize size, const QString& title,
                                   const std::vector<QGraphicsView*>& views, int columns, const QStringList& footer) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (size.width() < 200 || size.height() < 200 || size.width() > 20000 || size.height() > 20000) {
        return QStringLiteral("a picture of %1 x %2 is too small or too large").arg(size.width()).arg(size.height());
    }
    columns = std::max(1, columns);
    const int rows =
        static_cast<int>((views.size() + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns));
    const auto paint = [&](QPainter& painter, QRectF area) {
        painter.fillRect(area, Qt::white);
        QFont font = painter.font();
        font.setPointSizeF(area.height() / 60);
        font.setBold(true);
        painter.setFont(font);
        const double titleHeight = area.height() * 0.06;
        painter.drawText(QRectF(area.left(), area.top(), area.width(), titleHeight), Qt::AlignCenter, title);
        const double lineHeight = area.height() / 50;
        const double footerHeight = lineHeight * static_cast<double>(footer.size());
        const double cellWidth = area.width() / columns;
        const double cellHeight = (area.height() - titleHeight - footerHeight) / std::max(1, rows);
        for (std::size_t n = 0; n < views.size(); ++n) {
            const auto column = static_cast<double>(n % static_cast<std::size_t>(columns));
            const auto row = static_cast<double>(n / static_cast<std::size_t>(columns));
            renderChart(painter, *views[n],
                        QRectF(area.left() + column * cellWidth, area.top() + titleHeight + row * cellHeight, cellWidth,
                               cellHeight));
        }
        font.setBold(false);
        font.setPointSizeF(lineHeight * 0.55);
        painter.setFont(font);
        for (int n = 0; n < footer.size(); ++n) {
            painter.drawText(QRectF(area.left() + lineHeight, area.bottom() - footerHeight + n * lineHeight,
                                    area.width() - 2 * lineHeight, lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, footer[n]);
        }
    };
    if (suffix == QLatin1String("png")) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        if (!image.save(path, "PNG")) {
            return QStringLiteral("cannot write %1").arg(path);
        }
        return std::nullopt;
    }
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title);
        QPainter painter;
        if (!painter.begin(&svg)) {
            return QStringLiteral("cannot write %1").arg(path);
        }
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        return QFileInfo(path).size() > 0 ? std::nullopt : std::optional(QStringLiteral("cannot write %1").arg(path));
    }
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(path);
        pdf.setTitle(title);
        pdf.setResolution(72); // a point a pixel
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            return QStringLiteral("cannot write %1").arg(path);
        }
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        return std::nullopt;
    }
    return QStringLiteral("%1: the plots are written as .png, .svg or .pdf").arg(path);
}

} // namespace ResultsExport
