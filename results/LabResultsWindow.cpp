#include "LabResultsWindow.h"

#include "Counted.h"

#include "LabConnection.h"
#include "LabUnitYields.h"
#include "UnitsTab.h"

#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString connectionName(const LabResultsWindow* w) {
    return QStringLiteral("lab-results-%1").arg(reinterpret_cast<quintptr>(w));
}

// The window's connection, opened (again) when it is not.
bool openLab(const QString& name, const DatabaseTarget& t, QString& why) {
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (!db.isValid()) {
        db = addLabConnection(t, name);
        if (!db.isValid()) {
            why = QString::fromLatin1(MissingDriver);
            return false;
        }
    }
    if (db.isOpen()) {
        return true;
    }
    if (db.open()) {
        // Instants are read and sent with their offsets; the session's own
        // zone never shifts a day.
        QSqlQuery(db).exec(QStringLiteral("SET TIME ZONE 'UTC'"));
        return true;
    }
    const QSqlError e = db.lastError();
    why = (e.databaseText().isEmpty() ? e.text() : e.databaseText()).simplified();
    return false;
}

// The summary's last change, by its index: a poll with nothing new costs no
// more with ten million passes than with ten; and the unit tests' last
// arrival (a layout without them has none). Null when it cannot be read.
QString lastChangeOf(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT max(updated_at) FROM pass_summary")) || !q.next()) {
        return {};
    }
    QString change = q.value(0).isNull() ? QStringLiteral("none") : q.value(0).toString();
    QSqlQuery u(db);
    if (u.exec(QStringLiteral("SELECT max(uploaded_at), count(*) FROM unit_tests")) && u.next()) {
        change += QLatin1Char(' ') + u.value(0).toString() + QLatin1Char(' ') + u.value(1).toString();
    }
    return change;
}

} // namespace

LabResultsWindow::LabResultsWindow(DatabaseTarget target, QWidget* parent)
    : QWidget(parent), connection_(connectionName(this)), target_(std::move(target)) {
    setObjectName(QStringLiteral("LabResultsWindow"));
    setWindowTitle(QStringLiteral("Lab results - %1").arg(QString::fromStdString(target_.shown)));
    // The plots' filters and status on their own tab, above the plots; the
    // Units tab has its own.
    auto* tabs = new QTabWidget;
    auto* chartsTab = new QWidget;
    auto* layout = new QVBoxLayout(chartsTab);
    auto* filters = new QHBoxLayout;
    const auto labelled = [filters](const char* text, QWidget* w) {
        filters->addWidget(new QLabel(QString::fromLatin1(text)));
        filters->addWidget(w);
    };
    bench_ = new QComboBox;
    transformer_ = new QComboBox;
    bench_->addItem(QStringLiteral("All"));
    transformer_->addItem(QStringLiteral("All"));
    x_Value = new QComboBox;
    for (const XValue x : {XValue::Supply, XValue::Resistor, XValue::Capacitor}) {
        x_Value->addItem(xTitle(x), static_cast<int>(x));
    }
    comment_ = new QLineEdit;
    comment_->setPlaceholderText(QStringLiteral("part of the comment"));
    from_ = new QDateEdit;
    to_ = new QDateEdit;
    for (QDateEdit* d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setSpecialValueText(QStringLiteral("any"));
        d->setMinimumDate(QDate(2000, 1, 1));
        d->setDate(d->minimumDate());
    }
    labelled("Bench", bench_);
    labelled("Transformer", transformer_);
    labelled("Comment", comment_);
    labelled("From", from_);
    labelled("To", to_);
    labelled("X", x_Value);
    layout->addLayout(filters);
    status_ = new QLabel;
    status_->setWordWrap(true); // a server's long error must not widen the window
    layout->addWidget(status_);
    auto* charts = new QHBoxLayout;
    charts->addWidget(new ZoomChartView(plots_.efficiency()), 1);
    charts->addWidget(new ZoomChartView(plots_.difference()), 1);
    layout->addLayout(charts, 1);
    tabs->addTab(chartsTab, QStringLiteral("Plots"));
    units_ = new UnitsTab;
    tabs->addTab(units_, QStringLiteral("Units"));
    (new QVBoxLayout(this))->addWidget(tabs);
    const auto changed = [this] { refresh(); };
    connect(bench_, &QComboBox::currentIndexChanged, this, changed);
    connect(transformer_, &QComboBox::currentIndexChanged, this, changed);
    connect(comment_, &QLineEdit::editingFinished, this, changed);
    connect(from_, &QDateEdit::dateChanged, this, changed);
    connect(to_, &QDateEdit::dateChanged, this, changed);
    connect(x_Value, &QComboBox::currentIndexChanged, this,
            [this] { setXValue(static_cast<XValue>(x_Value->currentData().toInt())); });
    connect(&poll_, &QTimer::timeout, this, [this] { poll(); });
    poll_.start(PollMs);
    resize(1300, 720);
    unitsFrom({}, {});
    fillChoices();
    refresh();
}

LabResultsWindow::~LabResultsWindow() {
    { QSqlDatabase::database(connection_, false).close(); }
    QSqlDatabase::removeDatabase(connection_);
}

void LabResultsWindow::fillChoices() {
    QString why;
    if (!openLab(connection_, target_, why)) {
        return;
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    for (auto [box, column] : {std::pair{bench_, "bench"}, std::pair{transformer_, "transformer"}}) {
        const QString current = box->currentText();
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItem(QStringLiteral("All"));
        for (const QString& v : labValues(db, column)) {
            box->addItem(v);
        }
        box->setCurrentIndex(std::max(0, box->findText(current)));
    }
    unitsFrom(labUnitValues(db, "bench"), labUnitValues(db, "operator"));
}

void LabResultsWindow::unitsFrom(const std::vector<std::string>& benches, const std::vector<std::string>& operators) {
    const QString name = connection_;
    units_->setSource(benches, operators, [name](const YieldFilter& f, QString& error) {
        QSqlDatabase lab = QSqlDatabase::database(name, false);
        LabUnitYields y = labUnitYields(lab, f);
        error = y.error;
        return y.lots;
    });
}

LabFilter LabResultsWindow::filterShown() const {
    LabFilter f;
    f.bench = bench_->currentIndex() > 0 ? bench_->currentText() : QString();
    f.transformer = transformer_->currentIndex() > 0 ? transformer_->currentText() : QString();
    f.comment = comment_->text().trimmed();
    f.from = from_->date() == from_->minimumDate() ? QDate() : from_->date();
    f.to = to_->date() == to_->minimumDate() ? QDate() : to_->date();
    return f;
}

void LabResultsWindow::setFilter(const LabFilter& f) {
    const QSignalBlocker b(bench_), t(transformer_), c(comment_), fr(from_), to(to_);
    bench_->setCurrentIndex(f.bench.isEmpty() ? 0 : std::max(0, bench_->findText(f.bench)));
    transformer_->setCurrentIndex(f.transformer.isEmpty() ? 0 : std::max(0, transformer_->findText(f.transformer)));
    comment_->setText(f.comment);
    from_->setDate(f.from.isValid() ? f.from : from_->minimumDate());
    to_->setDate(f.to.isValid() ? f.to : to_->minimumDate());
    refresh();
}

void LabResultsWindow::setXValue(XValue x) {
    x_ = x;
    const QSignalBlocker quiet(x_Value);
    x_Value->setCurrentIndex(std::max(0, x_Value->findData(static_cast<int>(x))));
    refresh();
}

void LabResultsWindow::refresh() {
    QElapsedTimer took;
    took.start();
    QString why;
    if (!openLab(connection_, target_, why)) {
        shown_ = LabSeries{{}, 0, why};
    } else {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        lastChange_ = lastChangeOf(db); // before the grouping: a pass landing meanwhile is drawn next time
        shown_ = labSeries(db, x_, filterShown());
        if (!shown_.error.isEmpty()) {
            db.close(); // opened again at the next try
        }
    }
    lastMs_ = took.elapsed();
    plots_.show(shown_.series, x_, FromUncertainty, {}, false, false);
    status_->setText(statusText());
    units_->refresh();
}

QString LabResultsWindow::statusText() const {
    if (!shown_.error.isEmpty()) {
        return QStringLiteral("The lab database cannot be read: %1 (tried again every %2 s)")
            .arg(shown_.error)
            .arg(PollMs * RetryEveryPolls / 1000);
    }
    std::size_t points = 0;
    for (const PlotSeries& s : shown_.series) {
        points += s.points.size();
    }
    return QString::fromStdString(counted(static_cast<long long>(shown_.passes), "pass", "passes") + " in " +
                                  counted(static_cast<long long>(points), "set-up", "set-ups") + " on " +
                                  counted(static_cast<long long>(shown_.series.size()), "series", "series")) +
           QStringLiteral(", grouped by the server in %1 ms").arg(lastMs_);
}

void LabResultsWindow::poll() {
    // A server that cannot be read is asked again only every tenth poll: an
    // unanswered connection holds the window for its whole timeout.
    if (!shown_.error.isEmpty() && ++pollsSinceError_ % RetryEveryPolls != 0) {
        return;
    }
    QString why;
    if (!openLab(connection_, target_, why)) {
        if (shown_.error.isEmpty()) {
            refresh();
        }
        return;
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const QString change = lastChangeOf(db);
    if (change.isNull()) {
        db.close();
        refresh();
        return;
    }
    if (change != lastChange_ || !shown_.error.isEmpty()) {
        lastChange_ = change;
        fillChoices();
        refresh();
    }
}
