#pragma once

class SummaryModel;

#include "ResultRow.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QGraphicsView;

// What the results window writes: the filtered table and the plots. Each
// gives why it failed, or nothing.
namespace ResultsExport {

// The table's columns: UTF-8, RFC 4180, "." decimals at full precision, CR LF,
// as the record is written.
// The path a save dialog's answer stands for: a name without the chosen
// filter's extension ("Excel workbook (*.xlsx)") gets it, so that the file is
// what the filter said; a name with another of the filters' extensions keeps
// it.
QString pathForFilter(const QString& path, const QString& filter);

// The set-up summary as CSV, numbers at full precision.
std::optional<QString> writeSummaryCsv(const QString& path, const SummaryModel& summary);

std::optional<QString> writeCsv(const QString& path, const std::vector<ResultRow>& rows, const std::vector<int>& which);
// An Excel workbook whose numbers are numbers and times are times, so that a
// spreadsheet in any language reads them right.
std::optional<QString> writeWorkbook(const QString& path, const std::vector<ResultRow>& rows,
                                     const std::vector<int>& which);
// Both plots one above the other under a title, as PNG, SVG or PDF by the
// file's suffix, at `size` (pixels; points for PDF).
std::optional<QString> writePlots(const QString& path, QSize size, const QString& title, QGraphicsView& upper,
                                  QGraphicsView& lower);

// Charts in a grid of `columns` under a title, lines of text under them; as
// writePlots writes.
std::optional<QString> writeCharts(const QString& path, QSize size, const QString& title,
                                   const std::vector<QGraphicsView*>& views, int columns, const QStringList& footer);

} // namespace ResultsExport
