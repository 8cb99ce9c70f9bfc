#include "UnitTestWindow.h"

#include "MeasuringSession.h"
#include "PointPicks.h"
#include "VerdictLook.h"
#include "WhoText.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QString css(Colour c) {
    return QStringLiteral("#%1%2%3")
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0'));
}

} // namespace

UnitTestWindow::UnitTestWindow(MeasuringSession& session, std::string folder, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), folder_(std::move(folder)), planLine_(new QLabel(this)),
      who_(new QLabel(this)), open_(button(this, "UnitTestOpen", "OPEN PLAN...")),
      start_(button(this, "UnitTestStart", "START")), resume_(button(this, "UnitTestResume", "RESUME")),
      next_(button(this, "UnitTestNext", "NEXT")), stop_(button(this, "UnitTestStop", "STOP")),
      report_(button(this, "UnitTestReport", "OPEN REPORT")), amend_(button(this, "UnitTestAmend", "AMEND REPORT...")),
      prompt_(new QLabel(this)), asking_(prompt_, next_), bar_(new QProgressBar(this)), progress_(new QLabel(this)),
      steps_(new QListWidget(this)), verdict_(new QLabel(this)), status_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Unit test"));
    setObjectName(QStringLiteral("UnitTestWindow"));
    QFont big = prompt_->font(); // as OperatorPrompt set it
    verdict_->setObjectName(QStringLiteral("UnitVerdict"));
    verdict_->setAlignment(Qt::AlignCenter);
    verdict_->setWordWrap(true);
    verdict_->setMinimumHeight(90);
    QFont huge = big;
    huge.setPointSizeF(big.pointSizeF() * 1.4);
    verdict_->setFont(huge);
    status_->setWordWrap(true);
    planLine_->setWordWrap(true);
    steps_->setWordWrap(true);
    steps_->setResizeMode(QListView::Adjust);

    auto* buttons = new QGridLayout;
    buttons->addWidget(open_, 0, 0);
    buttons->addWidget(start_, 0, 1);
    buttons->addWidget(resume_, 0, 2);
    buttons->addWidget(next_, 1, 0);
    buttons->addWidget(stop_, 1, 1);
    buttons->addWidget(report_, 2, 0);
    buttons->addWidget(amend_, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(planLine_);
    layout->addWidget(who_);
    layout->addLayout(buttons);
    layout->addWidget(prompt_);
    layout->addWidget(bar_);
    layout->addWidget(progress_);
    layout->addWidget(steps_, 1);
    layout->addWidget(verdict_);
    layout->addWidget(status_);

    connect(open_, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, QStringLiteral("Open a unit test plan"), QString::fromStdString(folder_),
                                         QStringLiteral("Unit test plan (*.json)"));
        if (!path.isEmpty()) {
            openPlan(path.toStdString());
        }
    });
    connect(start_, &QPushButton::clicked, this, [this] { start(); });
    connect(resume_, &QPushButton::clicked, this, [this] { resume(); });
    connect(next_, &QPushButton::clicked, this, [this] { next(); });
    connect(stop_, &QPushButton::clicked, this, [this] { stop(); });
    connect(report_, &QPushButton::clicked, this, [this] {
        if (run_ && !run_->reportFile.empty()) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder_ + "/" + run_->reportFile)));
        }
    });
    connect(amend_, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString correction =
            QInputDialog::getText(this, QStringLiteral("Amend the report"), QStringLiteral("The correction, in words:"),
                                  QLineEdit::Normal, QString(), &ok);
        if (ok) {
            amendReport(correction.simplified().toStdString());
        }
    });
    planLine_->setText(QStringLiteral("No plan open."));
    prompt_->setText(QStringLiteral("Open a plan, type or scan the UNIT in the main window, then START."));
    setRunning(false);
    resize(560, 640);
}

UnitTestWindow::~UnitTestWindow() {
    if (run_) {
        run_->stop();
    }
}

QString UnitTestWindow::statusText() const {
    return status_->text();
}
QString UnitTestWindow::verdictText() const {
    return verdict_->text();
}

void UnitTestWindow::setRunning(bool running) {
    running_ = running;
    open_->setEnabled(!running);
    start_->setEnabled(!running && plan_.has_value());
    resume_->setEnabled(!running && run_ && !run_->result().stoppedAt.empty());
    stop_->setEnabled(running);
    next_->setEnabled(false);
    report_->setEnabled(!running && run_ && !run_->reportFile.empty());
    amend_->setEnabled(!running && !reportId_.empty() && static_cast<bool>(amend));
}

bool UnitTestWindow::openPlan(const std::string& path) {
    auto read = readUnitTestPlan(path);
    if (const auto* why = std::get_if<std::string>(&read)) {
        say(*why);
        return false;
    }
    plan_ = std::get<UnitTestPlan>(read);
    planLine_->setText(QStringLiteral("Plan: %1 (%2 steps, %3)")
                           .arg(QString::fromStdString(plan_->title()))
                           .arg(plan_->steps.size())
                           .arg(QString::fromStdString(kindName(plan_->kind))));
    say("plan " + plan_->title() + " opened from " + path);
    setRunning(false);
    return true;
}

void UnitTestWindow::start() {
    if (running_ || !plan_) {
        return;
    }
    const UnitUnderTest who{session_.panel.TextUnit.text, session_.panel.TextOperator.text, session_.panel.TextLot.text,
                            session_.panel.Text24.text};
    if (const std::string why = whyNotASerial(who.unit); !why.empty()) {
        say(why + ": type or scan it into UNIT in the main window");
        return;
    }
    run_.reset();
    run_.emplace(session_, *plan_, static_cast<PlanOperator&>(*this), who, folder_);
    run_->benchTo = benchTo;
    run_->stepEnded = [this](const StepResult& s) { stepEnded(s); };
    if (writeReport) {
        run_->writeReport = [this](const UnitTestResult& r, std::string& why) { return writeReport(r, folder_, why); };
    }
    who_->setText(QStringLiteral("Unit %1, operator %2, lot %3")
                      .arg(QString::fromStdString(whoText(who.unit)),
                           QString::fromStdString(whoText(who.operatorName).empty() ? "-" : whoText(who.operatorName)),
                           QString::fromStdString(whoText(who.lot).empty() ? "-" : whoText(who.lot))));
    steps_->clear();
    go(false);
}

void UnitTestWindow::resume() {
    if (running_ || !run_ || run_->result().stoppedAt.empty()) {
        return;
    }
    // The step that did not end is listed again when it does.
    while (steps_->count() > static_cast<int>(run_->stepsKept())) {
        delete steps_->takeItem(steps_->count() - 1);
    }
    say("unit test " + run_->result().id + " resumed at " + run_->result().stoppedAt);
    go(true);
}

void UnitTestWindow::go(bool resuming) {
    verdict_->setText(QString());
    verdict_->setStyleSheet(QString());
    reportId_.clear();
    // The scope's set-up read first where it has not been (the settings
    // window opens for it); this window stays in front.
    if (const std::string why = readSettingsFirst(session_); !why.empty()) {
        say(why);
        return;
    }
    raise();
    activateWindow();
    setRunning(true);
    const UnitTestRun::Ended how = resuming ? run_->resume() : run_->run();
    const UnitTestResult& r = run_->result();
    QString text = QStringLiteral("UNIT %1: %2")
                       .arg(QString::fromStdString(r.who.unit), QString::fromLatin1(verdictName(r.verdict)));
    if (r.attempt > 1) {
        text += QStringLiteral("\n(retest, attempt %1)").arg(r.attempt);
    }
    if (!r.stoppedAt.empty()) {
        text += QStringLiteral("\nstopped at ") + QString::fromStdString(r.stoppedAt);
    }
    showVerdict(r.verdict, text);
    prompt_->setText(how == UnitTestRun::Ended::Finished
                         ? QStringLiteral("Finished.")
                         : QStringLiteral("Not finished: NO VERDICT. RESUME goes on, START tests again."));
    if (!run_->reportFile.empty()) {
        reportId_ = r.id + "/" + std::to_string(r.reportIssue);
        say("report " + reportId_ + " in " + folder_ + "/" + run_->reportFile);
    } else if (!run_->reportProblem.empty() || !run_->problem.empty()) {
        say(run_->problem.empty() ? run_->reportProblem : run_->problem);
    }
    setRunning(false);
}

void UnitTestWindow::amendReport(const std::string& correction) {
    if (reportId_.empty() || !amend) {
        return;
    }
    if (correction.empty()) {
        say("an amendment needs the correction in words");
        return;
    }
    std::string why;
    const std::string file = amend(folder_, reportId_, correction, why);
    if (file.empty()) {
        say(why);
        return;
    }
    const auto slash = reportId_.rfind('/');
    reportId_ = reportId_.substr(0, slash + 1) + std::to_string(std::stoi(reportId_.substr(slash + 1)) + 1);
    say("amended report " + reportId_ + " in " + folder_ + "/" + file + "; the one it replaces is kept");
}

void UnitTestWindow::next() {
    asking_.next();
}

void UnitTestWindow::stop() {
    asking_.stop();
    if (run_) {
        run_->stop();
    }
}

bool UnitTestWindow::ready(const std::string& prompt) {
    asking_.unattended = unattended;
    return asking_.ask(prompt);
}

void UnitTestWindow::progress(const PlanProgress& p) {
    bar_->setRange(0, std::max(1, p.points));
    bar_->setValue(p.point - 1);
    progress_->setText(
        QStringLiteral("step %1 of %2, %3").arg(p.point).arg(p.points).arg(QString::fromStdString(p.doing)));
}

void UnitTestWindow::say(const std::string& line) {
    status_->setText(QString::fromStdString(line));
}

void UnitTestWindow::stepEnded(const StepResult& s) {
    auto* item = new QListWidgetItem(
        QStringLiteral("step %1 %2: %3%4")
            .arg(s.number)
            .arg(QString::fromStdString(s.name), QString::fromLatin1(verdictName(s.verdict)),
                 s.reason.empty() ? QString() : QStringLiteral("\n    ") + QString::fromStdString(s.reason)));
    const VerdictLook& look = lookOf(s.verdict);
    item->setBackground(QColor(css(look.back)));
    item->setForeground(QColor(css(look.fore)));
    steps_->addItem(item);
    steps_->scrollToBottom();
    bar_->setValue(s.number);
}

void UnitTestWindow::showVerdict(Verdict v, const QString& text) {
    const VerdictLook& look = lookOf(v);
    verdict_->setText(text);
    verdict_->setStyleSheet(
        QStringLiteral("QLabel { background: %1; color: %2; border: 2px solid #303030; padding: 8px; }")
            .arg(css(look.back), css(look.fore)));
}

void UnitTestWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        stop(); // the test ends after the pass under way, with NO VERDICT
    }
    event->accept();
}
