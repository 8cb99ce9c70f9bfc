#include "SmallMatrix.h"

#include <algorithm>
#include <cmath>
#include <utility>

SmallMatrix SmallMatrix::identity(std::size_t n) {
    SmallMatrix m(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        m(i, i) = 1;
    }
    return m;
}

SmallMatrix SmallMatrix::transposed() const {
    SmallMatrix t(columns_, rows_);
    for (std::size_t r = 0; r < rows_; ++r) {
        for (std::size_t c = 0; c < columns_; ++c) {
            t(c, r) = (*this)(r, c);
        }
    }
    return t;
}

SmallMatrix SmallMatrix::operator*(const SmallMatrix& o) const {
    SmallMatrix p(rows_, o.columns_);
    for (std::size_t r = 0; r < rows_; ++r) {
        for (std::size_t k = 0; k < columns_; ++k) {
            const double a = (*this)(r, k);
            if (a == 0) {
                continue;
            }
            for (std::size_t c = 0; c < o.columns_; ++c) {
                p(r, c) += a * o(k, c);
            }
        }
    }
    return p;
}

SmallMatrix SmallMatrix::operator+(const SmallMatrix& o) const {
    SmallMatrix s = *this;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        s.cells_[i] += o.cells_[i];
    }
    return s;
}

std::vector<double> SmallMatrix::operator*(const std::vector<double>& v) const {
    std::vector<double> out(rows_, 0.0);
    for (std::size_t r = 0; r < rows_; ++r) {
        for (std::size_t c = 0; c < columns_; ++c) {
            out[r] += (*this)(r, c) * v[c];
        }
    }
    return out;
}

std::optional<SmallMatrix> SmallMatrix::inverse(double tiny) const {
    if (rows_ != columns_) {
        return std::nullopt;
    }
    const std::size_t n = rows_;
    SmallMatrix a = *this;
    SmallMatrix inv = identity(n);
    double largest = 0;
    for (const double c : cells_) {
        largest = std::max(largest, std::fabs(c));
    }
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r) {
            if (std::fabs(a(r, col)) > std::fabs(a(pivot, col))) {
                pivot = r;
            }
        }
        if (!(std::fabs(a(pivot, col)) > tiny * largest)) {
            return std::nullopt;
        }
        for (std::size_t c = 0; c < n; ++c) {
            std::swap(a(col, c), a(pivot, c));
            std::swap(inv(col, c), inv(pivot, c));
        }
        const double d = a(col, col);
        for (std::size_t c = 0; c < n; ++c) {
            a(col, c) /= d;
            inv(col, c) /= d;
        }
        for (std::size_t r = 0; r < n; ++r) {
            const double f = a(r, col);
            if (r == col || f == 0) {
                continue;
            }
            for (std::size_t c = 0; c < n; ++c) {
                a(r, c) -= f * a(col, c);
                inv(r, c) -= f * inv(col, c);
            }
        }
    }
    return inv;
}

double dot(const std::vector<double>& a, const std::vector<double>& b) {
    double s = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        s += a[i] * b[i];
    }
    return s;
}

double quadratic(const SmallMatrix& m, const std::vector<double>& v) {
    return dot(v, m * v);
}
