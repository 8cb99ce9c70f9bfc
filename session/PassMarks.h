#pragma once

#include "LimitSet.h"
#include "MainPanel.h"
#include "PassOutcome.h"

#include <optional>

// What stands beside the result boxes after a pass: each box's ± (marked
// where a figure rests on a low power factor or a clipped channel), the
// calibrated efficiencies, and the verdict with its reason; each limited
// figure's ± in its own verdict's colour. Kept until the next pass starts.
void showPassMarks(MainPanel& panel, const PassOutcome& pass);
// The VERDICT box before a pass is judged: the limit set's name, or
// "NO LIMITS".
void showLimitSet(MainPanel& panel, const std::optional<LimitSet>& limits);
