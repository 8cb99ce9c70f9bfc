#pragma once

#include "UnitYield.h"

#include <QString>
#include <string>
#include <vector>

class QSqlDatabase;

// The Units tab's lots as the lab's server counts them from unit_tests: the
// same rules as a folder's (a test's last row says how it went; a unit's
// first test is its earliest, its final its latest; yields count PASS only),
// so that the server sends a row a lot and plan, however many units.
struct LabUnitYields {
    std::vector<LotYield> lots;
    QString error;
};
// The statement, its ?s bound in order by labUnitYields.
std::string labUnitYieldQuery();
LabUnitYields labUnitYields(QSqlDatabase& db, const YieldFilter& filter);
// The benches and operators the lab's unit tests name, for the filters.
std::vector<std::string> labUnitValues(QSqlDatabase& db, const char* column);
