#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const Lines StartLines{"OS Version: 6.1", ""};

const Lines ConfigurationLines{
    "Set Rx Tx Buffer Size to 64 Bytes each",
    "Set Baud Rate to 9600",
    "Set Data Characteristics to 8 data bits, 1 stop bit, no parity",
    "Set Flow Control to RTS, CTS",
    "Disable Event Characters",
    "Set WRITE Timeout to 0 second",
    "Set READ Timeout to 5 seconds",
};

const Lines ScopeLines{
    "VERBOSE ON",    "HEADER ON",        "ID?",        "ID BENCHSIM DS40,FV:v1.00\r\n", "MATH:DEFINE \"CH1 * CH2\"",
    "ACQ:NUMAVG 16", "ACQ:MODE AVERAGE", "ACQ:STATE?", ":ACQUIRE:STATE 1\r\n",
};

Lines concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

const Lines OpenLines{"Number of Devices: 1", "Device Description 1: FT232R USB UART", "Serial Number 1: BS40A001",
                      "Open Scope Device 1", "USB Port Number:  3"};

void expectStatus(const TextBox& box, const std::string& text, Colour back, Colour fore) {
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.BackColor, back) << text;
    EXPECT_EQ(box.ForeColor, fore) << text;
}

void expectResetState(TestRig& b) {
    expectStatus(b.form->Text1, "RESET SCOPE", Colours::Red, Colours::White);
    expectStatus(b.form->Text12, "FAULT", Colours::Red, Colours::White);
}

} // namespace

TEST(Connection, ASuccessfulConnectionLogsEveryStepAndBringsTheScopeToItsState) {
    TestRig b;
    b.start();
    Form1& f = *b.form;
    EXPECT_EQ(f.List1.lines, concat({StartLines, OpenLines, ConfigurationLines, ScopeLines})) << joined(f.List1.lines);
    expectStatus(f.Text1, "READY", Colours::Green, Colours::Black);
    expectStatus(f.Text12, "PRESS SETTINGS", Colours::Blue, Colours::White);
    EXPECT_EQ(f.Text2.text, " 3");
    EXPECT_EQ(f.Text13.text, "BENCHSIM DS40");
    EXPECT_EQ(f.Shape1.FillColor, Colours::Green);
    EXPECT_EQ(f.ScopeOpen, 1);
    EXPECT_FALSE(f.DialogueRunning);

    // The bytes the scope received, each line with CR LF and its byte count.
    EXPECT_EQ(b.d2xx.writtenBytes(), "VERBOSE ON\r\nHEADER ON\r\nID?\r\nMATH:DEFINE \"CH1 * CH2\"\r\nACQ:NUMAVG 16\r\n"
                                     "ACQ:MODE AVERAGE\r\nACQ:STATE?\r\n");
    std::vector<std::size_t> sizes;
    for (const TranscriptEntry& e : b.d2xx.transcript) {
        if (e.written) {
            sizes.push_back(e.bytes.size());
        }
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{12, 11, 5, 25, 15, 18, 12}));
    EXPECT_TRUE(b.scope.verbose && b.scope.header && b.scope.acquiring);
    EXPECT_EQ(b.scope.acquireMode, "AVERAGE");
    EXPECT_EQ(b.scope.mathDefinition, "CH1 * CH2");

    // The link settings, and two queries' worth of clock time.
    EXPECT_EQ(b.d2xx.settings.baud, 9600u);
    EXPECT_EQ(b.d2xx.settings.flow, FT_FLOW_RTS_CTS);
    EXPECT_EQ(b.d2xx.settings.xon, 13);
    EXPECT_EQ(b.d2xx.settings.xoff, 10);
    EXPECT_EQ(b.d2xx.settings.inTransfer, 64u);
    EXPECT_EQ(b.d2xx.readTimeoutMs(), 5000u);
    EXPECT_EQ(b.clock.slept(), 10000u + b.writeMsSince(0)) << "two queries and the line time";
    EXPECT_TRUE(f.window.visible);
    EXPECT_FALSE(f.Splash.window.loaded);
}

TEST(Connection, DeviceListsThatOpenNothing) {
    {
        TestRig b;
        b.d2xx.devices.clear();
        b.start();
        EXPECT_EQ(b.form->List1.lines, concat({StartLines, {"Number of Devices: 0"}}));
        EXPECT_EQ(b.form->Text1.text, "");
        EXPECT_EQ(b.form->Text12.text, "");
        EXPECT_EQ(b.form->Shape1.FillColor, Colours::Red);
        EXPECT_EQ(b.form->ScopeOpen, 0);
        EXPECT_TRUE(b.form->window.visible) << "the window is shown whatever the outcome";
    }
    {
        TestRig b;
        b.d2xx.reportedCount = 4;
        b.start();
        EXPECT_EQ(b.form->List1.lines, concat({StartLines, {"Max Devices cannot exceed 4"}}));
    }
    {
        TestRig b;
        b.d2xx.forcedStatus["FT_ListDevices"] = FT_OTHER_ERROR;
        b.start();
        EXPECT_EQ(b.form->List1.lines, concat({StartLines, {"FT_GetNumDevices failed"}}));
    }
    {
        TestRig b;
        b.d2xx.forcedStatus["FT_OpenEx"] = FT_DEVICE_NOT_OPENED;
        b.start();
        EXPECT_EQ(b.form->List1.lines, concat({StartLines,
                                               {"Number of Devices: 1", "Device Description 1: FT232R USB UART",
                                                "Serial Number 1: BS40A001", "Open Device 1 Failed"}}));
        EXPECT_EQ(b.form->ScopeOpen, 0);
        EXPECT_TRUE(b.d2xx.writtenBytes().empty());
    }
}

TEST(Connection, OnlyTheFt232rIsOpenedBesideAnotherDevice) {
    TestRig b;
    b.d2xx.devices.insert(b.d2xx.devices.begin(), SimDevice{"USB <-> Serial Cable", "FT9X2K11", 5, 0, 0, {}});
    b.start();
    const Lines expected{"Number of Devices: 2",      "Device Description 1: USB <-> Serial Cable",
                         "Serial Number 1: FT9X2K11", "Device Description 2: FT232R USB UART",
                         "Serial Number 2: BS40A001", "Open Scope Device 2",
                         "USB Port Number:  3"};
    EXPECT_EQ(b.form->List1.lines, concat({StartLines, expected, ConfigurationLines, ScopeLines}));
}

TEST(Connection, LockedListingsRetryTheWholeProcedureEveryTwoSeconds) {
    TestRig b;
    b.d2xx.devices[0].descriptionFailures = 1;
    b.d2xx.devices[0].serialFailures = 1;
    b.start();
    const Lines expected{"Number of Devices: 1", "Device Description 1: Locked", "Serial Number 1: Locked"};
    EXPECT_EQ(b.form->List1.lines, concat({StartLines, expected, OpenLines, ConfigurationLines, ScopeLines}))
        << joined(b.form->List1.lines);
    EXPECT_EQ(b.clock.slept(), 12000u + b.writeMsSince(0)) << "2 s of retry wait plus two queries";
}

TEST(Connection, ComPortMinusOneResetsTheLink) {
    TestRig b;
    b.d2xx.devices[0].comPort = -1;
    b.start();
    const Lines expected{"Number of Devices: 1", "Device Description 1: FT232R USB UART", "Serial Number 1: BS40A001",
                         "Open Scope Device 1", "Close Scope"};
    EXPECT_EQ(b.form->List1.lines, concat({StartLines, expected}));
    expectResetState(b);
    EXPECT_EQ(b.form->Text2.text, "XX");
    EXPECT_EQ(b.form->ScopeOpen, 0);
}

TEST(Connection, EveryConfigurationFailureLogsItsLineAndResets) {
    const std::vector<std::pair<const char*, const char*>> calls{
        {"FT_SetUSBParameters", "Set Rx TX Buffer Size Failed"},
        {"FT_SetBaudRate", "Set Baud Rate Failed"},
        {"FT_SetDataCharacteristics", "Set Data Characteristics Failed"},
        {"FT_SetFlowControl", "Set Flow Control Failed"},
        {"FT_SetChars", "Set Chars Failed"},
        {"FT_SetTimeouts", "Set Timeout Failed"},
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        TestRig b;
        b.d2xx.forcedStatus[calls.at(i).first] = FT_IO_ERROR;
        b.start();
        Lines expected = concat({StartLines, OpenLines});
        expected.insert(expected.end(), ConfigurationLines.begin(),
                        ConfigurationLines.begin() + static_cast<std::ptrdiff_t>(i));
        expected.push_back(calls.at(i).second);
        expected.push_back("Close Scope");
        EXPECT_EQ(b.form->List1.lines, expected) << calls.at(i).first;
        expectResetState(b);
        EXPECT_EQ(b.form->ScopeOpen, 1) << "the reset leaves ScopeOpen as it was";
        EXPECT_TRUE(b.d2xx.writtenBytes().empty());
    }
}

TEST(Connection, ExchangeFailuresEndInTheResetSequence) {
    const Lines head = concat({StartLines, OpenLines, ConfigurationLines});
    {
        TestRig b; // a failed write
        b.d2xx.addFault("HEADER ON", SimFault::writeFails());
        b.start();
        EXPECT_EQ(b.form->List1.lines, concat({head, {"VERBOSE ON", "Set Header ON Failed", "Close Scope"}}));
        expectResetState(b);
    }
    {
        TestRig b; // a silent scope
        b.d2xx.addFault("ID?", SimFault::noAnswer());
        b.start();
        EXPECT_EQ(b.form->List1.lines,
                  concat({head, {"VERBOSE ON", "HEADER ON", "ID?", "FT_Read timeout ftStatus =  0", "Close Scope"}}));
        expectResetState(b);
        EXPECT_FALSE(b.form->TestFailed);
    }
    {
        TestRig b; // a read error
        b.d2xx.addFault("ID?", SimFault::readError(FT_OTHER_ERROR));
        b.start();
        EXPECT_EQ(b.form->List1.lines,
                  concat({head, {"VERBOSE ON", "HEADER ON", "ID?", "FT_Read error ftStatus =  18", "Close Scope"}}));
    }
    {
        TestRig b; // an answer without LF: "Test Failed" comes last
        b.d2xx.addFault("ID?", SimFault::noLF());
        b.start();
        EXPECT_EQ(b.form->List1.lines, concat({head,
                                               {"VERBOSE ON", "HEADER ON", "ID?", "ID BENCHSIM DS40,FV:v1.00\r",
                                                "Close Scope", "Test Failed"}}));
        EXPECT_TRUE(b.form->TestFailed);
        expectResetState(b);
    }
    {
        TestRig b; // the cycle fails: no close, the port box keeps its number
        b.d2xx.addFault("ID?", SimFault::noAnswer());
        b.d2xx.forcedStatus["FT_CyclePort"] = FT_IO_ERROR;
        b.start();
        EXPECT_EQ(last(b.form->List1.lines), "CyclePort failed");
        EXPECT_EQ(b.form->Text2.text, " 3");
        EXPECT_EQ(std::count(b.d2xx.calls.begin(), b.d2xx.calls.end(), "FT_Close"), 0);
    }
    {
        TestRig b; // an acquisition state that is no digit is a malformed answer
        b.d2xx.addFault("ACQ:STATE?", SimFault::answered(":ACQUIRE:STATE ?\r\n"));
        b.start();
        EXPECT_EQ(last(b.form->List1.lines), "Test Failed");
        EXPECT_TRUE(b.form->TestFailed);
        expectResetState(b);
    }
}

TEST(Connection, AStoppedAcquisitionIsStartedAndConfirmed) {
    TestRig b;
    b.scope.acquiring = false;
    b.start();
    const Lines expected{"ACQ:STATE?", ":ACQUIRE:STATE 0\r\n", "ACQ:STATE ON", "ACQ:STATE?", ":ACQUIRE:STATE 1\r\n"};
    Lines all = concat({StartLines, OpenLines, ConfigurationLines, ScopeLines});
    all.resize(all.size() - 2);
    EXPECT_EQ(b.form->List1.lines, concat({all, expected}));
    EXPECT_EQ(b.form->Shape1.FillColor, Colours::Green);
    EXPECT_EQ(b.clock.slept(), 17000u + b.writeMsSince(0)) << "three queries and a 2-second wait";
}

TEST(Connection, DisconnectThenReconnect) {
    TestRig b;
    b.start();
    Form1& f = *b.form;
    f.disconnect();
    expectStatus(f.Text1, "DISCONNECTED", Colours::Red, Colours::White);
    expectStatus(f.Text12, "NOT READY", Colours::Red, Colours::White);
    EXPECT_EQ(f.Text2.text, "XX");
    EXPECT_EQ(f.Text13.text, "");
    EXPECT_EQ(f.Shape1.FillColor, Colours::Red);
    EXPECT_EQ(f.ScopeOpen, 0);
    EXPECT_EQ(lastOf(f.List1.lines, 2), (Lines{"", "Close Scope"}));

    f.disconnect(); // not "READY" any more: nothing
    EXPECT_EQ(last(f.List1.lines), "Close Scope");

    f.reconnect();
    EXPECT_EQ(f.List1.lines, concat({OpenLines, ConfigurationLines, ScopeLines}));
    expectStatus(f.Text1, "READY", Colours::Green, Colours::Black);
    EXPECT_EQ(f.ScopeOpen, 1);

    f.reconnect(); // only after DISCONNECT
    EXPECT_EQ(last(f.List1.lines), ":ACQUIRE:STATE 1\r\n");
}

TEST(Connection, AFailedCloseOnDisconnectIsFinishedByReconnect) {
    TestRig b;
    b.start();
    Form1& f = *b.form;
    b.d2xx.forcedStatus["FT_Close"] = FT_IO_ERROR;
    f.disconnect();
    EXPECT_EQ(last(f.List1.lines), "Close Failed");
    EXPECT_EQ(f.ScopeOpen, 1);
    b.d2xx.forcedStatus.erase("FT_Close");
    b.d2xx.forcedStatus["FT_CyclePort"] = FT_IO_ERROR;
    f.reconnect(); // the second cycle fails: logged, then the list is cleared and it connects
    b.d2xx.forcedStatus.clear();
    EXPECT_EQ(first(f.List1.lines), "Number of Devices: 1");
}

TEST(Connection, ReconnectAndDisconnectAreRefusedWhileAConnectionIsUnderWay) {
    TestRig b;
    b.start();
    Form1& f = *b.form;
    f.disconnect();
    b.scope.acquiring = false; // the confirmation loop yields in its 2-second wait
    // While "DISCONNECTED" still shows, a second RECONNECT would start a
    // second connection inside the first.
    b.pump.whenLogged(f.List1, "VERBOSE ON", [&] { f.reconnect(); });
    // Once "READY" shows, DISCONNECT would close the link under the loop.
    b.pump.whenLogged(f.List1, "ACQ:STATE ON", [&] { f.disconnect(); });
    f.reconnect();
    EXPECT_TRUE(b.pump.allDone());
    EXPECT_EQ(std::count(f.List1.lines.begin(), f.List1.lines.end(), "Open Scope Device 1"), 1)
        << joined(f.List1.lines);
    EXPECT_EQ(f.Text1.text, "READY");
    EXPECT_EQ(f.ScopeOpen, 1);
    EXPECT_TRUE(b.d2xx.isOpen(f.lngHandle));
}

TEST(Connection, RetriesAreBoundedSoStartUpAlwaysEnds) {
    {
        TestRig b; // a scope that never starts acquiring
        b.d2xx.addFault("ACQ:STATE?", SimFault::answered(":ACQUIRE:STATE 0\r\n"));
        b.start();
        const Lines& log = b.form->List1.lines;
        EXPECT_EQ(std::count(log.begin(), log.end(), "ACQ:STATE?"), 10);
        EXPECT_EQ(lastOf(log, 2), (Lines{"Acquisition Start Failed", "Close Scope"}));
        expectResetState(b);
        EXPECT_TRUE(b.form->window.visible);
    }
    {
        TestRig b; // a driver that never lists the serial number
        b.d2xx.devices[0].serialFailures = 1000;
        b.start();
        const Lines& log = b.form->List1.lines;
        EXPECT_EQ(std::count(log.begin(), log.end(), "Serial Number 1: Locked"), 30);
        EXPECT_EQ(last(log), "Device Listing Failed");
        EXPECT_EQ(b.clock.slept(), 60000u);
        EXPECT_EQ(b.form->ScopeOpen, 0);
    }
}

TEST(Connection, ARetryStartsFromNothingTheFailedAttemptListedOrOpened) {
    {
        // The first attempt lists the description and not the serial number;
        // the second lists the serial number and not the description. The
        // slot has no description then: nothing is compared or opened.
        TestRig b;
        b.d2xx.devices[0].descriptionOutcomes = {true, false, false};
        b.d2xx.devices[0].serialFailures = 1;
        b.d2xx.devices[0].descriptionFailures = 0;
        b.start();
        const Lines expected{"Number of Devices: 1",         "Device Description 1: FT232R USB UART",
                             "Serial Number 1: Locked",      "Number of Devices: 1",
                             "Device Description 1: Locked", "Serial Number 1: BS40A001"};
        EXPECT_EQ(b.form->List1.lines, concat({StartLines, expected})) << joined(b.form->List1.lines);
        EXPECT_EQ(b.form->ScopeOpen, 0);
        EXPECT_EQ(std::count(b.d2xx.calls.begin(), b.d2xx.calls.end(), "FT_OpenEx"), 0);
    }
    {
        // Two adapters; the second one's serial number cannot be listed at
        // first. The handle the first attempt opened is released before the
        // wait, so only the last attempt's handle is left open.
        TestRig b;
        b.d2xx.devices.push_back(SimDevice{"FT232R USB UART", "BS40A002", 4, 0, 1, {}});
        b.start();
        std::vector<FT_HANDLE> opened;
        std::size_t secondCount = 0;
        for (std::size_t i = 0; i < b.d2xx.calls.size(); ++i) {
            const SimCall& call = b.d2xx.calls.at(i);
            if (call.name == "FT_ListDevices" && call.args.at(1) == FT_LIST_NUMBER_ONLY && i > 0) {
                secondCount = secondCount == 0 ? i : secondCount;
            }
        }
        ASSERT_GT(secondCount, 0u) << "the procedure started again";
        const auto firstHandle = std::find(b.d2xx.calls.begin(), b.d2xx.calls.end(), "FT_GetComPortNumber");
        ASSERT_NE(firstHandle, b.d2xx.calls.end());
        const FT_HANDLE h = firstHandle->handle;
        const auto released = [&](const char* name) {
            for (std::size_t i = 0; i < secondCount; ++i) {
                if (b.d2xx.calls.at(i).name == name && b.d2xx.calls.at(i).handle == h) {
                    return true;
                }
            }
            return false;
        };
        EXPECT_TRUE(released("FT_CyclePort"));
        EXPECT_TRUE(released("FT_Close"));
        EXPECT_FALSE(b.d2xx.isOpen(h));
        EXPECT_TRUE(b.d2xx.isOpen(b.form->lngHandle));
        EXPECT_EQ(b.form->Text1.text, "READY");
    }
}

TEST(Connection, AnAcquisitionStateOfOneOrMoreIsRunning) {
    for (const auto& [state, running] :
         {std::pair{"2", true}, std::pair{"9", true}, std::pair{"1", true}, std::pair{"0", false}}) {
        TestRig b;
        b.d2xx.addFault("ACQ:STATE?", SimFault::answered(std::string(":ACQUIRE:STATE ") + state + "\r\n"));
        b.start();
        const Lines sent = b.d2xx.writtenLines();
        const bool started = std::find(sent.begin(), sent.end(), "ACQ:STATE ON") != sent.end();
        EXPECT_EQ(started, !running) << "state " << state;
        EXPECT_EQ(b.form->Shape1.FillColor, running ? Colours::Green : Colours::Red) << "state " << state;
    }
}
