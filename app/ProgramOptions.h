#pragma once

#include <QStringList>
#include <optional>
#include <string>

// The command line. It is read before any window exists, so that --help and
// --version answer without a display.
struct ProgramOptions {
    bool simulate = false;
    bool fastReads = false;
    bool acquisitionStopped = false;
    std::optional<std::string> recordFolder;

    // Set when the program is to print this and end at once with exitCode.
    std::optional<std::string> message;
    int exitCode = 0;
};

// arguments as main() has them, the program's name first.
ProgramOptions parseProgramOptions(const QStringList& arguments);

constexpr const char* ProgramName = "transformer-efficiency";
constexpr const char* ProgramTitle = "Transformer Efficiency Calculator";
const char* programVersion();
