#pragma once

#include "CharacterisationPlan.h"
#include "DatabaseTarget.h"
#include "HeadlessChoices.h"
#include "LimitSet.h"
#include "ProgramVersion.h"
#include "Uncertainty.h"
#include "UnitTestPlan.h"

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

// The command line. It is read before any window exists, so that --help and
// --version answer without a display.
struct ProgramOptions {
    bool simulate = false;
    bool fastReads = false;
    bool acquisitionStopped = false;
    // --accuracy FILE: the bench's declared accuracy (none: the defaults).
    std::optional<Accuracy> accuracy;
    std::string accuracyFile;
    // --simulate-errors SEED: the simulated bench gets errors drawn within it.
    std::optional<unsigned> simulateErrors;
    // --limits FILE: the limit set every pass is judged against.
    std::optional<LimitSet> limits;
    std::string limitsFile;
    // --calibration-days N: how long a channel calibration stays good.
    int calibrationDays = 30;
    std::optional<std::string> recordFolder;
    // --database CONNECTION: every pass also goes up to the lab database;
    // --upload: only upload the passes waiting in the record folder, and end.
    std::optional<DatabaseTarget> database;
    bool upload = false;
    // --bench NAME: the bench the rows name (none: the one kept, else the host's name).
    std::optional<std::string> bench;
    std::optional<HeadlessChoices> headless;
    // --characterise FILE: a characterisation without windows; --resume ID
    // goes on with one where it stopped.
    std::optional<CharacterisationPlan> characterise;
    std::string characterisePlanFile;
    std::optional<std::string> resume;
    // --unit, --operator, --lot: who and what the passes name (kept in the
    // main window's boxes until changed).
    std::optional<std::string> unit, operatorName, lot;
    // --unit-test FILE: a unit's test without windows, by that plan.
    std::optional<UnitTestPlan> unitTest;
    std::string unitTestPlanFile;
    // --simulate-unit SEED: the simulated bench's transformer is a unit of
    // its kind drawn from SEED.
    std::optional<unsigned> simulateUnit;
    // --amend REPORT --correction TEXT: a unit test's report re-issued.
    std::optional<std::string> amend;
    std::string correction;
    // --results: the results window, for these folders (none: it asks).
    bool results = false;
    std::vector<std::string> resultsFolders;

    // Set when the program is to print this and end at once with exitCode.
    std::optional<std::string> message;
    int exitCode = 0;
};

// arguments as main() has them, the program's name first.
ProgramOptions parseProgramOptions(const QStringList& arguments);
