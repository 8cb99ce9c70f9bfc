#include "UnitsTab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>
#include <set>

namespace {

const QStringList Columns{QStringLiteral("lot"),
                          QStringLiteral("plan"),
                          QStringLiteral("units"),
                          QStringLiteral("tests"),
                          QStringLiteral("first-pass yield (%)"),
                          QStringLiteral("final yield (%)"),
                          QStringLiteral("retests"),
                          QStringLiteral("conditional pass"),
                          QStringLiteral("conditional fail"),
                          QStringLiteral("no verdict"),
                          QStringLiteral("fail"),
                          QStringLiteral("failures by step")};

const QString Any = QStringLiteral("(any)");

template <class Items> void fill(QComboBox* box, const Items& items) {
    const QString was = box->currentText();
    box->clear();
    box->addItem(Any);
    for (const std::string& i : items) {
        box->addItem(QString::fromStdString(i));
    }
    box->setCurrentIndex(std::max(0, box->findText(was)));
}

} // namespace

UnitsTab::UnitsTab(QWidget* parent)
    : QWidget(parent), bench_(new QComboBox(this)), operator_(new QComboBox(this)), from_(new QLineEdit(this)),
      to_(new QLineEdit(this)), table_(new QTableWidget(this)), status_(new QLabel(this)) {
    setObjectName(QStringLiteral("units"));
    bench_->setObjectName(QStringLiteral("unitsBench"));
    operator_->setObjectName(QStringLiteral("unitsOperator"));
    from_->setObjectName(QStringLiteral("unitsFrom"));
    to_->setObjectName(QStringLiteral("unitsTo"));
    from_->setPlaceholderText(QStringLiteral("from YYYY-MM-DD"));
    to_->setPlaceholderText(QStringLiteral("to YYYY-MM-DD"));
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Bench")));
    filters->addWidget(bench_, 1);
    filters->addWidget(new QLabel(QStringLiteral("Operator")));
    filters->addWidget(operator_, 1);
    filters->addWidget(from_);
    filters->addWidget(to_);
    table_->setColumnCount(static_cast<int>(Columns.size()));
    table_->setHorizontalHeaderLabels(Columns);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(filters);
    status_->setObjectName(QStringLiteral("unitsStatus"));
    status_->setWordWrap(true);
    status_->hide();
    layout->addWidget(status_);
    layout->addWidget(table_, 1);
    for (QComboBox* box : {bench_, operator_}) {
        connect(box, &QComboBox::currentTextChanged, this, [this] { show(); });
    }
    for (QLineEdit* edit : {from_, to_}) {
        connect(edit, &QLineEdit::editingFinished, this, [this] { show(); });
    }
}

void UnitsTab::setFolders(const std::vector<std::string>& folders) {
    auto tests = std::make_shared<const std::vector<UnitTestRow>>(readUnitTests(folders));
    std::set<std::string> benches, operators;
    for (const UnitTestRow& t : *tests) {
        benches.insert(t.bench);
        operators.insert(t.operatorName);
    }
    setSource({benches.begin(), benches.end()}, {operators.begin(), operators.end()},
              [tests](const YieldFilter& f, QString&) { return yieldOf(*tests, f); });
}

void UnitsTab::setSource(const std::vector<std::string>& benches, const std::vector<std::string>& operators,
                         Yields yields) {
    yields_ = std::move(yields);
    const QSignalBlocker a(bench_), b(operator_);
    fill(bench_, benches);
    fill(operator_, operators);
    show();
}

QString UnitsTab::statusText() const {
    return status_->text();
}

YieldFilter UnitsTab::filter() const {
    YieldFilter f;
    f.bench = bench_->currentText() == Any ? std::string() : bench_->currentText().toStdString();
    f.operatorName = operator_->currentText() == Any ? std::string() : operator_->currentText().toStdString();
    f.from = QDate::fromString(from_->text().trimmed(), Qt::ISODate);
    f.to = QDate::fromString(to_->text().trimmed(), Qt::ISODate);
    return f;
}

void UnitsTab::show() {
    QString error;
    const auto yields = yields_ ? yields_(filter(), error) : std::vector<LotYield>{};
    status_->setText(error.isEmpty() ? QString() : QStringLiteral("The unit tests cannot be read: ") + error);
    status_->setVisible(!error.isEmpty());
    table_->setRowCount(static_cast<int>(yields.size()));
    int row = 0;
    for (const LotYield& y : yields) {
        QString steps;
        for (const auto& [step, count] : y.failuresByStep) {
            steps += (steps.isEmpty() ? QString() : QStringLiteral("; ")) +
                     QStringLiteral("%1: %2").arg(QString::fromStdString(step)).arg(count);
        }
        const QStringList cells{QString::fromStdString(y.lot),
                                QString::fromStdString(y.plan),
                                QString::number(y.units),
                                QString::number(y.tests),
                                QString::number(y.firstPassYield(), 'f', 1),
                                QString::number(y.finalYield(), 'f', 1),
                                QString::number(y.retests),
                                QString::number(y.conditionalPass),
                                QString::number(y.conditionalFail),
                                QString::number(y.noVerdict),
                                QString::number(y.fail),
                                steps};
        for (int c = 0; c < cells.size(); ++c) {
            table_->setItem(row, c, new QTableWidgetItem(cells[c]));
        }
        ++row;
    }
    table_->resizeColumnsToContents();
}

QStringList UnitsTab::lines() const {
    QStringList out{Columns.join(QLatin1Char('\t'))};
    for (int r = 0; r < table_->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table_->columnCount(); ++c) {
            cells << (table_->item(r, c) ? table_->item(r, c)->text() : QString());
        }
        out << cells.join(QLatin1Char('\t'));
    }
    return out;
}
