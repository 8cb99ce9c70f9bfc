#pragma once

#include "Controls.h"

#include <array>

// The report window's 24 boxes and 24 labels, in their design state.
struct PrintScreenControls {
    PrintScreenControls();

    WindowModel window;

    TextBox Text1;
    TextBox Text2;
    TextBox Text3;
    TextBox Text4;
    TextBox Text5;
    TextBox Text6;
    TextBox Text7;
    TextBox Text8;
    TextBox Text9;
    TextBox Text10;
    TextBox Text11;
    TextBox Text12;
    TextBox Text13;
    TextBox Text14;
    TextBox Text15;
    TextBox Text16;
    TextBox Text17;
    TextBox Text18;
    TextBox Text19;
    TextBox Text20;
    TextBox Text21;
    TextBox Text22;
    TextBox Text23;
    TextBox Text24;

    Label Label1;
    Label Label2;
    Label Label3;
    Label Label4;
    Label Label5;
    Label Label6;
    Label Label7;
    Label Label8;
    Label Label9;
    Label Label10;
    Label Label11;
    Label Label12;
    Label Label13;
    Label Label14;
    Label Label15;
    Label Label16;
    Label Label17;
    Label Label18;
    Label Label19;
    Label Label20;
    Label Label21;
    Label Label22;
    Label Label23;
    Label Label24;

    // Beside the report's boxes (by their numbers): the ± of the result each
    // repeats; below them, the warnings.
    std::array<Label, 25> PlusMinus;
    Label Warnings;
    // Under the warnings: the verdict in a box of its own, as large as a
    // result, every figure not inside its limit, the efficiencies read
    // through the channel calibration and the calibration in force.
    Label LabelVerdict;
    TextBox TextVerdict;
    Label VerdictReasons;
    Label Calibrated;
    TextBox* textBox(int number); // Text1..Text24, null otherwise
    Label* label(int number);     // Label1..Label24, null otherwise
};
