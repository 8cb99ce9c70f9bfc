#include "RecordReader.h"

#include "RecordLayout.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <algorithm>
#include <charconv>
#include <cmath>

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
} // namespace Column

// A figure's column and where its number goes.
const std::pair<ColumnName, std::optional<double> ResultRow::*> FigureColumnNames[]{
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

using FigureColumn = std::pair<QString, std::optional<double> ResultRow::*>;
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
    struct stat info {};
    if (!file.open(QIODevice::ReadOnly) || ::fstat(file.handle(), &info) != 0) {
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
    empty_ = info.st_size == 0;
    const std::pair<quint64, quint64> identity{info.st_dev, info.st_ino};
    const qint64 size = file.size();
    if (identity_ && (*identity_ != identity || size < offset_)) {
        // Cut shorter than what was read, or another file under the name:
        // not an append; read it anew.
        *this = RecordFileReader(path_, index_);
        restarted_ = true;
    }
    identity_ = identity;
    if (offset_ >= size || !file.seek(offset_)) {
        return false;
    }
    const QByteArray chunk = file.read(std::min(maxBytes, size - offset_));
    offset_ += chunk.size();
    qsizetype from = 0;
    while (from < chunk.size()) {
        const qsizetype end = chunk.indexOf('\n', from);
        if (end < 0) {
            // A line still being written, or cut off: kept until it ends,
            // unless it is longer than any row.
            if (partial_.size() + (chunk.size() - from) > LongestLine) {
                skippingLongLine_ = true;
                partial_.clear();
            } else if (!skippingLongLine_) {
                partial_.append(chunk.constData() + from, chunk.size() - from);
            }
            break;
        }
        if (skippingLongLine_ || partial_.size() + (end - from) > LongestLine) {
            skippingLongLine_ = false;
            partial_.clear();
            ++line_;
            notRead();
        } else {
            partial_.append(chunk.constData() + from, end - from);
            takeLine(partial_, rows);
            partial_.clear();
        }
        from = end + 1;
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

void RecordFileReader::notRead() {
    ++unreadCount_;
    if (unread_.size() < KeptUnreadLines) {
        unread_.push_back(line_);
    }
}

namespace {

// A line's fields as byte ranges; quoted ones are unquoted on demand.
struct Fields {
    struct Field {
        qsizetype from = 0, size = 0;
        bool quoted = false;
    };
    std::vector<Field> list;
    bool whole = true; // no quote left open
};

Fields fieldsOf(const QByteArray& line) {
    Fields f;
    f.list.reserve(96);
    qsizetype i = 0;
    const qsizetype n = line.size();
    const char* d = line.constData();
    while (true) {
        Fields::Field field;
        if (i < n && d[i] == '"') {
            field.quoted = true;
            field.from = ++i;
            while (true) {
                if (i >= n) {
                    f.whole = false;
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
            while (i < n && d[i] != ',') {
                ++i;
            }
            field.size = i - field.from;
        }
        f.list.push_back(field);
        if (i >= n) {
            break;
        }
        ++i; // the comma
    }
    return f;
}

QString textOf(const QByteArray& line, const Fields::Field& field) {
    QByteArray bytes = line.mid(field.from, field.size);
    if (field.quoted) {
        bytes.replace("\"\"", "\"");
    }
    return QString::fromUtf8(bytes); // bytes that are no UTF-8 show as U+FFFD
}

// "." decimals whatever the locale; "inf" as the record writes it.
std::optional<double> numberOf(const QByteArray& line, const Fields::Field& field, bool* ok) {
    *ok = true;
    if (field.size == 0) {
        return std::nullopt;
    }
    const char* first = line.constData() + field.from;
    double value = 0;
    const auto [end, error] = std::from_chars(first, first + field.size, value);
    if (error == std::errc() && end == first + field.size) {
        return value;
    }
    *ok = false;
    return std::nullopt;
}

} // namespace

void RecordFileReader::takeLine(const QByteArray& bytes, std::vector<ResultRow>& rows) {
    ++line_;
    QByteArray line = bytes;
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.isEmpty()) {
        return; // a blank line is no row
    }
    const Fields fields = fieldsOf(line);
    if (fieldCount_ == 0) {
        fieldCount_ = static_cast<int>(fields.list.size());
        for (int i = 0; i < fieldCount_; ++i) {
            columns_.insert(textOf(line, fields.list[static_cast<std::size_t>(i)]), i);
        }
        if (!fields.whole || !columns_.contains(Column::When) || !columns_.contains(Column::Ending)) {
            columns_.clear(); // no record's header: none of its lines is a row
            fieldCount_ = -1;
            notRead();
        }
        return;
    }
    if (fieldCount_ < 0 || !fields.whole || static_cast<int>(fields.list.size()) != fieldCount_) {
        notRead();
        return;
    }
    const auto field = [&](const QString& name) -> const Fields::Field* {
        const auto at = columns_.constFind(name);
        return at == columns_.constEnd() ? nullptr : &fields.list[static_cast<std::size_t>(*at)];
    };
    const auto text = [&](const QString& name) {
        const Fields::Field* f = field(name);
        return f == nullptr ? QString() : textOf(line, *f);
    };
    ResultRow row;
    row.file = index_;
    row.line = line_;
    row.when = QDateTime::fromString(text(Column::When), Qt::ISODate);
    row.ending = text(Column::Ending);
    if (!row.when.isValid() || row.ending.isEmpty()) {
        notRead();
        return;
    }
    row.transformer = text(Column::Transformer);
    row.supplyText = text(Column::Supply);
    row.resistorText = text(Column::Resistor);
    row.capacitorText = text(Column::Capacitor);
    row.averageText = text(Column::SampleAverage);
    row.comment = text(Column::Comment);
    row.verdict = text(Column::Verdict);
    bool ok = true;
    // The set-up is text as shown (NO LOAD, OFF): a number where it is one.
    for (auto [name, target] : {std::pair{&Column::Supply, &ResultRow::supply},
                                std::pair{&Column::Resistor, &ResultRow::resistor},
                                std::pair{&Column::Capacitor, &ResultRow::capacitor}}) {
        if (const Fields::Field* f = field(*name)) {
            row.*target = numberOf(line, *f, &ok);
        }
    }
    for (const auto& [name, target] : figureColumns()) {
        const Fields::Field* f = field(name);
        if (f == nullptr) {
            continue;
        }
        row.*target = numberOf(line, *f, &ok);
        if (!ok && textOf(line, *f).endsWith(QLatin1String("inf"))) {
            ok = true;
            row.*target = textOf(line, *f).startsWith(QLatin1Char('-')) ? -HUGE_VAL : HUGE_VAL;
        }
        if (!ok) {
            notRead(); // a figure that is no number
            return;
        }
    }
    rows.push_back(std::move(row));
}
