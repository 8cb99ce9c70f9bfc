#include "DatabaseTarget.h"

#include <libpq-fe.h>

#include <memory>

namespace {

struct OptionsFree {
    void operator()(PQconninfoOption* o) const { PQconninfoFree(o); }
};

} // namespace

std::variant<DatabaseTarget, std::string> databaseTarget(const std::string& connection) {
    if (connection.empty()) {
        return std::string("--database: the connection string is empty");
    }
    char* error = nullptr;
    std::unique_ptr<PQconninfoOption, OptionsFree> parsed(PQconninfoParse(connection.c_str(), &error));
    if (!parsed) {
        std::string why = error != nullptr ? error : "out of memory";
        PQfreemem(error);
        while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) {
            why.pop_back();
        }
        return "--database: " + why;
    }
    DatabaseTarget t;
    t.shown = connection;
    bool timeoutGiven = false;
    for (const PQconninfoOption* o = parsed.get(); o->keyword != nullptr; ++o) {
        if (o->val == nullptr) {
            continue;
        }
        const std::string key = o->keyword;
        const std::string value = o->val;
        if (key == "password") {
            return std::string("--database: a password goes in PGPASSWORD or ~/.pgpass, not in the connection "
                               "string");
        }
        if (key == "host" || key == "hostaddr") {
            t.host = value;
        } else if (key == "port") {
            t.port = value;
        } else if (key == "dbname") {
            t.dbname = value;
        } else if (key == "user") {
            t.user = value;
        } else {
            if (value.find_first_of(";'\\") != std::string::npos) {
                return "--database: the value of " + key + " holds a character the driver cannot pass on";
            }
            t.options += (t.options.empty() ? "" : ";") + key + "=" + value;
            timeoutGiven = timeoutGiven || key == "connect_timeout";
        }
    }
    if (!timeoutGiven) {
        t.options +=
            (t.options.empty() ? "" : ";") + std::string("connect_timeout=") + std::to_string(DatabaseConnectSeconds);
    }
    return t;
}
