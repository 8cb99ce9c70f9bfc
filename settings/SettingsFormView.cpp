#include "SettingsFormView.h"

#include "SettingsForm.h"
#include "ViewParts.h"

#include <QCloseEvent>
#include <array>
#include <string>

namespace {

// Design positions are in twips, 15 to a pixel.
QRect twips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

struct GridColumn {
    int header;
    int left;
    int width;
    std::array<int, 6> boxes; // CH1, CH2, MATH, CH3, CH4, frequency row; 0 = none
};

constexpr std::array<GridColumn, 12> Grid{{
    {2, 360, 1335, {2, 3, 4, 5, 6, 61}},
    {3, 2160, 855, {7, 8, 9, 10, 11, 62}},
    {4, 3480, 615, {12, 13, 14, 15, 16, 63}},
    {5, 4560, 855, {17, 18, 19, 20, 21, 64}},
    {6, 5880, 615, {22, 23, 24, 25, 26, 0}},
    {7, 6960, 735, {27, 28, 29, 30, 31, 0}},
    {8, 8160, 975, {32, 33, 0, 34, 35, 0}},
    {9, 9600, 975, {36, 37, 0, 38, 39, 0}},
    {10, 10920, 1215, {40, 41, 42, 43, 44, 0}},
    {11, 12600, 1815, {45, 46, 47, 48, 49, 0}},
    {14, 14760, 1695, {50, 51, 0, 52, 53, 0}},
    {23, 16800, 855, {65, 66, 67, 68, 69, 0}},
}};
constexpr std::array<int, 6> RowTops{360, 1080, 1800, 2520, 3240, 3960};

std::string name(const char* kind, int number) {
    return kind + std::to_string(number);
}

} // namespace

SettingsFormView::SettingsFormView(SettingsForm& form, std::optional<double> scale, std::function<void(QWidget*)> place)
    : form_(form), place_(std::move(place)) {
    setObjectName(QStringLiteral("SettingsForm"));
    setWindowTitle(toQString(form.window.caption));
    QFont windowFont(QStringLiteral("Arial"));
    windowFont.setPointSizeF(8.25);
    setFont(windowFont);
    ViewParts parts(this, binder, layout);
    const auto box = [&](int n, QRect at) { parts.box(name("Text", n).c_str(), *form.settings.textBox(n), at); };
    const auto label = [&](int n, QRect at) { parts.label(name("Label", n).c_str(), *form.settings.label(n), at); };

    for (const GridColumn& column : Grid) {
        label(column.header, twips(column.left, 120, column.width, 255));
        for (std::size_t row = 0; row < 6; ++row) {
            if (column.boxes[row] != 0) {
                const int width = column.boxes[row] == 64 ? 2055 : column.width;
                box(column.boxes[row], twips(column.left, RowTops[row], width, 375));
            }
        }
    }
    label(12, twips(2160, 720, 855, 375));
    label(13, twips(2160, 2880, 855, 375));

    label(1, twips(5760, 4800, 3015, 255));
    box(1, twips(5880, 5040, 2775, 375));
    label(25, twips(14040, 3720, 2175, 255));
    box(60, twips(13800, 3960, 2655, 375));
    label(22, twips(1680, 4800, 2415, 255));
    box(70, twips(360, 5040, 5055, 375));
    label(21, twips(12000, 4800, 2775, 255));
    box(59, twips(12480, 5040, 1815, 405));
    label(15, twips(11880, 5640, 3015, 255));
    const std::array<int, 5> positionTops{5880, 6600, 7320, 8040, 8760};
    for (int i = 0; i < 5; ++i) {
        box(54 + i, twips(12480, positionTops[static_cast<std::size_t>(i)], 975, 375));
        label(16 + i, twips(13560, positionTops[static_cast<std::size_t>(i)] + 120, 1300, 255));
    }
    parts.list("List1", form.settings.List1, twips(360, 5640, 10815, 4260));

    parts.button("Command3", form.settings.Command3, twips(9120, 3960, 2055, 375), [&form] { form.updateScope(); });
    parts.button("Command2", form.settings.Command2, twips(9120, 4800, 2055, 615), [&form] { form.getSettings(); });
    parts.button("Command4", form.settings.Command4, twips(12360, 9480, 2055, 375), [&form] { form.updateTrace(); });
    label(24, twips(15240, 4800, 2535, 255));
    parts.button("Command7", form.settings.Command7, twips(15480, 5160, 2175, 615),
                 [&form] { form.splitFluxPreset(); });
    parts.button("Command6", form.settings.Command6, twips(15480, 6120, 2175, 615), [&form] { form.standardPreset(); });
    // GENERAL TRANSFORMER has no action.
    parts.button("Command8", form.settings.Command8, twips(15480, 7080, 2175, 615), nullptr);
    parts.button("Command5", form.settings.Command5, twips(15480, 8160, 2175, 615), [&form] { form.skipSetup(); });
    parts.button("Command1", form.settings.Command1, twips(15480, 9480, 2175, 375), [&form] { form.closeWindow(); });

    parts.line("Line1", twips(0, 4560, 17955, 45));
    parts.line("Line4", twips(7920, 0, 45, 4560));
    parts.line("Line5", twips(12360, 0, 45, 4560));
    parts.line("Line6", twips(11760, 4560, 45, 5490));
    parts.line("Line7", twips(15000, 4560, 45, 5490));
    parts.line("Line8", twips(15000, 9120, 3000, 45));
    const QSize design(form.window.width, form.window.height);
    if (scale) {
        scaleWindow(this, design, layout, binder, *scale);
    } else {
        fitToScreen(this, design, layout, binder);
    }
    refresh();
}

void SettingsFormView::refresh() {
    binder.refresh();
    if (form_.window.visible && !isVisible()) {
        if (place_) {
            place_(this);
            show();
            raise();
            activateWindow();
        } else {
            showCentred(this);
        }
    }
}

void SettingsFormView::closeEvent(QCloseEvent* event) {
    // The frame's close control does what CLOSE does, refused while busy; the
    // window goes when the views follow the unloaded form.
    event->ignore();
    binder.act([this] { form_.closeWindow(); });
}
