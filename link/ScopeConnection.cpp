#include "ScopeConnection.h"
#include "Statuses.h"

#include "Clock.h"
#include "CommandNumber.h"
#include "Controls.h"
#include "Delay.h"
#include "DialogueFlag.h"
#include "EndLink.h"
#include "EventPump.h"
#include "ScopeExchange.h"

#include <cstring>
#include <strings.h>

namespace {

constexpr const char* AdapterDescription = "FT232R USB UART";
constexpr std::int32_t SerialRetryMs = 2000;
constexpr std::int32_t AcquisitionRetryMs = 2000;
// A scope that never reports its acquisition running, or a driver that never
// lists a serial number, would otherwise keep start-up (whose window is not
// shown yet) waiting for ever. A minute or so of retries is enough.
constexpr int MostListingAttempts = 30;
constexpr int MostAcquisitionChecks = 10;

std::string slotText(const char* buffer) {
    return std::string(buffer, strnlen(buffer, FT_LIST_BUFFER_SIZE));
}

} // namespace

void ScopeConnection::ConnectScope() {
    DialogueFlag dialogue(v_.DialogueRunning);
    for (int attempt = 1; connectAttempt() == Outcome::Retry; ++attempt) {
        // A slot's serial number could not be listed: list everything again.
        if (attempt == MostListingAttempts) {
            c_.List1.AddItem("Device Listing Failed");
            return;
        }
    }
}

ScopeConnection::Outcome ScopeConnection::connectAttempt() {
    v_.ScopeOpen = 0;
    ComPortNumber = -1;

    std::uint32_t count = 0;
    if (d2xx_.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) {
        c_.List1.AddItem("FT_GetNumDevices failed");
        return Outcome::Stop;
    }
    DeviceCount = static_cast<std::int32_t>(std::min<std::uint32_t>(count, 0x7FFFFFFF));
    if (DeviceCount > 3) {
        c_.List1.AddItem("Max Devices cannot exceed 4");
        return Outcome::Stop;
    }
    c_.List1.AddItem("Number of Devices: " + std::to_string(DeviceCount));
    pump_.yield();

    for (std::uint32_t index = 0; index < static_cast<std::uint32_t>(DeviceCount); ++index) {
        const Outcome outcome = listAndOpenSlot(index);
        if (outcome != Outcome::Next) {
            return outcome;
        }
        pump_.yield();
    }

    if (v_.ScopeOpen == 1 && configureLink() && prepareScope()) {
        confirmAcquisition();
    }
    return Outcome::Stop;
}

ScopeConnection::Outcome ScopeConnection::listAndOpenSlot(std::uint32_t index) {
    const std::string n = std::to_string(index + 1);
    DeviceSlot& slot = deviceSlots[index];

    char description[FT_LIST_BUFFER_SIZE] = {};
    if (d2xx_.FT_ListDevices(deviceIndexArg(index), description, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) != FT_OK) {
        // A locked slot has no description: one from an earlier attempt
        // must not be compared and opened.
        slot.description.clear();
        c_.List1.AddItem("Device Description " + n + ": Locked");
    } else {
        slot.description = slotText(description);
        c_.List1.AddItem("Device Description " + n + ": " + slot.description);
    }

    char serial[FT_LIST_BUFFER_SIZE] = {};
    if (d2xx_.FT_ListDevices(deviceIndexArg(index), serial, FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER) != FT_OK) {
        slot.serialNumber.clear();
        c_.List1.AddItem("Serial Number " + n + ": Locked");
        // The attempt starts again from the count: a handle an earlier slot
        // of this attempt opened would otherwise stay open, unreachable.
        releaseEarlierHandle();
        delay(clock_, pump_, SerialRetryMs);
        return Outcome::Retry;
    }
    slot.serialNumber = slotText(serial);
    c_.List1.AddItem("Serial Number " + n + ": " + slot.serialNumber);

    if (strcasecmp(slot.description.c_str(), AdapterDescription) != 0) {
        return Outcome::Next;
    }
    // Only one adapter is expected; an earlier match's handle is released
    // before a later one replaces it, so no handle is left open unreachable.
    releaseEarlierHandle();
    if (d2xx_.FT_OpenEx(slot.description.c_str(), FT_OPEN_BY_DESCRIPTION, &v_.lngHandle) != FT_OK) {
        c_.List1.AddItem("Open Device " + n + " Failed");
        return Outcome::Stop;
    }
    c_.List1.AddItem("Open Scope Device " + n);
    AdapterSerialNumber = slot.serialNumber;
    std::int32_t port = -1;
    if (d2xx_.FT_GetComPortNumber(v_.lngHandle, &port) != FT_OK || port == -1) {
        ResetScope();
        return Outcome::Stop;
    }
    ComPortNumber = port;
    c_.List1.AddItem("USB Port Number: " + commandNumber(ComPortNumber));
    c_.Text2.text = commandNumber(ComPortNumber);
    v_.ScopeOpen = 1;
    return Outcome::Next;
}

void ScopeConnection::releaseEarlierHandle() {
    if (v_.ScopeOpen == 1 && d2xx_.FT_CyclePort(v_.lngHandle) == FT_OK) {
        d2xx_.FT_Close(v_.lngHandle);
    }
    v_.ScopeOpen = 0;
}

bool ScopeConnection::configureLink() {
    const FT_HANDLE h = v_.lngHandle;
    // Each call is made only when the one before it succeeded.
    const auto run = [&](auto&& call, std::initializer_list<const char*> success, const char* failure) {
        if (call() != FT_OK) {
            c_.List1.AddItem(failure);
            ResetScope();
            return false;
        }
        for (const char* line : success) {
            c_.List1.AddItem(line);
        }
        return true;
    };
    const bool ok =
        run([&] { return d2xx_.FT_SetUSBParameters(h, 64, 64); }, {"Set Rx Tx Buffer Size to 64 Bytes each"},
            "Set Rx TX Buffer Size Failed") &&
        run([&] { return d2xx_.FT_SetBaudRate(h, 9600); }, {"Set Baud Rate to 9600"}, "Set Baud Rate Failed") &&
        run([&] { return d2xx_.FT_SetDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE); },
            {"Set Data Characteristics to 8 data bits, 1 stop bit, no parity"}, "Set Data Characteristics Failed") &&
        run([&] { return d2xx_.FT_SetFlowControl(h, FT_FLOW_RTS_CTS, 13, 10); }, {"Set Flow Control to RTS, CTS"},
            "Set Flow Control Failed") &&
        run([&] { return d2xx_.FT_SetChars(h, 0, 0, 0, 0); }, {"Disable Event Characters"}, "Set Chars Failed") &&
        run([&] { return d2xx_.FT_SetTimeouts(h, 5000, 0); },
            {"Set WRITE Timeout to 0 second", "Set READ Timeout to 5 seconds"}, "Set Timeout Failed");
    if (ok) {
        pump_.yield();
    }
    return ok;
}

bool ScopeConnection::send(const std::string& text, const std::string& failureLine) {
    if (!exchange_.SendCommand(text, failureLine)) {
        ResetScope();
        return false;
    }
    return true;
}

bool ScopeConnection::prepareScope() {
    if (!send("VERBOSE ON", "Set Verbose ON Failed") || !send("HEADER ON", "Set Header ON Failed") ||
        !send("ID?", "ID Request Failed")) {
        return false;
    }
    const auto id = exchange_.ReadAnswer("ID ");
    if (!id) {
        ResetScope();
        return false;
    }
    ScopeId = id->size() > 3 ? id->substr(3, 13) : std::string();
    IdAnswer = id->substr(0, id->find_first_of("\r\n"));
    c_.Text13.text = ScopeId;
    if (!send("MATH:DEFINE \"CH1 * CH2\"", "MATH Redefinition Failed") ||
        !send("ACQ:NUMAVG 16", "ACQUIRE NUMERICAL AVERAGE Failed") ||
        !send("ACQ:MODE AVERAGE", "ACQUIRE MODE AVERAGE Failed")) {
        return false;
    }
    c_.Text1.set(ScopeStatus::Ready);
    if (settingsVisible_ && settingsVisible_()) {
        c_.Text12.set(CalculatorStatus::Ready);
    } else {
        c_.Text12.set(CalculatorStatus::PressSettings);
    }
    pump_.yield();
    return true;
}

bool ScopeConnection::confirmAcquisition() {
    for (int check = 1;; ++check) {
        if (!send("ACQ:STATE?", "ID Request Failed")) {
            return false;
        }
        const auto answer = exchange_.ReadAnswer(":ACQUIRE:STATE ");
        if (!answer) {
            ResetScope();
            return false;
        }
        // The state digit follows the 15-character header. Anything but a
        // digit there means the answer is not what the scope sends: the link
        // is judged broken, as for an answer without its line end.
        const auto state = acquisitionState(*answer);
        if (!state) {
            v_.TestFailed = true;
            ResetScope();
            return false;
        }
        AcqState = std::to_string(*state);
        if (*state >= 1) {
            c_.Shape1.FillColor = Colours::Green;
            return true;
        }
        if (check == MostAcquisitionChecks) {
            c_.List1.AddItem("Acquisition Start Failed");
            ResetScope();
            return false;
        }
        if (!send("ACQ:STATE ON", "ID Request Failed")) {
            return false;
        }
        delay(clock_, pump_, AcquisitionRetryMs);
    }
}

void ScopeConnection::ResetScope() {
    c_.Text1.set(ScopeStatus::ResetScope);
    c_.Text12.set(CalculatorStatus::Fault);
    pump_.yield();
    if (endLink(d2xx_, v_.lngHandle, c_.List1)) {
        c_.List1.AddItem("Close Scope");
        c_.Text2.text = "XX";
    }
    if (v_.TestFailed) {
        c_.List1.AddItem("Test Failed");
    }
}

void ScopeConnection::disconnect() {
    if (v_.CalculationRunning || v_.ScopeOpen != 1 || v_.DialogueRunning) {
        return;
    }
    if (!c_.Text1.is(ScopeStatus::Ready) || v_.TestFailed) {
        return;
    }
    c_.Text1.set(ScopeStatus::Disconnected);
    c_.Text2.text = "XX";
    c_.Text12.set(CalculatorStatus::NotReady);
    if (!endLink(d2xx_, v_.lngHandle, c_.List1)) {
        return;
    }
    c_.Text13.text.clear();
    c_.List1.AddItem("");
    c_.List1.AddItem("Close Scope");
    c_.Shape1.FillColor = Colours::Red;
    v_.ScopeOpen = 0;
}

void ScopeConnection::reconnect() {
    if (!c_.Text1.is(ScopeStatus::Disconnected) || v_.DialogueRunning) {
        return;
    }
    if (v_.ScopeOpen == 1 && endLink(d2xx_, v_.lngHandle, c_.List1)) {
        c_.List1.AddItem("");
        c_.List1.AddItem("Close Scope");
        c_.Shape1.FillColor = Colours::Red;
    }
    c_.List1.Clear();
    ConnectScope();
}
