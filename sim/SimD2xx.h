#pragma once

#include "D2xx.h"
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
};

// A fault the bench plays when the program sends a given command line.
struct SimFault {
    enum class Kind {
        WriteFails,    // FT_Write returns a failure status
        NoAnswer,      // the scope stays silent
        NoCR,          // the answer arrives without its CR
        NoLF,          // the answer arrives without its LF
        ReadError,     // the next FT_Read returns `status` and no data
        StatusWithData,// the next FT_Read returns `status` with the answer
        Answer,        // the scope answers `answer` instead
    };
    Kind kind = Kind::NoAnswer;
    FT_STATUS status = FT_IO_ERROR;
    std::string answer;
    int times = -1; // how often it fires; -1 for every time
    int skip = 0;   // matching commands let through before it fires

    static SimFault writeFails() { return {Kind::WriteFails, FT_IO_ERROR, {}, -1}; }
    static SimFault noAnswer() { return {Kind::NoAnswer, FT_OK, {}, -1}; }
    static SimFault noCR() { return {Kind::NoCR, FT_OK, {}, -1}; }
    static SimFault noLF() { return {Kind::NoLF, FT_OK, {}, -1}; }
    static SimFault readError(FT_STATUS s) { return {Kind::ReadError, s, {}, -1}; }
    static SimFault statusWithData(FT_STATUS s) { return {Kind::StatusWithData, s, {}, -1}; }
    static SimFault answered(std::string text) { return {Kind::Answer, FT_OK, std::move(text), -1}; }
};

// Which way bytes went over the link.
struct TranscriptEntry {
    bool written = true; // program -> scope; false for scope -> program
    std::string bytes;
};

// The device library over a simulated adapter and scope. Every operation's
// status can be forced, faults can be tied to command texts, and every byte
// written and read is recorded.
class SimD2xx final : public D2xx {
public:
    SimD2xx(SimScope& scope, Clock& clock);

    FT_STATUS FT_ListDevices(void* pArg1, void* pArg2, std::uint32_t Flags) override;
    FT_STATUS FT_OpenEx(const char* pArg1, std::uint32_t Flags, FT_HANDLE* pHandle) override;
    FT_STATUS FT_GetComPortNumber(FT_HANDLE ftHandle, std::int32_t* lpdwComPortNumber) override;
    FT_STATUS FT_SetUSBParameters(FT_HANDLE ftHandle, std::uint32_t in, std::uint32_t out) override;
    FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, std::uint32_t BaudRate) override;
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, std::uint8_t WordLength,
                                        std::uint8_t StopBits, std::uint8_t Parity) override;
    FT_STATUS FT_SetFlowControl(FT_HANDLE ftHandle, std::uint16_t FlowControl,
                                std::uint8_t XonChar, std::uint8_t XoffChar) override;
    FT_STATUS FT_SetChars(FT_HANDLE ftHandle, std::uint8_t EventChar, std::uint8_t EventCharEnabled,
                          std::uint8_t ErrorChar, std::uint8_t ErrorCharEnabled) override;
    FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, std::uint32_t ReadTimeout,
                             std::uint32_t WriteTimeout) override;
    FT_STATUS FT_Write(FT_HANDLE ftHandle, const void* lpBuffer, std::uint32_t dwBytesToWrite,
                       std::uint32_t* lpdwBytesWritten) override;
    FT_STATUS FT_Read(FT_HANDLE ftHandle, void* lpBuffer, std::uint32_t dwBytesToRead,
                      std::uint32_t* lpdwBytesReturned) override;
    FT_STATUS FT_CyclePort(FT_HANDLE ftHandle) override;
    FT_STATUS FT_Close(FT_HANDLE ftHandle) override;

    // --- configuration -------------------------------------------------
    std::vector<SimDevice> devices{SimDevice{}};
    std::optional<std::uint32_t> reportedCount; // a count other than devices.size()
    std::map<std::string, FT_STATUS> forcedStatus; // by operation name, e.g. "FT_SetBaudRate"
    void addFault(const std::string& commandText, SimFault fault);
    void clearFaults() { faults_.clear(); }
    // Completes a read as soon as a line feed has arrived after some data,
    // with the bytes' transmission time at 9600 baud and a small latency.
    bool fastReads = false;

    // --- observation ---------------------------------------------------
    // Off for long soak runs, where the record itself would be the growth.
    bool recording = true;
    std::vector<TranscriptEntry> transcript;
    std::vector<std::string> calls; // operation names in call order
    std::string writtenBytes() const;
    std::vector<std::string> writtenLines() const; // without CR LF
    bool isOpen(FT_HANDLE h) const;
    std::uint32_t readTimeoutMs() const { return readTimeoutMs_; }
    struct LinkSettings {
        std::uint32_t inTransfer = 0, outTransfer = 0, baud = 0;
        std::uint8_t wordLength = 0, stopBits = 0, parity = 0;
        std::uint16_t flow = 0;
        std::uint8_t xon = 0, xoff = 0;
        std::uint32_t writeTimeout = 0;
    } settings;

    static constexpr double MsPerByte = 10.0 / 9.6; // ten bits a byte at 9600 baud
    static constexpr std::uint32_t AnswerLatencyMs = 5;

private:
    std::optional<FT_STATUS> forced(const char* operation);
    FT_STATUS checkHandle(const char* operation, FT_HANDLE h);
    void deliverLine(const std::string& text, const std::optional<SimFault>& fault);
    std::optional<SimFault> takeFault(const std::string& commandText);

    SimScope& scope_;
    Clock& clock_;
    std::map<std::string, std::vector<SimFault>> faults_;
    struct OpenDevice {
        std::size_t device; // index into devices
        bool usable;        // false once cycled
    };
    std::map<FT_HANDLE, OpenDevice> handles_;
    FT_HANDLE nextHandle_ = 1001;
    std::uint32_t readTimeoutMs_ = 5000;
    std::string pendingWrite_;
    std::deque<char> rx_;
    std::optional<SimFault> nextRead_;
};
