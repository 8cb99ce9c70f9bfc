#pragma once

#include "D2xx.h"

struct ListBox;

// Ends a link the one way it is ever ended: FT_CyclePort, then FT_Close only
// when the cycle succeeded. Logs "CyclePort failed" or "Close Failed"; true
// on a clean close, which each caller reports in its own words.
bool endLink(D2xx& d2xx, FT_HANDLE handle, ListBox& log);
