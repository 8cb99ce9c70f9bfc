#pragma once

#include "ProgramOptions.h"

// The ways in without a display.
// --upload: the waiting passes up, then the end; 1 when some still wait.
int runUpload(int argc, char** argv, const ProgramOptions& options);
// --headless: no display, no widget; the device library on this thread.
int runHeadless(int argc, char** argv, const ProgramOptions& options);
// --characterise PLAN: the plan's points, as --headless measures a pass.
int runCharacterise(int argc, char** argv, const ProgramOptions& options);
