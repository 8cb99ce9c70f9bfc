#pragma once

#include "Controls.h"
#include "Statuses.h"

// Every control of the settings window, by its name, in its design state.
// Unloading the window puts them back to this state; the window's variables
// live in SettingsForm and survive.
struct SettingsControls {
    SettingsControls();

    WindowModel window;

    // Text1 status; Text2..Text53 the grid; Text54..Text58 trace positions;
    // Text59 MATH definition; Text60 scope identity; Text61..Text64 the
    // frequency row; Text65..Text69 colour swatches; Text70 transformer.
    ScopeStatusBox Text1; // the settings window's status
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
    TextBox Text25;
    TextBox Text26;
    TextBox Text27;
    TextBox Text28;
    TextBox Text29;
    TextBox Text30;
    TextBox Text31;
    TextBox Text32;
    TextBox Text33;
    TextBox Text34;
    TextBox Text35;
    TextBox Text36;
    TextBox Text37;
    TextBox Text38;
    TextBox Text39;
    TextBox Text40;
    TextBox Text41;
    TextBox Text42;
    TextBox Text43;
    TextBox Text44;
    TextBox Text45;
    TextBox Text46;
    TextBox Text47;
    TextBox Text48;
    TextBox Text49;
    TextBox Text50;
    TextBox Text51;
    TextBox Text52;
    TextBox Text53;
    TextBox Text54;
    TextBox Text55;
    TextBox Text56;
    TextBox Text57;
    TextBox Text58;
    TextBox Text59;
    TextBox Text60;
    TextBox Text61;
    TextBox Text62;
    TextBox Text63;
    TextBox Text64;
    TextBox Text65;
    TextBox Text66;
    TextBox Text67;
    TextBox Text68;
    TextBox Text69;
    TextBox Text70;

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
    Label Label25;

    Button Command1;
    Button Command2;
    Button Command3;
    Button Command4;
    Button Command5;
    Button Command6;
    Button Command7;
    Button Command8;

    ListBox List1;

    TextBox* textBox(int number); // Text1..Text70, null otherwise
    Label* label(int number);     // Label1..Label25, null otherwise
    Button* button(int number);   // Command1..Command8, null otherwise
};
