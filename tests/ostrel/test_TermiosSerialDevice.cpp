// The termios backend end to end: on pseudo-terminals, and through the
// serial port object against ostrel-printer-sim. Real time is spent only
// where a real line needs it; every wait has a deadline generous enough for
// a loaded two-core machine.
#include "KalvoNewComObject.h"
#include "MessageTarget.h"
#include "PrinterSimProcess.h"
#include "TermiosSerialDevice.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;
using IoResult = SerialDevice::IoResult;

constexpr auto kPatience = 20s;  // for anything that only has to happen eventually

class ToolComObject : public CKalvoNewComObject {
public:
    using CKalvoNewComObject::ReadBytes;
    using CKalvoNewComObject::SetComPort;
    using CKalvoNewComObject::WriteBite;
};

// Waits for one byte on a pipe; false when none came in time.
bool ReadByteFrom(int fd, std::chrono::milliseconds timeout) {
    pollfd p{fd, POLLIN, 0};
    char c;
    return ::poll(&p, 1, static_cast<int>(timeout.count())) == 1 && ::read(fd, &c, 1) == 1;
}

TEST(TermiosSerialDeviceTest, APortHeldByAnotherProcessIsBusy) {
    std::string error;
    auto pty = PseudoTerminal::Create(&error);
    ASSERT_TRUE(pty) << error;
    int opened[2], release[2];
    ASSERT_EQ(::pipe(opened), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The other program: holds the port until told to let go.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        auto held = TermiosSerialDevice::Open(pty->SlavePath());
        if (!held.device) ::_exit(1);
        if (::write(opened[1], "o", 1) != 1) ::_exit(2);
        ReadByteFrom(release[0], 30s);
        ::_exit(0);
    }
    ::close(opened[1]);
    ::close(release[0]);
    struct Reaper {
        pid_t pid;
        int pipe;
        ~Reaper() {
            ::close(pipe);
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    } reaper{child, release[1]};

    ASSERT_TRUE(ReadByteFrom(opened[0], kPatience));
    ::close(opened[0]);
    auto second = TermiosSerialDevice::Open(pty->SlavePath());
    EXPECT_FALSE(second.device);
    EXPECT_EQ(second.error, static_cast<DWORD>(EBUSY));
    EXPECT_EQ(second.message, "port busy: " + pty->SlavePath() + " is in use by another program");

    // Once the other program has gone, the port is free.
    ASSERT_EQ(::write(release[1], "r", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto third = TermiosSerialDevice::Open(pty->SlavePath());
    EXPECT_TRUE(third.device) << third.message;
}

TEST(TermiosSerialDeviceTest, TheSameProgramCannotOpenAPortTwiceEither) {
    std::string error;
    auto pty = PseudoTerminal::Create(&error);
    ASSERT_TRUE(pty) << error;
    auto first = TermiosSerialDevice::Open(pty->SlavePath());
    ASSERT_TRUE(first.device) << first.message;
    DWORD code = 0;
    std::string message;
    EXPECT_FALSE(OpenSerialPort(CString::FromUtf8(pty->SlavePath()), code, &message));
    EXPECT_EQ(code, static_cast<DWORD>(EBUSY));
    EXPECT_EQ(message.rfind("port busy: ", 0), 0u);
    EXPECT_TRUE(first.device->Close());
    EXPECT_TRUE(OpenSerialPort(CString::FromUtf8(pty->SlavePath()), code));

    auto none = TermiosSerialDevice::Open("/nonexistent/ttyQ");
    EXPECT_EQ(none.error, static_cast<DWORD>(ENOENT));
    auto notATerminal = TermiosSerialDevice::Open("/dev/null");
    EXPECT_EQ(notATerminal.error, static_cast<DWORD>(ENOTTY));
    EXPECT_EQ(SerialPortPath(L"COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialPortPath(L"ttyUSB0"), "/dev/ttyUSB0");
}

TEST(TermiosSerialDeviceTest, OpeningReadsTheFoundSettingAndReleasingPutsBackEveryFlag) {
    std::string error;
    auto pty = PseudoTerminal::Create(&error);
    ASSERT_TRUE(pty) << error;
    ASSERT_TRUE(pty->SetCooked(2400));
    const std::string before = pty->DescribeSetting();

    auto opened = TermiosSerialDevice::Open(pty->SlavePath());
    ASSERT_TRUE(opened.device) << opened.message;
    SerialDevice& port = *opened.device;
    EXPECT_TRUE(opened.device->IsPseudoTerminal());
    DCB found;
    ASSERT_TRUE(port.GetCommState(found));
    EXPECT_EQ(found.BaudRate, 2400u);
    EXPECT_EQ(found.ByteSize, 8);
    EXPECT_TRUE(found.fOutX);  // the terminal had IXON
    EXPECT_EQ(found.XonChar, ASCII_XON);
    EXPECT_NE(pty->DescribeSetting(), before);  // raw now

    DCB d = found;
    d.BaudRate = 19200;
    d.ByteSize = 7;
    d.Parity = EVENPARITY;
    d.StopBits = TWOSTOPBITS;
    d.fOutX = 0;
    ASSERT_TRUE(port.SetCommState(d));
    DCB line;
    ASSERT_TRUE(pty->GetLineSetting(line));
    EXPECT_EQ(line.BaudRate, 19200u);
    EXPECT_EQ(line.StopBits, TWOSTOPBITS);
    DCB back;
    ASSERT_TRUE(port.GetCommState(back));
    EXPECT_EQ(back.BaudRate, 19200u);
    EXPECT_EQ(back.ByteSize, 7);  // remembered: a pseudo-terminal keeps none
    EXPECT_EQ(back.Parity, EVENPARITY);

    d.BaudRate = 12345;
    EXPECT_FALSE(port.SetCommState(d));
    EXPECT_EQ(port.GetLastError(), static_cast<DWORD>(EINVAL));
    DWORD status = 0;
    ASSERT_TRUE(port.GetCommModemStatus(status));
    EXPECT_EQ(status & (MS_CTS_ON | MS_DSR_ON), MS_CTS_ON | MS_DSR_ON);  // no modem lines: on

    EXPECT_TRUE(port.Close());
    EXPECT_EQ(pty->DescribeSetting(), before);
    EXPECT_FALSE(port.Close());
    EXPECT_EQ(port.WriteByte('a', 10), IoResult::Rejected);
}

TEST(TermiosSerialDeviceTest, XonXoffAreTakenOutOfTheStreamAndHoldTheNextByte) {
    std::string error;
    auto pty = PseudoTerminal::Create(&error);
    ASSERT_TRUE(pty) << error;
    auto opened = TermiosSerialDevice::Open(pty->SlavePath());
    ASSERT_TRUE(opened.device) << opened.message;
    SerialDevice& port = *opened.device;
    DCB d;
    ASSERT_TRUE(port.GetCommState(d));
    d.BaudRate = 115200;
    d.fOutX = 1;
    ASSERT_TRUE(port.SetCommState(d));

    ASSERT_EQ(::write(pty->MasterFd(), "a\x13" "b", 3), 3);
    BYTE buf[4] = {};
    DWORD got = 0;
    ASSERT_EQ(port.Read(buf, 2, got, 20000), IoResult::Completed);
    EXPECT_EQ(std::string(buf, buf + got), "ab");
    COMSTAT st;
    ASSERT_TRUE(port.ClearCommError(nullptr, &st));
    EXPECT_TRUE(st.fXoffHold);
    EXPECT_EQ(port.WriteByte('x', 30), IoResult::TimedOut);
    EXPECT_EQ(port.GetLastError(), ERROR_IO_PENDING);

    // XON wakes a waiting write at once.
    std::thread xon([&] {
        std::this_thread::sleep_for(50ms);
        (void)!::write(pty->MasterFd(), "\x11", 1);
    });
    const auto start = Steady::now();
    EXPECT_EQ(port.WriteByte('y', 20000), IoResult::Completed);
    xon.join();
    EXPECT_LT(Steady::now() - start, 15s);
    char out[8];
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(::read(pty->MasterFd(), out, sizeof out), 1);
    EXPECT_EQ(out[0], 'y');

    // A read with nothing to read ends at its time, and CancelIo ends it early.
    std::thread cancel([&] {
        std::this_thread::sleep_for(50ms);
        port.CancelIo();
    });
    EXPECT_EQ(port.Read(buf, 1, got, 60000), IoResult::Failed);
    cancel.join();
    EXPECT_EQ(port.GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_EQ(port.Read(buf, 1, got, 30), IoResult::TimedOut);
    EXPECT_EQ(got, 0u);
}

class TermiosSerialDeviceEndToEndTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> script) {
        sim = std::make_unique<PrinterSimProcess>(script, GLYPHOS_BINARY_DIR "/bin");
        ASSERT_TRUE(sim->Started()) << sim->Error();
        ASSERT_TRUE(sim->WaitFor("line 9600", kPatience)) << "no first line setting";
    }
    void Open(UINT hw = 0) {
        ASSERT_TRUE(com.InitKalvoNewComObject(&window, &frame, CString::FromUtf8(dir.path() + "/"), L"com.log",
                                              CString::FromUtf8(sim->Path()), 0, hw));
    }

    ScopedScriptedUi ui;
    TempDir dir;
    QueuedMessageTarget window;
    int frame = 0;
    std::unique_ptr<PrinterSimProcess> sim;
    ToolComObject com;
};

TEST_F(TermiosSerialDeviceEndToEndTest, TheLineSettingIsAppliedAndRestored) {
    Start({});
    Open();
    ASSERT_TRUE(com.SetComPort(0x13));
    EXPECT_TRUE(sim->WaitFor("line 4800", kPatience));
    ASSERT_TRUE(com.SetComPort(0x06));
    EXPECT_TRUE(sim->WaitFor("line 38400", kPatience));
    EXPECT_TRUE(com.CloseComPort());
    EXPECT_EQ(com.GetStrComConfig(), L"Default port: " + CString::FromUtf8(sim->Path()));
    EXPECT_TRUE(sim->WaitFor("line 9600", kPatience));
}

TEST_F(TermiosSerialDeviceEndToEndTest, AByteStreamGoesToThePrinterAndComesBack) {
    Start({"echo on"});
    Open();
    ASSERT_TRUE(com.SetComPort(0x84));  // hardware flow: every byte value is data
    DWORD code = 0;
    std::vector<BYTE> sent(256);
    for (int i = 0; i < 256; ++i) sent[i] = static_cast<BYTE>((i * 37 + 11) & 0xFF);
    for (const BYTE b : sent) ASSERT_TRUE(com.WriteBite(b, &code)) << code;
    std::vector<BYTE> back(256);
    DWORD n = 0;
    // At 9600 baud 256 bytes are allowed 1.58 s; on a slow machine the echo
    // may need more reads.
    const auto deadline = Steady::now() + kPatience;
    while (n < back.size() && Steady::now() < deadline) {
        DWORD part = static_cast<DWORD>(back.size()) - n;
        com.ReadBytes(back.data() + n, &part, &code);
        n += part;
    }
    ASSERT_EQ(n, back.size());
    EXPECT_EQ(back, sent);
    const std::string summary = sim->Stop();
    EXPECT_EQ(summary.rfind("received 256 ", 0), 0u) << summary;
}

TEST_F(TermiosSerialDeviceEndToEndTest, FlowCharactersInAnAnswerNeverReachTheReader) {
    Start({"reply \"X\" -> \"A\" 13 \"B\" 11 \"C\""});
    Open();
    ASSERT_TRUE(com.SetComPort(0x04));  // Xon/Xoff
    DWORD code = 0;
    ASSERT_TRUE(com.WriteBite('X', &code));
    // Read until three bytes came: a loaded machine may deliver late.
    BYTE buf[3];
    DWORD n = 0;
    const auto deadline = Steady::now() + kPatience;
    while (n < 3 && Steady::now() < deadline) {
        DWORD part = 3 - n;
        com.ReadBytes(buf + n, &part, &code);
        n += part;
    }
    EXPECT_EQ(std::string(buf, buf + n), "ABC");
}

TEST_F(TermiosSerialDeviceEndToEndTest, ThePrinterListensOnlyAtItsRate) {
    Start({"reply \"?\" -> \"!\""});
    Open();
    ASSERT_TRUE(com.SetComPort(0x13));  // 4800: the printer reads garbage
    ASSERT_TRUE(sim->WaitFor("line 4800", kPatience));
    DWORD code = 0;
    BYTE b = 0;
    DWORD n = 1;
    ASSERT_TRUE(com.WriteBite('?', &code));
    EXPECT_TRUE(com.ReadBytes(&b, &n, &code));
    EXPECT_EQ(code, 41u);
    EXPECT_EQ(n, 0u);

    ASSERT_TRUE(com.SetComPort(0x04));
    ASSERT_TRUE(sim->WaitFor("line 9600", kPatience));
    ASSERT_TRUE(com.WriteBite('?', &code));
    const auto deadline = Steady::now() + kPatience;
    do {
        n = 1;
        com.ReadBytes(&b, &n, &code);
    } while (code != 0 && Steady::now() < deadline);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(b, '!');
}

TEST_F(TermiosSerialDeviceEndToEndTest, AReadWithoutAnswerTimesOutAfterItsTime) {
    Start({});
    Open();
    BYTE buf[100];
    DWORD n = 100;
    DWORD code = 0;
    const auto start = Steady::now();
    EXPECT_TRUE(com.ReadBytes(buf, &n, &code));
    const auto took = Steady::now() - start;
    EXPECT_EQ(code, 41u);
    EXPECT_EQ(n, 0u);
    EXPECT_GE(took, 770ms);
    EXPECT_LT(took, kPatience);
}

TEST_F(TermiosSerialDeviceEndToEndTest, XoffFromThePrinterHoldsWritesUntilItsXon) {
    Start({"buffer 64", "xoff-at 32", "xon-at 8", "print-rate 400"});
    Open();
    DWORD code = 0;
    // Write until the printer's XOFF is back; bytes beyond its buffer are
    // lost, which does not matter here.
    bool held = false;
    const auto deadline = Steady::now() + kPatience;
    for (int i = 0; !held && i < 200000 && Steady::now() < deadline; ++i) {
        if (!com.WriteBite('x', &code)) held = code == ERROR_XOFF_RECIVED;
    }
    ASSERT_TRUE(held) << "last code " << code;
    EXPECT_TRUE(sim->WaitFor("xoff", kPatience));

    // Released once the printer has printed its buffer down to 8 bytes.
    bool released = false;
    while (!released && Steady::now() < deadline + kPatience) {
        released = com.WriteBite('y', &code);
        if (!released) {
            EXPECT_TRUE(code == ERROR_XOFF_RECIVED || code == ERROR_IO_PENDING) << code;
            std::this_thread::sleep_for(20ms);
        }
    }
    EXPECT_TRUE(released);
    EXPECT_TRUE(sim->WaitFor("xon", kPatience));
}

}  // namespace
