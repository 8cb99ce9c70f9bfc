#include "UnitTestUpload.h"

#include "LabSchema.h"
#include "SentList.h"
#include "UnitTestsFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace UnitTestUpload {

namespace {

const char* const Header = "unit test,outcome";

std::string keyOf(const UnitTestRow& r) {
    return r.id + "/" + r.ended;
}

const char* typeOf(const std::string& column) {
    return column == "unit test id"                   ? "uuid"
           : column == "started" || column == "ended" ? "timestamptz"
           : column == "attempt"                      ? "integer"
                                                      : "text";
}

std::vector<UnitTestRow> notDealtWith(const QString& folder) {
    const auto done = SentList::keys(folder, SentFile);
    std::vector<UnitTestRow> rows;
    for (UnitTestRow& r : UnitTestsFile::read({folder.toStdString()})) {
        if (done.count(keyOf(r)) == 0) {
            rows.push_back(std::move(r));
        }
    }
    return rows;
}

std::string insertStatement() {
    std::string names, values;
    for (const std::string& c : UnitTestsFile::columns()) {
        names += LabSchema::sqlName(c) + ", ";
        values += std::string("CAST(? AS ") + typeOf(c) + "), ";
    }
    return "INSERT INTO unit_tests (" + names + "document) VALUES (" + values +
           "CAST(? AS jsonb)) ON CONFLICT DO NOTHING";
}

// A field as the column takes it: an empty time or number is none.
QVariant bound(const UnitTestRow& r, const std::string& column) {
    const auto i = r.fields.find(column);
    if (i == r.fields.end() || (i->second.empty() && std::string(typeOf(column)) != "text")) {
        return QVariant(QMetaType::fromType<QString>());
    }
    return QString::fromStdString(i->second);
}

QString documentOf(const UnitTestRow& r) {
    QJsonObject o;
    for (const auto& [column, value] : r.fields) {
        o.insert(QString::fromStdString(column), QString::fromStdString(value));
    }
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

// Why nothing more goes up now (tried again later).
std::string outageOf(const QSqlError& e) {
    if (e.nativeErrorCode() == QLatin1String("42P01")) {
        return "the lab's layout has no table unit_tests (made by an older program): run the program once as the "
               "database's owner";
    }
    return e.text().simplified().toStdString();
}

void tell(const QString& folder, const UnitTestRow& r, const std::string& outcome, std::vector<std::string>& said) {
    SentList::note(folder, SentFile, Header, keyOf(r), outcome);
    said.push_back("DATABASE unit test " + r.id + " (" + r.unit + ") " + outcome);
}

} // namespace

std::size_t waiting(const QString& folder) {
    return notDealtWith(folder).size();
}

std::string fileState(const QString& folder) {
    const QFileInfo file(folder + QLatin1Char('/') + QLatin1String(UnitTestsFile::Name));
    return file.exists() ? std::to_string(file.size()) + " " + std::to_string(file.lastModified().toMSecsSinceEpoch())
                         : std::string("none");
}

std::vector<std::string> createStatements() {
    std::string columns;
    for (const std::string& c : UnitTestsFile::columns()) {
        columns +=
            LabSchema::sqlName(c) + " " + typeOf(c) + (c == "unit test id" || c == "ended" ? " NOT NULL" : "") + ", ";
    }
    return {"CREATE TABLE unit_tests (" + columns +
                "document jsonb NOT NULL, uploaded_at timestamptz NOT NULL DEFAULT now(), "
                "PRIMARY KEY (unit_test_id, ended))",
            "CREATE INDEX unit_tests_by_lot ON unit_tests (lot, plan)"};
}

bool sendNew(QSqlDatabase& db, const QString& folder, std::vector<std::string>& said, std::string& why) {
    QSqlQuery q(db);
    bool prepared = false;
    for (const UnitTestRow& r : notDealtWith(folder)) {
        if (QUuid::fromString(QString::fromStdString(r.id)).isNull()) {
            tell(folder, r, "set aside: its unit test id is not a UUID", said);
            continue;
        }
        if (!prepared && !q.prepare(QString::fromStdString(insertStatement()))) {
            why = outageOf(q.lastError());
            return false;
        }
        prepared = true;
        for (const std::string& c : UnitTestsFile::columns()) {
            q.addBindValue(bound(r, c));
        }
        q.addBindValue(documentOf(r));
        if (!q.exec()) {
            const QString state = q.lastError().nativeErrorCode();
            if (state.startsWith(QStringLiteral("22")) || state.startsWith(QStringLiteral("23"))) {
                // The server's first line says why; the rest repeats the statement.
                const QString reason = q.lastError().databaseText().section(QLatin1Char('\n'), 0, 0).simplified();
                tell(folder, r, "set aside: " + reason.toStdString(), said);
                continue;
            }
            why = outageOf(q.lastError());
            return false;
        }
        tell(folder, r, "stored", said);
    }
    return true;
}

} // namespace UnitTestUpload
