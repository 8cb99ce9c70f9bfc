#include "ResultsWindow.h"

#include "KeptSettings.h"
#include "LabResultsWindow.h"
#include "ResultsExport.h"
#include "UnitsTab.h"
#include "WindowFit.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <map>

ResultsWindow::ResultsWindow(QStringList folders, QWidget* parent)
    : QWidget(parent), controller_(std::move(folders), this), units_(new UnitsTab) {
    setObjectName(QStringLiteral("ResultsWindow"));
    setWindowTitle(
        QStringLiteral("Transformer Efficiency Results - %1").arg(foldersText(controller_.folders().folders())));
    buildFilters();
    buildActions();
    layOut();
    connectParts();
    // The size the screen has room for.
    const QRect area = WindowFit::availableArea();
    resize(std::min(1320, area.width() - WindowFit::FrameWidth), std::min(860, area.height() - WindowFit::FrameHeight));
    controller_.readNew();
    readUnits();
    if (model().rowCount() == 0) {
        drawPlots(); // empty axes until a pass lands
    }
}

// Three short rows of controls, so that the window fits beside the main one;
// the status lines; the table above the two plots.
void ResultsWindow::layOut() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    const auto row = [layout](std::initializer_list<QWidget*> widgets) {
        auto* line = new QHBoxLayout;
        for (QWidget* w : widgets) {
            line->addWidget(w);
        }
        line->addStretch();
        layout->addLayout(line);
    };
    std::map<QString, QPushButton*> buttons;
    for (auto [name, caption] :
         {std::pair{"resetZoom", "Reset zoom"}, std::pair{"exportPlots", "Export plots..."},
          std::pair{"exportTable", "Export table..."}, std::pair{"openFolder", "Open folder..."},
          std::pair{"addFolder", "Add folder..."}, std::pair{"exportSummary", "Export set-ups..."},
          std::pair{"labDatabase", "Lab database..."}, std::pair{"characterisations", "Characterisations..."}}) {
        auto* button = new QPushButton(QString::fromLatin1(caption));
        button->setObjectName(QString::fromLatin1(name));
        buttons[QString::fromLatin1(name)] = button;
    }
    row({new QLabel(QStringLiteral("Transformer")), transformer_, new QLabel(QStringLiteral("Pass ended")), ending_,
         buttons[QStringLiteral("resetZoom")], buttons[QStringLiteral("openFolder")],
         buttons[QStringLiteral("addFolder")], buttons[QStringLiteral("labDatabase")],
         buttons[QStringLiteral("characterisations")]});
    row({dates_, from_, new QLabel(QStringLiteral("to")), to_, new QLabel(QStringLiteral("Comment contains")), comment_,
         new QLabel(QStringLiteral("Verdict")), verdict_});
    row({new QLabel(QStringLiteral("Plot against")), xChoice_, new QLabel(QStringLiteral("Series by")), seriesChoice_,
         new QLabel(QStringLiteral("Tolerance")), toleranceBox_, buttons[QStringLiteral("exportPlots")],
         buttons[QStringLiteral("exportTable")], buttons[QStringLiteral("exportSummary")]});

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    disagreement_ = new QLabel;
    disagreement_->setObjectName(QStringLiteral("disagreement"));
    auto* lines = new QHBoxLayout;
    lines->addWidget(status_, 1);
    lines->addWidget(disagreement_);
    layout->addLayout(lines);

    buildTable();
    auto* summaryTable = new QTableView;
    summaryTable->setObjectName(QStringLiteral("setUps"));
    summaryTable->setModel(&summary_);
    summaryTable->verticalHeader()->hide();
    auto* tables = new QTabWidget;
    tables->setObjectName(QStringLiteral("tables"));
    tables->addTab(table_, QStringLiteral("Passes"));
    tables->addTab(summaryTable, QStringLiteral("Set-ups"));
    tables->addTab(units_, QStringLiteral("Units"));
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(tables);
    split->addWidget(buildCharts());
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setSizes({260, 440});
    layout->addWidget(split, 1);
}

void ResultsWindow::buildTable() {
    table_ = new QTableView;
    table_->setObjectName(QStringLiteral("passes"));
    table_->setModel(&filter());
    table_->setSortingEnabled(true);
    table_->sortByColumn(ResultsModel::Time, Qt::DescendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setDefaultSectionSize(110);
    table_->setMinimumHeight(80);
    // Columns as wide as their titles (the time as its text), whatever the
    // number of rows.
    const QFontMetrics metrics = table_->fontMetrics();
    for (int c = 0; c < ResultsModel::columns(); ++c) {
        const QString widest = c == ResultsModel::Time ? QStringLiteral("2026-12-08 14:30:05") : ResultsModel::title(c);
        table_->setColumnWidth(c, metrics.horizontalAdvance(widest) + 24);
    }
}

QWidget* ResultsWindow::buildCharts() {
    efficiencyView_ = new ZoomChartView(plots_.efficiency());
    efficiencyView_->setObjectName(QStringLiteral("efficiencyPlot"));
    differenceView_ = new ZoomChartView(plots_.difference());
    differenceView_->setObjectName(QStringLiteral("differencePlot"));
    for (ZoomChartView* view : {efficiencyView_, differenceView_}) {
        view->setMinimumSize(200, 150);
    }
    auto* charts = new QSplitter(Qt::Horizontal);
    charts->addWidget(efficiencyView_);
    charts->addWidget(differenceView_);
    charts->setStretchFactor(0, 3);
    charts->setStretchFactor(1, 2);
    return charts;
}

void ResultsWindow::connectParts() {
    connect(findChild<QPushButton*>(QStringLiteral("resetZoom")), &QPushButton::clicked, this, [this] {
        resetZoom();
        controller_.setXValue(controller_.x());
    });
    connect(findChild<QPushButton*>(QStringLiteral("exportPlots")), &QPushButton::clicked, this,
            &ResultsWindow::askExportPlots);
    connect(findChild<QPushButton*>(QStringLiteral("exportTable")), &QPushButton::clicked, this,
            &ResultsWindow::askExportTable);
    connect(findChild<QPushButton*>(QStringLiteral("exportSummary")), &QPushButton::clicked, this,
            &ResultsWindow::askExportSummary);
    connect(findChild<QPushButton*>(QStringLiteral("openFolder")), &QPushButton::clicked, this,
            [this] { askFolder(false); });
    connect(findChild<QPushButton*>(QStringLiteral("addFolder")), &QPushButton::clicked, this,
            [this] { askFolder(true); });
    connect(findChild<QPushButton*>(QStringLiteral("labDatabase")), &QPushButton::clicked, this,
            [this] { askLabDatabase(); });
    connect(findChild<QPushButton*>(QStringLiteral("characterisations")), &QPushButton::clicked, this, [this] {
        if (characterisationsWanted) {
            characterisationsWanted(folders().folders());
        }
    });
    table_->installEventFilter(this);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { drawPlots(); });
    // After the click has been handled: selecting redraws the plots, which
    // deletes the series that told of the click.
    plots_.picked = [this](const std::vector<int>& rows) {
        QTimer::singleShot(0, this, [this, rows] { selectRows(rows); });
    };
    controller_.plotsChanged = [this] { drawPlots(); };
    controller_.statusChanged = [this] { status_->setText(statusText()); };
    controller_.rowsAdded = [this](const std::vector<ResultRow>& rows) {
        fillTransformers(rows);
        readUnits(); // a unit test's row lands with its last pass
    };
}

void ResultsWindow::buildFilters() {
    transformer_ = new QComboBox;
    transformer_->setObjectName(QStringLiteral("transformerFilter"));
    transformer_->addItem(QStringLiteral("All"));
    transformer_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    transformer_->setMinimumContentsLength(26);
    ending_ = new QComboBox;
    ending_->setObjectName(QStringLiteral("endingFilter"));
    ending_->addItems(
        {QStringLiteral("All"), QStringLiteral("complete"), QStringLiteral("stopped"), QStringLiteral("link failure")});
    dates_ = new QCheckBox(QStringLiteral("From"));
    dates_->setObjectName(QStringLiteral("dateFilter"));
    from_ = new QDateEdit(QDate::currentDate());
    to_ = new QDateEdit(QDate::currentDate());
    from_->setObjectName(QStringLiteral("fromDate"));
    to_->setObjectName(QStringLiteral("toDate"));
    for (QDateEdit* d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setEnabled(false);
    }
    comment_ = new QLineEdit;
    comment_->setObjectName(QStringLiteral("commentFilter"));
    comment_->setPlaceholderText(QStringLiteral("text in the comment"));
    comment_->setMinimumWidth(120);
    connect(transformer_, &QComboBox::currentIndexChanged, this, [this] { applyFilters(); });
    connect(ending_, &QComboBox::currentIndexChanged, this, [this] { applyFilters(); });
    verdict_ = new QComboBox;
    verdict_->setObjectName(QStringLiteral("verdictFilter"));
    verdict_->addItems({QStringLiteral("All"), QStringLiteral("PASS"), QStringLiteral("CONDITIONAL PASS"),
                        QStringLiteral("NO VERDICT"), QStringLiteral("CONDITIONAL FAIL"), QStringLiteral("FAIL")});
    connect(verdict_, &QComboBox::currentIndexChanged, this, [this] { applyFilters(); });
    connect(dates_, &QCheckBox::toggled, this, [this](bool on) {
        from_->setEnabled(on);
        to_->setEnabled(on);
        applyFilters();
    });
    connect(from_, &QDateEdit::dateChanged, this, [this] { applyFilters(); });
    connect(to_, &QDateEdit::dateChanged, this, [this] { applyFilters(); });
    connect(comment_, &QLineEdit::textChanged, this, [this] { applyFilters(); });
}

void ResultsWindow::buildActions() {
    xChoice_ = new QComboBox;
    xChoice_->setObjectName(QStringLiteral("xValue"));
    xChoice_->addItems({QStringLiteral("supply voltage"), QStringLiteral("load resistor"),
                        QStringLiteral("load capacitor"), QStringLiteral("time")});
    seriesChoice_ = new QComboBox;
    seriesChoice_->setObjectName(QStringLiteral("seriesBy"));
    seriesChoice_->addItems({QStringLiteral("transformer and capacitor"), QStringLiteral("load resistor"),
                             QStringLiteral("supply voltage")});
    toleranceBox_ = new QDoubleSpinBox;
    toleranceBox_->setObjectName(QStringLiteral("tolerance"));
    // Its lowest value judges each set-up by its own U95; above it, a fixed
    // number of points.
    toleranceBox_->setRange(FromUncertainty, 100);
    toleranceBox_->setSingleStep(0.5);
    toleranceBox_->setSuffix(QStringLiteral(" points"));
    toleranceBox_->setSpecialValueText(QStringLiteral("their U95"));
    toleranceBox_->setValue(controller_.tolerance());
    connect(xChoice_, &QComboBox::currentIndexChanged, this, [this](int i) { setXValue(static_cast<XValue>(i)); });
    connect(seriesChoice_, &QComboBox::currentIndexChanged, this,
            [this](int i) { setSeriesBy(static_cast<SeriesBy>(i)); });
    connect(toleranceBox_, &QDoubleSpinBox::valueChanged, this, [this](double v) { setTolerance(v); });
}

void ResultsWindow::setXValue(XValue x) {
    {
        const QSignalBlocker quiet(xChoice_);
        xChoice_->setCurrentIndex(static_cast<int>(x));
    }
    resetZoom();
    controller_.setXValue(x);
}

void ResultsWindow::setLimits(std::optional<LimitSet> limits) {
    controller_.setGivenLimits(std::move(limits));
    drawPlots();
}

void ResultsWindow::setSeriesBy(SeriesBy by) {
    {
        const QSignalBlocker quiet(seriesChoice_);
        seriesChoice_->setCurrentIndex(static_cast<int>(by));
    }
    controller_.setSeriesBy(by);
}

void ResultsWindow::setTolerance(double points) {
    {
        const QSignalBlocker quiet(toleranceBox_);
        toleranceBox_->setValue(points);
    }
    controller_.setTolerance(points);
}

void ResultsWindow::resetZoom() {
    efficiencyView_->resetZoom();
    differenceView_->resetZoom();
}

void ResultsWindow::fillTransformers(const std::vector<ResultRow>& rows) {
    for (const ResultRow& row : rows) {
        if (!row.transformer.isEmpty() && transformer_->findText(row.transformer) < 0) {
            transformer_->addItem(row.transformer);
        }
    }
}

void ResultsWindow::applyFilters() {
    const bool dated = dates_->isChecked();
    controller_.setFilters({transformer_->currentIndex() <= 0 ? QString() : transformer_->currentText(),
                            ending_->currentIndex() <= 0 ? QString() : ending_->currentText(),
                            dated ? from_->date() : QDate(), dated ? to_->date() : QDate(), comment_->text(),
                            verdict_->currentIndex() <= 0 ? QString() : verdict_->currentText()});
}

void ResultsWindow::drawPlots() {
    std::set<int> selected;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        selected.insert(filter().mapToSource(index).row());
    }
    plots_.setLimits(controller_.limitSetsShown());
    plots_.show(controller_.series(), controller_.x(), controller_.tolerance(), selected, efficiencyView_->zoomed(),
                differenceView_->zoomed());
    summary_.show(controller_.series(), controller_.x());
    disagreement_->setText(disagreementText(controller_.disagreement(), controller_.tolerance()));
}

void ResultsWindow::selectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (const int row : rows) {
        const QModelIndex at = filter().mapFromSource(model().index(row, 0));
        if (at.isValid()) {
            selection.select(at, at.siblingAtColumn(ResultsModel::columns() - 1));
        }
    }
    table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!selection.isEmpty()) {
        table_->scrollTo(selection.indexes().first());
    }
}

QString ResultsWindow::selectedRowsText() const {
    QStringList lines;
    QStringList titles;
    for (int c = 0; c < ResultsModel::columns(); ++c) {
        titles << ResultsModel::title(c);
    }
    lines << titles.join(QLatin1Char('\t'));
    QModelIndexList selected = table_->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : selected) {
        const ResultRow& row =
            controller_.model().rows()[static_cast<std::size_t>(controller_.filter().mapToSource(index).row())];
        QStringList cells;
        for (int c = 0; c < ResultsModel::columns(); ++c) {
            // A tab or line end inside a cell would break the row.
            cells << ResultsModel::text(row, c)
                         .replace(QLatin1Char('\t'), QLatin1Char(' '))
                         .replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// Ctrl+C in the table copies the selected rows, not the one cell it would.
bool ResultsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(selectedRowsText());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ResultsWindow::readUnits() {
    std::vector<std::string> folders;
    for (const QString& f : controller_.folders().folders()) {
        folders.push_back(f.toStdString());
    }
    units_->setFolders(folders);
}

void ResultsWindow::openFolders(const QStringList& folders) {
    controller_.setFolders(folders);
    readUnits();
    setWindowTitle(QStringLiteral("Transformer Efficiency Results - %1").arg(foldersText(folders)));
}

void ResultsWindow::addFolder(const QString& folder) {
    QStringList folders = controller_.folders().folders();
    if (!folders.contains(folder)) {
        openFolders(folders << folder);
    }
}

void ResultsWindow::askFolder(bool add) {
    const QString folder = QFileDialog::getExistingDirectory(
        this, add ? QStringLiteral("Add record folder") : QStringLiteral("Open record folder"), startFolder());
    if (folder.isEmpty()) {
        return;
    }
    if (add) {
        addFolder(folder);
    } else {
        openFolders({folder});
    }
}

void ResultsWindow::askLabDatabase() {
    const QString kept = KeptSettings::databaseConnection();
    bool ok = false;
    const QString connection = QInputDialog::getText(
        this, QStringLiteral("Lab database"),
        QStringLiteral("PostgreSQL connection (postgresql://user@host:5432/lab or host=... dbname=...);\n"
                       "the password comes from PGPASSWORD or ~/.pgpass:"),
        QLineEdit::Normal, kept, &ok);
    if (!ok || connection.trimmed().isEmpty()) {
        return;
    }
    auto target = databaseTarget(connection.trimmed().toStdString());
    if (const auto* why = std::get_if<std::string>(&target)) {
        QMessageBox::warning(this, QStringLiteral("Lab database"), QString::fromStdString(*why));
        return;
    }
    KeptSettings::keepDatabaseConnection(connection.trimmed());
    auto* lab = new LabResultsWindow(std::get<DatabaseTarget>(target));
    lab->setAttribute(Qt::WA_DeleteOnClose);
    lab->show();
}
