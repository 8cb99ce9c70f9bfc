#pragma once

#include "D2xx.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class EventPump;
struct ListBox;

// The fields with which one command or query travels. The main window and
// the settings window each hold one.
struct ExchangeRecord {
    static constexpr std::uint32_t AnswerSize = 256;

    std::string CommandBuffer;
    std::uint32_t BytesWritten = 0;
    std::array<char, AnswerSize> AnswerBuffer{};
    std::uint32_t BytesRead = 0;
    FT_STATUS ftStatus = FT_OK;
    bool ReadTimedOut = false;
    bool ReadError = false;
    std::int32_t CrPos = 0;
    std::int32_t LfPos = 0;
};

// One window's dialogue with the scope: command lines out, answer lines in,
// every step logged to that window's list.
class ScopeExchange {
  public:
    ScopeExchange(D2xx& d2xx, EventPump& pump, ListBox& log, const FT_HANDLE& handle, bool& testFailed)
        : d2xx_(d2xx), pump_(pump), log_(log), handle_(handle), TestFailed(testFailed) {}

    // Writes text + CR LF; byteCount is the text's length plus 2. On success
    // logs the text and lets events run; on failure logs failureLine. Before
    // a query, whatever the line received and nobody read is discarded, so
    // that the answer read next is the answer to this query.
    bool SendCommand(std::string_view text, std::uint32_t byteCount, std::string_view failureLine);
    // The same with the line's own byte count, which every caller uses.
    bool SendCommand(std::string_view text, std::string_view failureLine);

    // Reads one answer and checks it: time-out, read error or a missing CR or
    // LF is a failure (logged; a missing line end sets TestFailed). With an
    // expected header, an answer that does not begin with it is not the
    // answer to the query just written (a scope that repeats itself, a line
    // that carries noise): it is malformed in the same way.
    std::optional<std::string> ReadAnswer(std::string_view expectedHeader = {});

    // Discards what the line received and nobody read.
    void DiscardUnread();

    ExchangeRecord record;

  private:
    D2xx& d2xx_;
    EventPump& pump_;
    ListBox& log_;
    const FT_HANDLE& handle_;

  public:
    bool& TestFailed;
};

// Byte count of a composed command line: its text plus CR LF.
std::uint32_t lineByteCount(std::string_view text);

// The number of a value query's answer: characters 26 to 49, up to the first
// CR. No number when the CR stands before position 27 or the text is not a
// number; the caller treats that as an out-of-range reading.
std::optional<double> AnswerValue(const std::string& answer, std::int32_t CrPos);
// The text AnswerValue converts, kept beside each measured value.
std::string AnswerValueText(const std::string& answer, std::int32_t CrPos);

// The acquisition state of an "ACQ:STATE?" answer: the digit after the
// 15-character header. None when no digit stands there.
std::optional<int> acquisitionState(const std::string& answer);

// 1-based position of the first c in text, 0 when absent.
std::int32_t firstPosition(std::string_view text, char c);
