#pragma once

#include "UnitTestRun.h"

#include <QDateTime>
#include <optional>
#include <string>
#include <vector>

// The laboratory a report names, kept in the program's settings folder as
// lab.json: {"name": "...", "address": "...", "authorised by": "..."}.
struct LabProfile {
    std::string name, address, authorisedBy;
    std::string file; // where it is (or would be) kept
};
LabProfile readLabProfile(const std::string& path);

// A unit test's report as text, page by page left to the writer: the items a
// test report carries (ISO/IEC 17025 7.8.2, 7.8.3, 7.8.6) that a bench can
// fill. Kept beside the PDF (report-....json) so that an amendment can be
// issued from it.
struct ReportDocument {
    std::string id; // unique: "<unit test id>/1", an amendment "/2" ...
    std::string unitTestId;
    std::string unit;
    int issue = 1;
    std::string replaces; // the report an amendment replaces; empty: none
    std::string title;    // "TEST REPORT - transformer efficiency"
    struct Section {
        std::string heading;
        std::vector<std::string> lines;
    };
    std::vector<Section> sections;
    std::vector<std::string> verdict; // the unit's verdict box: its word first, then every reason
    std::string endMark() const { return "End of report " + id; }
};

ReportDocument unitTestReport(const UnitTestResult& r, const LabProfile& lab, const QDateTime& issued);
// The same report re-issued with the operator's correction: a new number, a
// new id, naming the one it replaces.
ReportDocument amendedReport(const ReportDocument& old, const std::string& correction, const QDateTime& issued);

std::string reportJson(const ReportDocument& d);
std::optional<ReportDocument> reportFromJson(const std::string& bytes);
// The report's file name in its folder: report-<unit>-<unit test id>.pdf,
// an amendment's ...-amendment-<issue - 1>.pdf (the unit's serial made safe
// for a file name).
std::string reportFileName(const ReportDocument& d, const std::string& extension);
