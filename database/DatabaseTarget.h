#pragma once

#include <string>
#include <variant>

// Where the lab's passes go: a libpq connection string in either form,
// "postgresql://user@host:5432/lab" or "host=/run/postgresql dbname=lab". A
// password is never taken from it (it would end up in shell histories,
// process lists and settings): it comes from PGPASSWORD or ~/.pgpass.
struct DatabaseTarget {
    std::string host, port, dbname, user;
    // The other keywords, as the driver's connect options ("sslmode=require;...").
    std::string options;
    // For the operator's eyes: the string as given (it holds no password).
    std::string shown;
};

// How long a connection may take to answer before it counts as failed, s.
inline constexpr int DatabaseConnectSeconds = 5;

// The target, or one line saying what is wrong with the string.
std::variant<DatabaseTarget, std::string> databaseTarget(const std::string& connection);
