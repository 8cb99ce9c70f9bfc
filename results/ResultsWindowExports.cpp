// The results window's exports: the plots, the table and the set-ups, each
// to a file the operator picks or a script names.
#include "ResultsExport.h"
#include "ResultsWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QMessageBox>
#include <QSpinBox>

std::optional<QString> ResultsWindow::exportPlots(const QString& path, QSize size) {
    return ResultsExport::writePlots(path, size, exportTitle(), *efficiencyView_, *differenceView_);
}

std::optional<QString> ResultsWindow::exportTable(const QString& path) {
    const std::vector<int> which = filter().passing();
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        return ResultsExport::writeWorkbook(path, model().rows(), which);
    }
    return ResultsExport::writeCsv(path, model().rows(), which);
}

QString ResultsWindow::startFolder() const {
    const QStringList& folders = controller_.folders().folders();
    return folders.isEmpty() || !QFileInfo(folders.first()).isDir() ? QDir::homePath() : folders.first();
}

QString ResultsWindow::askSavePath(const QString& title, const QString& filters) {
    QString filter;
    const QString typed = QFileDialog::getSaveFileName(this, title, startFolder(), filters, &filter);
    return ResultsExport::pathForFilter(typed, filter);
}

// Writes with `write` to a path the operator picks; a failure is told.
void ResultsWindow::askExport(const QString& title, const QString& filters,
                              const std::function<std::optional<QString>(const QString&)>& write) {
    const QString path = askSavePath(title, filters);
    if (path.isEmpty()) {
        return;
    }
    if (const auto problem = write(path)) {
        QMessageBox::warning(this, title, *problem);
    }
}

void ResultsWindow::askExportPlots() {
    const QString path = askSavePath(QStringLiteral("Export plots"),
                                     QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    QDialog ask(this);
    ask.setWindowTitle(QStringLiteral("Size of the picture"));
    auto* form = new QFormLayout(&ask);
    auto* width = new QSpinBox;
    auto* height = new QSpinBox;
    width->setRange(200, 20000);
    height->setRange(200, 20000);
    width->setValue(1600);
    height->setValue(1200);
    form->addRow(QStringLiteral("Width (pixels, points for PDF)"), width);
    form->addRow(QStringLiteral("Height"), height);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    if (ask.exec() != QDialog::Accepted) {
        return;
    }
    if (const auto problem = exportPlots(path, QSize(width->value(), height->value()))) {
        QMessageBox::warning(this, QStringLiteral("Export plots"), *problem);
    }
}

std::optional<QString> ResultsWindow::exportSummary(const QString& path) {
    return ResultsExport::writeSummaryCsv(path, summary_);
}

void ResultsWindow::askExportSummary() {
    askExport(QStringLiteral("Export set-ups"), QStringLiteral("CSV file (*.csv)"),
              [this](const QString& path) { return exportSummary(path); });
}

void ResultsWindow::askExportTable() {
    askExport(QStringLiteral("Export table"), QStringLiteral("Excel workbook (*.xlsx);;CSV file (*.csv)"),
              [this](const QString& path) { return exportTable(path); });
}
