#include "RecordRows.h"

#include <algorithm>
#include <cstring>

void RowFields::split(const char* d, qsizetype n) {
    list.clear();
    whole = true;
    qsizetype i = 0;
    while (true) {
        Field field;
        if (i < n && d[i] == '"') {
            field.quoted = true;
            field.from = ++i;
            while (true) {
                if (i >= n) {
                    whole = false;
                    break;
                }
                if (d[i] == '"') {
                    if (i + 1 < n && d[i + 1] == '"') {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            field.size = i - field.from;
            if (i < n) {
                ++i; // the closing quote
            }
            while (i < n && d[i] != ',') {
                ++i; // bytes after a closing quote belong to nothing
            }
        } else {
            field.from = i;
            const void* comma = std::memchr(d + i, ',', static_cast<std::size_t>(n - i));
            i = comma == nullptr ? n : static_cast<const char*>(comma) - d;
            field.size = i - field.from;
        }
        list.push_back(field);
        if (i >= n) {
            break;
        }
        ++i; // the comma
    }
}

std::string_view RowFields::bytesOf(const char* d, const Field& field, std::string& unquoted) {
    std::string_view bytes(d + field.from, static_cast<std::size_t>(field.size));
    if (!field.quoted || bytes.find('"') == std::string_view::npos) {
        return bytes;
    }
    unquoted.clear();
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        unquoted += bytes[k];
        k += bytes[k] == '"' ? 1 : 0; // "" is one quote
    }
    return unquoted;
}

std::vector<std::string> RowFields::strings(const char* row) const {
    std::vector<std::string> out;
    out.reserve(list.size());
    std::string unquoted;
    for (const Field& f : list) {
        out.emplace_back(bytesOf(row, f, unquoted));
    }
    return out;
}

namespace {

// Whether a line ends inside a quoted field: an odd number of quotes ("" is
// two). Most lines hold few quotes or none, so they are hopped to.
bool quoteLeftOpen(const char* from, const char* end) {
    bool open = false;
    while (const void* quote = std::memchr(from, '"', static_cast<std::size_t>(end - from))) {
        open = !open;
        from = static_cast<const char*>(quote) + 1;
    }
    return open;
}

} // namespace

// The row that starts at `from`: its line, or the lines a quoted field runs
// over when they make a row of the header's width. Not whole while its end
// has not come.
RecordRowScanner::Scan RecordRowScanner::scanRow(const char* d, qsizetype n, qsizetype from, bool atEnd) const {
    const void* newline = std::memchr(d + from, '\n', static_cast<std::size_t>(n - from));
    if (newline == nullptr) {
        return {};
    }
    const qsizetype lineEnd = static_cast<const char*>(newline) - d;
    const Scan line{true, lineEnd + 1, 1};
    if (width_ <= 0 || !quoteLeftOpen(d + from, d + lineEnd)) {
        return line;
    }
    bool quoted = false;
    int fields = 1, lines = 0;
    for (qsizetype i = from; i < n; ++i) {
        const char c = d[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',' && ++fields > width_) {
            return line; // a stray quote: it spoils its own line
        } else if (c == '\n') {
            ++lines;
            if (!quoted) {
                return fields == width_ ? Scan{true, i + 1, lines} : line;
            }
        }
    }
    // No close in the bytes there are: at the file's end the quote is a
    // stray one (a row is appended whole).
    return atEnd || n - from > LongestRow ? line : Scan{};
}

bool RecordRowScanner::handOn(const char* d, qsizetype from, const Scan& s, const Take& take) {
    qsizetype size = s.end - 1 - from; // without the line end
    if (size > 0 && d[from + size - 1] == '\r') {
        --size;
    }
    const bool tooLong = size > LongestRow;
    const Row row{tooLong ? nullptr : d + from, tooLong ? 0 : size,
                  tooLong ? 0 : s.end - from,   line_ + 1,
                  at_ + s.end - from,           tooLong};
    if (!take(row)) {
        return false;
    }
    at_ = row.end;
    line_ += s.lines;
    return true;
}

// A row too long to be one, passed over to its line end.
bool RecordRowScanner::skipTo(const char* bytes, qsizetype size, qsizetype& used, const Take& take) {
    const void* newline = std::memchr(bytes + used, '\n', static_cast<std::size_t>(size - used));
    if (newline == nullptr) {
        skipped_ += size - used;
        used = size;
        return true;
    }
    const qsizetype lineEnd = static_cast<const char*>(newline) - bytes + 1;
    const Row row{nullptr, 0, 0, line_ + 1, at_ + skipped_ + (lineEnd - used), true};
    skipping_ = false;
    skipped_ = 0;
    used = lineEnd;
    if (!take(row)) {
        return false;
    }
    at_ = row.end;
    line_ += 1;
    return true;
}

// Ends the row begun in an earlier feed when these bytes end it, a line at
// a time; `used` is how many of them the tail took. A spoiled line ends
// before the tail does: the rows after it are read out of the tail too.
bool RecordRowScanner::endTail(const char* bytes, qsizetype size, qsizetype& used, const Take& take) {
    while (!tail_.isEmpty()) {
        const Scan s = scanRow(tail_.constData(), tail_.size(), 0, atEnd_ && used >= size);
        if (s.whole) {
            const QByteArray tail = std::move(tail_);
            tail_ = tail.mid(s.end);
            if (!handOn(tail.constData(), 0, s, take)) {
                return false;
            }
            continue;
        }
        if (tail_.size() > LongestRow) {
            skipping_ = true;
            skipped_ = tail_.size();
            tail_.clear();
            return true;
        }
        if (used >= size) {
            return true;
        }
        const void* newline = std::memchr(bytes + used, '\n', static_cast<std::size_t>(size - used));
        const qsizetype lineEnd = newline == nullptr ? size : static_cast<const char*>(newline) - bytes + 1;
        tail_.append(bytes + used, lineEnd - used);
        used = lineEnd;
    }
    return true;
}

bool RecordRowScanner::feed(const char* bytes, qsizetype size, bool toTheEnd, const Take& take) {
    atEnd_ = toTheEnd;
    qsizetype from = 0;
    while (from < size && (skipping_ || !tail_.isEmpty())) {
        if (!(skipping_ ? skipTo(bytes, size, from, take) : endTail(bytes, size, from, take))) {
            return false;
        }
        if (!skipping_ && !tail_.isEmpty()) {
            return true; // every byte went into a row not yet ended
        }
    }
    while (from < size) {
        const Scan s = scanRow(bytes, size, from, atEnd_);
        if (!s.whole) {
            break;
        }
        if (!handOn(bytes, from, s, take)) {
            return false;
        }
        from = s.end;
    }
    if (from < size) {
        if (size - from > LongestRow) {
            skipping_ = true;
            skipped_ = size - from;
        } else {
            tail_ = QByteArray(bytes + from, size - from);
        }
    }
    return true;
}
