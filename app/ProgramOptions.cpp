#include "ProgramOptions.h"

#include <QCommandLineParser>

#ifndef PROGRAM_VERSION
#define PROGRAM_VERSION "0.0.0"
#endif

const char* programVersion() { return PROGRAM_VERSION; }

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
    parser.addOptions({help, version, simulate, fastReads, stopped, record});

    // Read before the application exists, the parser knows no program name:
    // the usage line names the program itself.
    const auto helpText = [&parser] {
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: %1 [options]").arg(QString::fromLatin1(ProgramName)));
        return text.toStdString();
    };
    ProgramOptions options;
    if (!parser.parse(arguments)) {
        options.message = parser.errorText().toStdString() + "\n" + helpText();
        options.exitCode = 2;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
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
        options.message = std::string(ProgramName) + " " + programVersion() + " (" + ProgramTitle + ")\n";
        return options;
    }
    options.simulate = parser.isSet(simulate);
    options.fastReads = parser.isSet(fastReads);
    options.acquisitionStopped = parser.isSet(stopped);
    if (parser.isSet(record)) {
        options.recordFolder = parser.value(record).toStdString();
    }
    return options;
}
