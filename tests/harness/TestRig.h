#pragma once

#include "Carets.h"
#include "Checked.h"
#include "Clipboard.h"
#include "Clock.h"
#include "Form1.h"
#include "KeySynth.h"
#include "ScriptedPump.h"
#include "SimulatedDesk.h"

#include <memory>
#include <string>
#include <vector>

struct RecordingClipboard final : Clipboard {
    void EmptyClipboard() override { ++empties; }
    int empties = 0;
};

struct RecordingKeys final : KeySynth {
    struct Event {
        std::uint8_t key;
        std::uint32_t flags;
        std::uint64_t at; // virtual milliseconds
    };
    explicit RecordingKeys(VirtualClock& clock) : clock_(clock) {}
    void keybd_event(std::uint8_t bVk, std::uint8_t, std::uint32_t dwFlags, std::uintptr_t) override {
        events.push_back({bVk, dwFlags, clock_.slept()});
    }
    std::vector<Event> events;

  private:
    VirtualClock& clock_;
};

struct RecordingCarets final : Carets {
    void HideCaret(const std::string& box) override { calls.push_back("hide " + box); }
    void ShowCaret(const std::string& box) override { calls.push_back("show " + box); }
    std::vector<std::string> calls;
};

// The real forms on the simulated bench, on virtual time, with a scripted
// operator. Every scenario test starts from one of these.
struct TestRig : SimulatedDesk<VirtualClock> {
    TestRig();

    // Start-up as the program runs it: splash, OS line, ConnectScope, window.
    void start();
    // Start-up, then SETTINGS and GET SETTINGS.
    void startAndReadSettings();
    // From a fresh start to "READY" in both windows with the split-flux set-up
    // of the simulated scope: read settings, resistor, supply 10.0, capacitor.
    void walkToReady(const std::string& resistor = "9.4", const std::string& supply = "10.0",
                     const std::string& capacitor = "100");

    // Picks an item in a main-window list the way the operator does.
    void pick(ComboBox& combo, const std::string& item, void (Form1::*action)());

    // This rig's platform with another device library: the serial backend,
    // or a wrapper of one.
    Platform platformOn(D2xx& device) { return SimulatedDesk::platformOn(device, pump, clipboard, keys, carets); }

    // The lines written to the scope since the given transcript index.
    std::vector<std::string> linesSince(std::size_t transcriptIndex) const;
    // Milliseconds those writes kept the program waiting on the line.
    std::uint64_t writeMsSince(std::size_t transcriptIndex) const;

    ScriptedPump pump;
    RecordingClipboard clipboard;
    RecordingKeys keys{clock};
    RecordingCarets carets;
    Platform platform = platformOn(d2xx);
    std::unique_ptr<Form1> form;
};

// A measuring session with no window on a simulated bench of its own, the
// scope's settings read (SETTINGS and GET SETTINGS pressed).
struct SimSession {
    explicit SimSession(const SimBench& bench) {
        desk.scope.attach(bench);
        session.prepare();
        session.connect();
        session.openSettings();
        session.Settings.getSettings();
    }
    SimulatedDesk<VirtualClock> desk{1000u};
    ScriptedPump pump;
    RecordingClipboard clipboard;
    RecordingKeys keys{desk.clock};
    RecordingCarets carets;
    MeasuringSession session{desk.platformOn(desk.d2xx, pump, clipboard, keys, carets)};
};

// The lines of a list, for readable failure messages.
std::string joined(const std::vector<std::string>& lines);
