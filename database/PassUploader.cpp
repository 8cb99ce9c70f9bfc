#include "PassUploader.h"

#include "BatchSending.h"
#include "CharacterisationUpload.h"
#include "Counted.h"
#include "LabConnection.h"
#include "LabSchema.h"
#include "RecordLayout.h"
#include "SpoolReader.h"
#include "UnitTestUpload.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

using namespace batch_sending;

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
    // Whether characterisations or unit tests wait beside the passes. The
    // unit tests' file is read again only once it changed after none of its
    // rows waited: an idle poll does not read it twice a second.
    bool besideWaiting();
    std::string unitTestsDone;
    // Every pass up: the characterisations and unit tests kept beside them
    // too; a fault said once, and tried again at the next poll.
    void sendBeside(QSqlDatabase& db, bool& ready, std::set<std::string>& months);
    std::string lastBesideFault;
    // Each row set aside, said once and kept beside the record.
    void keepSetAside(const std::vector<SetAside>& rows);
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

bool PassUploader::State::besideWaiting() {
    if (CharacterisationUpload::waiting(folder) != 0) {
        return true;
    }
    const std::string now = UnitTestUpload::fileState(folder);
    if (now == unitTestsDone) {
        return false;
    }
    if (UnitTestUpload::waiting(folder) != 0) {
        return true;
    }
    unitTestsDone = now;
    return false;
}

void PassUploader::State::sendBeside(QSqlDatabase& db, bool& ready, std::set<std::string>& months) {
    std::vector<std::string> said;
    std::string why;
    if (!ready) {
        months.clear();
        ready = open(db, why) && readySchema(db, why);
    }
    if (!ready || !CharacterisationUpload::sendNew(db, folder, said, why) ||
        !UnitTestUpload::sendNew(db, folder, said, why)) {
        ready = false;
        if (why != lastBesideFault) {
            said.push_back("DATABASE not sent beside the passes: " + why);
            lastBesideFault = why;
        }
    }
    for (std::string& line : said) {
        event(std::move(line));
    }
}

void PassUploader::State::run() {
    const QString name = QStringLiteral("lab-%1").arg(reinterpret_cast<quintptr>(this));
    SpoolReader spool(folder);
    bool outage = false;
    std::size_t sinceOutage = 0;
    std::set<std::string> months; // made ready on this connection
    {
        QSqlDatabase db = addLabConnection(target, name);
        bool ready = false;
        for (;;) {
            const std::vector<SpoolReader::Pass> batch = spool.next(Batch);
            if (batch.empty() && besideWaiting()) {
                sendBeside(db, ready, months);
            }
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
                months.clear();
                ready = open(db, why) && readySchema(db, why);
            }
            std::vector<SetAside> setAside;
            std::size_t up = 0;
            if (ready && send(db, batch, months, setAside, up, why) == Sent::Done) {
                keepSetAside(setAside);
                spool.uploaded(batch.back());
                uploaded += up;
                sinceOutage += outage ? up : 0;
                if (pastDeadline()) {
                    break;
                }
                continue;
            }
            ready = false;
            if (!outage) {
                outage = true;
                sinceOutage = 0;
                event("DATABASE Failed: " + why + " (" +
                      counted(static_cast<long long>(spool.waiting()), "pass", "passes") + " waiting)");
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

void PassUploader::State::keepSetAside(const std::vector<SetAside>& rows) {
    if (rows.empty()) {
        return;
    }
    QFile file(folder + QStringLiteral("/") + QString::fromLatin1(SetAsideFile));
    const bool fresh = !file.exists();
    if (file.open(QIODevice::Append)) {
        if (fresh) {
            file.write("file,line,pass id,reason,row\r\n");
        }
        for (const SetAside& r : rows) {
            const auto field = [](const std::string& text) {
                QString t = QString::fromStdString(text);
                return QLatin1Char('"') + t.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
            };
            const QString line = field(r.pass->file.toStdString()) + QLatin1Char(',') + QString::number(r.pass->line) +
                                 QLatin1Char(',') + field(passIdText(*r.pass)) + QLatin1Char(',') + field(r.reason) +
                                 QLatin1Char(',') + field(r.pass->text) + QStringLiteral("\r\n");
            file.write(line.toUtf8());
        }
    }
    for (const SetAside& r : rows) {
        event("DATABASE 1 row set aside: " + r.pass->file.toStdString() + " line " + std::to_string(r.pass->line) +
              ": " + r.reason);
    }
}

PassUploader::PassUploader(DatabaseTarget target, QString folder) : state_(std::make_shared<State>()) {
    state_->target = std::move(target);
    state_->folder = std::move(folder);
    state_->thread = std::thread([s = state_] { s->run(); });
}

PassUploader::~PassUploader() {
    finish(std::chrono::milliseconds(0));
}

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

std::size_t PassUploader::uploadedCount() const {
    return state_->uploaded;
}
