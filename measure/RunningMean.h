#pragma once

#include <algorithm>
#include <cmath>

// A mean kept as values come, and the standard deviation of that mean from
// their scatter (none from fewer than two).
struct RunningMean {
    double sum = 0, squares = 0;
    int n = 0;
    void add(double x) {
        sum += x;
        squares += x * x;
        ++n;
    }
    double mean() const { return n > 0 ? sum / n : 0; }
    double uMean() const {
        const double m = mean();
        return n < 2 ? 0.0 : std::sqrt(std::max(0.0, (squares - n * m * m) / (n - 1)) / n);
    }
};
