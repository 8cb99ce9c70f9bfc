#pragma once

#include <string>

// A unit's serial, an operator or a lot as typed, or as a barcode reader
// typed it: blanks at the ends gone, runs of blanks one blank, control
// characters dropped, at most 64 characters.
std::string whoText(const std::string& typed);

// Why what was typed cannot name a unit (empty, control characters, more
// than 64 characters); empty when it can.
std::string whyNotASerial(const std::string& typed);
