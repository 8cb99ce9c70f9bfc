#pragma once

#include "DatabaseTarget.h"

#include <QSqlDatabase>
#include <QString>

// A connection to the lab database under `name`, set up from the target but
// not opened; not valid when Qt SQL's PostgreSQL driver is missing.
QSqlDatabase addLabConnection(const DatabaseTarget& target, const QString& name);

// Why a connection that is not valid cannot be opened.
inline constexpr const char* MissingDriver = "the PostgreSQL driver of Qt SQL is not installed (libqt6sql6-psql)";
