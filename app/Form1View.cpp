#include "Form1View.h"

#include "Form1.h"
#include "ViewParts.h"

#include <QCloseEvent>
#include <QLabel>
#include <tuple>

namespace {

constexpr int LabelHeight = 18;
constexpr int BoxHeight = 30;
constexpr int TallBoxHeight = 42;
constexpr int LeftPanelWidth = 542; // about 43 % of the window
constexpr int MiddleLeft = 550;
constexpr int RightLeft = 870;
constexpr int FooterTop = 772;

constexpr int PlusMinusWidth = 64;

QRect labelAbove(int x, int y, int w) {
    return {x, y, w, LabelHeight};
}
QRect boxBelow(int x, int y, int w, int h = BoxHeight) {
    return {x, y + LabelHeight + 2, w, h};
}

} // namespace

Form1View::Form1View(Form1& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(toQString(form.window.caption));
    setAutoFillBackground(true);
    buildTestPanel();
    buildControlPanel();
    buildLogPanel();
    ViewParts parts(this, binder, layout);
    parts.line("Line2", QRect(LeftPanelWidth + 2, 0, 3, form.window.height));
    parts.line("Line2_1", QRect(RightLeft - 6, 0, 3, FooterTop));
    parts.line("Line3", QRect(LeftPanelWidth + 4, FooterTop, form.window.width - LeftPanelWidth, 3));
    parts.label("Label1", form.Label1, QRect(MiddleLeft + 6, FooterTop + 10, 690, 26));
    fitToScreen(this, QSize(form.window.width, form.window.height), layout, binder);
    refresh();
}

int Form1View::buildPickRows(ViewParts& parts) {
    Form1& f = form_;
    const auto row = [&](const char* labelName, Label& label, int x, int y, int w) {
        parts.label(labelName, label, labelAbove(x, y, w));
    };
    // Row 1: supply, capacitor, frequency
    int y = 8;
    row("Label27", f.Label27, 8, y, 170);
    parts.combo("Combo2", f.Combo2, boxBelow(8, y, 170), [&f] { f.supplyVoltagePicked(); });
    row("Label29", f.Label29, 186, y, 170);
    parts.combo("Combo4", f.Combo4, boxBelow(186, y, 170), [&f] { f.loadCapacitorPicked(); });
    row("Label4", f.Label4, 364, y, 170);
    parts.box("Text3", f.Text3, boxBelow(364, y, 170));
    // Row 2: transformer, sample average
    y += 60;
    row("Label16", f.Label16, 8, y, 348);
    parts.box("Text15", f.Text15, boxBelow(8, y, 348));
    row("Label28", f.Label28, 364, y, 170);
    parts.combo("Combo3", f.Combo3, boxBelow(364, y, 170), [&f] { f.sampleAveragePicked(); });
    return y;
}

void Form1View::buildTestPanel() {
    Form1& f = form_;
    ViewParts parts(this, binder, layout);
    const auto row = [&](const char* labelName, Label& label, int x, int y, int w) {
        parts.label(labelName, label, labelAbove(x, y, w));
    };
    int y = buildPickRows(parts);

    const int inX = 8;
    const int outX = 275;
    const int colW = 259;
    // A result box with its ± beside it, in the box's width.
    const auto boxWithU = [&](const char* name, TextBox& b, PassOutcome::Box which, int x, int top) {
        parts.box(name, b, boxBelow(x, top, colW - PlusMinusWidth - 2));
        const QRect at = boxBelow(x + colW - PlusMinusWidth, top, PlusMinusWidth);
        plusMinus(parts, which, at);
    };
    const auto pair = [&](int top, const char* ln1, Label& l1, const char* bn1, TextBox& b1, PassOutcome::Box w1,
                          const char* ln2, Label& l2, const char* bn2, TextBox& b2, PassOutcome::Box w2) {
        row(ln1, l1, inX, top, colW);
        boxWithU(bn1, b1, w1, inX, top);
        row(ln2, l2, outX, top, colW);
        boxWithU(bn2, b2, w2, outX, top);
    };
    // A tall box in the middle; an efficiency's has its ± above its
    // calibrated figure.
    const auto centred = [&](int top, const char* ln, Label& l, const char* bn, TextBox& b, PassOutcome::Box which,
                             const char* cn = nullptr, Label* calibrated = nullptr) {
        row(ln, l, 100, top, 342);
        parts.box(bn, b, boxBelow(136, top, 270, TallBoxHeight));
        const int h = calibrated == nullptr ? TallBoxHeight : TallBoxHeight / 2;
        plusMinus(parts, which, boxBelow(136 + 270 + 4, top, 130, h));
        if (calibrated != nullptr) {
            parts.label(cn, *calibrated, boxBelow(136 + 270 + 4, top + h, 130, h))
                ->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
    };
    using B = PassOutcome::Box;
    y += 60;
    pair(y, "Label5", f.Label5, "Text4", f.Text4, B::InputVoltageBox, "Label9", f.Label9, "Text8", f.Text8,
         B::OutputVoltageBox);
    y += 58;
    pair(y, "Label6", f.Label6, "Text5", f.Text5, B::InputCurrentBox, "Label10", f.Label10, "Text9", f.Text9,
         B::OutputCurrentBox);
    y += 58;
    pair(y, "Label20", f.Label20, "Text18", f.Text18, B::ApparentInputPowerBox, "Label21", f.Label21, "Text19",
         f.Text19, B::ApparentOutputPowerBox);
    y += 58;
    centred(y, "Label24", f.Label24, "Text22", f.Text22, B::ApparentMultiplierBox);
    y += 70;
    pair(y, "Label7", f.Label7, "Text6", f.Text6, B::InputPhaseAngleBox, "Label19", f.Label19, "Text17", f.Text17,
         B::OutputPhaseAngleBox);
    y += 58;
    pair(y, "Label22", f.Label22, "Text20", f.Text20, B::ReactiveInputPowerBox, "Label23", f.Label23, "Text21",
         f.Text21, B::ReactiveOutputPowerBox);
    y += 58;
    pair(y, "Label8", f.Label8, "Text7", f.Text7, B::InputPowerBox, "Label11", f.Label11, "Text10", f.Text10,
         B::OutputPowerBox);
    y += 58;
    centred(y, "Label12", f.Label12, "Text11", f.Text11, B::PhaseEfficiencyBox, "CalibratedPhase", &f.CalibratedPhase);
    y += 70;
    row("Label18", f.Label18, inX, y, colW);
    parts.combo("Combo1", f.Combo1, boxBelow(inX, y, colW), [&f] { f.loadResistorPicked(); });
    row("Label25", f.Label25, outX, y, colW);
    boxWithU("Text23", f.Text23, B::ResistorOutputPowerBox, outX, y);
    y += 58;
    centred(y, "Label26", f.Label26, "Text16", f.Text16, B::ResistorEfficiencyBox, "CalibratedResistor",
            &f.CalibratedResistor);
    y += 70;
    parts.label("Label30", f.Label30, labelAbove(inX, y, 200));
    parts.box("Text24", f.Text24, boxBelow(inX, y, 526));
    parts.label("CalibrationLine", f.CalibrationLine, QRect(inX, y + LabelHeight + 2 + BoxHeight + 2, 526, 22));
}

void Form1View::plusMinus(ViewParts& parts, PassOutcome::Box box, QRect at) {
    Label& model = form_.PlusMinus[static_cast<std::size_t>(box)];
    QLabel* label = parts.label(("PlusMinus" + std::to_string(box)).c_str(), model, at);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void Form1View::buildControlPanel() {
    Form1& f = form_;
    ViewParts parts(this, binder, layout);
    const int x = MiddleLeft + 6;
    const int w = 296;
    const int half = 144;
    parts.label("Label14", f.Label14, labelAbove(x, 8, w));
    parts.box("Text13", f.Text13, boxBelow(x, 8, w, 56));
    auto* image = parts.place(new QLabel(this), "Image1", QRect(x + (w - 278) / 2, 94, 278, 292));
    image->setPixmap(benchPicture(278, 292, false));
    image->setScaledContents(true);
    parts.label("Label13", f.Label13, labelAbove(x, 394, w));
    parts.box("Text12", f.Text12, boxBelow(x, 394, w, 34));
    parts.button("Command7", f.Command7, QRect(x, 454, half, 52), [&f] { f.stopCalculation(); });
    parts.button("Command3", f.Command3, QRect(x + w - half, 454, half, 52), [&f] { f.startCalculation(); });
    parts.label("Label3", f.Label3, labelAbove(x, 516, 72));
    parts.box("Text2", f.Text2, boxBelow(x, 516, 72));
    parts.label("Label2", f.Label2, labelAbove(x + 80, 516, w - 80));
    parts.box("Text1", f.Text1, boxBelow(x + 80, 516, w - 80));
    parts.button("Command4", f.Command4, QRect(x, 576, half, 34), [&f] { f.disconnect(); });
    parts.button("Command2", f.Command2, QRect(x + w - half, 576, half, 34), [&f] { f.reconnect(); });
    parts.button("Command5", f.Command5, QRect(x, 618, half, 34), [&f] { f.openSettings(); });
    parts.button("Command1", f.Command1, QRect(x + w - half, 618, half, 34), [&f] { f.closeProgram(); });
    parts.button("CommandAccuracy", f.CommandAccuracy, QRect(x, 660, half, 34), [&f] { f.openAccuracy(); });
    parts.button("CommandLimits", f.CommandLimits, QRect(x + w - half, 660, half, 34), [&f] { f.openLimits(); });
    parts.label("LabelVerdict", f.LabelVerdict, QRect(x, 706, 76, LabelHeight));
    parts.box("TextVerdict", f.TextVerdict, QRect(x + 78, 700, w - 78, 30));
    parts.label("VerdictReason", f.VerdictReason, QRect(x, 732, w, 38))->setWordWrap(true);
}

void Form1View::buildLogPanel() {
    Form1& f = form_;
    ViewParts parts(this, binder, layout);
    const int x = RightLeft;
    parts.label("Label17", f.Label17, labelAbove(x, 8, 70));
    parts.lamp("Shape1", f.Shape1, QRect(x + 16, 30, 38, 38));
    parts.label("Label15", f.Label15, labelAbove(x + 80, 8, 300));
    parts.box("Text14", f.Text14, boxBelow(x + 80, 8, 300, TallBoxHeight));
    parts.list("List1", f.List1, QRect(x, 78, 380, 520));
    // Who and what the passes are of, and the plans that step through them.
    const int third = 120;
    int at = x;
    for (auto [labelName, label, boxName, box] : {std::tuple{"LabelUnit", &f.LabelUnit, "TextUnit", &f.TextUnit},
                                                  {"LabelOperator", &f.LabelOperator, "TextOperator", &f.TextOperator},
                                                  {"LabelLot", &f.LabelLot, "TextLot", &f.TextLot}}) {
        parts.label(labelName, *label, labelAbove(at, 604, third));
        parts.box(boxName, *box, boxBelow(at, 604, third, 28));
        at += third + 10;
    }
    parts.button("CommandCharacterise", f.CommandCharacterise, QRect(x, 668, 180, 36), [&f] { f.openCharacterise(); });
    parts.button("CommandUnitTest", f.CommandUnitTest, QRect(x + 200, 668, 180, 36), [&f] { f.openUnitTest(); });
    parts.button("Command6", f.Command6, QRect(x, 724, 180, 36), [&f] { f.capture(); });
    parts.button("Command9", f.Command9, QRect(x + 200, 724, 180, 36), [&f] { f.clearList(); });
}

void Form1View::refresh() {
    form_.session.showCalibrationStatus();
    binder.refresh();
    if (form_.window.visible && !isVisible()) {
        showCentred(this);
    } else if (!form_.window.visible && isVisible()) {
        hide();
    }
}

void Form1View::closeEvent(QCloseEvent* event) {
    // The frame's close control does what CLOSE does (after a read under way).
    event->ignore();
    binder.act([this] { form_.closeProgram(); });
}
