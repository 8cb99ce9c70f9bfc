#pragma once

#include "D2xx.h"
#include "SimLine.h"
#include "SimScope.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

class Clock;

// One attached adapter as the device library lists it.
struct SimDevice {
    std::string description = "FT232R USB UART";
    std::string serialNumber = "BS40A001";
    std::int32_t comPort = 3;
    int descriptionFailures = 0; // listings of the description that fail first
    int serialFailures = 0;      // listings of the serial number that fail first
    // Outcomes of the next description listings, taken before the failures
    // above: true lists the description, false fails.
    std::deque<bool> descriptionOutcomes;
};

// A fault the bench plays when the program sends a given command line.
struct SimFault {
    enum class Kind {
        WriteFails,     // FT_Write returns a failure status
        NoAnswer,       // the scope stays silent
        NoCR,           // the answer arrives without its CR
        NoLF,           // the answer arrives without its LF
        ReadError,      // the next FT_Read returns `status` and no data
        StatusWithData, // the next FT_Read returns `status` with the answer
        Answer,         // the scope answers `answer` instead
        // A line that misbehaves the way real ones do:
        AnswerTwice, // the answer is sent twice, back to back
        LongAnswer,  // the answer runs on for more than 256 bytes before its line end
        LateAnswer,  // the answer starts after the read time-out has passed
        NulBefore,   // two NUL bytes come before the answer
        NulAfter,    // two NUL bytes come after the answer
        Trickle,     // the answer comes one byte every 8 ms
        Flood,       // from now on the scope repeats its answer without pause
        HangUp,      // the line goes away halfway through the answer
    };
    Kind kind = Kind::NoAnswer;
    FT_STATUS status = FT_IO_ERROR;
    std::string answer;
    int times = -1; // how often it fires; -1 for every time
    int skip = 0;   // matching commands let through before it fires

    static SimFault of(Kind kind) { return {kind, FT_OK, {}, -1}; }
    static SimFault writeFails() { return {Kind::WriteFails, FT_IO_ERROR, {}, -1}; }
    static SimFault noAnswer() { return of(Kind::NoAnswer); }
    static SimFault noCR() { return of(Kind::NoCR); }
    static SimFault noLF() { return of(Kind::NoLF); }
    static SimFault readError(FT_STATUS s) { return {Kind::ReadError, s, {}, -1}; }
    static SimFault statusWithData(FT_STATUS s) { return {Kind::StatusWithData, s, {}, -1}; }
    static SimFault answered(std::string text) { return {Kind::Answer, FT_OK, std::move(text), -1}; }
};

// Which way bytes went over the link.
struct TranscriptEntry {
    bool written = true; // program -> scope; false for scope -> program
    std::string bytes;
};

// One call into the device library, with the arguments that matter: byte
// counts, flags, masks, time-outs and link settings, in the order passed.
struct SimCall {
    std::string name;
    FT_HANDLE handle = 0;
    std::vector<std::uint32_t> args;
    friend bool operator==(const SimCall& call, const std::string& name) { return call.name == name; }
};

// The device library over a simulated adapter and scope. Every operation's
// status can be forced, faults can be tied to command texts, and the line
// costs what a real one does: every byte 10 bits at 9600 baud both ways, the
// scope's answer latency, and what nobody read stays queued.
class SimD2xx final : public D2xx {
  public:
    SimD2xx(SimScope& scope, Clock& clock);

    D2XX_OVERRIDES

    // --- configuration -------------------------------------------------
    std::vector<SimDevice> devices{SimDevice{}};
    std::optional<std::uint32_t> reportedCount;    // a count other than devices.size()
    std::map<std::string, FT_STATUS> forcedStatus; // by operation name, e.g. "FT_SetBaudRate"
    void addFault(const std::string& commandText, SimFault fault);
    void clearFaults() { faults_.clear(); }
    // Completes a read as soon as a line feed has arrived after some data.
    bool fastReads = false;

    // --- observation ---------------------------------------------------
    // Off in the running program, where the record itself would be the
    // growth; the test harness turns it on.
    bool recording = false;
    std::vector<TranscriptEntry> transcript;
    std::vector<SimCall> calls;
    std::vector<std::string> callNames() const;
    std::string writtenBytes() const;
    std::vector<std::string> writtenLines() const; // without CR LF
    bool isOpen(FT_HANDLE h) const;
    std::uint32_t readTimeoutMs() const { return readTimeoutMs_; }
    // Bytes the scope sent that the program has not read (arrived or not).
    std::size_t queuedBytes() const { return line_.queued(); }
    // Every byte moved over the line so far, both ways.
    std::uint64_t bytesMoved() const { return line_.bytesMoved(); }
    struct LinkSettings {
        std::uint32_t inTransfer = 0, outTransfer = 0, baud = 0;
        std::uint8_t wordLength = 0, stopBits = 0, parity = 0;
        std::uint16_t flow = 0;
        std::uint8_t xon = 0, xoff = 0;
        std::uint32_t writeTimeout = 0;
    } settings;

  private:
    std::optional<FT_STATUS> forced(const char* operation, FT_HANDLE h = 0, std::vector<std::uint32_t> args = {});
    FT_STATUS checkHandle(const char* operation, FT_HANDLE h, std::vector<std::uint32_t> args = {});
    void deliverLine(const std::string& text, const std::optional<SimFault>& fault);
    std::optional<SimFault> takeFault(const std::string& commandText);

    SimScope& scope_;
    SimLine line_;
    std::map<std::string, std::vector<SimFault>> faults_;
    struct OpenDevice {
        std::size_t device; // index into devices
        bool usable;        // false once cycled
    };
    std::map<FT_HANDLE, OpenDevice> handles_;
    FT_HANDLE nextHandle_ = 1001;
    std::uint32_t readTimeoutMs_ = 5000;
    std::string pendingWrite_;
    std::optional<SimFault> nextRead_;
};
