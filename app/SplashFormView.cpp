#include "SplashFormView.h"

#include "SplashForm.h"
#include "ViewParts.h"

SplashFormView::SplashFormView(SplashForm& form)
    : QLabel(nullptr, Qt::FramelessWindowHint | Qt::SplashScreen), form_(form) {
    setObjectName(QStringLiteral("SplashForm"));
    setFixedSize(form.window.width, form.window.height);
    setPixmap(benchPicture(form.window.width, form.window.height, true));
}

void SplashFormView::refresh() {
    if (form_.window.visible && !isVisible()) {
        move(form_.window.left, form_.window.top);
        show();
    } else if (!form_.window.visible && isVisible()) {
        hide();
    }
}
