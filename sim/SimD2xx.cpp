#include "SimD2xx.h"

#include "Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>

SimD2xx::SimD2xx(SimScope& scope, Clock& clock) : scope_(scope), clock_(clock) {}

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

std::optional<FT_STATUS> SimD2xx::forced(const char* operation) {
    if (recording) {
        calls.emplace_back(operation);
    }
    auto found = forcedStatus.find(operation);
    if (found == forcedStatus.end()) {
        return std::nullopt;
    }
    return found->second;
}

FT_STATUS SimD2xx::checkHandle(const char* operation, FT_HANDLE h) {
    if (auto status = forced(operation)) {
        return *status;
    }
    auto found = handles_.find(h);
    if (found == handles_.end()) {
        return FT_INVALID_HANDLE;
    }
    return found->second.usable ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SimD2xx::FT_ListDevices(void* pArg1, void* pArg2, std::uint32_t Flags) {
    if (auto status = forced("FT_ListDevices")) {
        return *status;
    }
    if (Flags == FT_LIST_NUMBER_ONLY) {
        if (pArg1 == nullptr) {
            return FT_INVALID_PARAMETER;
        }
        *static_cast<std::uint32_t*>(pArg1) =
            reportedCount.value_or(static_cast<std::uint32_t>(devices.size()));
        return FT_OK;
    }
    const std::uint32_t index = deviceIndexFromArg(pArg1);
    if ((Flags & FT_LIST_BY_INDEX) == 0 || pArg2 == nullptr || index >= devices.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    SimDevice& device = devices[index];
    const bool byDescription = (Flags & FT_OPEN_BY_DESCRIPTION) != 0;
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
    if (auto status = forced("FT_OpenEx")) {
        return *status;
    }
    if (pArg1 == nullptr || pHandle == nullptr || Flags != FT_OPEN_BY_DESCRIPTION) {
        return FT_INVALID_PARAMETER;
    }
    const auto match = std::find_if(devices.begin(), devices.end(),
                                    [&](const SimDevice& d) { return d.description == pArg1; });
    if (match == devices.end()) {
        return FT_DEVICE_NOT_FOUND;
    }
    *pHandle = nextHandle_++;
    handles_[*pHandle] = {static_cast<std::size_t>(match - devices.begin()), true};
    rx_.clear();
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
    const FT_STATUS status = checkHandle("FT_SetUSBParameters", h);
    if (status == FT_OK) {
        settings.inTransfer = in;
        settings.outTransfer = out;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetBaudRate(FT_HANDLE h, std::uint32_t BaudRate) {
    const FT_STATUS status = checkHandle("FT_SetBaudRate", h);
    if (status == FT_OK) {
        settings.baud = BaudRate;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetDataCharacteristics(FT_HANDLE h, std::uint8_t WordLength,
                                             std::uint8_t StopBits, std::uint8_t Parity) {
    const FT_STATUS status = checkHandle("FT_SetDataCharacteristics", h);
    if (status == FT_OK) {
        settings.wordLength = WordLength;
        settings.stopBits = StopBits;
        settings.parity = Parity;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetFlowControl(FT_HANDLE h, std::uint16_t FlowControl, std::uint8_t XonChar,
                                     std::uint8_t XoffChar) {
    const FT_STATUS status = checkHandle("FT_SetFlowControl", h);
    if (status == FT_OK) {
        settings.flow = FlowControl;
        settings.xon = XonChar;
        settings.xoff = XoffChar;
    }
    return status;
}

FT_STATUS SimD2xx::FT_SetChars(FT_HANDLE h, std::uint8_t, std::uint8_t, std::uint8_t,
                               std::uint8_t) {
    return checkHandle("FT_SetChars", h);
}

FT_STATUS SimD2xx::FT_SetTimeouts(FT_HANDLE h, std::uint32_t ReadTimeout,
                                  std::uint32_t WriteTimeout) {
    const FT_STATUS status = checkHandle("FT_SetTimeouts", h);
    if (status == FT_OK) {
        readTimeoutMs_ = ReadTimeout;
        settings.writeTimeout = WriteTimeout;
    }
    return status;
}

FT_STATUS SimD2xx::FT_Write(FT_HANDLE ftHandle, const void* lpBuffer, std::uint32_t dwBytesToWrite,
                            std::uint32_t* lpdwBytesWritten) {
    const FT_STATUS status = checkHandle("FT_Write", ftHandle);
    if (status != FT_OK || lpBuffer == nullptr) {
        return status != FT_OK ? status : FT_INVALID_PARAMETER;
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
    pendingWrite_ += bytes;
    bool first = true;
    for (auto end = pendingWrite_.find("\r\n"); end != std::string::npos;
         end = pendingWrite_.find("\r\n")) {
        const std::string line = pendingWrite_.substr(0, end);
        pendingWrite_.erase(0, end + 2);
        deliverLine(line, first ? fault : std::nullopt);
        first = false;
    }
    return FT_OK;
}

void SimD2xx::deliverLine(const std::string& text, const std::optional<SimFault>& fault) {
    std::optional<std::string> reply = scope_.execute(text);
    if (fault) {
        switch (fault->kind) {
        case SimFault::Kind::WriteFails:
            break;
        case SimFault::Kind::NoAnswer:
            reply.reset();
            break;
        case SimFault::Kind::NoCR:
            if (reply) {
                std::erase(*reply, '\r');
            }
            break;
        case SimFault::Kind::NoLF:
            if (reply) {
                std::erase(*reply, '\n');
            }
            break;
        case SimFault::Kind::ReadError:
            reply.reset();
            nextRead_ = fault;
            break;
        case SimFault::Kind::StatusWithData:
            nextRead_ = fault;
            break;
        case SimFault::Kind::Answer:
            reply = fault->answer;
            break;
        }
    }
    if (reply) {
        rx_.insert(rx_.end(), reply->begin(), reply->end());
    }
}

FT_STATUS SimD2xx::FT_Read(FT_HANDLE ftHandle, void* lpBuffer, std::uint32_t dwBytesToRead,
                           std::uint32_t* lpdwBytesReturned) {
    if (lpdwBytesReturned != nullptr) {
        *lpdwBytesReturned = 0;
    }
    const FT_STATUS status = checkHandle("FT_Read", ftHandle);
    if (status != FT_OK || lpBuffer == nullptr || lpdwBytesReturned == nullptr) {
        return status != FT_OK ? status : FT_INVALID_PARAMETER;
    }
    FT_STATUS result = FT_OK;
    if (nextRead_) {
        result = nextRead_->status;
        const bool withData = nextRead_->kind == SimFault::Kind::StatusWithData;
        nextRead_.reset();
        if (!withData) {
            clock_.sleep(readTimeoutMs_);
            return result;
        }
    }
    std::size_t count = std::min<std::size_t>(rx_.size(), dwBytesToRead);
    if (fastReads) {
        const auto lf = std::find(rx_.begin(), rx_.end(), '\n');
        if (count > 0 && lf != rx_.end()) {
            count = std::min<std::size_t>(count, static_cast<std::size_t>(lf - rx_.begin()) + 1);
        }
        const bool complete = count == dwBytesToRead || (count > 0 && lf != rx_.end());
        const auto transmit =
            static_cast<std::uint32_t>(std::ceil(static_cast<double>(count) * MsPerByte));
        clock_.sleep(complete ? AnswerLatencyMs + transmit : readTimeoutMs_);
    } else if (count < dwBytesToRead) {
        // Fewer bytes than asked for: the read waits out its time-out.
        clock_.sleep(readTimeoutMs_);
    }
    std::copy_n(rx_.begin(), count, static_cast<char*>(lpBuffer));
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(count));
    *lpdwBytesReturned = static_cast<std::uint32_t>(count);
    if (count > 0 && recording) {
        transcript.push_back({false, std::string(static_cast<char*>(lpBuffer), count)});
    }
    return result;
}

FT_STATUS SimD2xx::FT_CyclePort(FT_HANDLE ftHandle) {
    const FT_STATUS status = checkHandle("FT_CyclePort", ftHandle);
    if (status == FT_OK) {
        handles_[ftHandle].usable = false; // the port is gone until closed and reopened
    }
    return status;
}

FT_STATUS SimD2xx::FT_Close(FT_HANDLE ftHandle) {
    if (auto status = forced("FT_Close")) {
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
