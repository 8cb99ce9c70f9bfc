#include "SimD2xx.h"

#include "Clock.h"

#include <algorithm>
#include <cstring>

SimD2xx::SimD2xx(SimScope& scope, Clock& clock) : scope_(scope), line_(clock) {}

void SimD2xx::addFault(const std::string& commandText, SimFault fault) {
    faults_[commandText].push_back(std::move(fault));
}

std::optional<SimFault> SimD2xx::takeFault(const std::string& commandText) {
    auto found = faults_.find(commandText);
    if (found == faults_.end() || found->second.empty()) {
        return std::nullopt;
    }
    SimFault& fault = found->second.front();
    if (fault.skip > 0) {
        --fault.skip;
        return std::nullopt;
    }
    SimFault copy = fault;
    if (fault.times > 0 && --fault.times == 0) {
        found->second.erase(found->second.begin());
    }
    return copy;
}

std::optional<FT_STATUS> SimD2xx::forced(const char* operation, FT_HANDLE h, std::vector<std::uint32_t> args) {
    if (recording) {
        calls.push_back({operation, h, std::move(args)});
    }
    auto found = forcedStatus.find(operation);
    if (found == forcedStatus.end()) {
        return std::nullopt;
    }
    return found->second;
}

FT_STATUS SimD2xx::checkHandle(const char* operation, FT_HANDLE h, std::vector<std::uint32_t> args) {
    if (auto status = forced(operation, h, std::move(args))) {
        return *status;
    }
    auto found = handles_.find(h);
    if (found == handles_.end()) {
        return FT_INVALID_HANDLE;
    }
    return found->second.usable ? FT_OK : FT_IO_ERROR;
}

std::vector<std::string> SimD2xx::callNames() const {
    std::vector<std::string> names;
    for (const SimCall& call : calls) {
        names.push_back(call.name);
    }
    return names;
}

FT_STATUS SimD2xx::FT_ListDevices(void* pArg1, void* pArg2, std::uint32_t Flags) {
    const auto index = Flags == FT_LIST_NUMBER_ONLY ? 0u : deviceIndexFromArg(pArg1);
    if (auto status = forced("FT_ListDevices", 0, {index, Flags})) {
        return *status;
    }
    if (Flags == FT_LIST_NUMBER_ONLY) {
        if (pArg1 == nullptr) {
            return FT_INVALID_PARAMETER;
        }
        *static_cast<std::uint32_t*>(pArg1) = reportedCount.value_or(static_cast<std::uint32_t>(devices.size()));
        return FT_OK;
    }
    if ((Flags & FT_LIST_BY_INDEX) == 0 || pArg2 == nullptr || index >= devices.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    SimDevice& device = devices[index];
    const bool byDescription = (Flags & FT_OPEN_BY_DESCRIPTION) != 0;
    if (byDescription && !device.descriptionOutcomes.empty()) {
        const bool listed = device.descriptionOutcomes.front();
        device.descriptionOutcomes.pop_front();
        if (!listed) {
            return FT_DEVICE_NOT_OPENED;
        }
    }
    int& failures = byDescription ? device.descriptionFailures : device.serialFailures;
    if (failures > 0) {
        --failures;
        return FT_DEVICE_NOT_OPENED;
    }
    const std::string& text = byDescription ? device.description : device.serialNumber;
    const std::size_t n = std::min<std::size_t>(text.size(), FT_LIST_BUFFER_SIZE - 1);
    std::memcpy(pArg2, text.data(), n);
    static_cast<char*>(pArg2)[n] = '\0';
    return FT_OK;
}

FT_STATUS SimD2xx::FT_OpenEx(const char* pArg1, std::uint32_t Flags, FT_HANDLE* pHandle) {
    if (auto status = forced("FT_OpenEx", 0, {Flags})) {
        return *status;
    }
    if (pArg1 == nullptr || pHandle == nullptr || Flags != FT_OPEN_BY_DESCRIPTION) {
        return FT_INVALID_PARAMETER;
    }
    const auto match =
        std::find_if(devices.begin(), devices.end(), [&](const SimDevice& d) { return d.description == pArg1; });
    if (match == devices.end()) {
        return FT_DEVICE_NOT_FOUND;
    }
    *pHandle = nextHandle_++;
    handles_[*pHandle] = {static_cast<std::size_t>(match - devices.begin()), true};
    line_.reset();
    pendingWrite_.clear();
    nextRead_.reset();
    return FT_OK;
}

FT_STATUS SimD2xx::FT_GetComPortNumber(FT_HANDLE ftHandle, std::int32_t* lpdwComPortNumber) {
    const FT_STATUS status = checkHandle("FT_GetComPortNumber", ftHandle);
    if (status == FT_OK && lpdwComPortNumber != nullptr) {
        const std::size_t device = handles_.at(ftHandle).device;
        *lpdwComPortNumber = device < devices.size() ? devices[device].comPort : -1;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetUSBParameters(FT_HANDLE h, std::uint32_t in, std::uint32_t out) {
    const FT_STATUS status = checkHandle("FT_SetUSBParameters", h, {in, out});
    if (status == FT_OK) {
        settings.inTransfer = in;
        settings.outTransfer = out;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetBaudRate(FT_HANDLE h, std::uint32_t BaudRate) {
    const FT_STATUS status = checkHandle("FT_SetBaudRate", h, {BaudRate});
    if (status == FT_OK) {
        settings.baud = BaudRate;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetDataCharacteristics(FT_HANDLE h, std::uint8_t WordLength, std::uint8_t StopBits,
                                             std::uint8_t Parity) {
    const FT_STATUS status = checkHandle("FT_SetDataCharacteristics", h, {WordLength, StopBits, Parity});
    if (status == FT_OK) {
        settings.wordLength = WordLength;
        settings.stopBits = StopBits;
        settings.parity = Parity;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetFlowControl(FT_HANDLE h, std::uint16_t FlowControl, std::uint8_t XonChar,
                                     std::uint8_t XoffChar) {
    const FT_STATUS status = checkHandle("FT_SetFlowControl", h, {FlowControl, XonChar, XoffChar});
    if (status == FT_OK) {
        settings.flow = FlowControl;
        settings.xon = XonChar;
        settings.xoff = XoffChar;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetChars(FT_HANDLE h, std::uint8_t EventChar, std::uint8_t EventCharEnabled,
                               std::uint8_t ErrorChar, std::uint8_t ErrorCharEnabled) {
    return checkHandle("FT_SetChars", h, {EventChar, EventCharEnabled, ErrorChar, ErrorCharEnabled});
}

FT_STATUS SimD2xx::FT_SetTimeouts(FT_HANDLE h, std::uint32_t ReadTimeout, std::uint32_t WriteTimeout) {
    const FT_STATUS status = checkHandle("FT_SetTimeouts", h, {ReadTimeout, WriteTimeout});
    if (status == FT_OK) {
        readTimeoutMs_ = ReadTimeout;
        settings.writeTimeout = WriteTimeout;
    }
    return status;
}

FT_STATUS SimD2xx::FT_Write(FT_HANDLE ftHandle, const void* lpBuffer, std::uint32_t dwBytesToWrite,
                            std::uint32_t* lpdwBytesWritten) {
    const FT_STATUS status = checkHandle("FT_Write", ftHandle, {dwBytesToWrite});
    if (status != FT_OK || lpBuffer == nullptr) {
        return status != FT_OK ? status : FT_INVALID_PARAMETER;
    }
    if (line_.isDown()) {
        return FT_IO_ERROR;
    }
    const std::string bytes(static_cast<const char*>(lpBuffer), dwBytesToWrite);
    // The program writes one command line at a time; its fault, if any, is
    // taken here. A write refused by a fault never reaches the scope.
    const std::string text = bytes.substr(0, bytes.find("\r\n"));
    const std::optional<SimFault> fault = takeFault(text);
    if (fault && fault->kind == SimFault::Kind::WriteFails) {
        return FT_IO_ERROR;
    }
    if (recording) {
        transcript.push_back({true, bytes});
    }
    if (lpdwBytesWritten != nullptr) {
        *lpdwBytesWritten = dwBytesToWrite;
    }
    line_.transmit(bytes.size());
    pendingWrite_ += bytes;
    bool first = true;
    for (auto end = pendingWrite_.find("\r\n"); end != std::string::npos; end = pendingWrite_.find("\r\n")) {
        const std::string line = pendingWrite_.substr(0, end);
        pendingWrite_.erase(0, end + 2);
        deliverLine(line, first ? fault : std::nullopt);
        first = false;
    }
    return FT_OK;
}

void SimD2xx::deliverLine(const std::string& text, const std::optional<SimFault>& fault) {
    std::optional<std::string> reply = scope_.execute(text);
    if (!fault) {
        if (reply) {
            line_.send(*reply);
        }
        return;
    }
    using Kind = SimFault::Kind;
    switch (fault->kind) {
    case Kind::WriteFails:
    case Kind::NoAnswer:
        return;
    case Kind::NoCR:
    case Kind::NoLF:
        if (reply) {
            std::erase(*reply, fault->kind == Kind::NoCR ? '\r' : '\n');
            line_.send(*reply);
        }
        return;
    case Kind::ReadError:
        nextRead_ = fault;
        return;
    case Kind::StatusWithData:
        nextRead_ = fault;
        break;
    case Kind::Answer:
        reply = fault->answer;
        break;
    case Kind::AnswerTwice:
        if (reply) {
            line_.send(*reply + *reply);
        }
        return;
    case Kind::LongAnswer:
        if (reply && reply->size() >= 2) {
            // A field list that runs on: the line end comes after 300 more bytes.
            reply->insert(reply->size() - 2, std::string(300, ';'));
        }
        break;
    case Kind::LateAnswer:
        if (reply) {
            line_.send(*reply, std::uint64_t{readTimeoutMs_} * 1000 + 200'000);
        }
        return;
    case Kind::NulBefore:
    case Kind::NulAfter:
        if (reply) {
            reply = fault->kind == Kind::NulBefore ? std::string(2, '\0') + *reply : *reply + std::string(2, '\0');
        }
        break;
    case Kind::Trickle:
        if (reply) {
            line_.send(*reply, SimLine::AnswerLatencyUs, SimLine::TrickleByteUs);
        }
        return;
    case Kind::Flood:
        line_.flood(reply.value_or(text + "\r\n"));
        return;
    case Kind::HangUp:
        if (reply) {
            line_.send(reply->substr(0, reply->size() / 2));
        }
        line_.hangUpAfterQueued();
        return;
    }
    if (reply) {
        line_.send(*reply);
    }
}

FT_STATUS SimD2xx::FT_Read(FT_HANDLE ftHandle, void* lpBuffer, std::uint32_t dwBytesToRead,
                           std::uint32_t* lpdwBytesReturned) {
    if (lpdwBytesReturned != nullptr) {
        *lpdwBytesReturned = 0;
    }
    const FT_STATUS status = checkHandle("FT_Read", ftHandle, {dwBytesToRead, readTimeoutMs_});
    if (status != FT_OK || lpBuffer == nullptr || lpdwBytesReturned == nullptr) {
        return status != FT_OK ? status : FT_INVALID_PARAMETER;
    }
    FT_STATUS result = FT_OK;
    if (nextRead_) {
        result = nextRead_->status;
        const bool withData = nextRead_->kind == SimFault::Kind::StatusWithData;
        nextRead_.reset();
        if (!withData) {
            line_.read(0, readTimeoutMs_, false); // waits out the time-out, takes nothing
            return result;
        }
    }
    const SimLine::Received received = line_.read(dwBytesToRead, readTimeoutMs_, fastReads);
    std::copy(received.bytes.begin(), received.bytes.end(), static_cast<char*>(lpBuffer));
    *lpdwBytesReturned = static_cast<std::uint32_t>(received.bytes.size());
    if (!received.bytes.empty() && recording) {
        transcript.push_back({false, received.bytes});
    }
    if (received.lineWentDown) {
        // As the serial backend reports a line that went away mid-read.
        return received.bytes.empty() ? FT_DEVICE_NOT_FOUND : FT_IO_ERROR;
    }
    return result;
}

FT_STATUS SimD2xx::FT_Purge(FT_HANDLE ftHandle, std::uint32_t Mask) {
    const FT_STATUS status = checkHandle("FT_Purge", ftHandle, {Mask});
    if (status == FT_OK && (Mask & FT_PURGE_RX) != 0) {
        line_.purge();
    }
    return status;
}

FT_STATUS SimD2xx::FT_CyclePort(FT_HANDLE ftHandle) {
    const FT_STATUS status = checkHandle("FT_CyclePort", ftHandle);
    if (status == FT_OK) {
        handles_[ftHandle].usable = false; // the port is gone until closed and reopened
    }
    return status;
}

FT_STATUS SimD2xx::FT_Close(FT_HANDLE ftHandle) {
    if (auto status = forced("FT_Close", ftHandle)) {
        return *status;
    }
    if (handles_.erase(ftHandle) == 0) {
        return FT_INVALID_HANDLE;
    }
    return FT_OK;
}

bool SimD2xx::isOpen(FT_HANDLE h) const {
    auto found = handles_.find(h);
    return found != handles_.end() && found->second.usable;
}

std::string SimD2xx::writtenBytes() const {
    std::string all;
    for (const TranscriptEntry& e : transcript) {
        if (e.written) {
            all += e.bytes;
        }
    }
    return all;
}

std::vector<std::string> SimD2xx::writtenLines() const {
    std::vector<std::string> lines;
    const std::string all = writtenBytes();
    std::size_t start = 0;
    for (auto end = all.find("\r\n"); end != std::string::npos; end = all.find("\r\n", start)) {
        lines.push_back(all.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
