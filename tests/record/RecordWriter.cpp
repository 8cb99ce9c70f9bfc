// Appends rows to a record folder as the program does, as fast as it can:
//   record_writer FOLDER COUNT TAG
// Each row's comment is TAG-<n>; "<n>" goes to standard output once row n is
// on the disk. The crash and sharing tests run several of these at once and
// kill them at random moments.
#include "RecordFolder.h"
#include "ResultsTable.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: record_writer FOLDER COUNT TAG\n", stderr);
        return 2;
    }
    RecordFolder folder(argv[1]);
    const long count = std::strtol(argv[2], nullptr, 10);
    const std::string header = ResultsTable::header();
    PassOutcome pass;
    pass.when = QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5));
    pass.setUp = {"SPLIT-FLUX TRANSFORMER #1", "10.0", "9.4", "100", "16", ""};
    for (std::size_t v = 0; v < PassOutcome::ValueCount; ++v) {
        pass.values[v] = 1.104 + static_cast<double>(v);
        pass.answers[v] = ":MEASUREMENT:MEAS1:VALUE 1.104E+00";
    }
    pass.figures.PhaseEfficiency = 90.125;
    pass.shown.fill("1,234.50");
    for (long n = 1; n <= count; ++n) {
        pass.setUp.comment = std::string(argv[3]) + "-" + std::to_string(n);
        const RecordFolder::Appended appended = folder.appendLines("results.csv", header, {ResultsTable::row(pass)});
        for (const std::string& notice : appended.notices) {
            std::fprintf(stderr, "%s\n", notice.c_str());
        }
        if (appended.problem) {
            std::fprintf(stderr, "RECORD Failed: %s\n", appended.problem->c_str());
            return 1;
        }
        std::printf("%ld\n", n);
        std::fflush(stdout);
    }
    return 0;
}
