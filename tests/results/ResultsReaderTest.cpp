#include "Aggregation.h"
#include "FigureCatalogue.h"
#include "RecordFolders.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Reading record folders: by column name, as the files grow, any bytes.

namespace {

const QByteArray Header = "date and time (ISO 8601),pass ended,transformer,power supply (V rms),load resistor (ohms),"
                          "load capacitor (uF),phase angle efficiency (%),load resistor efficiency (%),comment\r\n";

QByteArray row(const char* when, const char* ending, const char* transformer, const char* supply, const char* phase,
               const char* resistor, const char* comment = "") {
    return QByteArray(when) + "," + ending + "," + transformer + "," + supply + ",9.4,100," + phase + "," + resistor +
           "," + comment + "\r\n";
}

void append(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

} // namespace

TEST(ResultsReader, WhatCanBeReadIsShownAndWhatCannotIsCountedByLine) {
    const QByteArray good =
        row("2026-12-08T10:00:00+01:00", "complete", "SPLIT-FLUX TRANSFORMER #1", "10.0", "88.5", "88.4");
    const struct {
        const char* what;
        QByteArray bytes;
        std::size_t rows;
        const char* summary;
    } cases[]{
        {"an empty file", "", 0, ""},
        {"a header alone", Header, 0, ""},
        {"a torn row ended by the next writer", Header + good + good.left(30) + "\r\n" + good, 2,
         "1 row not read: results.csv line 3"},
        {"too few and too many fields",
         Header + good + "2026-12-08T10:00:00Z,complete\r\n" + good.chopped(2) + ",x\r\n", 1,
         "2 rows not read: results.csv lines 3 and 4"},
        {"a number that is none", Header + row("2026-12-08T10:00:00Z", "complete", "T", "10.0", "eighty", "88.4"), 0,
         "1 row not read: results.csv line 2"},
        {"a time that is none", Header + row("yesterday", "complete", "T", "10.0", "88.5", "88.4"), 0,
         "1 row not read: results.csv line 2"},
        {"no record's header", "a,b\r\n1,2\r\n", 0, "2 rows not read: results.csv lines 1 and 2"},
        {"a quote left open", Header + good + "2026-12-08T10:00:00Z,\"complete,T\r\n", 1,
         "1 row not read: results.csv line 3"},
        {"a row still being written", Header + good + good.left(40), 1, ""},
        {"blank lines", Header + "\r\n" + good + "\n\n", 1, ""},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        append(dir.filePath("results.csv"), c.bytes);
        RecordFolders folders({dir.path()});
        std::vector<ResultRow> rows;
        while (folders.readMore(rows)) {
        }
        EXPECT_EQ(rows.size(), c.rows) << c.what;
        EXPECT_EQ(folders.unreadSummary().toStdString(), c.summary) << c.what;
    }
}

TEST(ResultsReader, ColumnsAreTakenByNameWhateverTheLayout) {
    QTemporaryDir dir;
    // Another version's order, a column unknown here, one missing, bytes no UTF-8.
    append(dir.filePath("results.csv"),
           "comment,pass ended,new column,phase angle efficiency (%),date and time (ISO 8601),transformer\r\n"
           "unit \xB5 7,complete,x,91.25,2026-12-08T10:00:00Z,STANDARD TRANSFORMER F-54X\r\n");
    append(dir.filePath("results-2.csv"), Header + row("2026-12-09T10:00:00Z", "stopped", "T", "NO LOAD", "", ""));
    RecordFolders folders({dir.path()});
    std::vector<ResultRow> rows;
    while (folders.readMore(rows)) {
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].phaseEfficiency, 91.25);
    EXPECT_FALSE(rows[0].resistorEfficiency) << "a column the file does not have";
    EXPECT_EQ(rows[0].comment, QStringLiteral("unit \uFFFD 7")) << "a byte that is no UTF-8";
    EXPECT_EQ(rows[0].transformer, QStringLiteral("STANDARD TRANSFORMER F-54X"));
    EXPECT_EQ(rows[1].file, 1);
    EXPECT_FALSE(rows[1].supply) << "NO LOAD is no number";
    EXPECT_FALSE(rows[1].complete());
    EXPECT_EQ(folders.fileName(1), QStringLiteral("results-2.csv"));
}

TEST(ResultsReader, OnlyTheAddedBytesAreReadAndAGigabyteLineIsSkipped) {
    QTemporaryDir dir;
    const QString path = dir.filePath("results.csv");
    append(path, Header);
    RecordFolders folders({dir.path()});
    std::vector<ResultRow> rows;
    folders.readMore(rows);
    const QByteArray next = row("2026-12-08T10:00:00Z", "complete", "T", "5.0", "80", "81");
    append(path, next.left(20));
    folders.readMore(rows);
    EXPECT_TRUE(rows.empty()) << "half a row waits for its end";
    append(path, next.mid(20));
    folders.readMore(rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].supply, 5.0);

    // A gigabyte without a line end (a sparse file), then a row.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(file.size() + (qint64(1) << 30)));
    }
    append(path, "\n" + next);
    while (folders.readMore(rows)) {
    }
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(folders.unreadSummary().toStdString(), "1 row not read: results.csv line 3");
}

TEST(ResultsAggregation, OnePointPerSetUpWithItsMeanRangeAndCount) {
    std::vector<ResultRow> rows(6);
    const struct {
        const char* transformer;
        double supply, phase, resistor;
    } passes[]{{"A", 10, 88, 87}, {"A", 10, 90, 89}, {"A", 5, 80, 84},
               {"B", 10, 70, 70}, {"A", 10, 85, 85}, {"A", 10, 86, 86}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].transformer = QString::fromLatin1(passes[i].transformer);
        rows[i].supply = passes[i].supply;
        rows[i].phaseEfficiency = passes[i].phase;
        rows[i].resistorEfficiency = passes[i].resistor;
        rows[i].capacitorText = QString::fromLatin1(i >= 4 ? "200" : "100");
        rows[i].capacitor = i >= 4 ? 200 : 100;
        rows[i].setWhen(QDateTime(QDate(2026, 12, 8), QTime(10, static_cast<int>(i))));
    }
    const std::vector<int> all{0, 1, 2, 3, 4, 5};
    const std::vector<PlotSeries> bySupply = aggregate(rows, all, XValue::Supply);
    ASSERT_EQ(bySupply.size(), 3u) << "A with 100 uF, A with 200 uF, B";
    EXPECT_EQ(bySupply[0].name(), QStringLiteral("A, 100 uF"));
    ASSERT_EQ(bySupply[0].points.size(), 2u);
    const SetUpPoint& tenVolts = bySupply[0].points[1];
    EXPECT_EQ(tenVolts.x, 10);
    EXPECT_EQ(tenVolts.phase.count, 2);
    EXPECT_DOUBLE_EQ(tenVolts.phase.mean, 89);
    EXPECT_EQ(tenVolts.phase.low, 88);
    EXPECT_EQ(tenVolts.phase.high, 90);
    EXPECT_DOUBLE_EQ(tenVolts.difference.mean, 1);
    EXPECT_EQ(tenVolts.rows, (std::vector<int>{0, 1}));
    EXPECT_EQ(bySupply[1].points.at(0).phase.count, 2) << "the 200 uF passes";

    // The capacitor on the X axis joins A's series; over time every pass is a point.
    EXPECT_EQ(aggregate(rows, all, XValue::Capacitor).size(), 2u);
    EXPECT_EQ(aggregate(rows, all, XValue::Time).at(0).points.size(), 3u);
    EXPECT_EQ(aggregate(rows, {3}, XValue::Supply).size(), 1u) << "only the rows given";

    // Set-ups judged by their means, as the red marks judge them.
    EXPECT_EQ(disagreements(bySupply, 2.0).disagreeing, 1) << "80 against 84";
    EXPECT_EQ(disagreements(bySupply, 2.0).setUps, 4);
    EXPECT_EQ(disagreements(bySupply, 0.5).disagreeing, 2) << "a mean of 1 point apart, and 4";
    EXPECT_EQ(disagreementText(disagreements(bySupply, 0.5), 0.5),
              QStringLiteral("2 of 4 set-ups: mean estimates more than 0.5 points apart"));
}

TEST(ResultsAggregation, APointIsOneWholeSetUp) {
    // Two resistors at one supply, and a second sample average: three set-ups.
    const struct {
        const char* resistor;
        const char* average;
        double phase;
    } passes[]{{"9.4", "16", 88}, {"48.0", "16", 80}, {"9.4", "16", 89}, {"9.4", "64", 87}};
    std::vector<ResultRow> rows;
    for (const auto& p : passes) {
        ResultRow row;
        row.transformer = QStringLiteral("A");
        row.supplyText = QStringLiteral("10.0");
        row.supply = 10;
        row.capacitorText = QStringLiteral("100");
        row.capacitor = 100;
        row.resistorText = QString::fromLatin1(p.resistor);
        row.resistor = row.resistorText.toDouble();
        row.averageText = QString::fromLatin1(p.average);
        row.phaseEfficiency = p.phase;
        rows.push_back(row);
    }
    const std::vector<PlotSeries> bySupply = aggregate(rows, {0, 1, 2, 3}, XValue::Supply);
    ASSERT_EQ(bySupply.size(), 3u) << "never one bar over two resistors";
    QStringList names;
    for (const PlotSeries& s : bySupply) {
        ASSERT_EQ(s.points.size(), 1u);
        names << s.name();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("A, 100 uF, 9.4 ohms, avg 16")));
    EXPECT_TRUE(names.contains(QStringLiteral("A, 100 uF, 48.0 ohms, avg 16")));
    EXPECT_TRUE(names.contains(QStringLiteral("A, 100 uF, 9.4 ohms, avg 64")));
    const std::vector<PlotSeries> byResistor = aggregate(rows, {0, 1, 2}, XValue::Resistor);
    ASSERT_EQ(byResistor.size(), 1u) << "the resistor on the X axis: one series, " << byResistor.size();
    EXPECT_EQ(byResistor[0].name(), QStringLiteral("A, 100 uF"));
    ASSERT_EQ(byResistor[0].points.size(), 2u);
    EXPECT_EQ(byResistor[0].points[0].phase.count, 2) << "9.4 ohms: passes 1 and 3";

    // Series by resistor: the same set-ups, named and ordered by resistor (as
    // numbers), each point still one set-up; with the resistor on the X axis
    // (or the supply on the supply's) the transformer and capacitor lead again.
    std::vector<PlotSeries> grouped = bySupply;
    groupSeries(grouped, SeriesBy::Resistor);
    QStringList groupedNames;
    for (const PlotSeries& s : grouped) {
        groupedNames << s.group() + QStringLiteral(" | ") + s.name();
    }
    EXPECT_EQ(groupedNames, QStringList({QStringLiteral("9.4 ohms | 9.4 ohms, A, 100 uF, avg 16"),
                                         QStringLiteral("9.4 ohms | 9.4 ohms, A, 100 uF, avg 64"),
                                         QStringLiteral("48.0 ohms | 48.0 ohms, A, 100 uF, avg 16")}));
    std::vector<PlotSeries> onX = byResistor;
    groupSeries(onX, SeriesBy::Resistor);
    EXPECT_EQ(onX[0].name(), QStringLiteral("A, 100 uF"));
    groupSeries(grouped, SeriesBy::Supply); // the supply is on the X axis here
    EXPECT_EQ(grouped[0].name(), QStringLiteral("A, 100 uF, 9.4 ohms, avg 16"));
}

// The figure catalogue's figures beyond the boxes reach the table by their
// titles, every one of them; one that is no number leaves its row unread.
TEST(ResultsReader, TheFiguresBeyondTheBoxesAreReadByTheirTitles) {
    std::size_t beyond = 0;
    for (const CatalogueFigure& f : figureCatalogue()) {
        beyond += f.compute != nullptr ? 1 : 0;
    }
    EXPECT_EQ(moreFiguresShown().size(), beyond) << "room for every one: ResultRow::MoreFiguresShown";
    QTemporaryDir dir;
    const auto withLoss = [](const QByteArray& line, const char* loss) {
        return line.chopped(2) + "," + loss + "\r\n";
    };
    append(dir.filePath("results.csv"),
           withLoss(Header, "power loss (W)") +
               withLoss(row("2026-12-08T10:00:00Z", "complete", "T", "10.0", "88.5", "88.4"), "1.25") +
               withLoss(row("2026-12-08T10:01:00Z", "stopped", "T", "10.0", "", ""), "") +
               withLoss(row("2026-12-08T10:02:00Z", "complete", "T", "10.0", "88.5", "88.4"), "lots"));
    RecordFolders folders({dir.path()});
    std::vector<ResultRow> rows;
    while (folders.readMore(rows)) {
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].more[0], 1.25);
    EXPECT_FALSE(rows[1].more[0]) << "an empty field is none";
    EXPECT_EQ(folders.unreadSummary(), QStringLiteral("1 row not read: results.csv line 4"));
}
