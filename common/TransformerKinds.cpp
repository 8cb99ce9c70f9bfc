#include "TransformerKinds.h"

TransformerKind kindNamed(const std::string& name) {
    if (name == SplitFluxName) {
        return TransformerKind::SplitFlux;
    }
    if (name == StandardName) {
        return TransformerKind::Standard;
    }
    return TransformerKind::Other;
}

const std::string& kindName(TransformerKind kind) {
    switch (kind) {
    case TransformerKind::SplitFlux:
        return SplitFluxName;
    case TransformerKind::Standard:
        return StandardName;
    case TransformerKind::Other:
        break;
    }
    return GeneralName;
}

const std::vector<std::string>& supplyList(TransformerKind kind) {
    static const std::vector<std::string> splitFlux{"OFF", "11.0", "10.5", "10.0", "9.5", "9.0", "8.5",
                                                    "8.0", "7.5",  "7.0",  "6.5",  "6.0", "5.5", "5.0",
                                                    "4.5", "4.0",  "3.5",  "3.0",  "2.5", "2.0"};
    static const std::vector<std::string> standard{"OFF", "130.0", "120.0", "110.0", "100.0", "50.0", "40.0"};
    static const std::vector<std::string> none;
    switch (kind) {
    case TransformerKind::SplitFlux:
        return splitFlux;
    case TransformerKind::Standard:
        return standard;
    case TransformerKind::Other:
        break;
    }
    return none;
}

const std::array<GainRow, 3>& splitFluxGainSets() {
    static const std::array<GainRow, 3> sets{{
        {"20.0 V/div", "5.0 A/div", "100.0 VA/div", "20.0 V/div", "5.0 A/div"},
        {"10.0 V/div", "5.0 A/div", "50.0 VA/div", "10.0 V/div", "5.0 A/div"},
        {"5.0 V/div", "2.0 A/div", "10.0 VA/div", "5.0 V/div", "2.0 A/div"},
    }};
    return sets;
}

std::optional<GainRow> recommendedGains(TransformerKind kind, double volts) {
    static const GainRow standard{"20.0 V/div", "500.0 mA/div", "10.0 VA/div", "5.0 V/div", "500.0 mA/div"};
    switch (kind) {
    case TransformerKind::SplitFlux:
        if (volts > 10) {
            return splitFluxGainSets()[0];
        }
        if (volts > 5) {
            return splitFluxGainSets()[1];
        }
        return splitFluxGainSets()[2];
    case TransformerKind::Standard:
        return standard;
    case TransformerKind::Other:
        break;
    }
    return std::nullopt;
}

bool gainsSuit(TransformerKind kind, std::optional<double> volts, const GainRow& shown) {
    const auto gains = volts ? recommendedGains(kind, *volts) : std::nullopt;
    return gains.has_value() && *gains == shown;
}
