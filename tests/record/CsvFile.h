#pragma once

#include "Checked.h"

#include <QFile>
#include <charconv>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Reading a record back as a spreadsheet would, for the record's tests.

using Lines = std::vector<std::string>;
using Row = std::map<std::string, std::string>;

// RFC 4180, as far as the record uses it.
inline std::vector<Lines> readCsv(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    const std::string text = file.readAll().toStdString();
    std::vector<Lines> rows;
    Lines row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::exchange(field, {}));
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::exchange(field, {}));
            rows.push_back(std::exchange(row, {}));
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

inline Row lastRow(const std::string& path) {
    const std::vector<Lines> rows = readCsv(path);
    Row named;
    if (rows.size() < 2) {
        ADD_FAILURE() << "no row in " << path;
        return named;
    }
    for (std::size_t i = 0; i < rows.front().size() && i < rows.back().size(); ++i) {
        named[rows.front()[i]] = rows.back()[i];
    }
    return named;
}

inline double number(const Row& row, const std::string& column) {
    const auto found = row.find(column);
    if (found == row.end() || found->second.empty()) {
        ADD_FAILURE() << "no number in " << column;
        return std::nan("");
    }
    double value = 0;
    std::from_chars(found->second.data(), found->second.data() + found->second.size(), value);
    return value;
}
