#include "ResultsController.h"

#include "Counted.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <map>

namespace {

constexpr int PollMs = 1000;

} // namespace

QString foldersText(const QStringList& folders) {
    QStringList names;
    for (const QString& f : folders) {
        names << QDir(f).dirName();
    }
    return names.join(QStringLiteral(", "));
}

ResultsController::ResultsController(QStringList folders, QObject* owner)
    : folders_(std::move(folders)), model_(owner), filter_(owner) {
    filter_.setSourceModel(&model_);
    filter_.setSortRole(ResultsModel::SortRole);
    filter_.setDynamicSortFilter(true);
    // Reading: a slice at a time, so a large file never holds the window;
    // then following the files as they grow.
    reading_.setInterval(0);
    QObject::connect(&reading_, &QTimer::timeout, [this] { readNew(); });
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, [this] { reading_.start(); });
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, [this] { reading_.start(); });
    poll_.setInterval(PollMs); // files on a shared drive tell no watcher
    QObject::connect(&poll_, &QTimer::timeout, [this] { reading_.start(); });
    poll_.start();
}

void ResultsController::readNew() {
    // One slice's rows, in a vector kept from slice to slice: fresh megabytes
    // every slice are fresh pages the kernel must clear.
    std::vector<ResultRow>& rows = slice_;
    rows.clear();
    const bool more = folders_.readMore(rows);
    // A file cut shorter, replaced or removed: its earlier rows leave the
    // table, and the plots and counts are made anew from what stays.
    const std::vector<int>& restarted = folders_.restartedSinceLastRead();
    for (const int file : restarted) {
        model_.removeFile(file);
    }
    if (more) {
        reading_.start();
    } else {
        reading_.stop();
    }
    if (!rows.empty()) {
        // One folder name shared by the rows of a file.
        int file = -1;
        RowText folder;
        for (ResultRow& row : rows) {
            if (row.file != file) {
                file = row.file;
                folder = RowText(folders_.folderName(file));
            }
            row.folder = folder;
        }
        if (rowsAdded) {
            rowsAdded(rows);
        }
        // While folders are read, the table is not told row by row (rows of
        // several benches, or of a clock set back, would each be put into
        // the middle of its order): it takes them all, in order, at once,
        // when all is read.
        if (more) {
            reserveFor(rows.size());
            model_.appendQuietly(rows);
        } else {
            model_.append(rows);
        }
        rows.clear();
    }
    if (!more) {
        model_.tellQuietRows();
    }
    follow();
    tell(statusChanged);
    if (!restarted.empty()) {
        countAll();
    } else if (!more && counted_ < model_.rowCount()) {
        // While a large record is read, the plots wait for its end.
        countFrom(counted_);
    }
}

// Folders and files that can be read are watched; the others are looked at
// again by the poll, without a watcher's complaint every second.
void ResultsController::follow() {
    const QStringList wanted = folders_.folders() + folders_.filePaths();
    const QStringList watched = watcher_.files() + watcher_.directories();
    for (const QString& path : wanted) {
        const QFileInfo info(path);
        const bool readable = info.isReadable() && (!info.isDir() || info.isExecutable());
        if (!watched.contains(path) && info.exists() && readable) {
            watcher_.addPath(path);
        }
    }
}

void ResultsController::setFolders(QStringList folders) {
    folders_ = RecordFolders(std::move(folders));
    model_.clear();
    if (const QStringList watched = watcher_.files() + watcher_.directories(); !watched.isEmpty()) {
        watcher_.removePaths(watched);
    }
    countAll();
    readNew();
}

void ResultsController::setFilters(const Filters& filters) {
    filter_.setTransformer(filters.transformer);
    filter_.setEnding(filters.ending);
    filter_.setDates(filters.from, filters.to);
    filter_.setCommentText(filters.comment);
    filter_.setVerdict(filters.verdict);
    tell(statusChanged);
    countAll();
}

void ResultsController::setXValue(XValue x) {
    x_ = x;
    countAll();
}

void ResultsController::setSeriesBy(SeriesBy by) {
    by_ = by;
    groupSeries(series_, by_);
    tell(plotsChanged);
}

void ResultsController::setTolerance(double points) {
    tolerance_ = points;
    disagreement_ = disagreements(series_, tolerance_);
    tell(plotsChanged);
}

void ResultsController::countAll() {
    aggregator_ = Aggregator(x_);
    limitSetsShown_.clear();
    verdictsShown_.clear();
    countFrom(0);
}

// The passes from `firstNew` on that the filters let through join the plots;
// the others stay counted as they were.
void ResultsController::countFrom(int firstNew) {
    const std::vector<ResultRow>& rows = model_.rows();
    for (int r = firstNew; r < static_cast<int>(rows.size()); ++r) {
        if (filter_.accepts(r)) {
            aggregator_.add(rows, r);
            // Passes judged in a record that does not name the set (older
            // ones) count under "": the set given to the window stands in.
            if (const ResultRow& row = rows[static_cast<std::size_t>(r)]; !row.verdict.isEmpty()) {
                ++limitSetsShown_[row.limitSetSha.text()];
                ++verdictsShown_[row.verdict.text()];
            }
        }
    }
    counted_ = static_cast<int>(rows.size());
    series_ = aggregator_.series();
    groupSeries(series_, by_);
    disagreement_ = disagreements(series_, tolerance_);
    tell(plotsChanged);
}

// The rows still to come, as many a byte as so far, reserved at once.
void ResultsController::reserveFor(std::size_t newRows) {
    const auto have = static_cast<std::size_t>(model_.rowCount()) + newRows;
    const double read = static_cast<double>(folders_.bytesRead());
    if (read <= 0 || static_cast<std::size_t>(model_.rows().capacity()) > have) {
        return;
    }
    const double perByte = static_cast<double>(have) / read;
    model_.reserve(have + static_cast<std::size_t>(perByte * static_cast<double>(folders_.bytesLeft()) * 1.02) + 16);
}

QString ResultsController::statusText() const {
    QStringList parts = folders_.notes();
    if (!folders_.filePaths().isEmpty()) {
        parts.prepend(QString::fromStdString(counted(model_.rowCount(), "pass", "passes")) +
                      QStringLiteral(", %1 shown").arg(filter_.rowCount()));
    } else if (parts.isEmpty()) {
        parts << QStringLiteral("No record in %1").arg(folders_.folders().join(QStringLiteral(", ")));
    }
    if (const QString verdicts = verdictCounts(); !verdicts.isEmpty()) {
        parts << verdicts;
    }
    if (const QString unread = folders_.unreadSummary(); !unread.isEmpty()) {
        parts << unread;
    }
    return parts.join(QStringLiteral("; "));
}

// "verdicts: 8 PASS, 1 CONDITIONAL FAIL" of the passes shown; empty when none
// has one.
QString ResultsController::verdictCounts() const {
    static const QStringList order{QStringLiteral("PASS"), QStringLiteral("CONDITIONAL PASS"),
                                   QStringLiteral("NO VERDICT"), QStringLiteral("CONDITIONAL FAIL"),
                                   QStringLiteral("FAIL")};
    // Counted with the plots' passes, once each, not at every slice read.
    const std::map<QString, int>& counts = verdictsShown_;
    QStringList parts;
    for (const QString& v : order) {
        if (counts.count(v) > 0) {
            parts << QStringLiteral("%1 %2").arg(counts.at(v)).arg(v);
        }
    }
    return parts.isEmpty() ? QString() : QStringLiteral("verdicts: ") + parts.join(QStringLiteral(", "));
}

QString ResultsController::exportTitle() const {
    const std::vector<int> which = filter_.passing();
    QDate first, last;
    for (const int r : which) {
        const QDate day = model_.rows()[static_cast<std::size_t>(r)].when().date();
        first = !first.isValid() || day < first ? day : first;
        last = !last.isValid() || day > last ? day : last;
    }
    QString title = QStringLiteral("Results of %1").arg(foldersText(folders_.folders()));
    if (first.isValid()) {
        title += QStringLiteral(", %1").arg(first.toString(Qt::ISODate));
        if (last != first) {
            title += QStringLiteral(" to %1").arg(last.toString(Qt::ISODate));
        }
    }
    return title;
}

std::optional<LimitSet> ResultsController::limitSetOf(const QString& sha) const {
    if (given_ && (sha.isEmpty() || QString::fromStdString(given_->sha256) == sha)) {
        return given_;
    }
    if (sha.isEmpty()) {
        return std::nullopt;
    }
    const auto known = limitSetsRead_.find(sha);
    if (known != limitSetsRead_.end()) {
        return known->second;
    }
    std::optional<LimitSet> found;
    for (const QString& folder : folders_.folders()) {
        const std::string path = (folder + QStringLiteral("/limits-") + sha + QStringLiteral(".json")).toStdString();
        auto read = readLimitSet(path);
        if (auto* set = std::get_if<LimitSet>(&read); set != nullptr && QString::fromStdString(set->sha256) == sha) {
            found = *set;
            break;
        }
    }
    limitSetsRead_[sha] = found;
    return found;
}

std::vector<LimitSet> ResultsController::limitSetsShown() const {
    std::vector<LimitSet> sets;
    for (const auto& [sha, passes] : limitSetsShown_) {
        auto set = limitSetOf(sha);
        const bool drawn =
            set && std::any_of(sets.begin(), sets.end(), [&set](const LimitSet& s) { return s.sha256 == set->sha256; });
        if (set && !drawn) {
            sets.push_back(*set);
        }
    }
    return sets;
}

QStringList ResultsController::unknownLimitSets() const {
    QStringList unknown;
    for (const auto& [sha, passes] : limitSetsShown_) {
        if (!sha.isEmpty() && !limitSetOf(sha)) {
            unknown << sha.left(12);
        }
    }
    return unknown;
}
