#include "SplashForm.h"

#include "EventPump.h"
#include "Screen.h"

SplashForm::SplashForm(Screen& screen, EventPump& pump, int mainWidth, int mainHeight) : screen_(screen), pump_(pump) {
    // A quarter of the main window's width and a third of its height.
    window.width = mainWidth / 4;
    window.height = mainHeight / 3;
}

void SplashForm::ShowSplash() {
    centreWindow(window, screen_);
    window.loaded = true;
    window.visible = true;
    pump_.yield();
}

void SplashForm::UnloadSplash() {
    window.visible = false;
    window.loaded = false;
}
