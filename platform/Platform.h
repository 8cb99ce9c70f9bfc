#pragma once

class Carets;
class Clipboard;
class Clock;
class D2xx;
class EventPump;
class KeySynth;
class OsVersion;
class ProgramHost;
class Screen;

// The world outside the program, handed to every window.
struct Platform {
    D2xx& d2xx;
    Clock& clock;
    EventPump& pump;
    Screen& screen;
    OsVersion& os;
    ProgramHost& host;
    Clipboard& clipboard;
    KeySynth& keys;
    Carets& carets;
};
