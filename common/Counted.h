#pragma once

#include <string>

// A count in words that agree with it: "1 pass", "3 passes", "0 passes".
inline std::string counted(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}
