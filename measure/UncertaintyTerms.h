#pragma once

#include <cmath>
#include <initializer_list>

// The small pieces every U is made of.
namespace UncertaintyTerms {

inline constexpr double Pi = 3.14159265358979323846;
inline double radians(double degrees) {
    return degrees * Pi / 180;
}
inline double degrees(double radians) {
    return radians * 180 / Pi;
}
// A declared half-width as a standard uncertainty.
inline double rect(double halfWidth) {
    return halfWidth / std::sqrt(3.0);
}
// Independent terms combined root sum square.
inline double rss(std::initializer_list<double> terms) {
    double sum = 0;
    for (const double t : terms) {
        sum += t * t;
    }
    return std::sqrt(sum);
}

} // namespace UncertaintyTerms
