#include "QtReportPlatform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

void QtKeySynth::keybd_event(std::uint8_t bVk, std::uint8_t, std::uint32_t dwFlags, std::uintptr_t) {
    const bool up = (dwFlags & KEYEVENTF_KEYUP) != 0;
    if (bVk == VK_MENU) {
        altDown_ = !up;
        return;
    }
    if (bVk != VK_SNAPSHOT || up || !altDown_) {
        return;
    }
    QWidget* window = target ? target() : nullptr;
    if (window == nullptr) {
        return; // no window: the clipboard stays empty, as CAPTURE left it
    }
    lastImage = window->grab().toImage();
    QGuiApplication::clipboard()->setImage(lastImage);
    if (imageTaken) {
        imageTaken(lastImage);
    }
}

void QtCarets::setShown(const std::string& box, bool shown) {
    QWidget* top = root ? root() : nullptr;
    if (top == nullptr) {
        return;
    }
    auto* edit = top->findChild<QLineEdit*>(QString::fromStdString(box));
    if (edit == nullptr) {
        return;
    }
    edit->setReadOnly(!shown);
    if (!shown) {
        edit->clearFocus();
    }
}

void QtCarets::HideCaret(const std::string& box) {
    setShown(box, false);
}

void QtCarets::ShowCaret(const std::string& box) {
    setShown(box, true);
}

void QtClipboard::EmptyClipboard() {
    QGuiApplication::clipboard()->clear();
}

void QtProgramHost::endProgram() {
    if (beforeEnd) {
        beforeEnd();
    }
    // Not through closing the windows: the main window's close is CLOSE
    // itself, and would call back here.
    std::fflush(nullptr);
    std::quick_exit(0);
}
