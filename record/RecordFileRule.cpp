#include "RecordFileRule.h"

#include "RecordLayout.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// A part known on one side only is taken as the same.
bool same(std::uint64_t a, std::uint64_t b) {
    return a == 0 || b == 0 || a == b;
}

} // namespace

QStringList numberedRecordFiles(const QString& folder) {
    std::vector<std::pair<int, QString>> numbered;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("results*.csv")}, QDir::Files)) {
        if (const int n = numberOfFile(name.toStdString(), RecordFileName); n > 0) {
            numbered.emplace_back(n, name);
        }
    }
    std::sort(numbered.begin(), numbered.end());
    QStringList names;
    for (const auto& [n, name] : numbered) {
        names << name;
    }
    return names;
}

std::optional<FileIdentity> fileIdentityOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return std::nullopt;
    }
    return identityOf(st);
}

std::optional<FileIdentity> fileIdentityOfOpen(int descriptor) {
    struct stat st {};
    if (::fstat(descriptor, &st) != 0) {
        return std::nullopt;
    }
    return identityOf(st);
}

bool readAnew(const std::optional<FileIdentity>& readBefore, std::int64_t readUpTo,
              const std::optional<FileIdentity>& now, std::int64_t size) {
    if (!now) {
        return true; // removed, or not to be read
    }
    if (!readBefore) {
        return false; // nothing read that could stand or fall
    }
    return size < readUpTo || !same(readBefore->device, now->device) || !same(readBefore->inode, now->inode);
}
