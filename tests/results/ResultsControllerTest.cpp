#include "ResultsController.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <tuple>
#include <unistd.h>

// The results window's controller without its widgets: its points against a
// computation of this test's own, over random records, and what it shows
// after one of several files changed, against a fresh controller on the same
// files.

namespace {

struct Pass {
    std::string transformer, supply, capacitor, ending;
    std::optional<double> phase, resistor;
};

const char* const Header = "date and time (ISO 8601),pass ended,transformer,power supply (V rms),load resistor (ohms),"
                           "load capacitor (uF),phase angle efficiency (%),load resistor efficiency (%)\r\n";

std::string number(const std::optional<double>& v) {
    if (!v) {
        return {};
    }
    std::ostringstream text;
    text.precision(17);
    text << *v;
    return text.str();
}

std::string line(const Pass& p, int n) {
    return "2026-12-08T10:" + std::to_string(10 + n / 60) + ":" + std::to_string(10 + n % 40) + "Z," + p.ending + "," +
           p.transformer + "," + p.supply + ",9.4," + p.capacitor + "," + number(p.phase) + "," + number(p.resistor) +
           "\r\n";
}

std::vector<Pass> randomPasses(unsigned seed, int count) {
    std::mt19937 draw(seed);
    const auto pick = [&draw](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(draw)];
    };
    std::uniform_real_distribution<double> efficiency(70, 95);
    std::vector<Pass> passes;
    for (int n = 0; n < count; ++n) {
        Pass p{pick({"SPLIT-FLUX TRANSFORMER #1", "STANDARD TRANSFORMER F-54X"}),
               pick({"5.0", "7.5", "10.0", "OFF"}),
               pick({"100", "200", "NO LOAD"}),
               pick({"complete", "complete", "complete", "stopped"}),
               std::nullopt,
               std::nullopt};
        if (p.ending == "complete") {
            p.phase = efficiency(draw);
            if (draw() % 5 != 0) {
                p.resistor = efficiency(draw);
            }
        }
        passes.push_back(p);
    }
    return passes;
}

void write(const QString& path, const std::string& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly) {
    QFile file(path);
    ASSERT_TRUE(file.open(mode)) << path.toStdString();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A point as this test computes it: count, mean, lowest, highest.
struct Expected {
    int count = 0;
    double sum = 0, low = INFINITY, high = -INFINITY;
    void add(double v) {
        ++count;
        sum += v;
        low = std::min(low, v);
        high = std::max(high, v);
    }
};
// transformer, capacitor, supply (each empty when it is the x), x: one set-up
using Key = std::tuple<std::string, std::string, std::string, double>;

std::map<Key, std::array<Expected, 3>> byPlainLoops(const std::vector<Pass>& passes, XValue x) {
    std::map<Key, std::array<Expected, 3>> points;
    for (const Pass& p : passes) {
        const std::string& xText = x == XValue::Supply ? p.supply : p.capacitor;
        if (xText == "OFF" || xText == "NO LOAD" || (!p.phase && !p.resistor)) {
            continue;
        }
        auto& point = points[{p.transformer, x == XValue::Capacitor ? "" : p.capacitor,
                              x == XValue::Supply ? "" : p.supply, std::stod(xText)}];
        if (p.phase) {
            point[0].add(*p.phase);
        }
        if (p.resistor) {
            point[1].add(*p.resistor);
        }
        if (p.phase && p.resistor) {
            point[2].add(*p.phase - *p.resistor);
        }
    }
    return points;
}

void expectSpread(const Spread& got, const Expected& want, const std::string& what) {
    EXPECT_EQ(got.count, want.count) << what;
    if (want.count > 0) {
        EXPECT_NEAR(got.mean, want.sum / want.count, 1e-9) << what;
        EXPECT_EQ(got.low, want.low) << what;
        EXPECT_EQ(got.high, want.high) << what;
    }
}

// What a controller shows, to compare two of them.
std::string shown(const ResultsController& c) {
    std::ostringstream text;
    text << c.model().rowCount() << " rows, " << c.disagreement().disagreeing << " disagreeing;";
    for (const PlotSeries& s : c.series()) {
        text << " [" << s.name().toStdString();
        for (const SetUpPoint& p : s.points) {
            text << " " << p.x << ":" << p.phase.count << "/" << p.phase.mean << "/" << p.resistor.low << "-"
                 << p.resistor.high;
        }
        text << "]";
    }
    return text.str();
}

void readAll(ResultsController& c) {
    for (int slice = 0; slice < 100; ++slice) {
        c.readNew();
        if (!c.reading()) {
            return;
        }
    }
    ADD_FAILURE() << "still reading";
}

} // namespace

TEST(ResultsController, EachPointIsItsSetUpsCountMeanAndRangeComputedApart) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        const std::vector<Pass> passes = randomPasses(seed, 400);
        QTemporaryDir dir;
        std::string first = Header, second = Header;
        for (std::size_t n = 0; n < passes.size(); ++n) {
            (n % 3 == 0 ? second : first) += line(passes[n], static_cast<int>(n));
        }
        write(dir.filePath("results.csv"), first);
        write(dir.filePath("results-2.csv"), second);
        ResultsController c({dir.path()});
        readAll(c);
        ASSERT_EQ(c.model().rowCount(), 400);
        for (const XValue x : {XValue::Supply, XValue::Capacitor}) {
            c.setXValue(x);
            const auto expected = byPlainLoops(passes, x);
            std::size_t points = 0;
            for (const PlotSeries& s : c.series()) {
                for (const SetUpPoint& p : s.points) {
                    const Key key{s.transformer.toStdString(), s.capacitor.toStdString(), s.supply.toStdString(), p.x};
                    const auto want = expected.find(key);
                    ASSERT_NE(want, expected.end()) << "a point of no set-up: " << s.name().toStdString() << " " << p.x;
                    const std::string what = s.name().toStdString() + " at " + std::to_string(p.x);
                    expectSpread(p.phase, want->second[0], what + ", phase angle");
                    expectSpread(p.resistor, want->second[1], what + ", load resistor");
                    expectSpread(p.difference, want->second[2], what + ", difference");
                    ++points;
                }
            }
            EXPECT_EQ(points, expected.size()) << "seed " << seed;
        }
        c.setXValue(XValue::Supply);
        const auto bySupply = byPlainLoops(passes, XValue::Supply);
        for (const double tolerance : {0.5, 2.0, 5.0}) {
            c.setTolerance(tolerance);
            const auto disagreeing = std::count_if(bySupply.begin(), bySupply.end(), [tolerance](const auto& point) {
                const Expected& d = point.second[2];
                return d.count > 0 && std::fabs(d.sum / d.count) > tolerance;
            });
            EXPECT_EQ(c.disagreement().disagreeing, disagreeing) << "tolerance " << tolerance;
        }
    }
}

TEST(ResultsController, AfterAnyOneOfSeveralFilesChangesItShowsWhatAFreshOneShows) {
    const std::vector<Pass> passes = randomPasses(7, 60);
    std::string lines[3];
    for (std::size_t n = 0; n < passes.size(); ++n) {
        lines[n % 3] += line(passes[n], static_cast<int>(n));
    }
    QTemporaryDir a, b;
    const QString files[3]{a.filePath("results.csv"), a.filePath("results-2.csv"), b.filePath("results.csv")};
    const auto appendTo = [&](int f, const std::string& bytes) { write(files[f], bytes, QIODevice::Append); };
    const auto rewrite = [&](int f, const std::string& bytes) {
        write(files[f], bytes, QIODevice::WriteOnly | QIODevice::Truncate); // the same file, cut
    };
    const auto replace = [&](int f, const std::string& bytes) { // another file under the name, as mv makes it
        const QString other = files[f] + ".new";
        write(other, bytes);
        ASSERT_TRUE(QFile::remove(files[f]) && QFile::rename(other, files[f]));
    };
    std::string sameLength = Header + lines[1];
    sameLength.replace(sameLength.find("complete"), 8, "stopped,"); // as long, other rows
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[]{
        {"rows appended to the second", [&] { appendTo(1, line(passes[0], 99) + line(passes[1], 98)); }},
        {"the third cut to its header", [&] { rewrite(2, Header); }},
        {"the third's rows written back", [&] { rewrite(2, Header + lines[2]); }},
        {"the first emptied", [&] { rewrite(0, ""); }},
        {"the first shorter with other rows", [&] { rewrite(0, Header + line(passes[5], 1)); }},
        {"the second replaced by one as long", [&] { replace(1, sameLength); }},
        {"the second replaced by a longer one", [&] { replace(1, Header + lines[0] + lines[1] + lines[2]); }},
        {"the second replaced by a shorter one", [&] { replace(1, Header + line(passes[2], 3)); }},
        {"the third removed", [&] { ASSERT_TRUE(QFile::remove(files[2])); }},
        {"the third made again", [&] { write(files[2], Header + lines[0]); }},
    };
    for (int f = 0; f < 3; ++f) {
        write(files[f], Header + lines[f]);
    }
    ResultsController live({a.path(), b.path()});
    readAll(live);
    live.setTolerance(3.0);
    for (const auto& change : changes) {
        change.change();
        readAll(live);
        ResultsController fresh({a.path(), b.path()});
        readAll(fresh);
        fresh.setTolerance(3.0);
        EXPECT_EQ(shown(live), shown(fresh)) << change.what;
    }
}

TEST(ResultsController, TheStatusLineSaysWhatStandsInTheWay) {
    const std::string good = line({"T", "10.0", "100", "complete", 88.0, 87.0}, 1);
    const struct {
        const char* what;
        std::string bytes; // results.csv, or none at all
        bool folder;
        const char* says;
    } cases[]{
        {"a folder that does not exist", "", false, ": folder not found"},
        {"no record in the folder", "", true, "No record in "},
        {"an empty file", "", true, "results.csv is empty"},
        {"a file of another program", "when,volts\r\n1,2\r\n", true, "results.csv is not a record (other columns)"},
        {"a last row being written", Header + good + good.substr(0, 30), true,
         "1 pass, 1 shown; results.csv: last row not finished yet"},
        {"a whole record", Header + good, true, "1 pass, 1 shown"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        const QString path = c.folder ? folder.path() : folder.filePath("gone");
        if (c.folder && (c.bytes.size() > 0 || std::string(c.what) == "an empty file")) {
            write(folder.filePath("results.csv"), c.bytes);
        }
        ResultsController controller({path});
        readAll(controller);
        const std::string status = controller.statusText().toStdString();
        EXPECT_NE(status.find(c.says), std::string::npos) << c.what << ": " << status;
        if (std::string(c.what) == "a whole record") {
            EXPECT_EQ(status, c.says) << "nothing more";
        }
    }
    // A folder this user may not read (root reads every folder).
    if (::geteuid() != 0) {
        QTemporaryDir locked;
        ASSERT_TRUE(QFile::setPermissions(locked.path(), QFileDevice::WriteOwner));
        ResultsController controller({locked.path()});
        EXPECT_EQ(controller.statusText(), QStringLiteral("cannot read %1: permission denied").arg(locked.path()));
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}
