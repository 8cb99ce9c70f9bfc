#include "EventPump.h"
#include "NumberText.h"
#include "ScopeSettings.h"
#include "SetUp.h"
#include "Statuses.h"

#include <array>

namespace {

// The nine grid values a preset writes: CH1 and CH3 VOLT PROBE, CH2 and CH4
// AMP PROBE, and the five SCALE boxes.
struct PresetGrid {
    const char* ch1VoltProbe;
    const char* ch2AmpProbe;
    const char* ch3VoltProbe;
    const char* ch4AmpProbe;
    std::array<const char*, 5> scales; // CH1, CH2, MATH, CH3, CH4
};

constexpr PresetGrid StandardGrid{"20X", "10X", "1X", "10X", {"20.0", "0.5", "10.0", "5.0", "0.5"}};
constexpr std::array<PresetGrid, 3> SplitFluxGrids{{
    {"20X", "10X", "20X", "10X", {"20.0", "5.0", "100.0", "20.0", "5.0"}},
    {"20X", "10X", "20X", "10X", {"10.0", "5.0", "50.0", "10.0", "5.0"}},
    {"20X", "10X", "20X", "10X", {"5.0", "2.0", "10.0", "5.0", "2.0"}},
}};

const PresetGrid& gridFor(TransformerKind kind, double volts) {
    if (kind == TransformerKind::Standard) {
        return StandardGrid;
    }
    return SplitFluxGrids[volts > 10 ? 0 : volts > 5 ? 1 : 2];
}

} // namespace

void ScopeSettings::writePresetGrid(TransformerKind kind, double volts) {
    const PresetGrid& grid = gridFor(kind, volts);
    Text32.text = grid.ch1VoltProbe;
    Text37.text = grid.ch2AmpProbe;
    Text34.text = grid.ch3VoltProbe;
    Text39.text = grid.ch4AmpProbe;
    for (int row = 0; row < Rows; ++row) {
        scaleBox(row).text = grid.scales[static_cast<std::size_t>(row)];
    }
}

void ScopeSettings::presetPress(TransformerKind kind) {
    // A preset talks to the scope through UPDATE SCOPE and the read; inside
    // another dialogue's yields it would interleave with it.
    if (dialogueFlag() || !setupMayChange()) {
        return;
    }
    const std::string& name = kindName(kind);
    const bool otherKind =
        Text70.text.empty() ||
        (Text70.text != name && (kindNamed(Text70.text) != TransformerKind::Other || Text70.text == GeneralName));
    if (otherKind) {
        setUp_.loadSupplyList(kind);
        logOnMain("");
        logOnMain("Demonstrate " + name);
        setUp_.logLoadResistor();
    }
    Text70.text = name;
    showTransformerOnMain("");
    const MainPicks picked = setUp_.picks();
    if (!picked.supply) {
        showCalculatorStatus(CalculatorStatus::SelectSupplyVoltage);
        return;
    }
    writePresetGrid(kind, picked.supplyVolts.value_or(0));
    platform_.pump.yield();
    updateScope();
    platform_.pump.yield();
    ReadScopeSettings();
    showTransformerOnMain(Text70.text);
    platform_.pump.yield();
    if (!gainsSuit(kind, setUp_.picks().supplyVolts, setUp_.shownGains())) {
        setUp_.askToRunSetupAgain(kind);
    }
}

void ScopeSettings::standardPreset() {
    presetPress(TransformerKind::Standard);
}

void ScopeSettings::splitFluxPreset() {
    presetPress(TransformerKind::SplitFlux);
}

void ScopeSettings::skipSetup() {
    if (setupMayChange()) {
        const MainPicks picked = setUp_.picks();
        if (!picked.supply) {
            showCalculatorStatus(CalculatorStatus::SelectSupplyVoltage);
        } else if (!picked.loadCapacitor) {
            showCalculatorStatus(CalculatorStatus::SelectLoadCapacitor);
        }
    }
    logOnBoth("Skip " + Text70.text + " setup");
    showScopeStatus(ScopeStatus::Ready);
}
