#include "MeasurementRecord.h"
#include "MeasuringSession.h"
#include "TestRig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The measuring session driven with no window at all, and the same sequence
// through the windows' forms: the same event lines, statuses and record rows.

namespace {

// What a sequence leaves behind, to compare.
struct Trace {
    std::vector<std::string> events, settingsEvents;
    std::string calculatorStatus, scopeStatus, settingsStatus, sampleAverage;
    std::string record; // the record's bytes, pass ids masked
};

std::string recordBytes(const QTemporaryDir& dir) {
    QFile file(dir.filePath(QStringLiteral("results.csv")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

// A pass id is a fresh UUID in every pass: masked where a row holds one.
std::string masked(std::string bytes, const std::vector<std::string>& ids) {
    for (const std::string& id : ids) {
        for (auto at = bytes.find(id); at != std::string::npos; at = bytes.find(id)) {
            bytes.replace(at, id.size(), "<pass id>");
        }
    }
    return bytes;
}

// The operator's doings mid-pass, the same for both ways in: a count picked
// while the pass runs (refused, put back), then in a second pass STOP.
void scriptThePasses(ScriptedPump& pump, ListBox& events, const std::function<void()>& pickACount,
                     const std::function<void()>& stop, int& passes) {
    pump.when(
        [&events, &passes] {
            return passes == 0 && std::find(events.lines.begin(), events.lines.end(),
                                            ">> Read the INPUT CURRENT in Amps RMS") != events.lines.end();
        },
        pickACount);
    pump.when(
        [&events, &passes] {
            return passes == 1 && std::find(events.lines.begin(), events.lines.end(),
                                            ">> Read the OUTPUT VOLTAGE in Volts RMS") != events.lines.end();
        },
        stop);
}

Trace traceOf(MeasuringSession& s, const QTemporaryDir& dir, const std::vector<std::string>& ids) {
    return Trace{s.panel.List1.lines,   s.Settings.List1.lines, s.panel.Text12.text,          s.panel.Text1.text,
                 s.Settings.Text1.text, s.panel.Combo3.text,    masked(recordBytes(dir), ids)};
}

} // namespace

TEST(Session, DrivenWithNoWindowItActsAsTheWindowsDo) {
    const auto pinned = [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5)); };
    // Through the session alone.
    Trace alone;
    {
        SimulatedDesk<VirtualClock> desk(1000u);
        ScriptedPump pump;
        RecordingClipboard clipboard;
        RecordingKeys keys{desk.clock};
        RecordingCarets carets;
        MeasuringSession s(desk.platformOn(desk.d2xx, pump, clipboard, keys, carets));
        s.now = pinned;
        QTemporaryDir dir;
        MeasurementRecord record(dir.path().toStdString());
        s.record = &record;
        std::vector<std::string> ids;
        s.passListeners.push_back([&ids](const PassOutcome& p) { ids.push_back(p.passId); });
        int passes = 0;
        scriptThePasses(
            pump, s.panel.List1, [&s] { s.setUp.pick(SetUpList::SampleAverage, "64"); }, [&s] { s.stopCalculation(); },
            passes);
        s.prepare();
        s.connect();
        s.openSettings();
        s.Settings.getSettings();
        EXPECT_TRUE(s.setUp.pick(SetUpList::LoadResistor, "9.4"));
        EXPECT_TRUE(s.setUp.pick(SetUpList::Supply, "10.0"));
        EXPECT_TRUE(s.setUp.pick(SetUpList::LoadCapacitor, "100"));
        EXPECT_FALSE(s.setUp.pick(SetUpList::LoadCapacitor, "123")) << "no such item: nothing done";
        s.startCalculation();
        passes = 1;
        s.startCalculation();
        ASSERT_TRUE(record.finish());
        ASSERT_TRUE(pump.allDone());
        alone = traceOf(s, dir, ids);
        EXPECT_EQ(ids.size(), 2u);
    }
    // Through the windows' forms.
    Trace windows;
    {
        TestRig b;
        QTemporaryDir dir;
        MeasurementRecord record(dir.path().toStdString());
        Form1& f = *b.form;
        f.record = &record;
        std::vector<std::string> ids;
        f.session.passListeners.push_back([&ids](const PassOutcome& p) { ids.push_back(p.passId); });
        int passes = 0;
        scriptThePasses(
            b.pump, f.List1, [&b, &f] { b.pick(f.Combo3, "64", &Form1::sampleAveragePicked); },
            [&f] { f.stopCalculation(); }, passes);
        b.walkToReady("9.4", "10.0", "100");
        f.startCalculation();
        passes = 1;
        f.startCalculation();
        ASSERT_TRUE(record.finish());
        ASSERT_TRUE(b.pump.allDone());
        windows = traceOf(f.session, dir, ids);
    }
    EXPECT_EQ(alone.events, windows.events) << joined(alone.events) << "---\n" << joined(windows.events);
    EXPECT_EQ(alone.settingsEvents, windows.settingsEvents);
    EXPECT_EQ(alone.calculatorStatus, "READY");
    EXPECT_EQ(alone.calculatorStatus, windows.calculatorStatus);
    EXPECT_EQ(alone.scopeStatus, windows.scopeStatus);
    EXPECT_EQ(alone.settingsStatus, windows.settingsStatus);
    EXPECT_EQ(alone.sampleAverage, " 16") << "the count picked mid-pass was put back, as a command number";
    EXPECT_EQ(alone.sampleAverage, windows.sampleAverage);
    EXPECT_EQ(alone.record, windows.record);
    EXPECT_NE(alone.record.find(",stopped,"), std::string::npos) << "the second pass was stopped";
}
