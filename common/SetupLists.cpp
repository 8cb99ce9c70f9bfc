#include "SetupLists.h"

#include "NumberText.h"

#include <algorithm>

std::optional<std::int32_t> listedAverageCount(const std::string& text) {
    const auto count = parseWholeNumber(text);
    if (!count) {
        return std::nullopt;
    }
    const std::string digits = std::to_string(*count);
    const bool listed = std::find(AverageCounts.begin(), AverageCounts.end(), digits) != AverageCounts.end();
    return listed ? count : std::nullopt;
}
