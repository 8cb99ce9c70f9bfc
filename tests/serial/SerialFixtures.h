#pragma once

#include "D2xx.h"
#include "ForwardingD2xx.h"
#include "PortLister.h"
#include "PtyPeer.h"
#include "SerialD2xx.h"

#include <gtest/gtest.h>

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

// The adapter backend opened on a pseudo-terminal's other end, with a read
// time-out of its own.
struct OpenedAdapter {
    OpenedAdapter(PtyPeer& peer, std::uint32_t readMs, bool fast = false) : serial(ports) {
        ports.list = {adapterAt(peer.slavePath())};
        serial.fastReads = fast;
        EXPECT_EQ(serial.FT_OpenEx("FT232R USB UART", FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
        EXPECT_EQ(serial.FT_SetTimeouts(h, readMs, 0), FT_OK);
    }
    // Writes a command line; the answer then comes with read().
    void write(const std::string& line) {
        std::uint32_t n = 0;
        EXPECT_EQ(serial.FT_Write(h, line.data(), static_cast<std::uint32_t>(line.size()), &n), FT_OK);
    }
    std::string read(FT_STATUS* status = nullptr) {
        char buffer[256];
        std::uint32_t n = 0;
        const FT_STATUS s = serial.FT_Read(h, buffer, sizeof buffer, &n);
        if (status != nullptr) {
            *status = s;
        }
        return std::string(buffer, n);
    }

    ListedPorts ports;
    SerialD2xx serial;
    FT_HANDLE h = 0;
};
