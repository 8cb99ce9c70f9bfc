#include "ListPick.h"

#include "NumberText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

const std::array<std::pair<const char*, PresetButton>, 3> PresetCaptions{{
    {"SPLIT-FLUX TRANSFORMER #1", PresetButton::SplitFlux},
    {"STANDARD TRANSFORMER  F-54X", PresetButton::Standard},
    {"SKIP TRANSFORMER SETUP", PresetButton::Skip},
}};

std::string folded(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

// The number a value names once a unit as the lists' captions give it
// ("10 V rms", "9.4 ohms", "100 uF") is taken off.
std::optional<double> numberNamed(const std::string& value) {
    std::string text = folded(value);
    for (const char* unit : {"VRMS", "V", "OHMS", "OHM", "\u03A9", "UF", "\u00B5F"}) {
        const std::string u = unit;
        if (text.size() > u.size() && text.compare(text.size() - u.size(), u.size(), u) == 0) {
            text.erase(text.size() - u.size());
            break;
        }
    }
    return parseNumber(text);
}

} // namespace

std::optional<std::string> itemNamed(const std::vector<std::string>& items, const std::string& value) {
    if (std::find(items.begin(), items.end(), value) != items.end()) {
        return value;
    }
    // Case and blanks aside ("no load", " OFF ").
    for (const std::string& item : items) {
        if (!folded(item).empty() && folded(item) == folded(value)) {
            return item;
        }
    }
    const auto number = numberNamed(value);
    if (!number) {
        return std::nullopt;
    }
    for (const std::string& item : items) {
        if (parseNumber(item) == number) {
            return item;
        }
    }
    return std::nullopt;
}

std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

std::optional<PresetButton> presetNamed(const std::string& name) {
    for (const auto& [caption, button] : PresetCaptions) {
        if (folded(caption) == folded(name)) {
            return button;
        }
    }
    return std::nullopt;
}

std::vector<std::string> presetNames() {
    std::vector<std::string> names;
    for (const auto& [caption, button] : PresetCaptions) {
        names.emplace_back(caption);
    }
    return names;
}
