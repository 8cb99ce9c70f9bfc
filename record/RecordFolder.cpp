#include "RecordFolder.h"

#include <algorithm>
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

// A results file opened for appending and locked against other writers
// (an advisory lock of the open file, which other programs that lock it
// respect). A name that stands for no plain file is to be passed over.
struct LockedFile {
    explicit LockedFile(const std::string& path) {
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EISDIR) {
                skip = "is a folder";
            } else {
                problem = failed("cannot open", path);
            }
            return;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            skip = "is no plain file";
            return;
        }
        problem = lock(path);
    }
    ~LockedFile() {
        if (fd >= 0) {
            ::close(fd); // releases the lock
        }
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // Waits a while for another writer's lock, never for ever.
    std::optional<std::string> lock(const std::string& path) const {
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        for (int waited = 0; waited < RecordFolder::LockWaitMs; waited += 10) {
            if (RecordFolder::durability().lockFile(fd, &whole) == 0) {
                return std::nullopt;
            }
            if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
                return failed("cannot lock", path);
            }
            ::usleep(10000);
        }
        return "another program holds the lock of " + path;
    }

    int fd = -1;
    std::optional<std::string> skip;
    std::optional<std::string> problem;
};

// What the end and the start of a locked file say about appending to it.
struct Tail {
    bool empty = false;       // new: the header goes first
    bool otherLayout = false; // another header, or none: not this program's file
    bool cutOff = false;      // the last row has no line end
    bool openQuote = false;   // ... and was cut inside a quoted field
};

// Rows have no line ends inside them: the last line is the cut-off row. Its
// quotes are counted over its last 64 KiB at most.
bool endsInsideQuotes(int fd, off_t size) {
    constexpr off_t Window = 64 * 1024;
    const off_t from = size > Window ? size - Window : 0;
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    if (::pread(fd, tail.data(), tail.size(), from) != static_cast<ssize_t>(tail.size())) {
        return false;
    }
    const auto lineStart = tail.rfind('\n');
    const std::size_t start = lineStart == std::string::npos ? 0 : lineStart + 1;
    return std::count(tail.begin() + static_cast<std::ptrdiff_t>(start), tail.end(), '"') % 2 == 1;
}

Tail readTail(int fd, const std::string& header) {
    Tail tail;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size == 0) {
        tail.empty = true;
        return tail;
    }
    std::string start(header.size(), '\0');
    const ssize_t got = ::pread(fd, start.data(), start.size(), 0);
    if (got != static_cast<ssize_t>(header.size()) || start != header) {
        tail.otherLayout = true;
        return tail;
    }
    char last = '\n';
    tail.cutOff = ::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n';
    tail.openQuote = tail.cutOff && endsInsideQuotes(fd, info.st_size);
    return tail;
}

} // namespace

RecordFolder::Durability& RecordFolder::durability() {
    static Durability calls{
        [](int fd, void* lock) { return ::fcntl(fd, F_OFD_SETLK, static_cast<struct flock*>(lock)); },
        [](int fd) { return ::fsync(fd); }};
    return calls;
}

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

RecordFolder::Appended RecordFolder::appendLines(const std::string& file, const std::string& header,
                                                 const std::deque<std::string>& lines) {
    Appended done;
    if (auto problem = makeFolder()) {
        done.problem = problem;
        return done;
    }
    std::string passedOver; // why earlier names were not used
    for (; fileNumber_ <= MaxFiles; ++fileNumber_) {
        const std::string name = numberedFileName(file, fileNumber_);
        const std::string path = pathOf(name);
        LockedFile locked(path);
        if (locked.skip) {
            passedOver += (passedOver.empty() ? "" : ", ") + name + " " + *locked.skip;
            continue;
        }
        if (locked.problem) {
            done.problem = locked.problem;
            return done;
        }
        const Tail tail = readTail(locked.fd, header);
        if (tail.otherLayout) {
            passedOver += (passedOver.empty() ? "" : ", ") + name + " has other columns";
            continue;
        }
        // A cut-off row is ended, a quoted field in it closed first, so that
        // it stands on a line of its own for every reader.
        std::string bytes =
            (tail.empty ? header : std::string()) + (tail.openQuote ? "\"" : "") + (tail.cutOff ? "\r\n" : "");
        for (const std::string& line : lines) {
            bytes += line;
        }
        if (!writeAll(locked.fd, bytes) || durability().syncFile(locked.fd) != 0) {
            done.problem = failed("cannot write", path);
        } else if (tail.empty) {
            syncFolder(path_);
        }
        if (tail.cutOff) {
            done.notices.push_back("RECORD: ended a cut-off last row of " + name);
        }
        if (fileNumber_ > 1 && !announced_) {
            announced_ = true;
            done.notices.push_back("RECORD: rows go to " + name + (passedOver.empty() ? "" : " (" + passedOver + ")"));
        }
        return done;
    }
    done.problem = "no file of this program's columns can be made in " + path_ + " (" +
                   numberedFileName(file, MaxFiles) + " is taken)";
    fileNumber_ = 1; // look again next time: files may have gone
    return done;
}

std::optional<std::string> RecordFolder::writeNewFile(const std::string& file, const std::string& bytes,
                                                      std::string* written) const {
    if (auto problem = makeFolder()) {
        return problem;
    }
    std::string path = pathOf(file);
    int fd = -1;
    for (int n = 2; n < 1000; ++n) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            break;
        }
        path = pathOf(numberedFileName(file, n));
    }
    if (fd < 0) {
        return failed("cannot make", path);
    }
    const bool complete = writeAll(fd, bytes) && durability().syncFile(fd) == 0;
    const std::optional<std::string> problem =
        complete ? std::nullopt : std::optional<std::string>(failed("cannot write", path));
    ::close(fd);
    if (complete) {
        syncFolder(path_);
        if (written != nullptr) {
            *written = path;
        }
    } else {
        ::unlink(path.c_str()); // no half picture left behind
    }
    return problem;
}
