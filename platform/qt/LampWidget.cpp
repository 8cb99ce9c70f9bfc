#include "LampWidget.h"

#include <QPainter>

void LampWidget::setFill(const QColor& colour) {
    if (colour != fill_) {
        fill_ = colour;
        update();
    }
}

void LampWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_);
    const int side = std::min(width(), height()) - 2;
    painter.drawEllipse((width() - side) / 2, (height() - side) / 2, side, side);
}
