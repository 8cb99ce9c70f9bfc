#include "QtScreen.h"

#include <QGuiApplication>
#include <QScreen>

int QtScreen::width() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().width() : 1024;
}

int QtScreen::height() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().height() : 768;
}
