#pragma once

#include "CharacterisationRun.h"
#include "Configuration.h"
#include "PassOutcome.h"
#include "ProgramOptions.h"
#include "SerialD2xx.h"
#include "SimD2xx.h"
#include "SimScope.h"

#include <optional>
#include <string>

class Clock;
class MeasuringSession;

// What the windows and the runs without windows build alike from the options.

// What the command line gives of the configuration.
ConfigurationGiven givenOf(const ProgramOptions& options);
// On the simulated bench, its errors: a calibration knows its bench by them.
std::string simulationOf(const ProgramOptions& options);
// The configuration in force for the adapter now open, applied.
Configuration configure(MeasuringSession& session, const ProgramOptions& options);
// --simulate-errors: the bench's errors drawn within the declared accuracy
// (the one in force for the simulated bench).
SimBench::Errors benchErrorsFor(const ProgramOptions& options);
// The simulated bench's truth as it was when its answers were measured.
std::optional<PassOutcome::Truth> truthOf(const SimScope& scope);
// Where the passes wait for the lab database: --record DIR, else the spool
// folder in the user's data folder (named on standard error).
std::string uploadFolder(const ProgramOptions& options);

// Where a characterisation keeps its points and its result: the record
// folder, else the user's data folder (made when missing).
std::string characterisationFolder(const std::string& recordFolder);
// The simulated bench moved to a characterisation's point, and its circuit's
// truth there.
void moveBench(SimBench& bench, const CharacterisationPlan& plan, const CharacterisationPlan::Point& point);
void moveBench(SimBench& bench, const std::string& supply, const std::string& load, const std::string& capacitor);
CircuitTruthAt truthAtSupply(const SimBench& bench, const CharacterisationPlan& plan, double volts);

// The simulated bench, or the adapters attached to this machine.
struct DeviceLibraries {
    DeviceLibraries(Clock& clock, const ProgramOptions& options) : bench(scope, clock), adapters(ports) {
        bench.fastReads = options.fastReads;
        adapters.fastReads = options.fastReads;
        simulated = options.simulate;
    }
    D2xx& chosen() { return simulated ? static_cast<D2xx&>(bench) : adapters; }
    SimScope scope;
    SimD2xx bench;
    SystemPortLister ports;
    SerialD2xx adapters;
    bool simulated = false;
};
