#pragma once

#include "UnitTestsFile.h"

#include <QDateTime>
#include <map>
#include <string>
#include <vector>

// Every unit test the folders' unit-tests.csv hold.
inline std::vector<UnitTestRow> readUnitTests(const std::vector<std::string>& folders) {
    return UnitTestsFile::read(folders);
}

// Which tests count: empty fields take every one; dates inclusive, local.
struct YieldFilter {
    std::string bench, operatorName;
    QDate from, to; // invalid: open
};

// A lot under one plan: how its units fared. A unit's first test is its
// earliest, its final its latest. Yields count PASS only (a CONDITIONAL
// PASS is inside the limit by less than its uncertainty, and counted apart).
struct LotYield {
    std::string lot, plan; // plan: "<name>, version <v>"
    int units = 0, tests = 0;
    int firstPass = 0, finalPass = 0;
    int retests = 0;                                                       // tests beyond each unit's first
    int conditionalPass = 0, conditionalFail = 0, noVerdict = 0, fail = 0; // units by their final verdict
    std::map<std::string, int> failuresByStep; // tests whose step was FAIL or CONDITIONAL FAIL
    double firstPassYield() const { return units > 0 ? 100.0 * firstPass / units : 0; }
    double finalYield() const { return units > 0 ? 100.0 * finalPass / units : 0; }
};
std::vector<LotYield> yieldOf(const std::vector<UnitTestRow>& tests, const YieldFilter& filter);
