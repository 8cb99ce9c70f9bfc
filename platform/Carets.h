#pragma once

#include <string>

// Hides or shows the text caret of a box, named by its control name.
class Carets {
  public:
    virtual ~Carets() = default;
    virtual void HideCaret(const std::string& box) = 0;
    virtual void ShowCaret(const std::string& box) = 0;
};

// For a program without windows: no box has a caret.
class NoCarets final : public Carets {
  public:
    void HideCaret(const std::string&) override {}
    void ShowCaret(const std::string&) override {}
};
