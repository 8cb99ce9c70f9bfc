#pragma once

#include "D2xx.h"
#include "PortLister.h"

#include <QtGlobal>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QSerialPort;

// The device library over Qt Serial Port, for a real FT232R adapter. The
// adapters are the listed ports whose USB vendor is FTDI's, in the order of
// their names; a port is opened by its description, for exclusive use.
class SerialD2xx final : public D2xx {
public:
    explicit SerialD2xx(PortLister& lister);
    ~SerialD2xx() override;

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
    FT_STATUS FT_Purge(FT_HANDLE ftHandle, std::uint32_t Mask) override;
    FT_STATUS FT_CyclePort(FT_HANDLE ftHandle) override;
    FT_STATUS FT_Close(FT_HANDLE ftHandle) override;

    // Completes a read as soon as a line feed has arrived after some data.
    bool fastReads = false;

    static constexpr unsigned FtdiVendor = 0x0403;
    // A write with no time-out set still gives up after this long, so a
    // stalled line (CTS held off) never hangs the program.
    static constexpr int LongestWriteMs = 10000;
    // What the port keeps of what nobody read yet. A scope that floods the
    // line is then held off by the flow control instead of filling memory.
    static constexpr qint64 ReceiveBufferBytes = 4096;

    // The number at the end of a port's name: ttyUSB3 -> 3, COM7 -> 7; -1 if none.
    static std::int32_t portNumber(const std::string& portName);

private:
    struct Link;
    Link* link(FT_HANDLE h);
    const std::vector<PortInfo>& adapters(bool fresh);

    PortLister& lister_;
    std::vector<PortInfo> adapters_;
    bool listed_ = false;
    std::map<FT_HANDLE, std::unique_ptr<Link>> links_;
    FT_HANDLE nextHandle_ = 1;
};
