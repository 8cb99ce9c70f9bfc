#pragma once

#include "D2xx.h"
#include "ForwardingD2xx.h"
#include "PortLister.h"

#include <string>
#include <vector>

// What the serial tests put between the program and a pseudo-terminal.

struct ListedPorts final : PortLister {
    std::vector<PortInfo> list;
    std::vector<PortInfo> ports() override { return list; }
};

inline PortInfo adapterAt(const std::string& path, std::string description = "FT232R USB UART",
                          std::string serial = "A10KX7Q2", unsigned vendor = 0x0403) {
    return {path, std::move(description), std::move(serial), vendor};
}

// The device library with the read time-out the program sets replaced by a
// short one, so that each read of these tests waits a fraction of a second.
struct ShortTimeouts final : ForwardingD2xx {
    ShortTimeouts(D2xx& inner, std::uint32_t readMs) : ForwardingD2xx(inner), ms(readMs) {}
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, std::uint32_t, std::uint32_t w) override {
        return d.FT_SetTimeouts(h, ms, w);
    }
    std::uint32_t ms;
};

