#include "OperatorPrompt.h"

#include <QLabel>
#include <QPushButton>

OperatorPrompt::OperatorPrompt(QLabel* words, QPushButton* next) : words_(words), next_(next) {
    words_->setWordWrap(true);
    words_->setMinimumHeight(64);
    QFont big = words_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    words_->setFont(big);
    words_->setStyleSheet(QStringLiteral("QLabel { background: #fff8d0; border: 1px solid #c8b060; padding: 6px; }"));
}

bool OperatorPrompt::ask(const std::string& prompt) {
    QString text = QString::fromStdString(prompt);
    if (unattended) {
        text.replace(QStringLiteral(", then press NEXT"), QString());
        text = QStringLiteral("The simulated bench sets itself: ") + text.left(1).toLower() + text.mid(1);
    }
    words_->setText(text);
    if (answer_ == Answer::Stop) {
        answer_ = Answer::None;
        return false;
    }
    if (unattended) {
        return true;
    }
    answer_ = Answer::None;
    next_->setEnabled(true);
    next_->setFocus();
    waiting_.exec();
    next_->setEnabled(false);
    const bool go = answer_ == Answer::Next;
    answer_ = Answer::None;
    return go;
}

void OperatorPrompt::next() {
    answer_ = Answer::Next;
    waiting_.quit();
}

void OperatorPrompt::stop() {
    answer_ = Answer::Stop;
    waiting_.quit();
}
