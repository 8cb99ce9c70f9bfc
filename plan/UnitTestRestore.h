#pragma once

#include "UnitTestRun.h"

#include <string>
#include <variant>

// A unit test that stopped in an earlier run, as its record folder keeps it:
// its last row in unit-tests.csv, and the passes the record's rows hold under
// its id, each step judged again from them, so that it can be resumed
// without a window. One line instead when it cannot be: no such test, a test
// that ended, or a plan other than the one it was begun with.
std::variant<UnitTestResult, std::string> stoppedUnitTest(const std::string& folder, const std::string& id,
                                                          const UnitTestPlan& plan);
