#include "LimitsWindow.h"

#include "FileDialogParts.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <variant>

namespace {

QString boundText(const std::optional<double>& bound) {
    return bound ? QString::number(*bound, 'g', 10) : QStringLiteral("-");
}

} // namespace

LimitsWindow::LimitsWindow(std::optional<LimitSet> current, QWidget* parent)
    : QDialog(parent), limits_(std::move(current)) {
    setObjectName(QStringLiteral("LimitsWindow"));
    setWindowTitle(QStringLiteral("Limits"));
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel;
    title_->setObjectName(QStringLiteral("title"));
    title_->setWordWrap(true);
    layout->addWidget(title_);
    table_ = new QTableWidget(0, 3);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Record column"), QStringLiteral("Lower"), QStringLiteral("Upper")});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(table_);
    error_ = addErrorLine(layout);
    auto* buttons =
        addFileButtons(this, layout, QStringLiteral("Limit set"), [this](const QString& path) { openFile(path); });
    auto* none = buttons->addButton(QStringLiteral("No limits"), QDialogButtonBox::ResetRole);
    connect(none, &QPushButton::clicked, this, [this] { clear(); });
    resize(560, 320);
    showSet();
}

bool LimitsWindow::openFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_->setText(
            QStringLiteral("limit set: cannot read %1: %2 - the set stays as it was").arg(path, file.errorString()));
        return false;
    }
    const std::string bytes = file.read(1 << 20).toStdString();
    auto read = limitSetFromJson(bytes);
    if (const auto* why = std::get_if<std::string>(&read)) {
        error_->setText(QString::fromStdString(*why) + QStringLiteral(" - the set stays as it was"));
        return false;
    }
    limits_ = std::get<LimitSet>(read);
    bytes_ = bytes;
    error_->clear();
    showSet();
    return true;
}

void LimitsWindow::clear() {
    limits_.reset();
    bytes_.clear();
    error_->clear();
    showSet();
}

QString LimitsWindow::error() const {
    return error_->text();
}

void LimitsWindow::showSet() {
    table_->setRowCount(0);
    if (!limits_) {
        title_->setText(QStringLiteral("No limits: the passes get no verdict."));
        return;
    }
    const LimitSet& s = *limits_;
    title_->setText(
        QStringLiteral("<b>%1</b><br>Rule: %2<br>SHA-256 %3")
            .arg(QString::fromStdString(s.title()).toHtmlEscaped(),
                 s.rule == Rule::Simple
                     ? QStringLiteral("simple (the limit itself decides)")
                     : QStringLiteral("guard-band, the acceptance limit moved inward by %1 x U").arg(s.guard),
                 QString::fromStdString(s.sha256)));
    for (const LimitSet::Limit& l : s.limits) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        table_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(l.column)));
        table_->setItem(row, 1, new QTableWidgetItem(boundText(l.bounds.lower)));
        table_->setItem(row, 2, new QTableWidgetItem(boundText(l.bounds.upper)));
    }
}
