#pragma once

#include <optional>
#include <string>
#include <vector>

// One serial port as the system lists it.
struct PortInfo {
    std::string portName;     // "ttyUSB0", "COM7", or a device path
    std::string description;  // the adapter's own USB product text
    std::string serialNumber; // the USB serial number
    std::optional<unsigned> vendorId;
};

// Lists the attached serial ports; tests present any set of adapters.
class PortLister {
  public:
    virtual ~PortLister() = default;
    virtual std::vector<PortInfo> ports() = 0;
};

// The ports Qt Serial Port finds. On Linux a port's description is read from
// the USB device's own product text in sysfs when it is there, so a name from
// a hardware database never stands in for what the adapter reports.
class SystemPortLister final : public PortLister {
  public:
    std::vector<PortInfo> ports() override;
};

// The USB product text of a tty, from sysfs; none off Linux or when absent.
std::optional<std::string> sysfsProduct(const std::string& portName, const std::string& sysRoot = "/sys");
