#include "SimScope.h"

#include "NumberText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace {

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// "CH3" -> 2, anything else -> -1
int channelIndex(const std::string& name) {
    if (name.size() == 3 && name.compare(0, 2, "CH") == 0 && name[2] >= '1' && name[2] <= '4') {
        return name[2] - '1';
    }
    return -1;
}

// "MEAS4" -> 3
int slotIndex(const std::string& name) {
    if (name.size() == 5 && name.compare(0, 4, "MEAS") == 0 && name[4] >= '1' && name[4] <= '5') {
        return name[4] - '1';
    }
    return -1;
}

std::optional<double> argumentNumber(std::string argument) {
    argument = trim(argument);
    if (!argument.empty() && (argument.back() == 'X' || argument.back() == 'x')) {
        argument.pop_back();
    }
    return parseNumber(argument);
}

std::string unquoted(std::string argument) {
    argument = trim(argument);
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
        return argument.substr(1, argument.size() - 2);
    }
    return argument;
}

std::string fiveDigits(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4E", value);
    return buffer;
}

} // namespace

// The shortest form that reads back exactly, in exponent notation: 1.2E+00.
std::string scopeNumber(double value) {
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string text(buffer, result.ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text;
}

SimScope::SimScope() {
    channels[0] = {20, 1, 10.0, 2.0, "AC", false};
    channels[1] = {1, 10, 5.0, 1.0, "AC", false};
    channels[2] = {20, 1, 10.0, -1.0, "AC", false};
    channels[3] = {1, 10, 5.0, -2.0, "AC", false};
    measurements[0] = {"CRMS", "V", "CH1"};
    measurements[1] = {"CRMS", "A", "CH2"};
    measurements[2] = {"MEAN", "VA", "MATH"};
    measurements[3] = {"CRMS", "V", "CH3"};
    measurements[4] = {"CRMS", "A", "CH4"};
}

std::optional<std::string> SimScope::execute(const std::string& line) {
    const std::string text = trim(line);
    const auto blank = text.find(' ');
    const std::string path = upper(text.substr(0, blank));
    const std::string argument = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (!path.empty() && path.back() == '?') {
        auto reply = query(path.substr(0, path.size() - 1));
        if (!reply) {
            unknownCommands.push_back(line);
        }
        return reply;
    }
    command(path, argument, line);
    return std::nullopt;
}

std::string SimScope::answer(const std::string& longHeader, const std::string& shortHeader,
                             const std::string& value) const {
    if (!header) {
        return value + "\r\n";
    }
    return (verbose ? longHeader : shortHeader) + " " + value + "\r\n";
}

// A settings answer: the header, a colon, then the fields separated by ";".
std::string SimScope::settingsAnswer(const std::string& longHeader, const std::string& shortHeader,
                                     const std::string& settings) const {
    if (!header) {
        return settings + "\r\n";
    }
    return (verbose ? longHeader : shortHeader) + ":" + settings + "\r\n";
}

void SimScope::attach(const SimBench& newBench) {
    bench = newBench;
    noise_.seed(newBench.seed);
}

void SimScope::setUpFor(const TransformerModel& transformer, double supplyVolts) {
    struct Gains {
        double ch1, ch2, math, ch3, ch4;
    };
    const bool standard = transformer.turnsRatio > 2;
    const Gains g = standard           ? Gains{20, 0.5, 10, 5, 0.5}
                    : supplyVolts > 10 ? Gains{20, 5, 100, 20, 5}
                    : supplyVolts > 5  ? Gains{10, 5, 50, 10, 5}
                                       : Gains{5, 2, 10, 5, 2};
    channels[0].probe = transformer.ch1Probe;
    channels[1].currentProbe = transformer.ch2CurrentProbe;
    channels[2].probe = transformer.ch3Probe;
    channels[3].currentProbe = transformer.ch4CurrentProbe;
    channels[0].scale = g.ch1;
    channels[1].scale = g.ch2;
    mathScale = g.math;
    channels[2].scale = g.ch3;
    channels[3].scale = g.ch4;
}

double SimScope::measured(const SimSlot& slot) {
    if (bench) {
        // A scope answers with five significant digits.
        const auto value = benchMeasurement(*bench, *this, slot, noise_);
        const CircuitSolution circuit = solve(bench->transformer, bench->conditions);
        measuredTruth = Truth{circuit.inputPower, circuit.outputPower};
        return value ? std::stod(fiveDigits(*value)) : InvalidMeasurement;
    }
    if (slot.type == "FREQUENCY") {
        return readings.frequency;
    }
    if (slot.source == "MATH") {
        if (mathDefinition == "CH1 * CH2") {
            return readings.meanCh1Ch2;
        }
        if (mathDefinition == "CH3 * CH4") {
            return readings.meanCh3Ch4;
        }
        return 0.0;
    }
    const int index = channelIndex(slot.source);
    return index < 0 ? InvalidMeasurement : readings.crms[static_cast<std::size_t>(index)];
}

std::string SimScope::slotSettings(const SimSlot& slot) const {
    return "TYPE " + slot.type + ";UNITS \"" + slot.units + "\";SOURCE " + slot.source;
}

// PROBE stands before CURRENTPROBE and INVERT last: that is the order in
// which this scope lists a channel's settings.
std::string SimScope::channelSettings(int index) const {
    const SimChannel& ch = channels[static_cast<std::size_t>(index)];
    return "SCALE " + scopeNumber(ch.scale) + ";POSITION " + scopeNumber(ch.position) + ";COUPLING " + ch.coupling +
           ";BANDWIDTH OFF;PROBE " + scopeNumber(ch.probe) + ";CURRENTPROBE " + scopeNumber(ch.currentProbe) +
           ";INVERT " + (ch.invert ? "ON" : "OFF");
}

std::optional<std::string> SimScope::query(const std::string& path) {
    if (path == "ID") {
        return "ID " + identity + "\r\n";
    }
    if (path == "ACQ:STATE" || path == "ACQUIRE:STATE") {
        return answer(":ACQUIRE:STATE", ":ACQ:STATE", acquiring ? "1" : "0");
    }
    if (path == "MATH") {
        return settingsAnswer(":MATH", ":MATH",
                              "DEFINE \"" + mathDefinition + "\";VERTICAL:SCALE " + scopeNumber(mathScale) +
                                  ";VERTICAL:POSITION " + scopeNumber(mathPosition) + ";VERTICAL:UNITS \"VA\"");
    }
    const int channel = channelIndex(path.substr(0, 3));
    if (channel >= 0 && path.size() == 3) {
        return settingsAnswer(":" + path, ":" + path, channelSettings(channel));
    }
    if (channel >= 0 && path.substr(3) == ":SCALE") {
        return answer(":" + path, ":" + path, scopeNumber(channels[static_cast<std::size_t>(channel)].scale));
    }
    if (path.rfind("MEASU:", 0) == 0) {
        const std::string rest = path.substr(6);
        const auto colon = rest.find(':');
        const std::string name = rest.substr(0, colon);
        const std::string field = colon == std::string::npos ? "" : rest.substr(colon + 1);
        const SimSlot* slot = nullptr;
        if (name == "IMMED") {
            slot = &immediate;
        } else if (slotIndex(name) >= 0) {
            slot = &measurements[static_cast<std::size_t>(slotIndex(name))];
        }
        if (slot == nullptr) {
            return std::nullopt;
        }
        const std::string head = ":MEASUREMENT:" + name;
        if (field == "VALUE") {
            return answer(head + ":VALUE", ":MEASU:" + name + ":VAL", scopeNumber(measured(*slot)));
        }
        if (field.empty()) {
            // The immediate measurement names its source SOURCE1.
            const std::string settings =
                slot == &immediate ? "TYPE " + slot->type + ";UNITS \"" + slot->units + "\";SOURCE1 " + slot->source
                                   : slotSettings(*slot);
            return settingsAnswer(head, ":MEASU:" + name, settings);
        }
    }
    return std::nullopt;
}

void SimScope::command(const std::string& path, const std::string& argument, const std::string& line) {
    const std::string word = upper(trim(argument));
    const auto number = argumentNumber(argument);
    if (path == "VERBOSE" && (word == "ON" || word == "OFF")) {
        verbose = word == "ON";
    } else if (path == "HEADER" && (word == "ON" || word == "OFF")) {
        header = word == "ON";
    } else if (path == "MATH:DEFINE") {
        mathDefinition = unquoted(argument);
    } else if (path == "ACQ:NUMAVG" && number && *number >= 1) {
        numAverages = static_cast<int>(*number);
    } else if (path == "ACQ:MODE") {
        acquireMode = word;
    } else if (path == "ACQ:STATE" && (word == "ON" || word == "RUN" || word == "1")) {
        acquiring = true;
    } else if (path == "ACQ:STATE" && (word == "OFF" || word == "STOP" || word == "0")) {
        acquiring = false;
    } else if (path == "MATH:VERTICAL:SCALE" && number && *number > 0) {
        mathScale = *number;
    } else if (path == "MATH:VERTICAL:POSITION" && number) {
        mathPosition = *number;
    } else if (channelIndex(path.substr(0, 3)) >= 0 && number) {
        SimChannel& ch = channels[static_cast<std::size_t>(channelIndex(path.substr(0, 3)))];
        const std::string setting = path.substr(3);
        if (setting == ":PROBE" && *number > 0) {
            // The screen stays in step with the probe: the scale moves with it.
            ch.scale *= *number / ch.probe;
            ch.probe = *number;
        } else if (setting == ":CURRENTPROBE" && *number > 0) {
            ch.scale *= *number / ch.currentProbe;
            ch.currentProbe = *number;
        } else if (setting == ":SCALE" && *number > 0) {
            ch.scale = *number;
        } else if (setting == ":POSITION") {
            ch.position = *number;
        } else {
            unknownCommands.push_back(line);
        }
    } else {
        unknownCommands.push_back(line);
    }
}
