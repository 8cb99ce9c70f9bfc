#pragma once

#include <algorithm>
#include <string>
#include <vector>

// What the plans' files share: their lists of allowed items, said in words.
namespace plan_json {

inline std::vector<std::string> listOf(const auto& items) {
    return std::vector<std::string>(std::begin(items), std::end(items));
}

inline bool listed(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

inline std::string joined(const std::vector<std::string>& items) {
    std::string all;
    for (const std::string& i : items) {
        all += (all.empty() ? "" : ", ") + i;
    }
    return all;
}

} // namespace plan_json
