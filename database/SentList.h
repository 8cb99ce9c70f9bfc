#pragma once

#include <QString>
#include <set>
#include <string>

// What went up to the lab from beside the record (a characterisation, a unit
// test's row), kept in a small CSV of its own in the record folder: a line
// each, its key first and then how it went ("stored", "set aside: why"), so
// nothing is sent twice and nothing set aside is tried for ever.
namespace SentList {

// The keys the list holds.
std::set<std::string> keys(const QString& folder, const char* file);
// One more line; the header written with the first.
void note(const QString& folder, const char* file, const char* header, const std::string& key,
          const std::string& outcome);

} // namespace SentList
