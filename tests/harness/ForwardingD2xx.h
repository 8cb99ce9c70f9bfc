#pragma once

#include "D2xx.h"

// A device library that passes every call on to another one; a test
// overrides the calls it wants to change.
class ForwardingD2xx : public D2xx {
public:
    explicit ForwardingD2xx(D2xx& inner) : d(inner) {}
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
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, std::uint32_t r, std::uint32_t w) override {
        return d.FT_SetTimeouts(h, r, w);
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

protected:
    D2xx& d;
};
