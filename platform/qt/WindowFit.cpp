#include "WindowFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

void DesignLayout::add(QWidget* widget, QRect designRect) {
    placed_.emplace_back(widget, designRect);
    widget->setGeometry(designRect);
}

void DesignLayout::scaleTo(double scale) {
    const auto at = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
    for (const auto& [widget, rect] : placed_) {
        // Edges, not sizes, are scaled: neighbours stay neighbours.
        const int left = at(rect.left());
        const int top = at(rect.top());
        widget->setGeometry(left, top, std::max(1, at(rect.left() + rect.width()) - left),
                            std::max(1, at(rect.top() + rect.height()) - top));
    }
}

namespace WindowFit {

QRect availableArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

double scaleToFit(QSize designSize, bool framed) {
    const QRect area = availableArea();
    const int frameW = framed ? FrameWidth : 0;
    const int frameH = framed ? FrameHeight : 0;
    const double byWidth = static_cast<double>(area.width() - frameW) / designSize.width();
    const double byHeight = static_cast<double>(area.height() - frameH) / designSize.height();
    return std::clamp(std::min(byWidth, byHeight), 0.1, 1.0);
}

QRect centredFrame(QSize contentSize, bool framed) {
    const QRect area = availableArea();
    const QSize frame = contentSize + (framed ? QSize(FrameWidth, FrameHeight) : QSize(0, 0));
    const int left = area.left() + std::max(0, (area.width() - frame.width()) / 2);
    const int top = area.top() + std::max(0, (area.height() - frame.height()) / 2);
    return {QPoint(left, top), frame};
}

void placeCentred(QWidget* window, bool framed) {
    window->move(centredFrame(window->size(), framed).topLeft());
}

void placeBeside(QWidget* window, QSize mainContentSize, int readableWidth) {
    const QRect area = availableArea();
    const QRect taken = centredFrame(mainContentSize);
    const int right = area.right() - taken.right();
    const int left = taken.left() - area.left();
    const int room = std::max(right, left) - FrameWidth;
    if (room < readableWidth) {
        window->resize(std::min(window->width(), area.width() - FrameWidth),
                       std::min(window->height(), area.height() - FrameHeight));
        placeCentred(window);
        return;
    }
    const int width = std::min(room, window->width());
    window->resize(width, std::min(window->height(), area.height() - FrameHeight));
    const int x = right >= left ? taken.right() + 1 : taken.left() - width - FrameWidth;
    window->move(x, taken.top());
}

SideBySide besideResults(QSize mainDesign, int resultsDesignWidth, QSize secondDesign, double smallestScale) {
    const QRect area = availableArea();
    const double mainScale = scaleToFit(mainDesign);
    const QRect main = centredFrame(
        QSize(static_cast<int>(mainDesign.width() * mainScale), static_cast<int>(mainDesign.height() * mainScale)));
    SideBySide placed;
    placed.secondScale = scaleToFit(secondDesign);
    if (placed.secondScale >= 1.0) {
        // A screen that holds the window whole: centred, as every window is.
        placed.secondAt = centredFrame(secondDesign).topLeft();
        return placed;
    }
    const int secondWidth = static_cast<int>(secondDesign.width() * placed.secondScale) + FrameWidth;
    const int resultsWidth = static_cast<int>(resultsDesignWidth * mainScale) + FrameWidth / 2;
    if (main.left() + resultsWidth + secondWidth <= area.right() + 1) {
        // Room beside the results as the main window stands: the second
        // window at the screen's right edge leaves them in view.
        placed.secondAt = QPoint(area.right() + 1 - secondWidth, area.top());
        return placed;
    }
    const double byWidth = static_cast<double>(area.width() - resultsWidth - FrameWidth) / secondDesign.width();
    placed.secondScale = std::clamp(std::min(byWidth, placed.secondScale), std::min(smallestScale, placed.secondScale),
                                    placed.secondScale);
    const int width = static_cast<int>(std::ceil(secondDesign.width() * placed.secondScale)) + FrameWidth + 1;
    placed.mainAt = QPoint(area.left(), main.top());
    placed.secondAt = QPoint(std::min(area.left() + resultsWidth, area.right() + 1 - width), area.top());
    return placed;
}

} // namespace WindowFit
