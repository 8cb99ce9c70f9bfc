#include "ViewParts.h"

#include "LampWidget.h"
#include "PickComboBox.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <cmath>

QLineEdit* ViewParts::box(const char* name, TextBox& model, QRect at) {
    auto* widget = place(new QLineEdit(parent_), name, at);
    binder_.bind(widget, model);
    return widget;
}

PickComboBox* ViewParts::combo(const char* name, ComboBox& model, QRect at, std::function<void()> onPick) {
    auto* widget = place(new PickComboBox(parent_), name, at);
    binder_.bind(widget, model, std::move(onPick));
    return widget;
}

QLabel* ViewParts::label(const char* name, Label& model, QRect at) {
    auto* widget = place(new QLabel(parent_), name, at);
    widget->setWordWrap(false);
    binder_.bind(widget, model);
    return widget;
}

QPushButton* ViewParts::button(const char* name, Button& model, QRect at, std::function<void()> onClick) {
    auto* widget = place(new QPushButton(parent_), name, at);
    binder_.bind(widget, model, std::move(onClick));
    return widget;
}

QListWidget* ViewParts::list(const char* name, ListBox& model, QRect at) {
    auto* widget = place(new QListWidget(parent_), name, at);
    widget->setSelectionMode(QAbstractItemView::NoSelection);
    binder_.bind(widget, model);
    return widget;
}

LampWidget* ViewParts::lamp(const char* name, Lamp& model, QRect at) {
    auto* widget = place(new LampWidget(parent_), name, at);
    binder_.bind(widget, model);
    return widget;
}

QFrame* ViewParts::line(const char* name, QRect at) {
    auto* widget = place(new QFrame(parent_), name, at);
    widget->setFrameShape(at.width() > at.height() ? QFrame::HLine : QFrame::VLine);
    widget->setFrameShadow(QFrame::Sunken);
    return widget;
}

void fitToScreen(QWidget* window, QSize designSize, DesignLayout& layout, WidgetBinder& binder, bool framed) {
    scaleWindow(window, designSize, layout, binder, WindowFit::scaleToFit(designSize, framed));
}

void scaleWindow(QWidget* window, QSize designSize, DesignLayout& layout, WidgetBinder& binder, double scale) {
    if (scale < 1.0) {
        layout.scaleTo(scale);
        binder.fontScale = scale;
        QFont font = window->font();
        font.setPointSizeF(font.pointSizeF() * scale);
        window->setFont(font);
    }
    window->setFixedSize(static_cast<int>(std::lround(designSize.width() * scale)),
                         static_cast<int>(std::lround(designSize.height() * scale)));
}

void showCentred(QWidget* window, bool framed) {
    WindowFit::placeCentred(window, framed);
    window->show();
    window->raise();
    window->activateWindow();
}

QPixmap benchPicture(int width, int height, bool withTitle) {
    QPixmap picture(width, height);
    picture.fill(QColor(16, 32, 48));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    // A scope screen with the two traces of a transformer test.
    const QRectF screen(width * 0.08, height * 0.08, width * 0.84, height * 0.5);
    p.setPen(QPen(QColor(60, 90, 110), 1));
    p.setBrush(QColor(8, 20, 16));
    p.drawRoundedRect(screen, 6, 6);
    for (int i = 1; i < 10; ++i) {
        const double x = screen.left() + screen.width() * i / 10;
        p.drawLine(QPointF(x, screen.top()), QPointF(x, screen.bottom()));
    }
    for (int i = 1; i < 8; ++i) {
        const double y = screen.top() + screen.height() * i / 8;
        p.drawLine(QPointF(screen.left(), y), QPointF(screen.right(), y));
    }
    const auto trace = [&](double amplitude, double phase, QColor colour) {
        QPainterPath path;
        for (int i = 0; i <= 200; ++i) {
            const double t = i / 200.0;
            const double x = screen.left() + t * screen.width();
            const double y = screen.center().y() - amplitude * screen.height() / 2 * std::sin(2 * M_PI * 2 * t + phase);
            i == 0 ? path.moveTo(x, y) : path.lineTo(x, y);
        }
        p.setPen(QPen(colour, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    trace(0.8, 0, QColor(255, 230, 0));
    trace(0.5, -0.6, QColor(0, 170, 255));

    // A transformer: two windings on a core.
    const double top = height * 0.64;
    const double coreH = height * 0.26;
    const double cx = width / 2.0;
    p.setPen(QPen(QColor(190, 190, 200), 3));
    p.drawLine(QPointF(cx - 4, top), QPointF(cx - 4, top + coreH));
    p.drawLine(QPointF(cx + 4, top), QPointF(cx + 4, top + coreH));
    p.setPen(QPen(QColor(220, 140, 60), 3));
    for (int side = -1; side <= 1; side += 2) {
        for (int turn = 0; turn < 4; ++turn) {
            const double y = top + coreH * (turn + 0.5) / 4;
            const QRectF arc(cx + side * 28 - 12, y - coreH / 8, 24, coreH / 4);
            p.drawArc(arc, side < 0 ? 90 * 16 : -90 * 16, 180 * 16);
        }
    }
    if (withTitle) {
        QFont font(QStringLiteral("Arial"));
        font.setBold(true);
        font.setPointSize(12);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, height * 0.9, width, height * 0.1), Qt::AlignCenter,
                   QStringLiteral("Transformer Efficiency Calculator"));
    }
    return picture;
}
