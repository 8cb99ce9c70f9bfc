#include "RecordLayout.h"

#include <charconv>

namespace {

// Where the number goes: before the extension, or at the end without one.
std::size_t stemEnd(const std::string& file) {
    const auto dot = file.rfind('.');
    return dot == std::string::npos ? file.size() : dot;
}

} // namespace

std::string numberedFileName(const std::string& file, int number) {
    if (number <= 1) {
        return file;
    }
    const std::size_t stem = stemEnd(file);
    return file.substr(0, stem) + "-" + std::to_string(number) + file.substr(stem);
}

int numberOfFile(const std::string& name, const std::string& file) {
    if (name == file) {
        return 1;
    }
    const std::size_t stem = stemEnd(file);
    const std::string head = file.substr(0, stem) + "-";
    const std::string tail = file.substr(stem);
    if (name.size() <= head.size() + tail.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0) {
        return 0;
    }
    const char* first = name.data() + head.size();
    const char* last = name.data() + name.size() - tail.size();
    int number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    // Written as numberedFileName writes it: no sign, no leading zero, 2 or more.
    const bool written = error == std::errc() && end == last && *first != '0' && number >= 2;
    return written ? number : 0;
}
