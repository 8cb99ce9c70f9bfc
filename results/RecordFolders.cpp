#include "RecordFolders.h"

#include "RecordLayout.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>

void RecordFolders::findFiles() {
    for (const QString& folder : folders_) {
        const QDir dir(folder);
        // Unreadable files too: the status line says why they give no rows.
        QStringList names = dir.entryList({QStringLiteral("results*.csv")}, QDir::Files, QDir::Name);
        // results.csv, results-2.csv, ..., results-10.csv: the order they were made in.
        const auto number = [](const QString& name) {
            const int n = numberOfFile(name.toStdString(), RecordFileName);
            return n > 0 ? n : INT_MAX;
        };
        std::stable_sort(names.begin(), names.end(),
                         [&number](const QString& a, const QString& b) { return number(a) < number(b); });
        for (const QString& name : names) {
            const QString path = dir.filePath(name);
            const bool known =
                std::any_of(files_.begin(), files_.end(), [&path](const auto& f) { return f->path() == path; });
            if (!known) {
                files_.push_back(std::make_unique<RecordFileReader>(path, static_cast<int>(files_.size())));
            }
        }
    }
}

bool RecordFolders::readMore(std::vector<ResultRow>& rows, qint64 maxBytes) {
    findFiles();
    restarted_.clear();
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const bool more = files_[i]->readMore(rows, maxBytes);
        if (files_[i]->restarted()) {
            restarted_.push_back(static_cast<int>(i));
        }
        if (more) {
            return true; // this file first, the next ones on the next call
        }
    }
    return false;
}

QStringList RecordFolders::filePaths() const {
    QStringList paths;
    for (const auto& file : files_) {
        if (!file->gone()) {
            paths << file->path();
        }
    }
    return paths;
}

QString RecordFolders::fileName(int file) const {
    if (file < 0 || file >= static_cast<int>(files_.size())) {
        return {};
    }
    const QFileInfo info(files_[static_cast<std::size_t>(file)]->path());
    return folders_.size() > 1 ? info.dir().dirName() + QLatin1Char('/') + info.fileName() : info.fileName();
}

QString RecordFolders::folderName(int file) const {
    if (file < 0 || file >= static_cast<int>(files_.size())) {
        return {};
    }
    return QFileInfo(files_[static_cast<std::size_t>(file)]->path()).dir().dirName();
}

qint64 RecordFolders::unreadCount() const {
    qint64 count = 0;
    for (const auto& file : files_) {
        count += file->unreadCount();
    }
    return count;
}

namespace {

// "17", "17 and 40", "3, 4 and 9"
QString numbers(const std::vector<qint64>& lines) {
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString sep = i == 0 ? QString() : i + 1 == lines.size() ? QStringLiteral(" and ") : QStringLiteral(", ");
        text += sep + QString::number(lines[i]);
    }
    return text;
}

} // namespace

QStringList RecordFolders::notes() const {
    QStringList notes;
    for (const QString& folder : folders_) {
        const QFileInfo info(folder);
        if (!info.exists()) {
            notes << QStringLiteral("%1: folder not found").arg(folder);
        } else if (!info.isDir()) {
            notes << QStringLiteral("%1 is not a folder").arg(folder);
        } else if (!info.isReadable() || !info.isExecutable()) {
            notes << QStringLiteral("cannot read %1: permission denied").arg(folder);
        }
    }
    for (std::size_t f = 0; f < files_.size(); ++f) {
        const RecordFileReader& file = *files_[f];
        if (file.gone()) {
            continue;
        }
        const QString name = fileName(static_cast<int>(f));
        if (const QString trouble = file.trouble(name); !trouble.isEmpty()) {
            notes << trouble;
        } else if (file.rowWaiting()) {
            notes << QStringLiteral("%1: last row not finished yet").arg(name);
        }
    }
    return notes;
}

QString RecordFolders::unreadSummary() const {
    const qint64 count = unreadCount();
    if (count == 0) {
        return {};
    }
    QStringList places;
    qint64 named = 0;
    for (std::size_t f = 0; f < files_.size(); ++f) {
        const auto& lines = files_[f]->unreadLines();
        if (!lines.empty()) {
            places << fileName(static_cast<int>(f)) +
                          (lines.size() == 1 ? QStringLiteral(" line ") : QStringLiteral(" lines ")) + numbers(lines);
            named += static_cast<qint64>(lines.size());
        }
    }
    QString text =
        QStringLiteral("%1 %2 not read: %3")
            .arg(count)
            .arg(count == 1 ? QStringLiteral("row") : QStringLiteral("rows"), places.join(QStringLiteral(", ")));
    if (named < count) {
        text += QStringLiteral(" and %1 more").arg(count - named);
    }
    return text;
}

qint64 RecordFolders::bytesRead() const {
    qint64 total = 0;
    for (const auto& file : files_) {
        total += file->bytesRead();
    }
    return total;
}

qint64 RecordFolders::bytesLeft() const {
    qint64 total = 0;
    for (const auto& file : files_) {
        total += file->bytesLeft();
    }
    return total;
}
