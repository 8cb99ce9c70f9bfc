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

    D2XX_OVERRIDES

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
