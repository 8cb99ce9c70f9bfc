#include "PointPicks.h"

#include "MeasuringSession.h"
#include "SetupLists.h"
#include "Statuses.h"
#include "TransformerKinds.h"

#include <algorithm>

namespace {

bool offered(const ComboBox& list, const std::string& item) {
    return std::find(list.items.begin(), list.items.end(), item) != list.items.end();
}

void pressPreset(MeasuringSession& s, TransformerKind kind) {
    if (kind == TransformerKind::Standard) {
        s.Settings.standardPreset();
    } else {
        s.Settings.splitFluxPreset();
    }
}

// The set-up button pressed as often as the scope needs (at most five
// times): a capacitor first where the status asks for one, the supply again
// where the button loads another transformer's list.
void runSetUpAgain(MeasuringSession& s, const PointPicks& p, TransformerKind kind) {
    for (int press = 0; press < 5 && s.panel.Text12.is(CalculatorStatus::Wait); ++press) {
        pressPreset(s, kind);
        if (!s.setUp.supplyChosen()) {
            s.setUp.pick(SetUpList::Supply, p.supply);
        }
        if (s.panel.Text12.is(CalculatorStatus::SelectLoadCapacitor)) {
            s.setUp.pick(SetUpList::LoadCapacitor, p.capacitor);
        }
    }
}

} // namespace

std::string readSettingsFirst(MeasuringSession& s) {
    if (s.link.ScopeOpen != 1) {
        return "no connection to the scope (OSCILLOSCOPE STATUS reads \"" + wordsOf(s.panel.Text1.status) + "\")";
    }
    if (!s.panel.Text12.is(CalculatorStatus::PressSettings) && !s.panel.Text12.is(CalculatorStatus::GetSettings)) {
        return {};
    }
    s.openSettings();
    s.Settings.getSettings();
    if (!s.Settings.Text1.is(ScopeStatus::Ready)) {
        return "GET SETTINGS did not end \"" + wordsOf(ScopeStatus::Ready) + "\" but \"" +
               wordsOf(s.Settings.Text1.status) + "\"";
    }
    return {};
}

std::string pickPoint(MeasuringSession& s, const PointPicks& p) {
    const TransformerKind kind = kindNamed(p.preset);
    if (!s.setUp.pick(SetUpList::LoadResistor, p.load)) {
        return "SELECT LOAD RESISTOR offers no \"" + p.load + "\" (GET SETTINGS first)";
    }
    if (s.panel.Combo2.text != p.supply || !s.panel.Text12.is(CalculatorStatus::Ready)) {
        if (!offered(s.panel.Combo2, p.supply) && kind != TransformerKind::Other) {
            // Another transformer's supply: its button loads its list, and
            // acts only once a supply (any of this list's) and a capacitor
            // are chosen, as an operator finds.
            const auto standIn = std::find_if(s.panel.Combo2.items.begin(), s.panel.Combo2.items.end(),
                                              [](const std::string& item) { return item != NoSupplyItem; });
            if (standIn != s.panel.Combo2.items.end()) {
                s.setUp.pick(SetUpList::Supply, *standIn);
            }
            if (s.panel.Text12.is(CalculatorStatus::SelectLoadCapacitor)) {
                s.setUp.pick(SetUpList::LoadCapacitor, p.capacitor);
            }
            pressPreset(s, kind);
        }
        if (!s.setUp.pick(SetUpList::Supply, p.supply)) {
            return "POWER SUPPLY offers no \"" + p.supply + "\" for " + s.panel.Text15.text;
        }
    }
    if (s.panel.Text12.is(CalculatorStatus::Wait) && kind != TransformerKind::Other) {
        if (s.panel.Text12.is(CalculatorStatus::SelectLoadCapacitor)) {
            s.setUp.pick(SetUpList::LoadCapacitor, p.capacitor);
        }
        runSetUpAgain(s, p, kind);
    }
    if (s.panel.Combo4.text != p.capacitor || !s.panel.Text12.is(CalculatorStatus::Ready)) {
        s.setUp.pick(SetUpList::LoadCapacitor, p.capacitor);
    }
    if (!p.sampleAverage.empty() && s.panel.Combo3.text != p.sampleAverage) {
        s.setUp.pick(SetUpList::SampleAverage, p.sampleAverage);
    }
    if (!s.panel.Text12.is(CalculatorStatus::Ready)) {
        return "the set-up is not ready: CALCULATOR STATUS reads \"" + wordsOf(s.panel.Text12.status) +
               "\", OSCILLOSCOPE STATUS \"" + wordsOf(s.panel.Text1.status) + "\"";
    }
    return {};
}
