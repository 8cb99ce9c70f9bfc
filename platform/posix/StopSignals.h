#pragma once

// SIGINT and SIGTERM for a run without windows: the first asks the run to
// stop (the pass under way stops at its next step, as STOP CALCULATION stops
// it, and the program ends as CLOSE ends it); one that comes a second or more
// after the first ends the program at once. Signals within that second count
// as the first: `timeout` and a shell's Ctrl+C may deliver one stop twice, to
// the program and to its process group.
namespace StopSignals {

void install();
bool requested();
// For tests: as if a first signal had come, and as if none had.
void request();
void clear();

} // namespace StopSignals
