#include "RecordFileRule.h"

#include <QFile>
#include <sys/stat.h>

namespace {

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// A part known on one side only is taken as the same.
bool same(std::uint64_t a, std::uint64_t b) {
    return a == 0 || b == 0 || a == b;
}

} // namespace

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
