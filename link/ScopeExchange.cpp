#include "ScopeExchange.h"

#include "CommandNumber.h"
#include "Controls.h"
#include "EventPump.h"
#include "NumberText.h"

std::uint32_t lineByteCount(std::string_view text) {
    return static_cast<std::uint32_t>(text.size() + 2);
}

std::int32_t firstPosition(std::string_view text, char c) {
    const auto at = text.find(c);
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

bool ScopeExchange::SendCommand(std::string_view text, std::uint32_t byteCount, std::string_view failureLine) {
    record.BytesWritten = 0;
    record.ReadTimedOut = false;
    record.ReadError = false;
    if (!text.empty() && text.back() == '?') {
        record.BytesRead = 0;
        record.AnswerBuffer.fill(' ');
        DiscardUnread();
    }
    record.CommandBuffer.assign(text);
    record.CommandBuffer += "\r\n";
    // Never hand the library more bytes than the buffer holds.
    const auto count = std::min<std::uint32_t>(byteCount, static_cast<std::uint32_t>(record.CommandBuffer.size()));
    const FT_STATUS status = d2xx_.FT_Write(handle_, record.CommandBuffer.data(), count, &record.BytesWritten);
    if (status != FT_OK) {
        log_.AddItem(std::string(failureLine));
        return false;
    }
    log_.AddItem(record.CommandBuffer.substr(0, count >= 2 ? count - 2 : 0));
    pump_.yield();
    return true;
}

bool ScopeExchange::SendCommand(std::string_view text, std::string_view failureLine) {
    return SendCommand(text, lineByteCount(text), failureLine);
}

void ScopeExchange::DiscardUnread() {
    // Nothing to report: a purge that fails leaves the write after it to fail.
    d2xx_.FT_Purge(handle_, FT_PURGE_RX);
}

std::optional<std::string> ScopeExchange::ReadAnswer(std::string_view expectedHeader) {
    record.ftStatus = d2xx_.FT_Read(handle_, record.AnswerBuffer.data(), ExchangeRecord::AnswerSize, &record.BytesRead);
    if (record.BytesRead > ExchangeRecord::AnswerSize) {
        record.BytesRead = ExchangeRecord::AnswerSize;
    }
    if (record.ftStatus != FT_OK && record.ftStatus != FT_IO_ERROR) {
        record.ReadError = true;
    } else if (record.BytesRead == 0) {
        record.ReadTimedOut = true;
    }
    if (record.ReadTimedOut) {
        log_.AddItem("FT_Read timeout ftStatus = " + commandNumber(record.ftStatus));
        return std::nullopt;
    }
    if (record.ReadError) {
        log_.AddItem("FT_Read error ftStatus = " + commandNumber(record.ftStatus));
        return std::nullopt;
    }
    std::string answer(record.AnswerBuffer.data(), record.BytesRead);
    record.CrPos = firstPosition(answer, '\r');
    record.LfPos = firstPosition(answer, '\n');
    log_.AddItem(answer);
    const bool headed = expectedHeader.empty() || answer.starts_with(expectedHeader);
    if (record.CrPos == 0 || record.LfPos == 0 || !headed) {
        TestFailed = true;
        return std::nullopt;
    }
    return answer;
}

std::string AnswerValueText(const std::string& answer, std::int32_t CrPos) {
    constexpr std::int32_t first = 26;
    constexpr std::int32_t longest = 24;
    const std::int32_t wanted = std::min(longest, CrPos - first);
    if (wanted <= 0 || answer.size() < static_cast<std::size_t>(first)) {
        return {};
    }
    return answer.substr(first - 1, static_cast<std::size_t>(wanted));
}

std::optional<double> AnswerValue(const std::string& answer, std::int32_t CrPos) {
    return parseNumber(AnswerValueText(answer, CrPos));
}

std::optional<int> acquisitionState(const std::string& answer) {
    const char state = answer.size() >= 16 ? answer[15] : '\0';
    if (state < '0' || state > '9') {
        return std::nullopt;
    }
    return state - '0';
}
