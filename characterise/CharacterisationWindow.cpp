#include "CharacterisationWindow.h"

#include "CharacterisationFiles.h"
#include "CharacterisationPlots.h"
#include "MeasuringSession.h"
#include "PlanEditor.h"
#include "PointPicks.h"
#include "ResultsExport.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <cmath>

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QString withU(double value, double u, int decimals) {
    return QStringLiteral("%1 ± %2").arg(value, 0, 'f', decimals).arg(u, 0, 'f', decimals);
}

} // namespace

CharacterisationWindow::CharacterisationWindow(MeasuringSession& session, std::string folder, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), folder_(std::move(folder)), editor_(new PlanEditor(this)),
      open_(button(this, "PlanOpen", "OPEN...")), save_(button(this, "PlanSave", "SAVE...")),
      start_(button(this, "CharacteriseStart", "START")), next_(button(this, "CharacteriseNext", "NEXT")),
      stop_(button(this, "CharacteriseStop", "STOP")), resume_(button(this, "CharacteriseResume", "RESUME")),
      export_(button(this, "CharacteriseExport", "EXPORT...")), prompt_(new QLabel(this)), asking_(prompt_, next_),
      bar_(new QProgressBar(this)), progress_(new QLabel(this)), passes_(new QListWidget(this)),
      status_(new QLabel(this)), plots_(new CharacterisationPlots(this)) {
    setWindowTitle(QStringLiteral("Characterise"));
    setObjectName(QStringLiteral("CharacterisationWindow"));
    prompt_->setObjectName(QStringLiteral("CharacterisePrompt"));
    status_->setObjectName(QStringLiteral("CharacteriseStatus"));
    status_->setWordWrap(true);
    progress_->setObjectName(QStringLiteral("CharacteriseProgress"));
    passes_->setObjectName(QStringLiteral("CharacterisePasses"));

    auto* files = new QHBoxLayout;
    files->addWidget(open_);
    files->addWidget(save_);
    auto* steps = new QGridLayout;
    steps->addWidget(start_, 0, 0);
    steps->addWidget(resume_, 0, 1);
    steps->addWidget(next_, 1, 0);
    steps->addWidget(stop_, 1, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(editor_);
    left->addLayout(files);
    left->addLayout(steps);
    left->addWidget(prompt_);
    left->addWidget(bar_);
    left->addWidget(progress_);
    left->addWidget(passes_, 1);
    left->addWidget(status_);
    left->addWidget(export_);
    auto* leftSide = new QWidget(this);
    leftSide->setLayout(left);
    leftSide->setMaximumWidth(400);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(leftSide);
    layout->addWidget(plots_, 1);

    connect(open_, &QPushButton::clicked, this, [this] { openPlan(); });
    connect(save_, &QPushButton::clicked, this, [this] { savePlan(); });
    connect(start_, &QPushButton::clicked, this, [this] { start(); });
    connect(next_, &QPushButton::clicked, this, [this] { next(); });
    connect(stop_, &QPushButton::clicked, this, [this] { stop(); });
    connect(resume_, &QPushButton::clicked, this, [this] { resume(); });
    connect(export_, &QPushButton::clicked, this, [this] { exportPlots(); });
    listener_ = session_.passListeners.size();
    session_.passListeners.push_back([this](const PassOutcome& pass) { passLanded(pass); });
    setRunning(false);
    prompt_->setText(QStringLiteral("Pick or open a plan, then START."));
    resize(1240, 680);
}

CharacterisationWindow::~CharacterisationWindow() {
    session_.passListeners[listener_] = [](const PassOutcome&) {};
}

QString CharacterisationWindow::statusText() const {
    return status_->text();
}

void CharacterisationWindow::setRunning(bool running) {
    running_ = running;
    for (QWidget* w : std::initializer_list<QWidget*>{editor_, open_, start_, resume_, export_}) {
        w->setEnabled(!running);
    }
    stop_->setEnabled(running);
    next_->setEnabled(false);
    export_->setEnabled(!running && run_ && !run_->result().supplies.empty());
}

void CharacterisationWindow::start() {
    if (running_) {
        return;
    }
    auto plan = editor_->plan();
    if (const auto* why = std::get_if<std::string>(&plan)) {
        say(*why);
        return;
    }
    run_.reset();
    run_.emplace(session_, std::get<CharacterisationPlan>(plan), static_cast<PlanOperator&>(*this), folder_);
    passes_->clear();
    plots_->clear();
    say("characterisation " + run_->id() + ": " + std::to_string(run_->plan().points().size()) + " points, kept in " +
        folder_);
    go();
}

// RESUME: the run stopped here, else the newest one left unfinished in the
// record folder.
void CharacterisationWindow::resume() {
    if (running_) {
        return;
    }
    if (!run_ || run_->pointsDone() == run_->plan().points().size()) {
        const QDir dir(QString::fromStdString(folder_));
        std::optional<std::string> id;
        for (const QFileInfo& f :
             dir.entryInfoList({QStringLiteral("characterisation-*.points")}, QDir::Files, QDir::Time)) {
            const QString name = f.completeBaseName().mid(static_cast<int>(std::string("characterisation-").size()));
            if (!dir.exists(QStringLiteral("characterisation-%1.json").arg(name))) {
                id = name.toStdString();
                break;
            }
        }
        if (!id) {
            say("nothing to resume in " + folder_);
            return;
        }
        std::string why;
        auto found = CharacterisationRun::resumed(session_, static_cast<PlanOperator&>(*this), folder_, *id, why);
        if (!found) {
            say(why);
            return;
        }
        run_.reset();
        run_.emplace(std::move(*found));
        editor_->setPlan(run_->plan());
        plots_->showPoints(run_->points());
    }
    say("characterisation " + run_->id() + " resumed: " + std::to_string(run_->pointsDone()) + " of " +
        std::to_string(run_->plan().points().size()) + " points done");
    go();
}

void CharacterisationWindow::go() {
    // The scope's set-up read first where it has not been (the settings
    // window opens for it); this window stays in front.
    if (const std::string why = readSettingsFirst(session_); !why.empty()) {
        say(why);
        return;
    }
    raise();
    activateWindow();
    run_->benchTo = benchTo;
    run_->truthAt = truthAt;
    run_->pointKept = [this] { plots_->showPoints(run_->points()); };
    setRunning(true);
    const CharacterisationRun::Ended how = run_->run();
    ended(how);
}

void CharacterisationWindow::ended(CharacterisationRun::Ended how) {
    const std::string points =
        std::to_string(run_->pointsDone()) + " of " + std::to_string(run_->plan().points().size());
    switch (how) {
    case CharacterisationRun::Ended::Stopped:
        prompt_->setText(QStringLiteral("Stopped. RESUME goes on where it stopped."));
        say("stopped after " + points + " points");
        break;
    case CharacterisationRun::Ended::Failed:
        prompt_->setText(QStringLiteral("Not finished: see below. RESUME goes on once it is mended."));
        say("not finished after " + points + " points: " + run_->problem);
        break;
    case CharacterisationRun::Ended::Finished:
        if (!run_->result().problem.empty()) {
            say("nothing could be fitted: " + run_->result().problem);
            break;
        }
        plots_->show(run_->result(), run_->truths);
        prompt_->setText(QStringLiteral("Finished."));
        bar_->setValue(bar_->maximum());
        say("finished: kept in " + folder_ + "/characterisation-" + run_->id() + ".json");
        break;
    }
    setRunning(false);
}

void CharacterisationWindow::next() {
    asking_.next();
}

void CharacterisationWindow::stop() {
    asking_.stop();
    if (run_) {
        run_->stop(); // after the pass under way
    }
}

bool CharacterisationWindow::ready(const std::string& prompt) {
    asking_.unattended = unattended;
    return asking_.ask(prompt);
}

void CharacterisationWindow::progress(const PlanProgress& p) {
    const int total = p.points * p.passes;
    bar_->setRange(0, std::max(1, total));
    bar_->setValue((p.point - 1) * p.passes + p.pass - 1);
    QString text = QStringLiteral("point %1 of %2, %3").arg(p.point).arg(p.points).arg(QString::fromStdString(p.doing));
    if (p.secondsLeft > 0) {
        text += QStringLiteral(" (about %1 s left)").arg(static_cast<long long>(std::ceil(p.secondsLeft)));
    }
    progress_->setText(text);
}

void CharacterisationWindow::say(const std::string& line) {
    status_->setText(QString::fromStdString(line));
}

void CharacterisationWindow::passLanded(const PassOutcome& pass) {
    if (!running_ || pass.belongs.characterisationId.empty()) {
        return;
    }
    const std::string& load = pass.setUp.loadResistor;
    QString text = QStringLiteral("%1 at %2 V: ")
                       .arg(QString::fromStdString(load == "NO LOAD" ? std::string("no load") : load + " ohms"),
                            QString::fromStdString(pass.setUp.supply));
    const auto e = pass.figures.PhaseEfficiency;
    const auto u = pass.uncertainty[Quantity::PhaseEfficiency].number();
    if (pass.ending != PassOutcome::Ending::Complete) {
        text += QStringLiteral("not complete");
    } else if (e && u) {
        text += QStringLiteral("efficiency ") + withU(*e, *u, 2) + QStringLiteral(" %");
    } else {
        text += QStringLiteral("complete");
    }
    passes_->addItem(text);
    passes_->scrollToBottom();
}

void CharacterisationWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        stop(); // the run ends after the pass under way; the window only hides
    }
    event->accept();
}

void CharacterisationWindow::openPlan() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open a characterisation plan"),
                                     QString::fromStdString(folder_), QStringLiteral("Characterisation plan (*.json)"));
    if (path.isEmpty()) {
        return;
    }
    auto plan = readPlan(path.toStdString());
    if (const auto* why = std::get_if<std::string>(&plan)) {
        say(*why);
        return;
    }
    editor_->setPlan(std::get<CharacterisationPlan>(plan));
    say("plan read from " + path.toStdString());
}

void CharacterisationWindow::savePlan() {
    auto plan = editor_->plan();
    if (const auto* why = std::get_if<std::string>(&plan)) {
        say(*why);
        return;
    }
    const QString path = ResultsExport::pathForFilter(
        QFileDialog::getSaveFileName(this, QStringLiteral("Save the characterisation plan"),
                                     QString::fromStdString(folder_), QStringLiteral("Characterisation plan (*.json)")),
        QStringLiteral("Characterisation plan (*.json)"));
    if (path.isEmpty()) {
        return;
    }
    QFile f(path);
    const std::string bytes = planJson(std::get<CharacterisationPlan>(plan));
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        say("cannot write " + path.toStdString() + ": " + f.errorString().toStdString());
        return;
    }
    say("plan saved in " + path.toStdString());
}

void CharacterisationWindow::exportPlots() {
    if (!run_) {
        return;
    }
    QString filter;
    const QString path = ResultsExport::pathForFilter(
        QFileDialog::getSaveFileName(this, QStringLiteral("Export the characterisation"),
                                     QString::fromStdString(folder_ + "/characterisation-" + run_->id() + ".png"),
                                     QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"),
                                     &filter),
        filter);
    if (path.isEmpty()) {
        return;
    }
    const auto why = plots_->exportTo(
        path, QString::fromStdString("Characterisation of " + run_->plan().name + " (" + run_->id() + ")"));
    say(why ? why->toStdString() : "exported to " + path.toStdString());
}
