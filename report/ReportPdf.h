#pragma once

#include "UnitTestReport.h"

#include <string>

// A unit test's report as a PDF (A4): the title and the report's id with
// "page k of n" on every page, its sections, the unit's verdict in a box of
// its own and the end mark after the last line. False with `why` when the
// file cannot be written.
bool writeReportPdf(const ReportDocument& d, const std::string& path, std::string& why);

// The report issued into `folder`: its PDF and, beside it, its text as JSON
// (report-....json, from which an amendment is issued). Returns the PDF's
// file name, or empty with `why`.
std::string issueReport(const ReportDocument& d, const std::string& folder, std::string& why);
// An amendment of the report of that id ("<unit test id>/<issue>") in the
// folder: the next issue with the correction, naming the one it replaces.
std::string issueAmendment(const std::string& folder, const std::string& reportId, const std::string& correction,
                           std::string& why);
// Where the lab's profile is kept: lab.json in the program's settings folder.
std::string labProfilePath();
