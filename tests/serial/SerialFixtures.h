#pragma once

#include "D2xx.h"
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
struct ShortTimeouts final : D2xx {
    ShortTimeouts(D2xx& inner, std::uint32_t readMs) : d(inner), ms(readMs) {}
    FT_STATUS FT_ListDevices(void* a, void* b, std::uint32_t f) override { return d.FT_ListDevices(a, b, f); }
    FT_STATUS FT_OpenEx(const char* a, std::uint32_t f, FT_HANDLE* h) override { return d.FT_OpenEx(a, f, h); }
    FT_STATUS FT_GetComPortNumber(FT_HANDLE h, std::int32_t* n) override { return d.FT_GetComPortNumber(h, n); }
    FT_STATUS FT_SetUSBParameters(FT_HANDLE h, std::uint32_t i, std::uint32_t o) override {
        return d.FT_SetUSBParameters(h, i, o);
    }
    FT_STATUS FT_SetBaudRate(FT_HANDLE h, std::uint32_t b) override { return d.FT_SetBaudRate(h, b); }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE h, std::uint8_t w, std::uint8_t s, std::uint8_t p) override {
        return d.FT_SetDataCharacteristics(h, w, s, p);
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE h, std::uint16_t f, std::uint8_t x, std::uint8_t y) override {
        return d.FT_SetFlowControl(h, f, x, y);
    }
    FT_STATUS FT_SetChars(FT_HANDLE h, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t e) override {
        return d.FT_SetChars(h, a, b, c, e);
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, std::uint32_t, std::uint32_t w) override {
        return d.FT_SetTimeouts(h, ms, w);
    }
    FT_STATUS FT_Write(FT_HANDLE h, const void* b, std::uint32_t n, std::uint32_t* w) override {
        return d.FT_Write(h, b, n, w);
    }
    FT_STATUS FT_Read(FT_HANDLE h, void* b, std::uint32_t n, std::uint32_t* r) override {
        return d.FT_Read(h, b, n, r);
    }
    FT_STATUS FT_Purge(FT_HANDLE h, std::uint32_t m) override { return d.FT_Purge(h, m); }
    FT_STATUS FT_CyclePort(FT_HANDLE h) override { return d.FT_CyclePort(h); }
    FT_STATUS FT_Close(FT_HANDLE h) override { return d.FT_Close(h); }
    D2xx& d;
    std::uint32_t ms;
};

