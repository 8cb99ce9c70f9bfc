#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// A small dense matrix of doubles, row by row: the fits' design matrices and
// covariances (tens of rows, a few columns), nothing larger.
class SmallMatrix {
  public:
    SmallMatrix() = default;
    SmallMatrix(std::size_t rows, std::size_t columns, double fill = 0.0)
        : rows_(rows), columns_(columns), cells_(rows * columns, fill) {}
    static SmallMatrix identity(std::size_t n);

    std::size_t rows() const { return rows_; }
    std::size_t columns() const { return columns_; }
    double& operator()(std::size_t r, std::size_t c) { return cells_[r * columns_ + c]; }
    double operator()(std::size_t r, std::size_t c) const { return cells_[r * columns_ + c]; }

    SmallMatrix transposed() const;
    SmallMatrix operator*(const SmallMatrix& other) const;
    SmallMatrix operator+(const SmallMatrix& other) const;
    std::vector<double> operator*(const std::vector<double>& v) const;
    // The inverse by Gauss-Jordan elimination with partial pivoting; none
    // when the matrix is singular (a pivot below `tiny` times the largest).
    std::optional<SmallMatrix> inverse(double tiny = 1e-13) const;

  private:
    std::size_t rows_ = 0, columns_ = 0;
    std::vector<double> cells_;
};

double dot(const std::vector<double>& a, const std::vector<double>& b);
// v^T M v
double quadratic(const SmallMatrix& m, const std::vector<double>& v);
