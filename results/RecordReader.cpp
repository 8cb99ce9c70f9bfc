#include "RecordReader.h"

#include "FigureCatalogue.h"
#include "RecordLayout.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// The columns the window reads, by their titles in the writer's table.
namespace Column {
const QString When = QString::fromStdString(RecordColumn::When.title());
const QString Ending = QString::fromStdString(RecordColumn::Ending.title());
const QString Transformer = QString::fromStdString(RecordColumn::Transformer.title());
const QString Supply = QString::fromStdString(RecordColumn::Supply.title());
const QString Resistor = QString::fromStdString(RecordColumn::Resistor.title());
const QString Capacitor = QString::fromStdString(RecordColumn::Capacitor.title());
const QString Comment = QString::fromStdString(RecordColumn::Comment.title());
const QString SampleAverage = QString::fromStdString(RecordColumn::SampleAverage.title());
const QString Verdict = QString::fromStdString(RecordColumn::Verdict.title());
const QString LimitSetSha = QString::fromStdString(RecordColumn::LimitSetSha.title());
} // namespace Column

// A figure's column and where its number goes.
const std::pair<ColumnName, Number ResultRow::*> FigureColumnNames[]{
    {RecordColumn::PhaseEfficiency, &ResultRow::phaseEfficiency},
    {RecordColumn::ResistorEfficiency, &ResultRow::resistorEfficiency},
    {RecordColumn::ApparentInput, &ResultRow::apparentInput},
    {RecordColumn::ApparentOutput, &ResultRow::apparentOutput},
    {RecordColumn::ReactiveInput, &ResultRow::reactiveInput},
    {RecordColumn::ReactiveOutput, &ResultRow::reactiveOutput},
    {RecordColumn::InputPower, &ResultRow::realInput},
    {RecordColumn::OutputPower, &ResultRow::realOutput},
    {RecordColumn::ResistorOutputPower, &ResultRow::resistorOutputPower},
    {RecordColumn::PhasePowerFactor, &ResultRow::phasePowerFactor},
    {RecordColumn::ResistorPowerFactor, &ResultRow::resistorPowerFactor},
    {RecordColumn::U95PhaseEfficiency, &ResultRow::phaseU},
    {RecordColumn::U95ResistorEfficiency, &ResultRow::resistorU},
    {RecordColumn::U95EstimatesRatio, &ResultRow::ratioU},
};

using FigureColumn = std::pair<QString, Number ResultRow::*>;
const std::vector<FigureColumn>& figureColumns() {
    static const std::vector<FigureColumn> titled = [] {
        std::vector<FigureColumn> columns;
        for (const auto& [name, target] : FigureColumnNames) {
            columns.emplace_back(QString::fromStdString(name.title()), target);
        }
        return columns;
    }();
    return titled;
}

} // namespace

bool RecordFileReader::readMore(std::vector<ResultRow>& rows, qint64 maxBytes) {
    restarted_ = false;
    QFile file(path_);
    const auto identity = file.open(QIODevice::ReadOnly) ? fileIdentityOfOpen(file.handle()) : std::nullopt;
    if (!identity) {
        const bool hadSome = identity_.has_value();
        if (hadSome || !gone_) {
            // Gone (or unreadable): nothing read from it stands any more.
            *this = RecordFileReader(path_, index_);
            restarted_ = hadSome;
        }
        gone_ = !QFileInfo::exists(path_);
        cannotRead_ = gone_ ? QString() : file.errorString().toLower();
        return false;
    }
    gone_ = false;
    cannotRead_.clear();
    const qint64 size = file.size();
    empty_ = size == 0;
    if (readAnew(identity_, offset_, identity, size)) {
        // Cut shorter than what was read, or another file under the name:
        // not an append; read it anew.
        *this = RecordFileReader(path_, index_);
        restarted_ = true;
    }
    identity_ = identity;
    if (offset_ >= size || !file.seek(offset_)) {
        return false;
    }
    // Read into the same buffer each time: a fresh one of megabytes is fresh
    // pages the kernel must clear, every chunk.
    const qint64 wanted = std::min(maxBytes, size - offset_);
    if (buffer_.size() < wanted) {
        buffer_.resize(static_cast<qsizetype>(wanted));
    }
    const qint64 got = file.read(buffer_.data(), wanted);
    if (got <= 0) {
        return false;
    }
    offset_ += got;
    rows_.feed(buffer_.constData(), static_cast<qsizetype>(got), offset_ >= size,
               [this, &rows](const RecordRowScanner::Row& row) {
                   takeRow(row, rows);
                   return true;
               });
    if (offset_ >= size) {
        buffer_ = QByteArray(); // caught up: the rows that follow come a few at a time
    }
    return offset_ < size;
}

QString RecordFileReader::trouble(const QString& name) const {
    if (!cannotRead_.isEmpty()) {
        return QStringLiteral("cannot read %1: %2").arg(name, cannotRead_);
    }
    if (empty_) {
        return QStringLiteral("%1 is empty").arg(name);
    }
    if (fieldCount_ < 0) {
        return QStringLiteral("%1 is not a record (other columns)").arg(name);
    }
    return {};
}

void RecordFileReader::notRead(qint64 line) {
    ++unreadCount_;
    if (unread_.size() < KeptUnreadLines) {
        unread_.push_back(line);
    }
}

namespace {

// "." decimals whatever the locale; "inf" as the record writes it. None for
// an empty field; `ok` false for one that is no number.
std::optional<double> numberOf(std::string_view bytes, bool* ok) {
    *ok = true;
    if (bytes.empty()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (error == std::errc() && end == bytes.data() + bytes.size()) {
        return value;
    }
    if (bytes == "inf" || bytes == "-inf") {
        return bytes[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    *ok = false;
    return std::nullopt;
}

int digits(std::string_view s, std::size_t at, std::size_t count) {
    int v = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        if (s[k] < '0' || s[k] > '9') {
            return -1;
        }
        v = v * 10 + (s[k] - '0');
    }
    return v;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
qint64 daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<qint64>(era) * 146097 + doe - 719468;
}

// The time as the record writes it, 2026-12-08T14:30:05+01:00, read without
// the general parser; anything else the general parser reads.
QDateTime timeOf(std::string_view s) {
    if (s.size() == 25 && s[4] == '-' && s[7] == '-' && s[10] == 'T' && s[13] == ':' && s[16] == ':' &&
        (s[19] == '+' || s[19] == '-') && s[22] == ':') {
        const int y = digits(s, 0, 4), mo = digits(s, 5, 2), d = digits(s, 8, 2);
        const int h = digits(s, 11, 2), mi = digits(s, 14, 2), se = digits(s, 17, 2);
        const int oh = digits(s, 20, 2), om = digits(s, 23, 2);
        if (y >= 0 && mo >= 1 && mo <= 12 && d >= 1 && d <= QDate(y, mo, 1).daysInMonth() && h >= 0 && h < 24 &&
            mi >= 0 && mi < 60 && se >= 0 && se < 60 && oh >= 0 && oh < 15 && om >= 0 && om < 60) {
            const int offset = (s[19] == '-' ? -1 : 1) * (oh * 3600 + om * 60);
            const qint64 local = daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + se;
            return QDateTime::fromMSecsSinceEpoch((local - offset) * 1000, Qt::OffsetFromUTC, offset);
        }
    }
    return QDateTime::fromString(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())), Qt::ISODate);
}

// The columns the window reads, in the order of RecordFileReader::wanted_.
enum Wanted {
    WhenAt,
    EndingAt,
    TransformerAt,
    SupplyAt,
    ResistorAt,
    CapacitorAt,
    AverageAt,
    CommentAt,
    VerdictAt,
    LimitSetShaAt,
    FiguresAt
};
const std::vector<QString>& wantedTitles() {
    static const std::vector<QString> titles = [] {
        std::vector<QString> t{Column::When,     Column::Ending,     Column::Transformer,   Column::Supply,
                               Column::Resistor, Column::Capacitor,  Column::SampleAverage, Column::Comment,
                               Column::Verdict,  Column::LimitSetSha};
        for (const auto& [title, target] : figureColumns()) {
            t.push_back(title);
        }
        for (const CatalogueFigure* f : moreFiguresShown()) {
            t.push_back(QString::fromStdString(f->title));
        }
        return t;
    }();
    return titles;
}

// The texts a reader keeps shared; beyond this many (every comment its
// own, say) a text is simply made for its row.
constexpr std::size_t MostSharedTexts = 4096;

} // namespace

RowText RecordFileReader::shared(std::string_view bytes) {
    if (const auto at = texts_.find(bytes); at != texts_.end()) {
        return at->second;
    }
    const RowText text(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))); // no UTF-8: U+FFFD
    if (texts_.size() < MostSharedTexts) {
        texts_.emplace(std::string(bytes), text);
    }
    return text;
}

void RecordFileReader::takeHeader(const char* line, qsizetype size, qint64 lineNumber) {
    RowFields fields;
    fields.split(line, size);
    fieldCount_ = static_cast<int>(fields.list.size());
    QHash<QString, int> columns;
    std::string unquoted;
    for (int i = 0; i < fieldCount_; ++i) {
        const std::string_view title = RowFields::bytesOf(line, fields.list[static_cast<std::size_t>(i)], unquoted);
        columns.insert(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())), i);
    }
    wanted_.clear();
    for (const QString& title : wantedTitles()) {
        wanted_.push_back(columns.value(title, -1));
    }
    if (!fields.whole || wanted_[WhenAt] < 0 || wanted_[EndingAt] < 0) {
        wanted_.clear(); // no record's header: none of its lines is a row
        fieldCount_ = -1;
        notRead(lineNumber);
        return;
    }
    rows_.setWidth(fieldCount_);
}

void RecordFileReader::takeRow(const RecordRowScanner::Row& r, std::vector<ResultRow>& rows) {
    if (r.tooLong) {
        notRead(r.line);
        return;
    }
    const char* line = r.data;
    const qsizetype size = r.size;
    if (size == 0) {
        return; // a blank line is no row
    }
    if (fieldCount_ == 0) {
        takeHeader(line, size, r.line);
        return;
    }
    thread_local RowFields fields;
    fields.split(line, size);
    if (fieldCount_ < 0 || !fields.whole || static_cast<int>(fields.list.size()) != fieldCount_) {
        notRead(r.line);
        return;
    }
    thread_local std::string unquoted;
    const auto bytes = [&](int wanted) -> std::string_view {
        const int at = wanted_[static_cast<std::size_t>(wanted)];
        return at < 0 ? std::string_view()
                      : RowFields::bytesOf(line, fields.list[static_cast<std::size_t>(at)], unquoted);
    };
    // A column's text is most often the row before's: that is looked at first.
    const auto text = [&](int wanted) {
        const std::string_view b = bytes(wanted);
        auto& [lastBytes, lastText] = lastTexts_[static_cast<std::size_t>(wanted)];
        if (b != lastBytes) {
            lastText = shared(b);
            lastBytes.assign(b);
        }
        return lastText;
    };
    ResultRow row;
    row.file = index_;
    row.line = r.line;
    const QDateTime when = timeOf(bytes(WhenAt));
    row.setWhen(when);
    row.ending = text(EndingAt);
    if (!when.isValid() || row.ending.isEmpty()) {
        notRead(r.line);
        return;
    }
    row.transformer = text(TransformerAt);
    row.supplyText = text(SupplyAt);
    row.resistorText = text(ResistorAt);
    row.capacitorText = text(CapacitorAt);
    row.averageText = text(AverageAt);
    row.comment = text(CommentAt);
    row.verdict = text(VerdictAt);
    row.limitSetSha = text(LimitSetShaAt);
    bool ok = true;
    // The set-up is text as shown (NO LOAD, OFF): a number where it is one.
    for (auto [wanted, target] : {std::pair{SupplyAt, &ResultRow::supply}, std::pair{ResistorAt, &ResultRow::resistor},
                                  std::pair{CapacitorAt, &ResultRow::capacitor}}) {
        row.*target = numberOf(bytes(wanted), &ok);
    }
    const auto& figures = figureColumns();
    for (std::size_t f = 0; f < figures.size(); ++f) {
        row.*(figures[f].second) = numberOf(bytes(FiguresAt + static_cast<int>(f)), &ok);
        if (!ok) {
            notRead(r.line); // a figure that is no number
            return;
        }
    }
    const int moreAt = FiguresAt + static_cast<int>(figures.size());
    for (std::size_t m = 0; m < moreFiguresShown().size(); ++m) {
        row.more[m] = numberOf(bytes(moreAt + static_cast<int>(m)), &ok);
        if (!ok) {
            notRead(r.line);
            return;
        }
    }
    rows.push_back(std::move(row));
}

qint64 RecordFileReader::bytesLeft() const {
    return gone_ ? 0 : std::max<qint64>(0, QFileInfo(path_).size() - offset_);
}
