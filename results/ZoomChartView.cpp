// A chart the operator zooms with the wheel or a dragged rectangle and pans
// with the right button, clicks still reaching its points.
#include "EfficiencyPlots.h"

#include <QMouseEvent>
#include <QRubberBand>

ZoomChartView::ZoomChartView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent), band_(new QRubberBand(QRubberBand::Rectangle, this)) {
    setRubberBand(QChartView::NoRubberBand); // its own, which lets clicks reach the points
    setRenderHint(QPainter::Antialiasing);
    band_->hide();
}

void ZoomChartView::resetZoom() {
    chart()->zoomReset();
    zoomed_ = false;
}

void ZoomChartView::wheelEvent(QWheelEvent* event) {
    chart()->zoom(event->angleDelta().y() > 0 ? 1.25 : 0.8);
    zoomed_ = true;
    event->accept();
}

void ZoomChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        panning_ = true;
        last_ = event->position();
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        origin_ = event->position().toPoint();
        dragging_ = false;
    }
    QGraphicsView::mousePressEvent(event); // a point under the mouse is pressed
}

void ZoomChartView::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        const QPointF delta = event->position() - last_;
        chart()->scroll(-delta.x(), delta.y());
        last_ = event->position();
        zoomed_ = true;
        event->accept();
        return;
    }
    if ((event->buttons() & Qt::LeftButton) != 0 &&
        (dragging_ || (event->position().toPoint() - origin_).manhattanLength() > 6)) {
        dragging_ = true;
        band_->setGeometry(QRect(origin_, event->position().toPoint()).normalized());
        band_->show();
        event->accept();
        return;
    }
    QGraphicsView::mouseMoveEvent(event);
}

void ZoomChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_) {
        panning_ = false;
        event->accept();
        return;
    }
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        band_->hide();
        const QRectF area = QRectF(band_->geometry()).intersected(chart()->plotArea());
        if (area.width() > 2 && area.height() > 2) {
            chart()->zoomIn(area);
            zoomed_ = true;
        }
        event->accept();
        return;
    }
    QGraphicsView::mouseReleaseEvent(event); // a click on a point
}
