#include "ProgramOptions.h"

#include <QCommandLineParser>
#include <algorithm>
#include <iterator>

#ifndef PROGRAM_VERSION
#define PROGRAM_VERSION "0.0.0"
#endif

const char* programVersion() { return PROGRAM_VERSION; }

namespace {

// One line that says what is wrong and what would be accepted; status 2.
ProgramOptions& refused(ProgramOptions& options, const std::string& why) {
    options.message = std::string(ProgramName) + ": " + why + "\n";
    options.exitCode = 2;
    return options;
}

} // namespace

ProgramOptions parseProgramOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1: measures a small transformer's efficiency with a four-channel "
                       "oscilloscope on an FT232R USB serial adapter.")
            .arg(QString::fromLatin1(ProgramTitle)));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's name and version and end."));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Run on the simulated bench (no hardware)."));
    const QCommandLineOption fastReads(
        QStringLiteral("fast-reads"),
        QStringLiteral("Complete a read as soon as the answer's line feed has arrived."));
    const QCommandLineOption stopped(
        QStringLiteral("acquisition-stopped"),
        QStringLiteral("With --simulate: the scope's acquisition is stopped at start-up."));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Append every measurement pass to DIR/results.csv and save every "
                       "CAPTURE as DIR/report-<date>-<time>.png."),
        QStringLiteral("DIR"));
    const auto valued = [](const char* name, const char* description, const char* value) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                                  QString::fromLatin1(value));
    };
    const QCommandLineOption headless(
        QStringLiteral("headless"),
        QStringLiteral("Measure without windows or a display: connect, GET SETTINGS, pick the "
                       "set-up below, run the passes and end. Each pass's row goes to standard "
                       "output as CSV (the record's columns, header first), each event-list line "
                       "to standard error. Exit status: 0 every pass complete, 1 a pass stopped "
                       "or failed, 2 bad options, 3 no connection or the set-up not ready. "
                       "SIGINT or SIGTERM stops the pass under way and ends as CLOSE does."));
    const QCommandLineOption resistor = valued("load-resistor", "With --headless: the load resistor, as in its list.", "OHMS");
    const QCommandLineOption supply = valued("supply", "With --headless: the supply voltage, as in the transformer's list.", "VOLTS");
    const QCommandLineOption capacitor = valued("capacitor", "With --headless: the load capacitor, as in its list.", "UF");
    const QCommandLineOption average = valued("sample-average", "With --headless: the scope's averaging count (4, 16, 64, 128).", "N");
    const QCommandLineOption preset = valued("preset", "With --headless: a set-up button of the settings window, by its name.", "NAME");
    const QCommandLineOption passes = valued("passes", "With --headless: how many passes (default 1).", "N");
    const QCommandLineOption interval = valued("interval", "With --headless: seconds from one pass's start to the next's (default 0).", "SECONDS");
    const QCommandLineOption comment = valued("comment", "With --headless: the COMMENT text.", "TEXT");
    const QCommandLineOption results(
        QStringLiteral("results"),
        QStringLiteral("Open the results window for the record folders named after the options "
                       "(it asks for one when none is named); with --record DIR, beside the main "
                       "window for DIR. It reads every results*.csv and follows them as passes land."));
    parser.addOptions({help, version, simulate, fastReads, stopped, record, headless, resistor, supply,
                       capacitor, average, preset, passes, interval, comment, results});
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("With --results: a record folder."),
                                 QStringLiteral("[DIR...]"));

    // Read before the application exists, the parser knows no program name:
    // the usage line names the program itself.
    const auto helpText = [&parser] {
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: %1 [options] [DIR...]").arg(QString::fromLatin1(ProgramName)));
        return text.toStdString();
    };
    ProgramOptions options;
    if (!parser.parse(arguments)) {
        options.message = parser.errorText().toStdString() + "\n" + helpText();
        options.exitCode = 2;
        return options;
    }
    if (!parser.positionalArguments().isEmpty() && !parser.isSet(results)) {
        options.message = "Unknown argument: " + parser.positionalArguments().first().toStdString() +
                          "\n" + helpText();
        options.exitCode = 2;
        return options;
    }
    if (parser.isSet(help)) {
        options.message = helpText();
        return options;
    }
    if (parser.isSet(version)) {
        options.message = std::string(ProgramName) + " " + programVersion() + " (" + ProgramTitle + ")\n" +
                          "Its own sources are under the MIT licence; this program links Qt Charts and is\n"
                          "distributed under the GNU General Public License version 3 as a whole.\n";
        return options;
    }
    options.results = parser.isSet(results);
    for (const QString& folder : parser.positionalArguments()) {
        options.resultsFolders.push_back(folder.toStdString());
    }
    if (options.results && parser.isSet(headless)) {
        return refused(options, "--results opens a window; --headless has none");
    }
    options.simulate = parser.isSet(simulate);
    options.fastReads = parser.isSet(fastReads);
    options.acquisitionStopped = parser.isSet(stopped);
    if (parser.isSet(record)) {
        options.recordFolder = parser.value(record).toStdString();
    }
    const QCommandLineOption* const choiceOptions[]{&resistor, &supply,   &capacitor, &average,
                                                     &preset,   &passes,   &interval,  &comment};
    const bool anyHeadlessChoice = std::any_of(std::begin(choiceOptions), std::end(choiceOptions),
                                               [&parser](const auto* o) { return parser.isSet(*o); });
    if (!parser.isSet(headless)) {
        if (anyHeadlessChoice) {
            return refused(options, "--load-resistor, --supply, --capacitor, --sample-average, --preset, "
                                    "--passes, --interval and --comment go with --headless");
        }
        return options;
    }
    HeadlessChoices choices;
    for (auto [option, field] : {std::pair{&resistor, &choices.loadResistor}, std::pair{&supply, &choices.supply},
                                 std::pair{&capacitor, &choices.capacitor}}) {
        if (!parser.isSet(*option)) {
            return refused(options, "--headless needs --load-resistor OHMS, --supply VOLTS and --capacitor UF");
        }
        *field = parser.value(*option).toStdString();
    }
    if (parser.isSet(average)) {
        choices.sampleAverage = parser.value(average).toStdString();
    }
    if (parser.isSet(preset)) {
        choices.preset = parser.value(preset).toStdString();
    }
    choices.comment = parser.value(comment).toStdString();
    bool ok = true;
    if (parser.isSet(passes)) {
        choices.passes = parser.value(passes).toInt(&ok);
        if (!ok || choices.passes < 1) {
            return refused(options, "--passes takes a whole number of 1 or more, not \"" +
                                        parser.value(passes).toStdString() + "\"");
        }
    }
    if (parser.isSet(interval)) {
        choices.intervalSeconds = parser.value(interval).toDouble(&ok);
        if (!ok || !(choices.intervalSeconds >= 0) || choices.intervalSeconds > 86400 * 365) {
            return refused(options, "--interval takes seconds from 0 up to a year, not \"" +
                                        parser.value(interval).toStdString() + "\"");
        }
    }
    options.headless = choices;
    return options;
}
