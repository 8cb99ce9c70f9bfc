#pragma once

#include "Carets.h"
#include "Clipboard.h"
#include "KeySynth.h"
#include "ProgramHost.h"

#include <QImage>
#include <functional>

class QWidget;

// Alt+Print Screen copies the active window's image to the clipboard. Qt has
// no such convention of its own, so the synthesised Print Screen press while
// Alt is held takes the image of the window `target` names and puts it on the
// system clipboard, at the moment the key press would have.
class QtKeySynth final : public KeySynth {
  public:
    void keybd_event(std::uint8_t bVk, std::uint8_t bScan, std::uint32_t dwFlags, std::uintptr_t dwExtraInfo) override;
    std::function<QWidget*()> target;
    QImage lastImage;
    // Told of every image taken, as it goes to the clipboard.
    std::function<void(const QImage&)> imageTaken;

  private:
    bool altDown_ = false;
};

// Hides a box's caret by making it read-only (a read-only line edit draws no
// cursor) and takes its focus; showing gives both back.
class QtCarets final : public Carets {
  public:
    void HideCaret(const std::string& box) override;
    void ShowCaret(const std::string& box) override;
    std::function<QWidget*()> root;

  private:
    void setShown(const std::string& box, bool shown);
};

class QtClipboard final : public Clipboard {
  public:
    void EmptyClipboard() override;
};

// Ends the program at once, also from inside a running action: nothing is
// kept between runs, so there is nothing to save first.
class QtProgramHost final : public ProgramHost {
  public:
    void endProgram() override;
    // Runs first: what must not be lost is finished here.
    std::function<void()> beforeEnd;
};
