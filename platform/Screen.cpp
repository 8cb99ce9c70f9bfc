#include "Screen.h"

#include "Controls.h"

void centreWindow(WindowModel& window, Screen& screen) {
    window.left = (screen.width() - window.width) / 2;
    window.top = (screen.height() - window.height) / 2;
}
