#include "SimulatedPrinterLine.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using namespace std::chrono_literals;
using IoResult = SerialDevice::IoResult;

PrinterScript Script(const char* text) {
    std::string error;
    auto s = PrinterScript::Parse(text, &error);
    EXPECT_TRUE(s) << error;
    return s ? *s : PrinterScript{};
}

class SimulatedPrinterLineTest : public ::testing::Test {
protected:
    void OpenWith(const char* script) {
        line = std::make_unique<SimulatedPrinterLine>(Script(script));
        DWORD error = 0;
        port = line->Open(error);
        ASSERT_TRUE(port) << error;
    }
    void Set(DWORD baud, bool xonXoff, bool hardware) {
        DCB d;
        ASSERT_TRUE(port->GetCommState(d));
        d.BaudRate = baud;
        d.fOutX = xonXoff;
        d.fOutxCtsFlow = hardware;
        d.fOutxDsrFlow = hardware;
        ASSERT_TRUE(port->SetCommState(d));
    }
    void Write(const std::string& bytes) {
        for (const char c : bytes) ASSERT_EQ(port->WriteByte(static_cast<BYTE>(c), 300), IoResult::Completed);
    }
    std::string ReadAll(DWORD count, DWORD waitMs, IoResult* result = nullptr) {
        std::string out(count, '\0');
        DWORD got = 0;
        const IoResult r = port->Read(reinterpret_cast<BYTE*>(out.data()), count, got, waitMs);
        if (result) *result = r;
        out.resize(got);
        return out;
    }
    Clock::duration Elapsed() const { return line->GetClock().Elapsed(); }

    std::unique_ptr<SimulatedPrinterLine> line;
    std::unique_ptr<SerialDevice> port;
};

TEST_F(SimulatedPrinterLineTest, EachByteTakesOneCharacterTimeAndArrivesUnchanged) {
    OpenWith("baud 9600\n");
    Write("abc");
    EXPECT_EQ(line->Received(), (std::vector<BYTE>{'a', 'b', 'c'}));
    // 8N1 is ten bits a character: 3 x 10 / 9600 s.
    EXPECT_EQ(Elapsed(), 3 * 1041666ns);
}

TEST_F(SimulatedPrinterLineTest, AtTheWrongRateBytesAreGarbledOrLostAndCommandsGoUnanswered) {
    OpenWith("baud 9600\nreply \"Q\" -> 06\n");
    Set(19200, false, false);
    Write("Q");
    Set(38400, false, false);
    Write("Q");
    Set(9600, false, false);
    IoResult r;
    EXPECT_EQ(ReadAll(1, 100, &r), "");
    EXPECT_EQ(r, IoResult::TimedOut);
    // Twice the rate: the printer reads the bits shifted; four times: nothing.
    EXPECT_EQ(line->Received(), (std::vector<BYTE>{('Q' << 1 | 1) & 0xFF}));
    Write("Q");
    EXPECT_EQ(ReadAll(1, 100), "\x06");
}

TEST_F(SimulatedPrinterLineTest, ScriptedCommandsAreAnsweredAfterTheLatency) {
    OpenWith("model 0x2A\nlatency 5\nreply 1D 49 -> 10 model\n");
    Write("\x1D\x49");
    const auto sent = Elapsed();
    EXPECT_EQ(ReadAll(2, 100), "\x10\x2A");
    // Latency, then two characters of answer.
    EXPECT_EQ(Elapsed() - sent, 5ms + 2 * 1041666ns);
}

TEST_F(SimulatedPrinterLineTest, AReadWithNothingToReadWaitsExactlyItsTime) {
    OpenWith("");
    IoResult r;
    EXPECT_EQ(ReadAll(4, 255, &r), "");
    EXPECT_EQ(r, IoResult::TimedOut);
    EXPECT_EQ(port->GetLastError(), ERROR_IO_PENDING);
    EXPECT_EQ(Elapsed(), 255ms);
}

TEST_F(SimulatedPrinterLineTest, ThePortsOwnReadTimeoutsEndAReadShort) {
    OpenWith("reply \"?\" -> \"ab\"\n");
    COMMTIMEOUTS t;
    t.ReadTotalTimeoutConstant = 40;
    ASSERT_TRUE(port->SetCommTimeouts(t));
    Write("?");
    IoResult r;
    EXPECT_EQ(ReadAll(5, 1000, &r), "ab");
    EXPECT_EQ(r, IoResult::Completed);

    t = COMMTIMEOUTS{};
    t.ReadIntervalTimeout = MAXDWORD;
    ASSERT_TRUE(port->SetCommTimeouts(t));
    const auto before = Elapsed();
    EXPECT_EQ(ReadAll(5, 1000, &r), "");
    EXPECT_EQ(r, IoResult::Completed);
    EXPECT_EQ(Elapsed(), before);
}

TEST_F(SimulatedPrinterLineTest, XoffAtTheThresholdHoldsWritesUntilThePrinterHasPrinted) {
    // 1000 bytes a second: the buffer drains from 8 to 2 in 6 ms.
    OpenWith("baud 115200\nbuffer 10\nxoff-at 8\nxon-at 2\nprint-rate 1000\nflow xonxoff\n");
    Set(115200, true, false);
    for (int i = 0; i < 8; ++i) ASSERT_EQ(port->WriteByte('x', 300), IoResult::Completed);
    COMSTAT st;
    DWORD errors = 0;
    line->GetClock().SleepFor(200us);  // the XOFF character reaches the port
    ASSERT_TRUE(port->ClearCommError(&errors, &st));
    EXPECT_TRUE(st.fXoffHold);
    EXPECT_EQ(line->XoffCount(), 1u);

    const auto held = Elapsed();
    EXPECT_EQ(port->WriteByte('y', 300), IoResult::Completed);
    EXPECT_GT(Elapsed() - held, 5ms);
    EXPECT_LT(Elapsed() - held, 8ms);
    EXPECT_EQ(line->XonCount(), 1u);
    // Flow characters never reach the reader.
    EXPECT_EQ(ReadAll(1, 10), "");

    // A write that cannot wait long enough times out, still held.
    for (int i = 0; i < 20 && line->XoffCount() < 2; ++i) ASSERT_EQ(port->WriteByte('z', 300), IoResult::Completed);
    line->GetClock().SleepFor(200us);
    EXPECT_EQ(port->WriteByte('w', 2), IoResult::TimedOut);
    ASSERT_TRUE(port->ClearCommError(&errors, &st));
    EXPECT_TRUE(st.fXoffHold);
}

TEST_F(SimulatedPrinterLineTest, WithoutXonXoffFlowTheFlowCharactersAreData) {
    OpenWith("");
    line->SendFromPrinter({0x13, 'a', 0x11});
    EXPECT_EQ(ReadAll(3, 50), "\x13" "a\x11");
}

TEST_F(SimulatedPrinterLineTest, AFullBufferDropsCtsAndHoldsHardwareFlow) {
    OpenWith("buffer 4\nbusy-at 3\nready-at 1\nprint-rate 0\nflow hardware\n");
    Set(9600, false, true);
    Write("abc");
    DWORD status = 0;
    ASSERT_TRUE(port->GetCommModemStatus(status));
    EXPECT_FALSE(status & MS_CTS_ON);
    EXPECT_TRUE(status & MS_DSR_ON);
    EXPECT_EQ(port->WriteByte('d', 300), IoResult::TimedOut);
    COMSTAT st;
    ASSERT_TRUE(port->ClearCommError(nullptr, &st));
    EXPECT_TRUE(st.fCtsHold);
    EXPECT_FALSE(st.fXoffHold);
    EXPECT_EQ(line->XoffCount(), 0u);
}

TEST_F(SimulatedPrinterLineTest, BusyAfterAnAnsweredCommandLastsTheScriptedTime) {
    OpenWith("reply \"R\" -> 06 busy 5000\n");
    Write("R");
    DWORD status = 0;
    ASSERT_TRUE(port->GetCommModemStatus(status));
    EXPECT_FALSE(status & MS_CTS_ON);
    line->GetClock().SleepFor(5s);
    ASSERT_TRUE(port->GetCommModemStatus(status));
    EXPECT_TRUE(status & MS_CTS_ON);
}

TEST_F(SimulatedPrinterLineTest, ASwitchedOffPrinterDropsDsrAndLosesWhatItIsSent) {
    OpenWith("reply \"?\" -> 01\n");
    line->SetPower(false);
    DWORD status = 0;
    ASSERT_TRUE(port->GetCommModemStatus(status));
    EXPECT_EQ(status & (MS_CTS_ON | MS_DSR_ON), 0u);
    Write("?");
    EXPECT_EQ(ReadAll(1, 50), "");
    EXPECT_TRUE(line->Received().empty());
    line->SetPower(true);
    Write("?");
    EXPECT_EQ(ReadAll(1, 50), "\x01");
}

TEST_F(SimulatedPrinterLineTest, OnePortAtATimeAndNamedPortsOpenThroughTheRegistry) {
    line = std::make_unique<SimulatedPrinterLine>();
    line->Attach(L"SIMTEST1");
    DWORD error = 0;
    std::string message;
    auto first = OpenSerialPort(L"SIMTEST1", error, &message);
    ASSERT_TRUE(first);
    EXPECT_FALSE(OpenSerialPort(L"SIMTEST1", error, &message));
    EXPECT_EQ(error, static_cast<DWORD>(EBUSY));
    EXPECT_EQ(message, "port busy: SIMTEST1 is already open");
    EXPECT_TRUE(first->Close());
    EXPECT_FALSE(first->Close());
    EXPECT_EQ(first->GetLastError(), static_cast<DWORD>(EBADF));
    auto second = OpenSerialPort(L"SIMTEST1", error);
    ASSERT_TRUE(second);

    line.reset();
    DCB d;
    EXPECT_FALSE(second->GetCommState(d));
    EXPECT_EQ(second->GetLastError(), static_cast<DWORD>(EIO));
    EXPECT_FALSE(OpenSerialPort(L"SIMTEST1", error));
}

TEST_F(SimulatedPrinterLineTest, InjectedFaultsFailTheNamedOperationOnly) {
    OpenWith("");
    line->Fail(SimulatedPrinterLine::Op::SetCommState, EIO, 2);
    line->Fail(SimulatedPrinterLine::Op::WriteWait, ERROR_OPERATION_ABORTED);
    DCB d;
    EXPECT_TRUE(port->GetCommState(d));
    EXPECT_FALSE(port->SetCommState(d));
    EXPECT_FALSE(port->SetCommState(d));
    EXPECT_EQ(port->GetLastError(), static_cast<DWORD>(EIO));
    EXPECT_TRUE(port->SetCommState(d));
    EXPECT_EQ(port->WriteByte('a', 10), IoResult::Failed);
    EXPECT_EQ(port->GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_EQ(port->WriteByte('a', 10), IoResult::Completed);
}

TEST_F(SimulatedPrinterLineTest, InvalidLineSettingsAreRefused) {
    OpenWith("");
    DCB d;
    ASSERT_TRUE(port->GetCommState(d));
    DCB bad = d;
    bad.ByteSize = 9;
    EXPECT_FALSE(port->SetCommState(bad));
    bad = d;
    bad.BaudRate = 0;
    EXPECT_FALSE(port->SetCommState(bad));
    bad = d;
    bad.fOutX = 1;
    bad.XonChar = bad.XoffChar;
    EXPECT_FALSE(port->SetCommState(bad));
    EXPECT_EQ(port->GetLastError(), static_cast<DWORD>(EINVAL));
    EXPECT_EQ(line->LineSetting().BaudRate, d.BaudRate);
}

// At least 16 bytes, so that the writer wakes once per several bytes even
// at low rates; at most 48, so that a hold lets no more than 64 through
// with what a USB adapter holds unseen.
TEST(WritePacingRuleTest, AboutFifteenMillisecondsOfLineTimeMayWaitAheadOfTheLine) {
    struct Case {
        DWORD baud;
        BYTE byteSize, parity, stopBits;
        DWORD inFlight;
    } cases[] = {
        {1200, 8, NOPARITY, ONESTOPBIT, 16},   {9600, 8, NOPARITY, ONESTOPBIT, 16},
        {19200, 8, NOPARITY, ONESTOPBIT, 28},  {28800, 8, NOPARITY, ONESTOPBIT, 43},
        {28800, 8, EVENPARITY, ONESTOPBIT, 39}, {38400, 7, EVENPARITY, TWOSTOPBITS, 48},
        {115200, 8, NOPARITY, ONESTOPBIT, 48}, {921600, 8, NOPARITY, ONESTOPBIT, 48},
    };
    for (const auto& c : cases) {
        DCB d;
        d.BaudRate = c.baud;
        d.ByteSize = c.byteSize;
        d.Parity = c.parity;
        d.StopBits = c.stopBits;
        EXPECT_EQ(WritePacingRule::For(d).inFlight, c.inFlight) << c.baud << " baud, " << int(c.byteSize) << " bits";
    }
}

// What a driver does not count (a pseudo-terminal counts nothing) is still
// on the line for one character time a byte.
TEST(WritePacingRuleTest, TheLinesPaceCountsWhatCannotHaveLeftYet) {
    DCB d;
    d.BaudRate = 9600;
    d.ByteSize = 8;
    const WritePacingRule rule = WritePacingRule::For(d);
    using T = Clock::time_point;
    LinePace<T> pace;
    for (int i = 0; i < 3; ++i) pace.Wrote(rule, T{});
    EXPECT_EQ(pace.Backlog(rule, T{}), 3u);
    EXPECT_EQ(pace.Backlog(rule, T{} + rule.character * 2), 1u);
    EXPECT_EQ(pace.Backlog(rule, T{} + rule.character * 3), 0u);
    // After an idle line a byte starts when it is written.
    pace.Wrote(rule, T{} + 1s);
    EXPECT_EQ(pace.Backlog(rule, T{} + 1s), 1u);
    pace.Discard(T{} + 1s);
    EXPECT_EQ(pace.Backlog(rule, T{} + 1s), 0u);
}

// Through a queueing transmitter the line stays busy, a hold stops the
// stream within what is queued and loses nothing, and a purge throws the
// queue away.
TEST_F(SimulatedPrinterLineTest, AQueueingTransmitterKeepsTheLineBusyAndAHoldStopsItWithinTheQueue) {
    using T = SimulatedPrinterLine::Transmitter;
    struct Case {
        T transmitter;
        DWORD baud;
        bool hardware;
    } cases[] = {{T::Fifo, 9600, false},        {T::Fifo, 115200, true}, {T::UsbAdapter, 9600, true},
                 {T::UsbAdapter, 115200, false}, {T::Fifo, 38400, false}, {T::UsbAdapter, 38400, true}};
    constexpr std::size_t kFull = 600;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.transmitter == T::Fifo ? "fifo " : "usb ") << c.baud
                                        << (c.hardware ? " cts" : " xoff"));
        const std::string script = "baud " + std::to_string(c.baud) + "\nbuffer 65536\nlever up\n" +
                                   (c.hardware ? "flow hardware\nready-at 10\nbusy-at " : "flow xonxoff\nxon-at 10\nxoff-at ") +
                                   std::to_string(kFull) + "\n";
        OpenWith(script.c_str());
        Set(c.baud, !c.hardware, c.hardware);
        line->SetTransmitter(c.transmitter);
        DCB d;
        ASSERT_TRUE(port->GetCommState(d));
        const WritePacingRule rule = WritePacingRule::For(d);
        // What the port does not count: a USB adapter's own FIFO.
        const std::size_t unseen = c.transmitter == T::UsbAdapter ? SimulatedPrinterLine::kFifoSize : 0;

        std::vector<BYTE> sent;
        std::size_t mostInFlight = 0;
        while (sent.size() < 2 * kFull) {
            const BYTE b = static_cast<BYTE>('A' + sent.size() % 26);
            if (port->WriteByte(b, 300) != IoResult::Completed) break;
            sent.push_back(b);
            mostInFlight = std::max(mostInFlight, line->InFlight());
            // Written faster than the line carries them would be a line that
            // idles between bytes.
            if (sent.size() == kFull / 2) {
                EXPECT_LE(Elapsed(), rule.character * sent.size());
            }
        }
        EXPECT_EQ(port->GetLastError(), ERROR_IO_PENDING);
        EXPECT_LE(mostInFlight, rule.inFlight + unseen);
        // The hold was seen one character after the printer sent it, plus
        // at most one look of the writer; what was queued then still goes.
        EXPECT_LE(sent.size(), kFull + rule.inFlight + unseen + 2);
        line->GetClock().SleepFor(50ms);
        EXPECT_EQ(line->Received(), sent);

        // A purge throws the queue away (a UART's but the byte on the wire);
        // what has left it still arrives.
        COMSTAT st;
        ASSERT_TRUE(port->ClearCommError(nullptr, &st));
        line->SetLever(false);
        for (int i = 0; i < 40; ++i) ASSERT_EQ(port->WriteByte('z', 300), IoResult::Completed);
        ASSERT_TRUE(port->ClearCommError(nullptr, &st));
        EXPECT_EQ(st.cbOutQue, line->Queued());
        // At 9600 baud an adapter's transfer is done before the next byte.
        if (c.transmitter == T::Fifo || c.baud > 9600) {
            EXPECT_GT(st.cbOutQue, 0u);
        }
        ASSERT_TRUE(port->PurgeComm(PURGE_TXABORT | PURGE_TXCLEAR));
        const std::size_t onTheWire = c.transmitter == T::Fifo ? 1 : 0;
        EXPECT_EQ(line->Queued(), onTheWire);
        line->GetClock().SleepFor(50ms);
        EXPECT_EQ(line->Received().size(), sent.size() + 40 - st.cbOutQue + onTheWire);
    }
}

TEST(PrinterModelTest, CarryFollowsTheFrameOfBothEnds) {
    DCB p;
    p.BaudRate = 9600;
    p.ByteSize = 8;
    DCB h = p;
    EXPECT_EQ(PrinterModel::Carry(0xC3, h, p), 0xC3);
    h.ByteSize = 7;
    EXPECT_EQ(PrinterModel::Carry(0x43, h, p), 0xC3);  // the stop bit read as bit 7
    EXPECT_EQ(PrinterModel::Carry(0xC3, p, h), 0x43);
    EXPECT_EQ(PrinterModel::Carry(0x43, p, h), std::nullopt);  // framing error
    h = p;
    h.Parity = EVENPARITY;
    EXPECT_EQ(PrinterModel::Carry(0x41, h, p), std::nullopt);
    h = p;
    h.BaudRate = 4800;
    EXPECT_EQ(PrinterModel::Carry(0x41, h, p), 0xA0);
    EXPECT_EQ(PrinterModel::Carry(0x41, p, h), 0x83);
    h.BaudRate = 2400;
    EXPECT_EQ(PrinterModel::Carry(0x41, h, p), std::nullopt);
}

}  // namespace

namespace {

// With the lever up the paper does not move: a fed line waits in the
// printer and is printed, in order, when the lever comes down.
TEST(PrinterModelTest, LinesFedWithTheLeverUpArePrintedWhenItComesDown) {
    PrinterModel printer(Script("baud 9600\nfeed 0A\nlever up\n"));
    DCB host = printer.Setting();
    PrinterModel::Time t{0};
    auto send = [&](const std::string& text) {
        for (const char c : text) printer.Receive(static_cast<BYTE>(c), host, t += 1ms);
    };
    send("one\ntwo\n");
    EXPECT_EQ(printer.LinesPrinted(), 0u);
    EXPECT_TRUE(printer.PrintedLines().empty());
    printer.SetLever(false, t += 1ms);
    EXPECT_EQ(printer.PrintedLines(), (std::vector<std::string>{"one", "two"}));
    send("three\n");
    EXPECT_EQ(printer.LinesPrinted(), 3u);
}

}  // namespace
