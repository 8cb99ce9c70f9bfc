#include "BatchSending.h"

#include "LabConnection.h"
#include "LabSchema.h"
#include "RecordLayout.h"
#include "UnitTestUpload.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <libpq-fe.h>

namespace batch_sending {

namespace {

// Chosen once: the lock that keeps two benches from creating the tables at once.
constexpr qint64 SchemaLock = 7268001;

std::string oneLine(QString text) {
    return text.simplified().toStdString();
}

} // namespace

std::string errorOf(const QSqlError& e) {
    const QString text = e.databaseText().isEmpty() ? e.driverText() : e.databaseText();
    return oneLine(text.isEmpty() ? QStringLiteral("no answer") : text);
}

bool open(QSqlDatabase& db, std::string& why) {
    if (!db.isValid()) {
        why = MissingDriver;
        return false;
    }
    db.close();
    if (!db.open()) {
        why = errorOf(db.lastError());
        return false;
    }
    return true;
}

bool exec(QSqlQuery& q, const std::string& sql, std::string& why) {
    if (q.exec(QString::fromStdString(sql))) {
        return true;
    }
    why = errorOf(q.lastError());
    return false;
}

// A failure of the server or the link (down, restarting, refusing the
// role, the layout changed under us) is an outage: the rows wait. A failure
// of the row itself (a value its column cannot hold) is the row's.
bool isRowsFault(const QSqlError& e) {
    const QString state = e.nativeErrorCode();
    return state.startsWith(QLatin1String("22")) || state.startsWith(QLatin1String("23")) ||
           state.startsWith(QLatin1String("54"));
}

std::string programVersionOf() {
    return QCoreApplication::applicationVersion().toStdString();
}

// The statements under the layout's lock, in one transaction; none when,
// under the lock, `done` (SQL giving true or false) says another bench has
// done it meanwhile.
// Whether a table is there, read from pg_class under the statement's own
// snapshot: to_regclass() looks in the catalog cache, which an advisory lock
// does not bring up to date, so a bench that waited for another's layout
// could still see none and make it again.
std::string tableExists(const std::string& name) {
    return "EXISTS (SELECT 1 FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
           "WHERE n.nspname = current_schema() AND c.relname = '" +
           name + "')";
}

bool runAll(QSqlDatabase& db, const std::vector<std::string>& statements, std::string& why,
            const std::string& done = "SELECT false") {
    if (!db.transaction()) {
        why = errorOf(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    bool ok = exec(q, "SELECT pg_advisory_xact_lock(" + std::to_string(LabSchema::LayoutLock) + ")", why) &&
              exec(q, done, why) && q.next();
    const bool already = ok && q.value(0).toBool();
    for (const std::string& statement : already ? std::vector<std::string>{} : statements) {
        ok = ok && exec(q, statement, why);
    }
    if (!ok || !db.commit()) {
        why = why.empty() ? errorOf(db.lastError()) : why;
        db.rollback();
        return false;
    }
    return true;
}

QString arrayText(const std::vector<std::string>& items) {
    QStringList quoted;
    for (const std::string& item : items) {
        quoted << QLatin1Char('"') + QString::fromStdString(item) + QLatin1Char('"');
    }
    return QLatin1Char('{') + quoted.join(QLatin1Char(',')) + QLatin1Char('}');
}

// Months made ready and columns added through the layout's own function.
bool prepare(QSqlDatabase& db, const std::vector<std::string>& months, const std::vector<LabSchema::Column>& added,
             std::string& why) {
    std::vector<std::string> names, types;
    for (const LabSchema::Column& c : added) {
        names.push_back(c.name);
        types.push_back(LabSchema::sqlType(c.type));
    }
    QSqlQuery q(db);
    bool ok = q.prepare(QString::fromStdString(LabSchema::prepareCall()));
    q.bindValue(0, arrayText(months));
    q.bindValue(1, arrayText(names));
    q.bindValue(2, arrayText(types));
    q.bindValue(3, QString::fromStdString(programVersionOf()));
    if (!ok || !q.exec()) {
        why = errorOf(q.lastError());
        return false;
    }
    return true;
}

// The layout made (by an owner) when missing, upgraded from version 1, and
// given the columns this program has that it lacks.
bool readySchema(QSqlDatabase& db, std::string& why) {
    QSqlQuery q(db);
    if (!exec(q, "SET client_min_messages TO warning", why) || !exec(q, "SET TIME ZONE 'UTC'", why) ||
        !exec(q, "SELECT to_regclass('lab_schema') IS NOT NULL, to_regclass('passes') IS NOT NULL", why) || !q.next()) {
        return false;
    }
    const bool schemaTable = q.value(0).toBool(), passesTable = q.value(1).toBool();
    if (passesTable && !schemaTable) {
        why = "the database has a table passes but no lab_schema: it is not this program's";
        return false;
    }
    int version = 0;
    if (schemaTable) {
        if (!exec(q, "SELECT max(version) FROM lab_schema", why) || !q.next()) {
            return false;
        }
        version = q.value(0).toInt();
    }
    if (schemaTable && version != 1 && version != LabSchema::Version && (passesTable || version != 0)) {
        why = "the database's layout is version " + std::to_string(version) + "; this program writes version " +
              std::to_string(LabSchema::Version);
        return false;
    }
    const std::string program = programVersionOf();
    if (!passesTable && !runAll(db, LabSchema::createStatements(program), why, "SELECT " + tableExists("passes"))) {
        why = "no lab layout in the database, and this role cannot make it (" + why +
              "): run the program once as the database's owner";
        return false;
    }
    if (passesTable && version == 1) {
        // Version 1's table must be this program's before it is upgraded.
        for (const char* needed : {"pass_id", "date_and_time_iso_8601"}) {
            if (!exec(q,
                      std::string("SELECT 1 FROM information_schema.columns WHERE table_schema = current_schema() "
                                  "AND table_name = 'passes' AND column_name = '") +
                          needed + "'",
                      why)) {
                return false;
            }
            if (!q.next()) {
                why = std::string("the table passes has no column ") + needed + " (another layout)";
                return false;
            }
        }
        if (!runAll(db, LabSchema::upgradeStatements(program), why,
                    "SELECT NOT " + tableExists("passes_version_1") +
                        " AND max(version) = " + std::to_string(LabSchema::Version) + " FROM lab_schema")) {
            why = "the database's layout is version 1 and could not be upgraded (" + why +
                  "): run the program once as the database's owner";
            return false;
        }
    }
    // A layout 2 made before unit tests went up gets their table from an
    // owner; a writer's bench goes on without it (the unit tests say why).
    runAll(db, UnitTestUpload::createStatements(), why, "SELECT " + tableExists("unit_tests"));
    why.clear();
    if (!exec(q,
              "SELECT column_name FROM information_schema.columns WHERE table_name = 'passes' "
              "AND table_schema = current_schema()",
              why)) {
        return false;
    }
    std::set<std::string> present;
    while (q.next()) {
        present.insert(q.value(0).toString().toStdString());
    }
    std::vector<LabSchema::Column> missing;
    for (const LabSchema::Column& c : LabSchema::columns()) {
        if (present.count(c.name) == 0) {
            missing.push_back(c);
        }
    }
    return missing.empty() || prepare(db, {}, missing, why);
}

QVariant bound(const std::optional<std::string>& value) {
    return value ? QVariant(QString::fromStdString(*value)) : QVariant(QMetaType::fromType<QString>());
}

// The month a row's time falls in, in UTC: the partition it goes to.
std::string monthOf(const SpoolReader::Pass& p) {
    const auto& columns = LabSchema::columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].type == LabSchema::Type::Time && p.values[c]) {
            return QDateTime::fromString(QString::fromStdString(*p.values[c]), Qt::ISODate)
                .toUTC()
                .toString(QStringLiteral("yyyy-MM"))
                .toStdString();
        }
    }
    return {};
}

std::string passIdText(const SpoolReader::Pass& p) {
    const auto& columns = LabSchema::columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].type == LabSchema::Type::Uuid) {
            return p.values[c].value_or("");
        }
    }
    return {};
}

std::string benchOf(const SpoolReader::Pass& p) {
    const auto& columns = LabSchema::columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].title == RecordColumn::Bench.title()) {
            return p.values[c].value_or("");
        }
    }
    return {};
}

// A row that could not go up, and why.
bool insertPass(QSqlQuery& q, const SpoolReader::Pass& p, std::size_t& stored) {
    for (std::size_t c = 0; c < p.values.size(); ++c) {
        q.bindValue(static_cast<int>(c), bound(p.values[c]));
    }
    if (!q.exec()) {
        return false;
    }
    stored += q.numRowsAffected() > 0 ? 1 : 0; // none: the pass is there already
    return true;
}

bool insertSetAside(QSqlDatabase& db, const std::vector<SetAside>& rows, std::string& why) {
    QSqlQuery q(db);
    bool ok = rows.empty() || q.prepare(QString::fromStdString(LabSchema::setAsideStatement()));
    for (std::size_t i = 0; ok && i < rows.size(); ++i) {
        const SpoolReader::Pass& p = *rows[i].pass;
        q.bindValue(0, p.file);
        q.bindValue(1, p.line);
        q.bindValue(2, QString::fromStdString(passIdText(p)));
        q.bindValue(3, QString::fromStdString(rows[i].reason));
        q.bindValue(4, QString::fromStdString(benchOf(p)));
        q.bindValue(5, QString::fromStdString(p.text));
        ok = q.exec();
    }
    if (!ok) {
        why = errorOf(q.lastError());
    }
    return ok;
}

// The connection under Qt's driver, for the statements whose thousands of
// parameters Qt would bind one by one.
PGconn* connectionOf(QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    const QByteArray type = handle.isValid() ? QByteArray(handle.typeName()) : QByteArray();
    return type == "PGconn*" || type == "pg_conn*" ? *static_cast<PGconn* const*>(handle.constData()) : nullptr;
}

// The batch's rows a statement of many at a time (as many as the server's
// 65,535 parameters allow, at most 50): one round trip and one plan a chunk,
// the values handed to libpq as they stand in the record.
bool insertChunks(QSqlDatabase& db, const std::vector<const SpoolReader::Pass*>& good, std::size_t& stored,
                  std::string& why, bool& rowsFault) {
    PGconn* conn = connectionOf(db);
    if (conn == nullptr) {
        why = "the database driver gives no connection (" + std::string(db.driver()->handle().typeName()) + ")";
        return false;
    }
    const std::size_t columns = LabSchema::columns().size();
    const std::size_t most = std::max<std::size_t>(1, std::min<std::size_t>(50, 65535 / columns));
    std::vector<const char*> values;
    for (std::size_t first = 0; first < good.size(); first += most) {
        const std::size_t rows = std::min(most, good.size() - first);
        values.clear();
        for (std::size_t r = 0; r < rows; ++r) {
            for (const std::optional<std::string>& v : good[first + r]->values) {
                values.push_back(v ? v->c_str() : nullptr);
            }
        }
        const std::string sql = LabSchema::insertStatement(LabSchema::columns(), rows, true);
        PGresult* result = PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                                        nullptr, nullptr, 0);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (ok) {
            stored += static_cast<std::size_t>(std::atoll(PQcmdTuples(result)));
        } else {
            const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
            const std::string code = state != nullptr ? state : "";
            rowsFault = code.rfind("22", 0) == 0 || code.rfind("23", 0) == 0 || code.rfind("54", 0) == 0;
            why = oneLine(QString::fromUtf8(PQresultErrorMessage(result)));
            if (why.empty()) {
                why = oneLine(QString::fromUtf8(PQerrorMessage(conn)));
            }
        }
        PQclear(result);
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The batch in one transaction; a row the server refuses is found by going
// through the batch again a row at a time, each under a savepoint, and set
// aside with the server's reason. Rows that are no whole pass are set aside
// without being sent.
Sent send(QSqlDatabase& db, const std::vector<SpoolReader::Pass>& batch, std::set<std::string>& months,
          std::vector<SetAside>& setAside, std::size_t& stored, std::string& why) {
    std::vector<const SpoolReader::Pass*> good;
    std::vector<std::string> newMonths;
    for (const SpoolReader::Pass& p : batch) {
        if (!p.problem.empty()) {
            setAside.push_back({&p, p.problem});
        } else if (good.push_back(&p); months.insert(monthOf(p)).second) {
            newMonths.push_back(monthOf(p));
        }
    }
    if (!newMonths.empty() && !prepare(db, newMonths, {}, why)) {
        months.clear();
        return Sent::Outage;
    }
    for (const bool rowByRow : {false, true}) {
        if (!db.transaction()) {
            why = errorOf(db.lastError());
            return Sent::Outage;
        }
        QSqlQuery q(db);
        bool ok = true;
        std::vector<SetAside> refused;
        std::size_t storedNow = 0;
        QSqlQuery mark(db);
        bool chunkRowsFault = false;
        std::string chunkWhy;
        if (!rowByRow) {
            ok = insertChunks(db, good, storedNow, chunkWhy, chunkRowsFault);
        } else {
            ok = q.prepare(QString::fromStdString(LabSchema::insertStatement(LabSchema::columns())));
        }
        for (const SpoolReader::Pass* p : rowByRow ? good : std::vector<const SpoolReader::Pass*>{}) {
            if (!ok) {
                break;
            }
            if (rowByRow) {
                ok = mark.exec(QStringLiteral("SAVEPOINT pass"));
            }
            if (ok && !insertPass(q, *p, storedNow)) {
                if (!rowByRow || !isRowsFault(q.lastError())) {
                    ok = false;
                    break;
                }
                refused.push_back({p, "the server refused it: " + errorOf(q.lastError())});
                ok = mark.exec(QStringLiteral("ROLLBACK TO SAVEPOINT pass"));
            }
        }
        std::vector<SetAside> all = setAside;
        all.insert(all.end(), refused.begin(), refused.end());
        ok = ok && insertSetAside(db, all, why) && q.exec(QStringLiteral("NOTIFY passes"));
        if (ok && db.commit()) {
            setAside = std::move(all);
            stored = storedNow;
            return Sent::Done;
        }
        const QSqlError error = q.lastError().isValid() ? q.lastError() : db.lastError();
        why = !why.empty() ? why : !chunkWhy.empty() ? chunkWhy : errorOf(error);
        db.rollback();
        const bool rowsFault = chunkWhy.empty() ? isRowsFault(error) : chunkRowsFault;
        if (rowByRow || !rowsFault) {
            return Sent::Outage;
        }
        why.clear(); // a row of the batch: find it
    }
    return Sent::Outage;
}

} // namespace batch_sending
