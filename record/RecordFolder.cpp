#include "RecordFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string failed(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// The whole buffer, however the kernel splits it.
bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A new name in a folder lasts a power cut only once the folder is synced.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::optional<std::string> RecordFolder::makeFolder() const {
    std::string made;
    std::size_t at = 0;
    while (at != std::string::npos) {
        at = path_.find('/', at + 1);
        made = path_.substr(0, at);
        if (!made.empty() && ::mkdir(made.c_str(), 0777) != 0 && errno != EEXIST) {
            return failed("cannot make the folder", made);
        }
    }
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) {
        return failed("cannot find the folder", path_);
    }
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return failed("cannot use the folder", path_);
    }
    return std::nullopt;
}

std::optional<std::string> RecordFolder::appendLine(const std::string& file, const std::string& header,
                                                    const std::string& line) const {
    if (auto problem = makeFolder()) {
        return problem;
    }
    const std::string path = pathOf(file);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return failed("cannot open", path);
    }
    struct stat info {};
    const bool fresh = ::fstat(fd, &info) == 0 && info.st_size == 0;
    const bool written = writeAll(fd, fresh ? header + line : line) && ::fsync(fd) == 0;
    const std::optional<std::string> problem =
        written ? std::nullopt : std::optional<std::string>(failed("cannot write", path));
    ::close(fd);
    if (written && fresh) {
        syncFolder(path_);
    }
    return problem;
}

std::optional<std::string> RecordFolder::writeNewFile(const std::string& file,
                                                      const std::string& bytes) const {
    if (auto problem = makeFolder()) {
        return problem;
    }
    const auto dot = file.rfind('.');
    std::string path = pathOf(file);
    int fd = -1;
    for (int n = 2; n < 1000; ++n) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            break;
        }
        path = pathOf(file.substr(0, dot) + "-" + std::to_string(n) + file.substr(dot));
    }
    if (fd < 0) {
        return failed("cannot make", path);
    }
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const std::optional<std::string> problem =
        written ? std::nullopt : std::optional<std::string>(failed("cannot write", path));
    ::close(fd);
    if (written) {
        syncFolder(path_);
    } else {
        ::unlink(path.c_str()); // no half picture left behind
    }
    return problem;
}
