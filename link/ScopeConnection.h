#pragma once

#include "D2xx.h"
#include "Statuses.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class Clock;
class EventPump;
class ScopeExchange;
struct Lamp;
struct ListBox;
struct TextBox;

// The main window's controls the connection writes.
struct LinkControls {
    ScopeStatusBox& Text1;       // OSCILLOSCOPE STATUS
    TextBox& Text2;              // USB PORT
    CalculatorStatusBox& Text12; // CALCULATOR STATUS
    TextBox& Text13;             // OSCILLOSCOPE
    Lamp& Shape1;                // ACQUIRE
    ListBox& List1;
};

// The main window's link variables the connection reads and writes.
struct LinkVariables {
    FT_HANDLE& lngHandle;
    std::int32_t& ScopeOpen;
    bool& TestFailed;
    bool& CalculationRunning;
    // Set while any routine is in a dialogue with the scope; a second
    // dialogue must not start inside the first one's yields.
    bool& DialogueRunning;
};

struct DeviceSlot {
    std::string description;
    std::string serialNumber;
};

// Finds, opens and configures the adapter, brings the scope to its known
// state, and closes the link again: on request or after a failure.
class ScopeConnection {
  public:
    ScopeConnection(D2xx& d2xx, Clock& clock, EventPump& pump, ScopeExchange& exchange, LinkControls controls,
                    LinkVariables variables, std::function<bool()> settingsVisible)
        : d2xx_(d2xx), clock_(clock), pump_(pump), exchange_(exchange), c_(controls), v_(variables),
          settingsVisible_(std::move(settingsVisible)) {}

    void ConnectScope();
    void ResetScope();
    void disconnect(); // DISCONNECT
    void reconnect();  // RECONNECT

    std::int32_t ComPortNumber = -1;
    std::int32_t DeviceCount = 0;
    std::array<DeviceSlot, 3> deviceSlots;
    std::string ScopeId;
    // For the record: the whole ID answer without its line end, and the
    // serial number of the adapter that was opened.
    std::string IdAnswer;
    std::string AdapterSerialNumber;
    std::string AcqState;

  private:
    enum class Outcome { Next, Stop, Retry };
    Outcome connectAttempt();
    Outcome listAndOpenSlot(std::uint32_t index);
    void releaseEarlierHandle();
    bool configureLink();
    bool prepareScope();
    bool confirmAcquisition();
    bool send(const std::string& text, const std::string& failureLine);

    D2xx& d2xx_;
    Clock& clock_;
    EventPump& pump_;
    ScopeExchange& exchange_;
    LinkControls c_;
    LinkVariables v_;
    std::function<bool()> settingsVisible_;
};
