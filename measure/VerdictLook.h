#pragma once

#include "Colour.h"
#include "Verdict.h"

// The one palette of verdicts, used by the main window, the report and the
// results window alike: each verdict's background, the text on it, and the
// colour of a marked ± standing on it. Every pair reads at a contrast of at
// least 4.5 : 1.
struct VerdictLook {
    Colour back;
    Colour fore;
};
const VerdictLook& lookOf(Verdict v);

// A marked ± (a low power factor, a clipped channel) on a window's own
// background, where no verdict colours it: a dark red that stays readable.
inline constexpr Colour MarkedText{0x0000B0};
// The window background the marks stand on when no verdict colours them.
inline constexpr Colour WindowBackground{0xEFEFEF};
// The text of a ± on a verdict's background: the verdict's own text colour.
inline Colour markOn(Verdict v) {
    return lookOf(v).fore;
}
