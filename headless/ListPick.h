#pragma once

#include <optional>
#include <string>
#include <vector>

// Picks named on the command line, matched to what the windows offer.

// The item of a list that a value names: the same text, or the same number
// ("9.40" names "9.4", "10" names "10.0"); none when no item does.
std::optional<std::string> itemNamed(const std::vector<std::string>& items, const std::string& value);
// "a, b, c": what would have been accepted.
std::string listed(const std::vector<std::string>& items);

// The settings window's buttons a headless run may press, by their captions.
enum class PresetButton { SplitFlux, Standard, Skip };
// A button named as on its caption, without regard to case and blanks.
std::optional<PresetButton> presetNamed(const std::string& name);
std::vector<std::string> presetNames();
