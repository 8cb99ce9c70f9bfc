#include "ProgramOptions.h"

#include "AccuracySet.h"
#include "CharacterisationPlan.h"
#include "UnitTestPlan.h"

#include "ProgramOptionTable.h"
#include "WhoText.h"

#include <QCommandLineParser>
#include <algorithm>
#include <array>
#include <iterator>

#ifndef PROGRAM_VERSION
#define PROGRAM_VERSION "0.0.0"
#endif

using namespace ProgramOptionTable;

namespace {

// One line that says what is wrong and what would be accepted; status 2.
ProgramOptions& refused(ProgramOptions& options, const std::string& why) {
    options.message = std::string(ProgramName) + ": " + why + "\n";
    options.exitCode = 2;
    return options;
}

// Read before the application exists, the parser knows no program name: the
// usage line names the program itself.
std::string helpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text.replace(0, text.indexOf(QLatin1Char('\n')),
                 QStringLiteral("Usage: %1 [options] [DIR...]").arg(QString::fromLatin1(ProgramName)));
    return text.toStdString();
}

// What ends the program before it starts: a parse error, a stray argument,
// --help or --version. Sets the message (and the status) and says whether.
bool answeredAtOnce(QCommandLineParser& parser, const QStringList& arguments, const Options& o,
                    ProgramOptions& options) {
    if (!parser.parse(arguments)) {
        options.message = parser.errorText().toStdString() + "\n" + helpText(parser);
        options.exitCode = 2;
        return true;
    }
    if (!parser.positionalArguments().isEmpty() && !parser.isSet(o.results)) {
        options.message =
            "Unknown argument: " + parser.positionalArguments().first().toStdString() + "\n" + helpText(parser);
        options.exitCode = 2;
        return true;
    }
    if (parser.isSet(o.help)) {
        options.message = helpText(parser);
        return true;
    }
    if (parser.isSet(o.version)) {
        options.message = std::string(ProgramName) + " " + programVersion() + " (" + ProgramTitle + ")\n" +
                          "Its own sources are under the MIT licence; this program links Qt Charts and is\n"
                          "distributed under the GNU General Public License version 3 as a whole.\n";
        return true;
    }
    return false;
}

// The set-up and the passes of a run without windows; refused with its line
// when an option is missing or out of its bounds.
ProgramOptions& readHeadlessChoices(const QCommandLineParser& parser, const Options& o, ProgramOptions& options) {
    HeadlessChoices choices;
    for (auto [option, field] : {std::pair{&o.resistor, &choices.loadResistor}, std::pair{&o.supply, &choices.supply},
                                 std::pair{&o.capacitor, &choices.capacitor}}) {
        if (!parser.isSet(*option)) {
            return refused(options, "--headless needs --load-resistor OHMS, --supply VOLTS and --capacitor UF");
        }
        *field = parser.value(*option).toStdString();
    }
    if (parser.isSet(o.average)) {
        choices.sampleAverage = parser.value(o.average).toStdString();
    }
    if (parser.isSet(o.preset)) {
        choices.preset = parser.value(o.preset).toStdString();
    }
    choices.comment = parser.value(o.comment).toStdString();
    choices.calibrate = parser.isSet(o.calibrate);
    bool ok = true;
    if (parser.isSet(o.passes)) {
        choices.passes = parser.value(o.passes).toInt(&ok);
        if (!ok || choices.passes < 1) {
            return refused(options, "--passes takes a whole number of 1 or more, not \"" +
                                        parser.value(o.passes).toStdString() + "\"");
        }
    }
    if (parser.isSet(o.interval)) {
        choices.intervalSeconds = parser.value(o.interval).toDouble(&ok);
        if (!ok || !(choices.intervalSeconds >= 0) || choices.intervalSeconds > 86400 * 365) {
            return refused(options, "--interval takes seconds from 0 up to a year, not \"" +
                                        parser.value(o.interval).toStdString() + "\"");
        }
    }
    options.headless = choices;
    return options;
}

// --resume ID: the id a stopped run was begun with, read from its record
// folder.
ProgramOptions& readResume(const QCommandLineParser& parser, const Options& o, ProgramOptions& options,
                           const std::string& what) {
    if (!parser.isSet(o.resume)) {
        return options;
    }
    const QString id = parser.value(o.resume).trimmed();
    if (!options.recordFolder && !options.database) {
        return refused(options, "--resume reads the " + what + " from its record folder: name it with --record DIR");
    }
    if (id.isEmpty() || id.size() > 64 ||
        std::any_of(id.begin(), id.end(), [](QChar c) { return !c.isLetterOrNumber() && c != QLatin1Char('-'); })) {
        return refused(options, "--resume takes the id the " + what + " was begun with, not \"" +
                                    parser.value(o.resume).toStdString() + "\"");
    }
    options.resume = id.toStdString();
    return options;
}

// --characterise PLAN: a run without windows of its own, its set-up the
// plan's.
ProgramOptions& readCharacterisation(const QCommandLineParser& parser, const Options& o, ProgramOptions& options) {
    const auto choices = o.headlessChoices();
    if (parser.isSet(o.headless) || options.results || options.upload ||
        std::any_of(choices.begin(), choices.end(), [&parser](const auto* c) { return parser.isSet(*c); })) {
        return refused(options, "--characterise makes its own set-up: it goes without --headless, --results, "
                                "--upload and the set-up options");
    }
    const std::string file = parser.value(o.characterise).toStdString();
    auto plan = readPlan(file);
    if (const auto* why = std::get_if<std::string>(&plan)) {
        return refused(options, file + ": " + *why);
    }
    options.characterise = std::get<CharacterisationPlan>(plan);
    options.characterisePlanFile = file;
    return readResume(parser, o, options, "characterisation");
}

// The bench's accuracy, the limit set and the simulated bench's errors and
// unit; false (refused) when one cannot be read.
bool readBench(const QCommandLineParser& parser, const Options& o, ProgramOptions& options) {
    if (parser.isSet(o.accuracy)) {
        auto read = readAccuracyFile(parser.value(o.accuracy).toStdString());
        if (const auto* why = std::get_if<std::string>(&read)) {
            refused(options, *why);
            return false;
        }
        options.accuracy = std::get<Accuracy>(read);
        options.accuracyFile = parser.value(o.accuracy).toStdString();
    }
    if (parser.isSet(o.limits)) {
        auto read = readLimitSet(parser.value(o.limits).toStdString());
        if (const auto* why = std::get_if<std::string>(&read)) {
            refused(options, *why);
            return false;
        }
        options.limits = std::get<LimitSet>(read);
        options.limitsFile = parser.value(o.limits).toStdString();
    }
    if (parser.isSet(o.simulateErrors)) {
        bool ok = false;
        const uint seed = parser.value(o.simulateErrors).toUInt(&ok);
        if (!ok || !options.simulate) {
            refused(options, "--simulate-errors takes a whole number SEED and goes with --simulate");
            return false;
        }
        options.simulateErrors = seed;
    }
    if (parser.isSet(o.simulateUnit)) {
        bool ok = false;
        const uint seed = parser.value(o.simulateUnit).toUInt(&ok);
        if (!ok || !options.simulate) {
            refused(options, "--simulate-unit takes a whole number SEED and goes with --simulate");
            return false;
        }
        options.simulateUnit = seed;
    }
    return true;
}

// --unit, --operator, --lot as typed or scanned; false (refused) when the
// serial cannot name a unit.
bool readWho(const QCommandLineParser& parser, const Options& o, ProgramOptions& options) {
    for (auto [option, field] : {std::pair{&o.unit, &options.unit}, std::pair{&o.operatorName, &options.operatorName},
                                 std::pair{&o.lot, &options.lot}}) {
        if (parser.isSet(*option)) {
            const std::string typed = parser.value(*option).toStdString();
            if (std::string why = whyNotASerial(typed); !why.empty()) {
                if (option != &o.unit) {
                    why.replace(0, std::string("the unit's serial").size(), "the text");
                }
                refused(options, "--" + option->names().front().toStdString() + ": " + why);
                return false;
            }
            *field = whoText(typed);
        }
    }
    return true;
}

// --unit-test PLAN: a run without windows of its own, its set-up the plan's
// steps; it needs the unit.
ProgramOptions& readUnitTest(const QCommandLineParser& parser, const Options& o, ProgramOptions& options) {
    const auto choices = o.headlessChoices();
    if (parser.isSet(o.headless) || options.results || options.upload ||
        std::any_of(choices.begin(), choices.end(), [&parser](const auto* c) { return parser.isSet(*c); })) {
        return refused(options, "--unit-test makes its own set-up: it goes without --headless, --results, "
                                "--upload and the set-up options");
    }
    if (!options.unit && !parser.isSet(o.resume)) {
        return refused(options, "--unit-test needs the unit: --unit SERIAL");
    }
    const std::string file = parser.value(o.unitTest).toStdString();
    auto plan = readUnitTestPlan(file);
    if (const auto* why = std::get_if<std::string>(&plan)) {
        return refused(options, file + ": " + *why);
    }
    options.unitTest = std::get<UnitTestPlan>(plan);
    options.unitTestPlanFile = file;
    return readResume(parser, o, options, "unit test");
}

ProgramOptions& readAmendment(const QCommandLineParser& parser, const Options& o, ProgramOptions& options) {
    if (!parser.isSet(o.amend) || !options.recordFolder) {
        return refused(options, "--correction goes with --amend REPORT and --record DIR (the report's folder)");
    }
    options.amend = parser.value(o.amend).trimmed().toStdString();
    options.correction = parser.value(o.correction).simplified().toStdString();
    if (options.correction.empty()) {
        return refused(options, "--amend needs the correction: --correction TEXT");
    }
    return options;
}

} // namespace

ProgramOptions parseProgramOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options o;
    o.declare(parser);
    ProgramOptions options;
    if (answeredAtOnce(parser, arguments, o, options)) {
        return options;
    }
    options.results = parser.isSet(o.results);
    for (const QString& folder : parser.positionalArguments()) {
        options.resultsFolders.push_back(folder.toStdString());
    }
    if (options.results && parser.isSet(o.headless)) {
        return refused(options, "--results opens a window; --headless has none");
    }
    options.simulate = parser.isSet(o.simulate);
    options.fastReads = parser.isSet(o.fastReads);
    options.acquisitionStopped = parser.isSet(o.stopped);
    if (parser.isSet(o.record)) {
        options.recordFolder = parser.value(o.record).toStdString();
    }
    if (!readBench(parser, o, options)) {
        return options;
    }
    if (parser.isSet(o.database)) {
        auto target = databaseTarget(parser.value(o.database).toStdString());
        if (const auto* why = std::get_if<std::string>(&target)) {
            return refused(options, *why);
        }
        options.database = std::get<DatabaseTarget>(target);
    }
    options.upload = parser.isSet(o.upload);
    if (options.upload && (!options.database || parser.isSet(o.headless))) {
        return refused(options, "--upload goes with --database and without --headless");
    }
    if (parser.isSet(o.bench)) {
        const QString name = parser.value(o.bench).simplified();
        if (name.isEmpty() || name.size() > 64) {
            return refused(options, "--bench takes a name of 1 to 64 characters");
        }
        options.bench = name.toStdString();
    }
    if (parser.isSet(o.calibrationDays)) {
        bool ok = false;
        options.calibrationDays = parser.value(o.calibrationDays).toInt(&ok);
        if (!ok || options.calibrationDays < 0 || options.calibrationDays > 3650) {
            return refused(options, "--calibration-days takes a whole number of days from 0 to 3650, not \"" +
                                        parser.value(o.calibrationDays).toStdString() + "\"");
        }
    }
    if (!readWho(parser, o, options)) {
        return options;
    }
    if (parser.isSet(o.amend) || parser.isSet(o.correction)) {
        return readAmendment(parser, o, options);
    }
    if (parser.isSet(o.unitTest)) {
        if (parser.isSet(o.characterise)) {
            return refused(options, "--unit-test and --characterise are two runs: name one");
        }
        return readUnitTest(parser, o, options);
    }
    if (parser.isSet(o.characterise)) {
        return readCharacterisation(parser, o, options);
    }
    if (parser.isSet(o.resume)) {
        return refused(options, "--resume goes with --characterise or --unit-test");
    }
    if (parser.isSet(o.headless)) {
        return readHeadlessChoices(parser, o, options);
    }
    const auto choices = o.headlessChoices();
    if (std::any_of(choices.begin(), choices.end(), [&parser](const auto* c) { return parser.isSet(*c); })) {
        return refused(options, "--load-resistor, --supply, --capacitor, --sample-average, --preset, "
                                "--passes, --interval, --comment and --calibrate go with --headless");
    }
    return options;
}
