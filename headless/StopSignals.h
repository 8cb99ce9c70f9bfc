#pragma once

// SIGINT and SIGTERM for a headless run: the first asks the run to stop (the
// pass under way stops at its next step, as STOP CALCULATION stops it, and
// the program ends as CLOSE ends it); a second ends the program at once.
namespace StopSignals {

void install();
bool requested();
// For tests: as if a first signal had come, and as if none had.
void request();
void clear();

} // namespace StopSignals
