#pragma once

#include "ProgramOptions.h"

// The ways in without a display.
// --upload: the waiting passes up, then the end; 1 when some still wait.
int runUpload(int argc, char** argv, const ProgramOptions& options);
// --headless: no display, no widget; the device library on this thread.
int runHeadless(int argc, char** argv, const ProgramOptions& options);
// --characterise PLAN: the plan's points, as --headless measures a pass.
int runCharacterise(int argc, char** argv, const ProgramOptions& options);
// --unit-test PLAN --unit SERIAL: the unit's steps, its verdict and report.
int runUnitTest(int argc, char** argv, const ProgramOptions& options);
// --amend REPORT --correction TEXT: the report re-issued.
int runAmendment(int argc, char** argv, const ProgramOptions& options);
struct UnitTestResult;
// The report of a unit test written into the folder (PDF and its text):
// the PDF's name, or empty with why.
std::string writeUnitTestReport(const UnitTestResult& result, const std::string& folder, std::string& why);
