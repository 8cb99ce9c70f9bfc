#pragma once

#include "D2xx.h"

#include <QThread>
#include <functional>

class QObject;

// Makes every call of a device library on a thread of its own. While a call
// blocks (a read waits up to 5 seconds for its answer) the user-interface
// thread waits in a local event loop that leaves the operator's input for
// later: the windows keep painting, moving and answering the window
// manager, show a busy cursor, and no form code runs until the call is done.
// The library and the objects it makes (a serial port) live on that thread.
class ThreadedD2xx final : public D2xx {
public:
    explicit ThreadedD2xx(D2xx& inner);
    ~ThreadedD2xx() override;

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

    // Runs work on the device thread without waiting for it, after the calls
    // before it: how the bench panel changes the simulated scope.
    void post(std::function<void()> work);

    // Runs before the user-interface thread starts waiting for a call: the
    // views repaint from their models, so that what was logged since the
    // last yield is on the screen while the call blocks.
    std::function<void()> beforeWaiting;

    // A call that takes longer than this shows the busy cursor.
    static constexpr int BusyCursorAfterMs = 150;

private:
    FT_STATUS call(const std::function<FT_STATUS()>& work);

    D2xx& inner_;
    QThread thread_;
    QObject* worker_;
};
