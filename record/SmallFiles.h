#pragma once

#include <string>
#include <vector>

// The small files kept beside the record (a plan's points, the unit tests):
// an append that reaches the disk before it returns, and a CSV line's fields.

// Appends and syncs; false when the bytes did not all reach the disk.
bool appendSynced(const std::string& path, const std::string& bytes);
// The fields of one CSV line as the record writes them (RFC 4180 quotes;
// the line's end dropped).
std::vector<std::string> csvFields(const std::string& line);
