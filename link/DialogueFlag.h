#pragma once

// Marks a dialogue with the scope as under way for as long as it lives, and
// puts the flag back as it found it on every way out.
class DialogueFlag {
  public:
    explicit DialogueFlag(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
    ~DialogueFlag() { flag_ = before_; }
    DialogueFlag(const DialogueFlag&) = delete;
    DialogueFlag& operator=(const DialogueFlag&) = delete;

  private:
    bool& flag_;
    bool before_;
};
