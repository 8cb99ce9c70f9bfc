#include "CommandNumber.h"
#include "HeadlessRun.h"
#include "PtyPeer.h"
#include "SerialD2xx.h"
#include "SerialFixtures.h"
#include "TestRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// One session an operator would run: connect, read the settings, choose, measure.
void operatorSession(Form1& f) {
    f.Form_Load();
    f.openSettings();
    f.Settings.getSettings();
    f.Combo1.text = "9.4";
    f.loadResistorPicked();
    f.Combo2.text = "10.0";
    f.supplyVoltagePicked();
    f.Combo4.text = "100";
    f.loadCapacitorPicked();
    f.startCalculation();
}

std::string readBytes(const SimD2xx& d) {
    std::string all;
    for (const TranscriptEntry& e : d.transcript) {
        if (!e.written) {
            all += e.bytes;
        }
    }
    return all;
}

} // namespace

TEST(SerialListing, OnlyFtdiAdaptersAreListedInTheOrderOfTheirNames) {
    ListedPorts ports;
    SerialD2xx d2xx(ports);
    std::uint32_t count = 99;
    ASSERT_EQ(d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 0u);

    ports.list = {adapterAt("ttyUSB1", "FT232R USB UART", "B2"), adapterAt("ttyACM0", "Arduino Uno", "X", 0x2341),
                  adapterAt("ttyUSB0", "TTL232R-3V3", "A1")};
    ASSERT_EQ(d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 2u);
    char text[FT_LIST_BUFFER_SIZE];
    ASSERT_EQ(d2xx.FT_ListDevices(deviceIndexArg(0), text, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION), FT_OK);
    EXPECT_STREQ(text, "TTL232R-3V3");
    ASSERT_EQ(d2xx.FT_ListDevices(deviceIndexArg(1), text, FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER), FT_OK);
    EXPECT_STREQ(text, "B2");
    EXPECT_EQ(d2xx.FT_ListDevices(deviceIndexArg(2), text, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
              FT_DEVICE_NOT_FOUND);

    ports.list.assign(4, adapterAt("ttyUSB9"));
    ASSERT_EQ(d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 4u);

    EXPECT_EQ(SerialD2xx::portNumber("ttyUSB3"), 3);
    EXPECT_EQ(SerialD2xx::portNumber("COM7"), 7);
    EXPECT_EQ(SerialD2xx::portNumber("/dev/pts/12"), 12);
    EXPECT_EQ(SerialD2xx::portNumber("cu.usbserial"), -1);
}

TEST(SerialListing, TheConnectionFindsTheAdapterBesideAnotherFtdiDevice) {
    PtyPeer peer;
    ListedPorts ports;
    ports.list = {adapterAt("/dev/aa-not-there", "USB <-> Serial Cable", "FT1"), adapterAt(peer.slavePath())};
    SerialD2xx serial(ports);
    serial.fastReads = true;
    TestRig b;
    Platform platform = b.platformOn(serial);
    Form1 f(platform);
    f.Form_Load();
    const std::vector<std::string> head(f.List1.lines.begin() + 2, f.List1.lines.begin() + 9);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Number of Devices: 2", "Device Description 1: USB <-> Serial Cable", "Serial Number 1: FT1",
                        "Device Description 2: FT232R USB UART", "Serial Number 2: A10KX7Q2", "Open Scope Device 2",
                        "USB Port Number: " + commandNumber(SerialD2xx::portNumber(peer.slavePath()))}));
    EXPECT_EQ(f.Text1.text, "READY");
    EXPECT_EQ(f.Text13.text, "BENCHSIM DS40");
}

TEST(SerialLink, ASessionOverARealLineIsByteForByteTheInMemoryOne) {
    for (bool fast : {true, false}) {
        PtyPeer peer;
        ListedPorts ports;
        ports.list = {adapterAt(peer.slavePath(), "FT232R USB UART", "BS40A001")};
        SerialD2xx serial(ports);
        serial.fastReads = fast;
        ShortTimeouts shortReads(serial, fast ? 2000 : 120);
        TestRig onLine;
        Platform platform = onLine.platformOn(shortReads);
        Form1 f(platform);
        f.now = onLine.form->now;
        operatorSession(f);

        TestRig inMemory;
        operatorSession(*inMemory.form);

        ASSERT_EQ(last(f.List1.lines), "READY") << joined(f.List1.lines);
        // The last command needs no answer: give the peer a moment to take it in.
        for (int i = 0; i < 100 && peer.received().size() < inMemory.d2xx.writtenBytes().size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(peer.received(), inMemory.d2xx.writtenBytes()) << "fast " << fast;
        EXPECT_EQ(peer.sent(), readBytes(inMemory.d2xx)) << "fast " << fast;
        EXPECT_EQ(f.List1.lines, inMemory.form->List1.lines);
        EXPECT_EQ(f.Text16.text, inMemory.form->Text16.text);
    }
}

TEST(SerialLink, AHeadlessRunDrivesTheLineAsTheWindowsDo) {
    PtyPeer peer;
    ListedPorts ports;
    ports.list = {adapterAt(peer.slavePath(), "FT232R USB UART", "BS40A001")};
    SerialD2xx serial(ports);
    serial.fastReads = true;
    RealClock clock;
    HeadlessChoices choices;
    choices.loadResistor = "9.4";
    choices.supply = "10";
    choices.capacitor = "100";
    HeadlessRun run(choices, serial, clock);
    std::FILE* rows = std::tmpfile();
    std::FILE* events = std::tmpfile();
    run.rows = rows;
    run.events = events;
    EXPECT_EQ(run.run(), EveryPassComplete);
    std::fclose(rows);
    std::fclose(events);

    TestRig inMemory;
    operatorSession(*inMemory.form);
    EXPECT_GT(peer.received().size(), 400u) << "a connection, GET SETTINGS and a pass";
    EXPECT_EQ(peer.received(), inMemory.d2xx.writtenBytes());
    EXPECT_EQ(peer.sent(), readBytes(inMemory.d2xx));
}

TEST(SerialLink, SilenceSplitAnswersAndAHangUp) {
    {
        PtyPeer peer(PtyPeer::Mode::Silent);
        OpenedAdapter adapter(peer, 300);
        adapter.write("ID?\r\n");
        QElapsedTimer timer;
        timer.start();
        FT_STATUS status = FT_OTHER_ERROR;
        EXPECT_EQ(adapter.read(&status), "");
        EXPECT_EQ(status, FT_OK);
        EXPECT_GE(timer.elapsed(), 295);
        EXPECT_LT(timer.elapsed(), 2000);
    }
    for (bool fast : {false, true}) {
        PtyPeer peer(PtyPeer::Mode::SplitAnswers);
        peer.scope.header = true;
        peer.scope.verbose = true;
        OpenedAdapter adapter(peer, 1000, fast);
        adapter.write("MEASU:MEAS1:VALUE?\r\n");
        EXPECT_EQ(adapter.read(), ":MEASUREMENT:MEAS1:VALUE 1E+01\r\n") << "fast " << fast;
    }
    {
        PtyPeer peer;
        OpenedAdapter adapter(peer, 300);
        SerialD2xx& serial = adapter.serial;
        const FT_HANDLE h = adapter.h;
        peer.hangUp();
        FT_STATUS status = FT_OK;
        EXPECT_EQ(adapter.read(&status), "");
        EXPECT_EQ(status, FT_DEVICE_NOT_FOUND) << "a line that went away is a read error";
        std::uint32_t n = 0;
        // After the cycle and close the handle is stale.
        EXPECT_EQ(serial.FT_CyclePort(h), FT_OK);
        EXPECT_NE(serial.FT_Write(h, "ID?\r\n", 5, &n), FT_OK);
        EXPECT_EQ(serial.FT_Close(h), FT_OK);
        EXPECT_EQ(serial.FT_Close(h), FT_INVALID_HANDLE);
        EXPECT_EQ(serial.FT_SetBaudRate(12345, 9600), FT_INVALID_HANDLE);
    }
}

TEST(SerialListing, TheDescriptionIsTheAdaptersOwnProductText) {
    QTemporaryDir sys;
    ASSERT_TRUE(sys.isValid());
    const QString usbDevice = sys.path() + "/devices/pci0/usb1/1-1";
    ASSERT_TRUE(QDir().mkpath(usbDevice + "/1-1:1.0/ttyUSB0"));
    QFile product(usbDevice + "/product");
    ASSERT_TRUE(product.open(QIODevice::WriteOnly));
    product.write("FT232R USB UART\n");
    product.close();
    ASSERT_TRUE(QDir().mkpath(sys.path() + "/class/tty/ttyUSB0"));
    ASSERT_TRUE(QFile::link(usbDevice + "/1-1:1.0/ttyUSB0", sys.path() + "/class/tty/ttyUSB0/device"));
    EXPECT_EQ(sysfsProduct("ttyUSB0", sys.path().toStdString()), "FT232R USB UART");
    EXPECT_FALSE(sysfsProduct("ttyUSB7", sys.path().toStdString()).has_value());
}

TEST(SerialLink, TheLineIsSetToNineThousandSixHundredBaudEightNoneOneWithRtsCts) {
    PtyPeer peer;
    ListedPorts ports;
    ports.list = {adapterAt(peer.slavePath())};
    SerialD2xx serial(ports);
    serial.fastReads = true;
    TestRig b;
    Platform platform = b.platformOn(serial);
    Form1 f(platform);
    f.Form_Load();
    ASSERT_EQ(f.Text1.text, "READY") << joined(f.List1.lines);
    // The terminal's attributes, as the program left them on the line.
    const int fd = ::open(peer.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios line{};
    ASSERT_EQ(tcgetattr(fd, &line), 0);
    ::close(fd);
    EXPECT_EQ(cfgetispeed(&line), B9600);
    EXPECT_EQ(cfgetospeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8)) << "8 data bits";
    EXPECT_EQ(line.c_cflag & CSTOPB, 0u) << "1 stop bit";
    EXPECT_EQ(line.c_cflag & PARENB, 0u) << "no parity";
    EXPECT_NE(line.c_cflag & CRTSCTS, 0u) << "RTS/CTS";
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u) << "no XON/XOFF";
}

TEST(SerialLink, FastReadsWaitForTheLineFeedNotTheCarriageReturn) {
    for (bool fast : {true, false}) {
        PtyPeer peer(PtyPeer::Mode::SplitAtLineEnd);
        peer.scope.header = true;
        peer.scope.verbose = true;
        OpenedAdapter adapter(peer, 1500, fast);
        adapter.write("MEASU:MEAS1:VALUE?\r\n");
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(adapter.read(), ":MEASUREMENT:MEAS1:VALUE 1E+01\r\n") << "fast " << fast;
        if (fast) {
            EXPECT_GE(timer.elapsed(), 140) << "it waited for the line feed";
            EXPECT_LT(timer.elapsed(), 1000) << "and not for the time-out";
        } else {
            EXPECT_GE(timer.elapsed(), 1490) << "the time-out decides";
        }
    }
}
