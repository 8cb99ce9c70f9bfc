#include "SplashFormView.h"

#include "SplashForm.h"
#include "ViewParts.h"
#include "WindowFit.h"

SplashFormView::SplashFormView(SplashForm& form)
    : QLabel(nullptr, Qt::FramelessWindowHint | Qt::SplashScreen), form_(form) {
    setObjectName(QStringLiteral("SplashForm"));
    const double scale = WindowFit::scaleToFit(QSize(form.window.width, form.window.height), false);
    setFixedSize(static_cast<int>(form.window.width * scale), static_cast<int>(form.window.height * scale));
    setPixmap(benchPicture(width(), height(), true));
}

void SplashFormView::refresh() {
    if (form_.window.visible && !isVisible()) {
        showCentred(this, false);
    } else if (!form_.window.visible && isVisible()) {
        hide();
    }
}
