#include "PassUploader.h"

#include "Counted.h"

#include "LabConnection.h"
#include "LabSchema.h"
#include "SpoolReader.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace {

// Chosen once: the lock that keeps two benches from creating the tables at once.
constexpr qint64 SchemaLock = 7268001;

std::string oneLine(QString text) { return text.simplified().toStdString(); }

std::string errorOf(const QSqlError& e) {
    const QString text = e.databaseText().isEmpty() ? e.driverText() : e.databaseText();
    return oneLine(text.isEmpty() ? QStringLiteral("no answer") : text);
}

} // namespace

struct PassUploader::State {
    DatabaseTarget target;
    QString folder;
    std::mutex mutex;
    std::condition_variable wake;
    bool nudged = false;
    bool finishing = false;
    std::chrono::steady_clock::time_point deadline;
    bool done = false;
    std::vector<std::string> events;
    std::atomic<std::size_t> uploaded{0};
    std::thread thread;

    void run();
    void event(std::string line) {
        std::lock_guard lock(mutex);
        events.push_back(std::move(line));
    }
    // Waits for a nudge, the end, or `wait`; false once it is time to stop.
    bool pause(std::chrono::milliseconds wait, bool drained) {
        std::unique_lock lock(mutex);
        if (finishing && (drained || std::chrono::steady_clock::now() >= deadline)) {
            return false;
        }
        const auto until = std::chrono::steady_clock::now() + wait;
        wake.wait_until(lock, finishing ? std::min(until, deadline) : until, [this] { return nudged || finishing; });
        nudged = false;
        return true;
    }
    bool pastDeadline() {
        std::lock_guard lock(mutex);
        return finishing && std::chrono::steady_clock::now() >= deadline;
    }
};

namespace {

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

// The version checked, the tables made when missing, the columns checked.
bool readySchema(QSqlDatabase& db, std::string& why) {
    QSqlQuery q(db);
    if (!exec(q, "SET client_min_messages TO warning", why) ||
        !exec(q, "SELECT to_regclass('lab_schema') IS NOT NULL, to_regclass('passes') IS NOT NULL", why) ||
        !q.next()) {
        return false;
    }
    const bool schemaTable = q.value(0).toBool(), passesTable = q.value(1).toBool();
    if (passesTable && !schemaTable) {
        why = "the database has a table passes but no lab_schema: it is not this program's";
        return false;
    }
    const auto versionIsOurs = [&] {
        if (!exec(q, "SELECT min(version), max(version) FROM lab_schema", why) || !q.next()) {
            return false;
        }
        if (q.value(0).toInt() != LabSchema::Version || q.value(1).toInt() != LabSchema::Version) {
            why = "the database's schema is version " + q.value(1).toString().toStdString() +
                  "; this program writes version " + std::to_string(LabSchema::Version);
            return false;
        }
        return true;
    };
    if (schemaTable && !versionIsOurs()) {
        return false;
    }
    if (!passesTable) {
        if (!db.transaction()) {
            why = errorOf(db.lastError());
            return false;
        }
        bool ok = exec(q, "SELECT pg_advisory_xact_lock(" + std::to_string(SchemaLock) + ")", why);
        for (const std::string& statement : LabSchema::createStatements()) {
            ok = ok && exec(q, statement, why);
        }
        if (!ok || !db.commit()) {
            why = why.empty() ? errorOf(db.lastError()) : why;
            db.rollback();
            return false;
        }
        if (!versionIsOurs()) {
            return false;
        }
    }
    if (!exec(q, "SELECT column_name FROM information_schema.columns WHERE table_name = 'passes' "
                 "AND table_schema = current_schema()", why)) {
        return false;
    }
    std::set<std::string> present;
    while (q.next()) {
        present.insert(q.value(0).toString().toStdString());
    }
    for (const LabSchema::Column& c : LabSchema::columns()) {
        if (present.count(c.name) == 0) {
            why = "the table passes has no column " + c.name + " (another layout)";
            return false;
        }
    }
    return true;
}

QVariant bound(const std::optional<std::string>& value) {
    return value ? QVariant(QString::fromStdString(*value)) : QVariant(QMetaType::fromType<QString>());
}

bool insert(QSqlDatabase& db, const std::vector<SpoolReader::Pass>& batch, std::string& why) {
    if (!db.transaction()) {
        why = errorOf(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    bool ok = q.prepare(QString::fromStdString(LabSchema::insertStatement()));
    for (std::size_t i = 0; ok && i < batch.size(); ++i) {
        for (std::size_t c = 0; c < batch[i].values.size(); ++c) {
            q.bindValue(static_cast<int>(c), bound(batch[i].values[c]));
        }
        ok = q.exec();
    }
    ok = ok && q.exec(QStringLiteral("NOTIFY passes"));
    if (!ok) {
        why = errorOf(q.lastError());
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        why = errorOf(db.lastError());
        return false;
    }
    return true;
}

} // namespace

void PassUploader::State::run() {
    const QString name = QStringLiteral("lab-%1").arg(reinterpret_cast<quintptr>(this));
    SpoolReader spool(folder);
    bool outage = false;
    std::size_t sinceOutage = 0;
    {
        QSqlDatabase db = addLabConnection(target, name);
        bool ready = false;
        for (;;) {
            const std::vector<SpoolReader::Pass> batch = spool.next(Batch);
            if (batch.empty()) {
                if (outage) {
                    event("DATABASE " + counted(static_cast<long long>(sinceOutage), "pass", "passes") + " uploaded");
                    outage = false;
                }
                if (!pause(Poll, true)) {
                    break;
                }
                continue;
            }
            std::string why;
            if (!ready) {
                ready = open(db, why) && readySchema(db, why);
            }
            if (ready && insert(db, batch, why)) {
                spool.uploaded(batch.back());
                uploaded += batch.size();
                sinceOutage += outage ? batch.size() : 0;
                if (pastDeadline()) {
                    break;
                }
                continue;
            }
            ready = false;
            if (!outage) {
                outage = true;
                sinceOutage = 0;
                event("DATABASE Failed: " + why + " (" + counted(static_cast<long long>(spool.waiting()), "pass", "passes") + " waiting)");
            }
            if (!pause(Retry, false)) {
                break;
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    std::lock_guard lock(mutex);
    done = true;
    wake.notify_all();
}

PassUploader::PassUploader(DatabaseTarget target, QString folder) : state_(std::make_shared<State>()) {
    state_->target = std::move(target);
    state_->folder = std::move(folder);
    state_->thread = std::thread([s = state_] { s->run(); });
}

PassUploader::~PassUploader() { finish(std::chrono::milliseconds(0)); }

void PassUploader::nudge() {
    std::lock_guard lock(state_->mutex);
    state_->nudged = true;
    state_->wake.notify_all();
}

void PassUploader::finish(std::chrono::milliseconds limit) {
    std::unique_lock lock(state_->mutex);
    if (!state_->thread.joinable()) {
        return;
    }
    if (!state_->finishing) {
        state_->finishing = true;
        state_->deadline = std::chrono::steady_clock::now() + limit;
    }
    state_->wake.notify_all();
    // A connection may still be waiting on a server that does not answer:
    // it is given its connect timeout, then left to end with the process.
    const bool ended = state_->wake.wait_for(lock, limit + std::chrono::seconds(DatabaseConnectSeconds + 1),
                                             [this] { return state_->done; });
    lock.unlock();
    if (ended) {
        state_->thread.join();
    } else {
        state_->thread.detach();
    }
}

std::vector<std::string> PassUploader::events() {
    std::lock_guard lock(state_->mutex);
    return std::exchange(state_->events, {});
}

std::size_t PassUploader::uploadedCount() const { return state_->uploaded; }
