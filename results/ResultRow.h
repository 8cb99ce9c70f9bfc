#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

// A text of a row, as one index into a table of every text the rows hold:
// a million rows of a few transformers, set-ups and campaigns hold each text
// once, and each row four bytes a text. Reads like the QString it stands for.
class RowText {
  public:
    RowText() = default;
    RowText(const QString& text);
    RowText(const char* text) : RowText(QString::fromUtf8(text)) {}
    operator const QString&() const { return text(); }
    const QString& text() const;
    bool isEmpty() const { return index_ == 0; }
    bool contains(const QString& part, Qt::CaseSensitivity cs) const { return text().contains(part, cs); }
    double toDouble() const { return text().toDouble(); }
    friend bool operator==(const RowText& a, const RowText& b) { return a.index_ == b.index_; }
    friend bool operator==(const RowText& a, const QString& b) { return a.text() == b; }
    friend bool operator==(const RowText& a, QLatin1String b) { return a.text() == b; }
    friend bool operator==(const RowText& a, const char* b) { return a.text() == QString::fromUtf8(b); }

  private:
    quint32 index_ = 0; // 0: the empty text
};

// A figure of a row, or none, in the space of one double (none is a NaN,
// which the record never holds): a million rows hold 17 of them each. Reads
// like a std::optional<double>.
class Number {
  public:
    Number() = default;
    Number(std::nullopt_t) {}
    Number(double value) : value_(value) {}
    Number(std::optional<double> value) : value_(value ? *value : None) {}
    bool has_value() const { return !std::isnan(value_); }
    explicit operator bool() const { return has_value(); }
    double operator*() const { return value_; }
    double value() const { return value_; }
    double value_or(double otherwise) const { return has_value() ? value_ : otherwise; }
    operator std::optional<double>() const { return has_value() ? std::optional<double>(value_) : std::nullopt; }
    bool operator==(const Number& o) const {
        return has_value() ? o.has_value() && value_ == o.value_ : !o.has_value();
    }

  private:
    static constexpr double None = std::numeric_limits<double>::quiet_NaN();
    double value_ = None;
};

// One pass as the results window knows it, read from a record's row by the
// columns' names. A figure the row has no number for is none.
struct ResultRow {
    int file = 0; // which of the reader's files
    // When the pass ended, as the bench's clock had it: the instant and the
    // clock's offset from UTC (kept apart: a QDateTime with an offset is a
    // heap block of its own, and a million rows each have one).
    int whenOffset = 0; // seconds
    qint64 whenMs = 0;  // since 1970 UTC
    qint64 line = 0;    // its line there (the header is line 1)
    QDateTime when() const { return QDateTime::fromMSecsSinceEpoch(whenMs, Qt::OffsetFromUTC, whenOffset); }
    void setWhen(const QDateTime& t) {
        whenMs = t.toMSecsSinceEpoch();
        whenOffset = t.offsetFromUtc();
    }
    RowText ending; // complete, stopped, link failure
    RowText transformer;
    RowText supplyText, resistorText, capacitorText, averageText;
    Number supply, resistor, capacitor; // NO LOAD and texts: none
    Number phaseEfficiency, resistorEfficiency;
    Number apparentInput, apparentOutput, reactiveInput, reactiveOutput;
    Number realInput, realOutput, resistorOutputPower;
    Number phasePowerFactor, resistorPowerFactor;
    // The estimates' U95 (points) and their ratio's (per cent), when recorded.
    Number phaseU, resistorU, ratioU;
    // The figure catalogue's figures beyond the result boxes (power loss, ...),
    // in its order; room for MoreFiguresShown of them.
    static constexpr std::size_t MoreFiguresShown = 2;
    std::array<Number, MoreFiguresShown> more{};
    RowText comment;
    RowText folder;      // the record folder's name the row came from
    RowText verdict;     // against the limit set it was measured with; empty without
    RowText limitSetSha; // that set's SHA-256 (a record keeps it as limits-<SHA-256>.json)

    bool complete() const { return ending == QLatin1String("complete"); }
    // Phase-angle estimate minus load-resistor estimate, in percentage points.
    std::optional<double> difference() const {
        if (!phaseEfficiency || !resistorEfficiency) {
            return std::nullopt;
        }
        return *phaseEfficiency - *resistorEfficiency;
    }
    // The difference's U95 in points: what the two estimates do not share
    // (their ratio's U) on the phase-angle estimate.
    std::optional<double> differenceU() const {
        if (!ratioU || !phaseEfficiency) {
            return std::nullopt;
        }
        return std::fabs(*phaseEfficiency) * *ratioU / 100;
    }
};

struct CatalogueFigure;
// The figures beyond the result boxes the results window reads and shows,
// in the catalogue's order (the first ResultRow::MoreFiguresShown of them).
const std::vector<const CatalogueFigure*>& moreFiguresShown();
