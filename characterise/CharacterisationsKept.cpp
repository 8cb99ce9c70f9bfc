#include "CharacterisationsKept.h"

#include "CharacterisationFiles.h"
#include "CharacterisationPlots.h"
#include "ResultsExport.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CharacterisationsKept::CharacterisationsKept(const QStringList& folders, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), status_(new QLabel(this)),
      plots_(new CharacterisationPlots(this)) {
    setWindowTitle(QStringLiteral("Characterisations"));
    list_->setObjectName(QStringLiteral("KeptCharacterisations"));
    status_->setWordWrap(true);
    QFileInfoList found;
    for (const QString& folder : folders) {
        found += QDir(folder).entryInfoList({QStringLiteral("characterisation-*.json")}, QDir::Files);
    }
    std::sort(found.begin(), found.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() > b.lastModified(); });
    for (const QFileInfo& f : found) {
        paths_ << f.filePath();
        list_->addItem(f.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QStringLiteral("  ") +
                       f.completeBaseName().mid(17, 8) + QStringLiteral("  (") + f.absolutePath() + QLatin1Char(')'));
    }
    auto* exportButton = new QPushButton(QStringLiteral("Export..."), this);
    auto* left = new QVBoxLayout;
    left->addWidget(list_, 1);
    left->addWidget(status_);
    left->addWidget(exportButton);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(plots_, 3);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { showKept(row); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportShown(); });
    status_->setText(paths_.isEmpty() ? QStringLiteral("No characterisation is kept in these folders.")
                                      : QStringLiteral("%1 kept; pick one.").arg(paths_.size()));
    resize(1240, 700);
}

int CharacterisationsKept::count() const {
    return static_cast<int>(paths_.size());
}

QString CharacterisationsKept::statusText() const {
    return status_->text();
}

bool CharacterisationsKept::showKept(int n) {
    if (n < 0 || n >= paths_.size()) {
        return false;
    }
    QFile f(paths_[n]);
    if (!f.open(QIODevice::ReadOnly)) {
        status_->setText(QStringLiteral("cannot read %1: %2").arg(paths_[n], f.errorString()));
        return false;
    }
    const auto read = CharacterisationFiles::read(f.read(16 << 20).toStdString());
    if (const auto* why = std::get_if<std::string>(&read)) {
        plots_->clear();
        status_->setText(paths_[n] + QStringLiteral(": ") + QString::fromStdString(*why));
        return false;
    }
    const auto& kept = std::get<CharacterisationFiles::Kept>(read);
    plots_->show(kept.result, kept.truths);
    shown_ = n;
    status_->setText(QString::fromStdString(kept.plan.name + " on " + kept.bench + ", begun " + kept.started + ", " +
                                            std::to_string(kept.passIds.size()) + " passes, program " +
                                            kept.programVersion));
    return true;
}

void CharacterisationsKept::exportShown() {
    if (shown_ < 0) {
        return;
    }
    QString filter;
    const QString path = ResultsExport::pathForFilter(
        QFileDialog::getSaveFileName(this, QStringLiteral("Export the characterisation"),
                                     QFileInfo(paths_[shown_]).completeBaseName() + QStringLiteral(".png"),
                                     QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"),
                                     &filter),
        filter);
    if (!path.isEmpty()) {
        const auto why = plots_->exportTo(path, QFileInfo(paths_[shown_]).completeBaseName());
        status_->setText(why ? *why : QStringLiteral("exported to ") + path);
    }
}
