#pragma once

#include <cstdint>

// The adapter vendor's device library, reduced to the operations this program
// calls. The names and argument orders are the library's own so that a reader
// who knows the driver recognises every call; the simulated bench and the
// serial-port backend both implement this interface.

using FT_HANDLE = std::int32_t;
using FT_STATUS = std::int32_t;

constexpr FT_STATUS FT_OK = 0;
constexpr FT_STATUS FT_INVALID_HANDLE = 1;
constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
constexpr FT_STATUS FT_DEVICE_NOT_OPENED = 3;
constexpr FT_STATUS FT_IO_ERROR = 4;
constexpr FT_STATUS FT_INVALID_PARAMETER = 6;
constexpr FT_STATUS FT_OTHER_ERROR = 18;

constexpr std::uint32_t FT_LIST_NUMBER_ONLY = 0x80000000u;
constexpr std::uint32_t FT_LIST_BY_INDEX = 0x40000000u;
constexpr std::uint32_t FT_OPEN_BY_SERIAL_NUMBER = 1u;
constexpr std::uint32_t FT_OPEN_BY_DESCRIPTION = 2u;

constexpr std::uint8_t FT_BITS_8 = 8;
constexpr std::uint8_t FT_STOP_BITS_1 = 0;
constexpr std::uint8_t FT_PARITY_NONE = 0;
constexpr std::uint16_t FT_FLOW_RTS_CTS = 0x0100;

constexpr std::uint32_t FT_PURGE_RX = 1;
constexpr std::uint32_t FT_PURGE_TX = 2;

// Descriptions and serial numbers fit in 64 bytes, terminating NUL included.
constexpr std::uint32_t FT_LIST_BUFFER_SIZE = 64;

// The operations, each as X(name, (parameters), (arguments)): the interface,
// every backend's declarations and the forwarding wrappers are all made from
// this one list.
//
// FT_ListDevices, with FT_LIST_NUMBER_ONLY: pArg1 points at a 32-bit count,
// pArg2 is null. With FT_LIST_BY_INDEX | FT_OPEN_BY_...: pArg1 carries the
// device index (as a pointer-sized integer) and pArg2 a buffer of
// FT_LIST_BUFFER_SIZE.
// FT_Read returns when dwBytesToRead bytes have arrived or the read time-out
// has passed since the call began; *lpdwBytesReturned tells how many arrived.
// FT_Purge discards what the adapter received and nobody read (FT_PURGE_RX),
// or what it still holds to send (FT_PURGE_TX). Bytes still on their way
// arrive afterwards, as on any serial line.
#define D2XX_OPERATIONS(X)                                                                                             \
    X(FT_ListDevices, (void* pArg1, void* pArg2, std::uint32_t Flags), (pArg1, pArg2, Flags))                          \
    X(FT_OpenEx, (const char* pArg1, std::uint32_t Flags, FT_HANDLE* pHandle), (pArg1, Flags, pHandle))                \
    X(FT_GetComPortNumber, (FT_HANDLE ftHandle, std::int32_t * lpdwComPortNumber), (ftHandle, lpdwComPortNumber))      \
    X(FT_SetUSBParameters, (FT_HANDLE ftHandle, std::uint32_t ulInTransferSize, std::uint32_t ulOutTransferSize),      \
      (ftHandle, ulInTransferSize, ulOutTransferSize))                                                                 \
    X(FT_SetBaudRate, (FT_HANDLE ftHandle, std::uint32_t BaudRate), (ftHandle, BaudRate))                              \
    X(FT_SetDataCharacteristics,                                                                                       \
      (FT_HANDLE ftHandle, std::uint8_t WordLength, std::uint8_t StopBits, std::uint8_t Parity),                       \
      (ftHandle, WordLength, StopBits, Parity))                                                                        \
    X(FT_SetFlowControl, (FT_HANDLE ftHandle, std::uint16_t FlowControl, std::uint8_t XonChar, std::uint8_t XoffChar), \
      (ftHandle, FlowControl, XonChar, XoffChar))                                                                      \
    X(FT_SetChars,                                                                                                     \
      (FT_HANDLE ftHandle, std::uint8_t EventChar, std::uint8_t EventCharEnabled, std::uint8_t ErrorChar,              \
       std::uint8_t ErrorCharEnabled),                                                                                 \
      (ftHandle, EventChar, EventCharEnabled, ErrorChar, ErrorCharEnabled))                                            \
    X(FT_SetTimeouts, (FT_HANDLE ftHandle, std::uint32_t ReadTimeout, std::uint32_t WriteTimeout),                     \
      (ftHandle, ReadTimeout, WriteTimeout))                                                                           \
    X(FT_Write,                                                                                                        \
      (FT_HANDLE ftHandle, const void* lpBuffer, std::uint32_t dwBytesToWrite, std::uint32_t* lpdwBytesWritten),       \
      (ftHandle, lpBuffer, dwBytesToWrite, lpdwBytesWritten))                                                          \
    X(FT_Read, (FT_HANDLE ftHandle, void* lpBuffer, std::uint32_t dwBytesToRead, std::uint32_t* lpdwBytesReturned),    \
      (ftHandle, lpBuffer, dwBytesToRead, lpdwBytesReturned))                                                          \
    X(FT_Purge, (FT_HANDLE ftHandle, std::uint32_t Mask), (ftHandle, Mask))                                            \
    X(FT_CyclePort, (FT_HANDLE ftHandle), (ftHandle))                                                                  \
    X(FT_Close, (FT_HANDLE ftHandle), (ftHandle))

#define D2XX_DECLARE_PURE(name, parameters, arguments) virtual FT_STATUS name parameters = 0;
#define D2XX_DECLARE_OVERRIDE(name, parameters, arguments) FT_STATUS name parameters override;
// What a backend declares: every operation, overridden.
#define D2XX_OVERRIDES D2XX_OPERATIONS(D2XX_DECLARE_OVERRIDE)

class D2xx {
  public:
    virtual ~D2xx() = default;
    D2XX_OPERATIONS(D2XX_DECLARE_PURE)
};

// Packs a device index into the pointer argument the listing call expects.
inline void* deviceIndexArg(std::uint32_t index) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(index));
}
inline std::uint32_t deviceIndexFromArg(void* arg) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(arg));
}
