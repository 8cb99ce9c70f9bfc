#include "SentList.h"

#include <QFile>

namespace SentList {

std::set<std::string> keys(const QString& folder, const char* file) {
    std::set<std::string> found;
    QFile f(folder + QLatin1Char('/') + QLatin1String(file));
    if (f.open(QIODevice::ReadOnly)) {
        f.readLine(); // the header
        while (!f.atEnd()) {
            found.insert(QString::fromUtf8(f.readLine()).section(QLatin1Char(','), 0, 0).trimmed().toStdString());
        }
    }
    return found;
}

void note(const QString& folder, const char* file, const char* header, const std::string& key,
          const std::string& outcome) {
    QFile f(folder + QLatin1Char('/') + QLatin1String(file));
    const bool fresh = !f.exists();
    if (f.open(QIODevice::Append)) {
        if (fresh) {
            f.write(QByteArray(header) + "\r\n");
        }
        QString text = QString::fromStdString(outcome);
        f.write((QString::fromStdString(key) + QStringLiteral(",\"") +
                 text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QStringLiteral("\"\r\n"))
                    .toUtf8());
    }
}

} // namespace SentList
