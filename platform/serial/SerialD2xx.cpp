#include "SerialD2xx.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <algorithm>
#include <cctype>
#include <cstring>

struct SerialD2xx::Link {
    PortInfo info;
    QSerialPort port;
    std::uint32_t readTimeoutMs = 5000;
    std::uint32_t writeTimeoutMs = 0;
    bool cycled = false;
};

SerialD2xx::SerialD2xx(PortLister& lister) : lister_(lister) {}

SerialD2xx::~SerialD2xx() = default;

std::int32_t SerialD2xx::portNumber(const std::string& portName) {
    std::size_t digits = portName.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(portName[digits - 1])) != 0) {
        --digits;
    }
    if (digits == portName.size() || portName.size() - digits > 9) {
        return -1;
    }
    return static_cast<std::int32_t>(std::stol(portName.substr(digits)));
}

const std::vector<PortInfo>& SerialD2xx::adapters(bool fresh) {
    if (fresh || !listed_) {
        adapters_.clear();
        for (const PortInfo& port : lister_.ports()) {
            if (port.vendorId && *port.vendorId == FtdiVendor) {
                adapters_.push_back(port);
            }
        }
        std::sort(adapters_.begin(), adapters_.end(),
                  [](const PortInfo& a, const PortInfo& b) { return a.portName < b.portName; });
        listed_ = true;
    }
    return adapters_;
}

SerialD2xx::Link* SerialD2xx::link(FT_HANDLE h) {
    auto found = links_.find(h);
    return found == links_.end() || found->second->cycled ? nullptr : found->second.get();
}

FT_STATUS SerialD2xx::FT_ListDevices(void* pArg1, void* pArg2, std::uint32_t Flags) {
    if (Flags == FT_LIST_NUMBER_ONLY) {
        if (pArg1 == nullptr) {
            return FT_INVALID_PARAMETER;
        }
        // A count starts a new listing; the slots below refer to it.
        *static_cast<std::uint32_t*>(pArg1) = static_cast<std::uint32_t>(adapters(true).size());
        return FT_OK;
    }
    const std::uint32_t index = deviceIndexFromArg(pArg1);
    const auto& list = adapters(false);
    if ((Flags & FT_LIST_BY_INDEX) == 0 || pArg2 == nullptr || index >= list.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    const std::string& text =
        (Flags & FT_OPEN_BY_DESCRIPTION) != 0 ? list[index].description : list[index].serialNumber;
    const std::size_t n = std::min<std::size_t>(text.size(), FT_LIST_BUFFER_SIZE - 1);
    std::memcpy(pArg2, text.data(), n);
    static_cast<char*>(pArg2)[n] = '\0';
    return FT_OK;
}

FT_STATUS SerialD2xx::FT_OpenEx(const char* pArg1, std::uint32_t Flags, FT_HANDLE* pHandle) {
    if (pArg1 == nullptr || pHandle == nullptr || Flags != FT_OPEN_BY_DESCRIPTION) {
        return FT_INVALID_PARAMETER;
    }
    const auto& list = adapters(false);
    const auto match =
        std::find_if(list.begin(), list.end(), [&](const PortInfo& p) { return p.description == pArg1; });
    if (match == list.end()) {
        return FT_DEVICE_NOT_FOUND;
    }
    auto opened = std::make_unique<Link>();
    opened->info = *match;
    opened->port.setPortName(QString::fromStdString(match->portName));
    opened->port.setReadBufferSize(ReceiveBufferBytes);
    if (!opened->port.open(QIODevice::ReadWrite)) {
        return FT_DEVICE_NOT_OPENED;
    }
    *pHandle = nextHandle_++;
    links_[*pHandle] = std::move(opened);
    return FT_OK;
}

FT_STATUS SerialD2xx::FT_GetComPortNumber(FT_HANDLE ftHandle, std::int32_t* lpdwComPortNumber) {
    Link* l = link(ftHandle);
    if (l == nullptr || lpdwComPortNumber == nullptr) {
        return FT_INVALID_HANDLE;
    }
    *lpdwComPortNumber = portNumber(l->info.portName);
    return FT_OK;
}

FT_STATUS SerialD2xx::FT_SetUSBParameters(FT_HANDLE ftHandle, std::uint32_t, std::uint32_t) {
    // The transfer sizes are the driver's business; a serial port has none.
    return link(ftHandle) != nullptr ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS SerialD2xx::FT_SetBaudRate(FT_HANDLE ftHandle, std::uint32_t BaudRate) {
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    return l->port.setBaudRate(static_cast<qint32>(BaudRate)) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialD2xx::FT_SetDataCharacteristics(FT_HANDLE ftHandle, std::uint8_t WordLength, std::uint8_t StopBits,
                                                std::uint8_t Parity) {
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    if (WordLength < 5 || WordLength > 8 || StopBits > 2 || Parity > 4) {
        return FT_INVALID_PARAMETER;
    }
    const QSerialPort::StopBits stops = StopBits == 0   ? QSerialPort::OneStop
                                        : StopBits == 1 ? QSerialPort::OneAndHalfStop
                                                        : QSerialPort::TwoStop;
    static constexpr QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                       QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                       QSerialPort::SpaceParity};
    const bool ok = l->port.setDataBits(static_cast<QSerialPort::DataBits>(WordLength)) && l->port.setStopBits(stops) &&
                    l->port.setParity(parities[Parity]);
    return ok ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialD2xx::FT_SetFlowControl(FT_HANDLE ftHandle, std::uint16_t FlowControl, std::uint8_t, std::uint8_t) {
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    const QSerialPort::FlowControl flow = FlowControl == FT_FLOW_RTS_CTS ? QSerialPort::HardwareControl
                                          : FlowControl == 0x0400        ? QSerialPort::SoftwareControl
                                                                         : QSerialPort::NoFlowControl;
    return l->port.setFlowControl(flow) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialD2xx::FT_SetChars(FT_HANDLE ftHandle, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) {
    // Event and error characters are a driver feature; disabled is all we use.
    return link(ftHandle) != nullptr ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS SerialD2xx::FT_SetTimeouts(FT_HANDLE ftHandle, std::uint32_t ReadTimeout, std::uint32_t WriteTimeout) {
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    l->readTimeoutMs = ReadTimeout;
    l->writeTimeoutMs = WriteTimeout;
    return FT_OK;
}

FT_STATUS SerialD2xx::FT_Write(FT_HANDLE ftHandle, const void* lpBuffer, std::uint32_t dwBytesToWrite,
                               std::uint32_t* lpdwBytesWritten) {
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    if (lpBuffer == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    const qint64 queued = l->port.write(static_cast<const char*>(lpBuffer), static_cast<qint64>(dwBytesToWrite));
    if (queued != static_cast<qint64>(dwBytesToWrite)) {
        return FT_IO_ERROR;
    }
    const int wait = l->writeTimeoutMs == 0 ? LongestWriteMs : static_cast<int>(l->writeTimeoutMs);
    QElapsedTimer timer;
    timer.start();
    while (l->port.bytesToWrite() > 0) {
        const int left = wait - static_cast<int>(timer.elapsed());
        if (left <= 0 || !l->port.waitForBytesWritten(left)) {
            return FT_IO_ERROR;
        }
    }
    if (lpdwBytesWritten != nullptr) {
        *lpdwBytesWritten = dwBytesToWrite;
    }
    return FT_OK;
}

FT_STATUS SerialD2xx::FT_Read(FT_HANDLE ftHandle, void* lpBuffer, std::uint32_t dwBytesToRead,
                              std::uint32_t* lpdwBytesReturned) {
    if (lpdwBytesReturned != nullptr) {
        *lpdwBytesReturned = 0;
    }
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    if (lpBuffer == nullptr || lpdwBytesReturned == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    auto* out = static_cast<char*>(lpBuffer);
    std::uint32_t got = 0;
    QElapsedTimer timer;
    timer.start();
    FT_STATUS status = FT_OK;
    for (;;) {
        const qint64 n = l->port.read(out + got, static_cast<qint64>(dwBytesToRead - got));
        if (n < 0) {
            status = FT_IO_ERROR;
            break;
        }
        got += static_cast<std::uint32_t>(n);
        if (got == dwBytesToRead) {
            break;
        }
        if (fastReads && got > 0 && std::memchr(out, '\n', got) != nullptr) {
            break;
        }
        const qint64 left = static_cast<qint64>(l->readTimeoutMs) - timer.elapsed();
        if (left <= 0) {
            break;
        }
        if (!l->port.waitForReadyRead(static_cast<int>(left))) {
            // Either the time-out passed or the line went away (unplugged).
            const auto error = l->port.error();
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
                status = FT_IO_ERROR;
                l->port.clearError();
                // Whatever is left in the buffer still counts.
                const qint64 rest = l->port.read(out + got, static_cast<qint64>(dwBytesToRead - got));
                got += rest > 0 ? static_cast<std::uint32_t>(rest) : 0;
                if (got == 0) {
                    status = FT_DEVICE_NOT_FOUND;
                }
                break;
            }
        }
    }
    *lpdwBytesReturned = got;
    return status;
}

FT_STATUS SerialD2xx::FT_Purge(FT_HANDLE ftHandle, std::uint32_t Mask) {
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    QSerialPort::Directions directions;
    if ((Mask & FT_PURGE_RX) != 0) {
        directions |= QSerialPort::Input;
    }
    if ((Mask & FT_PURGE_TX) != 0) {
        directions |= QSerialPort::Output;
    }
    // Both the port's own buffer and what the driver holds are dropped.
    return l->port.clear(directions) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS SerialD2xx::FT_CyclePort(FT_HANDLE ftHandle) {
    Link* l = link(ftHandle);
    if (l == nullptr) {
        return FT_INVALID_HANDLE;
    }
    // Closing the port is the portable form of re-enumerating the adapter.
    l->port.close();
    l->cycled = true;
    return FT_OK;
}

FT_STATUS SerialD2xx::FT_Close(FT_HANDLE ftHandle) {
    auto found = links_.find(ftHandle);
    if (found == links_.end()) {
        return FT_INVALID_HANDLE;
    }
    found->second->port.close();
    links_.erase(found);
    return FT_OK;
}
