#include "LabConnection.h"

QSqlDatabase addLabConnection(const DatabaseTarget& t, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!db.isValid()) {
        return db;
    }
    db.setHostName(QString::fromStdString(t.host));
    bool numeric = false;
    const int port = QString::fromStdString(t.port).toInt(&numeric);
    std::string options = t.options;
    if (numeric) {
        db.setPort(port);
    } else if (!t.port.empty()) {
        options += ";port=" + t.port; // a list of ports, one a host
    }
    db.setDatabaseName(QString::fromStdString(t.dbname));
    db.setUserName(QString::fromStdString(t.user));
    db.setConnectOptions(QString::fromStdString(options));
    return db;
}
