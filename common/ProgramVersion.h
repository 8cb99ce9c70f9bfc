#pragma once

// The program's name as the command line, the settings and the package know
// it, its title, and its version (the record and every report name it).
constexpr const char* ProgramName = "transformer-efficiency";
constexpr const char* ProgramTitle = "Transformer Efficiency Calculator";
const char* programVersion();
