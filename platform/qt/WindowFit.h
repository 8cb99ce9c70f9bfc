#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

// Windows are laid out at their design sizes. When the screen's available
// area is smaller (a laptop screen, or the platform's scaling), a window's
// whole content is scaled down uniformly, fonts included, so that it lies
// wholly on the screen in its design proportions.
class DesignLayout {
  public:
    void add(QWidget* widget, QRect designRect);
    // Puts every widget at its design rectangle times `scale`.
    void scaleTo(double scale);

  private:
    std::vector<std::pair<QWidget*, QRect>> placed_;
};

namespace WindowFit {

// What a window frame adds around its content, as far as it is known before
// the window is first shown: borders and a title bar.
constexpr int FrameWidth = 10;
constexpr int FrameHeight = 40;

// The available area of the screen the windows open on.
QRect availableArea();
// The factor (at most 1) by which a window of this design size must shrink
// for its frame to fit the available area.
double scaleToFit(QSize designSize, bool framed = true);
// Where a window of this content size goes, frame included, to stand centred
// in the available area (never above or left of it).
QRect centredFrame(QSize contentSize, bool framed = true);
// Moves the window there.
void placeCentred(QWidget* window, bool framed = true);
// A second window beside the centred main window (of that content size), on
// the side with more room, when that side has room for at least
// `readableWidth`; else, rather than narrow and cut, at its own size centred
// on the screen, where the window manager lets the operator switch between
// the two. Either way wholly on the screen.
void placeBeside(QWidget* window, QSize mainContentSize, int readableWidth);

// Two windows used together where the screen cannot hold both whole: the
// main window (of that design size, its results in its leftmost
// `resultsDesignWidth`) and a second window of `secondDesign`. On a screen
// that holds the second window at its design size it is centred, as every
// window is. Where it must shrink, it stands beside the main window's
// results: where they fit side by side at the main window's own scale,
// nothing moves; else the
// main window goes to the area's left edge and the second takes the room
// right of the main window's results, scaled down to fit it, but never below
// `smallestScale` (then it stands at the area's right edge).
struct SideBySide {
    double secondScale = 1.0;
    QPoint secondAt;
    std::optional<QPoint> mainAt; // none: the main window stays where it is
};
SideBySide besideResults(QSize mainDesign, int resultsDesignWidth, QSize secondDesign, double smallestScale);

} // namespace WindowFit
