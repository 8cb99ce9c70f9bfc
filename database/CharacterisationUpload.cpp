#include "CharacterisationUpload.h"

#include "SentList.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace CharacterisationUpload {

namespace {

void note(const QString& folder, const QString& id, const QString& what) {
    SentList::note(folder, SentFile, "characterisation id,outcome", id.toStdString(), what.toStdString());
}

QStringList notDealtWith(const QString& folder) {
    const std::set<std::string> done = SentList::keys(folder, SentFile);
    QStringList names;
    for (const QString& name :
         QDir(folder).entryList({QStringLiteral("characterisation-*.json")}, QDir::Files, QDir::Name)) {
        if (done.count(name.mid(17, name.size() - 17 - 5).toStdString()) == 0) {
            names << name;
        }
    }
    return names;
}

} // namespace

std::size_t waiting(const QString& folder) {
    return static_cast<std::size_t>(notDealtWith(folder).size());
}

std::string createTable() {
    return "CREATE TABLE characterisations (characterisation_id uuid PRIMARY KEY, bench text, started timestamptz, "
           "plan_name text, transformer text, program_version text, document jsonb NOT NULL, "
           "uploaded_at timestamptz NOT NULL DEFAULT now())";
}

bool sendNew(QSqlDatabase& db, const QString& folder, std::vector<std::string>& said, std::string& why) {
    for (const QString& name : notDealtWith(folder)) {
        const QString id = name.mid(17, name.size() - 17 - 5);
        QFile f(folder + QLatin1Char('/') + name);
        if (!f.open(QIODevice::ReadOnly)) {
            continue; // being written, or not ours to read: tried again
        }
        const QByteArray bytes = f.read(16 << 20);
        const QJsonDocument d = QJsonDocument::fromJson(bytes);
        const QJsonObject o = d.object();
        if (!d.isObject() || QUuid::fromString(id).isNull() || o.value("characterisation id").toString() != id) {
            note(folder, id, QStringLiteral("set aside: not a characterisation file"));
            said.push_back("DATABASE characterisation " + id.toStdString() + " set aside: not a characterisation file");
            continue;
        }
        const QJsonObject plan = o.value("plan").toObject();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO characterisations (characterisation_id, bench, started, plan_name, "
                                 "transformer, program_version, document) VALUES (?, ?, ?, ?, ?, ?, ?::jsonb) "
                                 "ON CONFLICT DO NOTHING"));
        q.addBindValue(id);
        q.addBindValue(o.value("bench").toString());
        q.addBindValue(o.value("started").toString());
        q.addBindValue(plan.value("name").toString());
        q.addBindValue(plan.value("transformer").toString());
        q.addBindValue(o.value("program version").toString());
        q.addBindValue(QString::fromUtf8(bytes));
        if (!q.exec()) {
            const QString state = q.lastError().nativeErrorCode();
            if (state.startsWith(QStringLiteral("22")) || state.startsWith(QStringLiteral("23"))) {
                const QString reason = q.lastError().databaseText().simplified();
                note(folder, id, QStringLiteral("set aside: ") + reason);
                said.push_back("DATABASE characterisation " + id.toStdString() + " set aside: " + reason.toStdString());
                continue;
            }
            why = q.lastError().text().simplified().toStdString();
            return false;
        }
        note(folder, id, QStringLiteral("stored"));
        said.push_back("DATABASE characterisation " + id.toStdString() + " stored");
    }
    return true;
}

} // namespace CharacterisationUpload
