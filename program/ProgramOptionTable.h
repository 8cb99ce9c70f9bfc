#pragma once

#include "ProgramVersion.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <array>

// The options the program takes, each with its help text: what
// parseProgramOptions reads them with.
namespace ProgramOptionTable {

inline QCommandLineOption valued(const char* name, const char* description, const char* value) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description), QString::fromLatin1(value));
}

inline QCommandLineOption flag(const char* name, const char* description) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description));
}

// Every option the program takes, as the parser knows them.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the program's name and version and end.")};
    QCommandLineOption simulate = flag("simulate", "Run on the simulated bench (no hardware).");
    QCommandLineOption fastReads = flag("fast-reads", "Complete a read as soon as the answer's line feed has arrived.");
    QCommandLineOption stopped =
        flag("acquisition-stopped", "With --simulate: the scope's acquisition is stopped at start-up.");
    QCommandLineOption record = valued("record",
                                       "Append every measurement pass to DIR/results.csv and save every "
                                       "CAPTURE as DIR/report-<date>-<time>.png.",
                                       "DIR");
    QCommandLineOption headless =
        flag("headless", "Measure without windows or a display: connect, GET SETTINGS, pick the "
                         "set-up below, run the passes and end. Each pass's row goes to standard "
                         "output as CSV (the record's columns, header first), each event-list line "
                         "to standard error. Exit status: 0 every pass complete, 1 a pass stopped "
                         "or failed, 2 bad options, 3 no connection or the set-up not ready, 4 every "
                         "pass complete and, with --limits, some verdict not PASS. "
                         "SIGINT or SIGTERM stops the pass under way and ends as CLOSE does.");
    QCommandLineOption resistor =
        valued("load-resistor", "With --headless: the load resistor, as in its list.", "OHMS");
    QCommandLineOption supply =
        valued("supply", "With --headless: the supply voltage, as in the transformer's list.", "VOLTS");
    QCommandLineOption capacitor = valued("capacitor", "With --headless: the load capacitor, as in its list.", "UF");
    QCommandLineOption average =
        valued("sample-average", "With --headless: the scope's averaging count (4, 16, 64, 128).", "N");
    QCommandLineOption preset =
        valued("preset", "With --headless: a set-up button of the settings window, by its name.", "NAME");
    QCommandLineOption passes = valued("passes", "With --headless: how many passes (default 1).", "N");
    QCommandLineOption interval =
        valued("interval", "With --headless: seconds from one pass's start to the next's (default 0).", "SECONDS");
    QCommandLineOption comment = valued("comment", "With --headless: the COMMENT text.", "TEXT");
    QCommandLineOption accuracy =
        valued("accuracy",
               "The bench's declared accuracy, every figure's +/- comes from: a JSON file with "
               "the seven keys the README names (without it, the defaults there).",
               "FILE");
    QCommandLineOption simulateErrors =
        valued("simulate-errors",
               "With --simulate: the simulated bench's channels get gain, probe and "
               "current-probe phase errors drawn from SEED within the declared accuracy, "
               "and each row carries the bench's true powers.",
               "SEED");
    QCommandLineOption limits =
        valued("limits",
               "A limit set (JSON, see the README): every pass gets a verdict against it; with "
               "--headless, exit status 4 when every pass completed and some verdict is not PASS.",
               "FILE");
    QCommandLineOption calibrate =
        flag("calibrate", "With --headless: take the channel calibration with these picks (both voltage probes "
                          "on the load's node, both current probes around its conductor), keep it for the "
                          "adapter and these ranges, and end; one CSV row of it goes to standard output.");
    QCommandLineOption calibrationDays =
        valued("calibration-days", "Days a channel calibration stays good (default 30).", "N");
    QCommandLineOption database =
        valued("database",
               "Also store every pass in the lab's PostgreSQL database (a libpq connection string: "
               "postgresql://user@host:5432/lab or \"host=... dbname=...\"; the password from "
               "PGPASSWORD or ~/.pgpass). Passes go to the record first (--record DIR, else the "
               "spool folder the README names) and up from there.",
               "CONNECTION");
    QCommandLineOption upload =
        flag("upload", "With --database: upload the passes waiting in the record folder (--record DIR, else the "
                       "spool folder) and end; exit status 1 when some still wait.");
    QCommandLineOption bench =
        valued("bench", "The bench every row names (kept for the next run; default the host name).", "NAME");
    QCommandLineOption characterise =
        valued("characterise",
               "Characterise the transformer without windows by the plan in FILE (JSON, see the "
               "README): at each point the operator is told what to set up and answers with a line "
               "on standard input (on the simulated bench nobody needs to); every pass's row goes "
               "to standard output as with --headless, the parameters to standard error and to "
               "characterisation-<id>.json in the record folder. Exit status 0 finished, 1 stopped "
               "or failed (resume it with --resume), 2 bad options, 3 no connection.",
               "FILE");
    QCommandLineOption resume =
        valued("resume",
               "With --characterise or --unit-test: go on with the characterisation or unit test of "
               "that id where it stopped (from its record folder); a unit test keeps its id and its "
               "report becomes the next issue.",
               "ID");
    QCommandLineOption unit =
        valued("unit", "The unit under test: its serial, as typed or scanned (every pass names it).", "SERIAL");
    QCommandLineOption operatorName = valued("operator", "Who measures (every pass names them).", "NAME");
    QCommandLineOption lot = valued("lot", "The lot the unit belongs to (every pass names it).", "LOT");
    QCommandLineOption unitTest =
        valued("unit-test",
               "Test the unit named by --unit without windows against the plan in FILE (JSON, see the "
               "README): at each step the operator is told what to set up and answers with a line on "
               "standard input (on the simulated bench nobody needs to); every pass's row goes to "
               "standard output as with --headless; the unit's verdict to standard error, a row to "
               "unit-tests.csv and its report to report-<unit>-<unit test id>.pdf in the record folder. "
               "Exit status 0 the unit's verdict is PASS, 4 another verdict, 1 stopped or failed "
               "(NO VERDICT), 2 bad options, 3 no connection.",
               "FILE");
    QCommandLineOption simulateUnit =
        valued("simulate-unit",
               "With --simulate: the transformer on the simulated bench is a unit of its kind, its "
               "core loss and winding resistances drawn from SEED within +-20 %.",
               "SEED");
    QCommandLineOption amend =
        valued("amend",
               "Re-issue the report of that id (\"<unit test id>/<issue>\") from the record folder "
               "(--record DIR) with the correction given by --correction, as a new numbered report "
               "naming the one it replaces; the old one is kept.",
               "REPORT");
    QCommandLineOption correction = valued("correction", "With --amend: the correction, in words.", "TEXT");
    QCommandLineOption results =
        flag("results", "Open the results window for the record folders named after the options "
                        "(it asks for one when none is named); with --record DIR, beside the main "
                        "window for DIR. It reads every results*.csv and follows them as passes land.");

    void declare(QCommandLineParser& parser) const {
        parser.setApplicationDescription(
            QStringLiteral("%1: measures a small transformer's efficiency with a four-channel "
                           "oscilloscope on an FT232R USB serial adapter.")
                .arg(QString::fromLatin1(ProgramTitle)));
        parser.addOptions({help,     version,  simulate,     fastReads,      stopped,   record,    headless,
                           resistor, supply,   capacitor,    average,        preset,    passes,    interval,
                           comment,  results,  accuracy,     simulateErrors, limits,    calibrate, calibrationDays,
                           bench,    database, upload,       characterise,   resume,    unit,      operatorName,
                           lot,      unitTest, simulateUnit, amend,          correction});
        parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("With --results: a record folder."),
                                     QStringLiteral("[DIR...]"));
    }
    // The options that go with --headless only.
    std::array<const QCommandLineOption*, 9> headlessChoices() const {
        return {&resistor, &supply, &capacitor, &average, &preset, &passes, &interval, &comment, &calibrate};
    }
};

} // namespace ProgramOptionTable
