#include "ProgramVersion.h"

const char* programVersion() {
    return PROGRAM_VERSION;
}
