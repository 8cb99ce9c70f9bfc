#pragma once

#include <QEventLoop>
#include <string>

class QLabel;
class QPushButton;

// A plan's prompt to the operator in a window: the words shown, NEXT offered
// and waited for while the window's events run, STOP heard. On a bench that
// sets itself nobody is waited for; the words say so.
class OperatorPrompt {
  public:
    // The words large and bold on a pale yellow, wrapped.
    OperatorPrompt(QLabel* words, QPushButton* next);
    bool unattended = false;
    // Shows the prompt; true once NEXT is pressed (at once when unattended),
    // false on STOP (also one pressed before the prompt came).
    bool ask(const std::string& prompt);
    void next();
    void stop();

  private:
    QLabel* words_;
    QPushButton* next_;
    enum class Answer { None, Next, Stop } answer_ = Answer::None;
    QEventLoop waiting_;
};
