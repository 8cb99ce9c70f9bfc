#include "PrintScreenView.h"

#include "PrintScreen.h"
#include "ViewParts.h"

#include <QCloseEvent>
#include <QLabel>
#include <string>

namespace {

constexpr int LabelHeight = 16;
constexpr int Pitch = 50;
constexpr int TallPitch = 56;
constexpr int PlusMinusWidth = 62;

} // namespace

PrintScreenView::PrintScreenView(PrintScreen& form) : form_(form) {
    setObjectName(QStringLiteral("PrintScreen"));
    setWindowTitle(toQString(form.window.caption));
    ViewParts parts(this, binder, layout);
    const auto item = [&](int n, int x, int y, int w, bool tall) {
        const std::string label = "Label" + std::to_string(n);
        const std::string box = "Text" + std::to_string(n);
        parts.label(label.c_str(), *form.label(n), QRect(x, y, w, LabelHeight));
        parts.box(box.c_str(), *form.textBox(n), QRect(x, y + LabelHeight + 2, w, tall ? 34 : 28));
    };
    // A result with its ± in the box's width (the ones beside the centred
    // results stand right of them).
    const auto result = [&](int n, int x, int y, int w, bool tall) {
        item(n, x, y, tall ? w : w - PlusMinusWidth, tall);
        const std::string name = "PlusMinus" + std::to_string(n);
        const QRect at = tall ? QRect(x + w + 4, y + LabelHeight + 2, 96, 34)
                              : QRect(x + w - PlusMinusWidth + 4, y + LabelHeight + 2, PlusMinusWidth - 4, 28);
        parts.label(name.c_str(), form.PlusMinus.at(static_cast<std::size_t>(n)), at);
    };
    const int left = 10;
    const int full = 540;
    const int half = 262;
    const int right = left + full - half;
    int y = 4;
    item(5, 130, y, 300, true);
    y += TallPitch;
    item(1, left, y, 174, false);
    item(24, left + 183, y, 174, false);
    item(2, left + 366, y, 174, false);
    y += Pitch;
    item(3, left, y, 356, false);
    item(4, left + 366, y, 174, false);
    for (const auto& [in, out] : {std::pair{6, 7}, {8, 9}, {10, 11}}) {
        y += Pitch;
        result(in, left, y, half, false);
        result(out, right, y, half, false);
    }
    y += Pitch;
    result(12, 140, y, 280, true);
    y += TallPitch;
    for (const auto& [in, out] : {std::pair{13, 14}, {15, 16}, {17, 18}}) {
        result(in, left, y, half, false);
        result(out, right, y, half, false);
        y += Pitch;
    }
    result(19, 140, y, 280, true);
    y += TallPitch;
    item(20, left, y, half, false);
    result(21, right, y, half, false);
    y += Pitch;
    result(22, 140, y, 280, true);
    y += TallPitch;
    item(23, left, y, full, false);
    // The warnings in the strip under the comment; the verdict and the
    // calibrated figures under them, within the report's size.
    y += Pitch - 4;
    parts.label("Warnings", form.Warnings, QRect(left, y, full, 40))->setWordWrap(true);
    y += 42;
    parts.label("LabelVerdict", form.LabelVerdict, QRect(140, y, 280, LabelHeight));
    parts.box("TextVerdict", form.TextVerdict, QRect(140, y + LabelHeight + 2, 280, 34));
    y += TallPitch;
    parts.label("VerdictReasons", form.VerdictReasons, QRect(left, y, full, 62))->setWordWrap(true);
    y += 64;
    parts.label("Calibrated", form.Calibrated, QRect(left, y, full, form.window.height - y))->setWordWrap(true);
    fitToScreen(this, QSize(form.window.width, form.window.height), layout, binder);
    refresh();
}

void PrintScreenView::refresh() {
    binder.refresh();
    if (form_.window.visible && !isVisible()) {
        showCentred(this);
    }
}

void PrintScreenView::closeEvent(QCloseEvent* event) {
    // The report goes away by itself when its capture is done; closed from
    // its frame in the middle, the capture would take the wrong window.
    event->ignore();
}
