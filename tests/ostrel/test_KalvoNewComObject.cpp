#include "KalvoNewComObject.h"
#include "MessageTarget.h"
#include "SimulatedPrinterLine.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <random>
#include <set>

namespace {

using namespace std::chrono_literals;
using Op = SimulatedPrinterLine::Op;

// A production tool's view of the object: everything protected in reach.
class ToolComObject : public CKalvoNewComObject {
public:
    using CKalvoNewComObject::GetDCEPowerOn;
    using CKalvoNewComObject::GetDefaultConfig;
    using CKalvoNewComObject::Get_CTS_StatusLine;
    using CKalvoNewComObject::Get_DSR_StatusLine;
    using CKalvoNewComObject::InitComPort;
    using CKalvoNewComObject::m_ClassName;
    using CKalvoNewComObject::m_CT;
    using CKalvoNewComObject::m_dcb;
    using CKalvoNewComObject::m_fDTRpresent;
    using CKalvoNewComObject::m_GenericOpzioni;
    using CKalvoNewComObject::m_Version;
    using CKalvoNewComObject::ReadBytes;
    using CKalvoNewComObject::SetBaudRate;
    using CKalvoNewComObject::SetComPort;
    using CKalvoNewComObject::SetDefaultComConfig;
    using CKalvoNewComObject::SetOldConfCom;
    using CKalvoNewComObject::Set_m_StringComConfig;
    using CKalvoNewComObject::WriteBite;
};

DCB FoundSetting() {
    DCB d;
    d.BaudRate = 2400;
    d.ByteSize = 7;
    d.Parity = EVENPARITY;
    d.StopBits = ONESTOPBIT;
    d.fBinary = 1;
    d.fDtrControl = DTR_CONTROL_DISABLE;
    d.fRtsControl = RTS_CONTROL_HANDSHAKE;
    d.fInX = 1;
    d.XonChar = ASCII_XON;
    d.XoffChar = ASCII_XOFF;
    return d;
}

class KalvoNewComObjectTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    TempDir dir;
    QueuedMessageTarget window;
    int frame = 0;
    std::unique_ptr<SimulatedPrinterLine> line;
    ToolComObject com;

    void Printer(const char* script) {
        std::string error;
        auto s = PrinterScript::Parse(script, &error);
        ASSERT_TRUE(s) << error;
        line = std::make_unique<SimulatedPrinterLine>(*s);
        line->SetLineSetting(FoundSetting());
        COMMTIMEOUTS found;
        found.ReadTotalTimeoutConstant = 5000;
        found.WriteTotalTimeoutConstant = 7;
        line->SetPortTimeouts(found);
        line->Attach(L"SIM1");
    }
    BOOL Open(UINT hw = 0, const CString& port = L"SIM1") {
        return com.InitKalvoNewComObject(&window, &frame, CString::FromUtf8(dir.path() + "/"), L"com.log", port, 0,
                                         hw);
    }
    void OpenOn(const char* script, UINT hw = 0) {
        Printer(script);
        ASSERT_TRUE(Open(hw));
    }
    std::string Log() const { return ReadText(dir.File("com.log")); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
    Clock::duration Now() const { return line->GetClock().Elapsed(); }
    std::size_t Notifications() {
        std::size_t n = 0;
        for (const auto& m : window.TakeAll()) {
            EXPECT_EQ(m.msg, 0x09BEu);
            EXPECT_EQ(m.wParam, 0u);
            EXPECT_EQ(m.lParam, 0);
            ++n;
        }
        return n;
    }
};

TEST_F(KalvoNewComObjectTest, ANewObjectIsClosedAndSaysSo) {
    EXPECT_EQ(com.m_ClassName, L"CKalvoNewComObject");
    EXPECT_EQ(com.m_Version, L"1.00");
    EXPECT_EQ(com.GetStrComConfig(), L"No com. config.");
    EXPECT_FALSE(com.Get_m_CComPortInit());
    EXPECT_EQ(com.GetPortHandle(), nullptr);
    EXPECT_NE(com.Get_m_pDebugObj(), nullptr);
    EXPECT_EQ(com.Ret_m_intRW().iWriteInterval, 0);
    EXPECT_TRUE(com.m_GenericOpzioni.fCheckDsr);
    EXPECT_EQ(com.m_GenericOpzioni.iNumMaxRowTemp, 200);
    EXPECT_FLOAT_EQ(com.m_GenericOpzioni.fTempLim3, 50.0f);
}

TEST_F(KalvoNewComObjectTest, OpeningKeepsWhatItFoundAndAppliesTheXonXoffDefault) {
    OpenOn("");
    EXPECT_TRUE(com.Get_m_CComPortInit());
    EXPECT_EQ(com.GetPortName(), L"SIM1");
    const DCB orig = com.Ret_m_dcbOrig();
    EXPECT_EQ(orig.BaudRate, 2400u);
    EXPECT_EQ(orig.ByteSize, 7);
    const DCB now = line->LineSetting();
    EXPECT_EQ(now.BaudRate, 9600u);
    EXPECT_EQ(now.ByteSize, 8);
    EXPECT_EQ(now.Parity, NOPARITY);
    EXPECT_EQ(now.StopBits, ONESTOPBIT);
    EXPECT_FALSE(now.fOutxCtsFlow);
    EXPECT_TRUE(now.fOutxDsrFlow);
    EXPECT_TRUE(now.fOutX);
    // Input flow control, DTR and RTS stay as found.
    EXPECT_TRUE(now.fInX);
    EXPECT_EQ(now.fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(now.fRtsControl, RTS_CONTROL_HANDSHAKE);
    // The system time-outs stay as found too.
    EXPECT_EQ(com.Ret_m_toutSystemOrig().ReadTotalTimeoutConstant, 5000u);
    EXPECT_EQ(com.Ret_m_toutSystem().WriteTotalTimeoutConstant, 7u);
    const _CalcoloTimeout ct = com.Ret_m_CTOrig();
    EXPECT_EQ(ct.dwWriteConstant, 200u);
    EXPECT_EQ(ct.dwWriteMultiplier, 50u);
    EXPECT_EQ(ct.dwReadConstant, 200u);
    EXPECT_EQ(ct.dwReadMultiplier, 5u);
    EXPECT_EQ(ct.dwWriteByteTimeout, 300u);
    EXPECT_EQ(com.Ret_m_intRW().iReadInterval, 15);
    EXPECT_EQ(com.Ret_m_intRWOrig().iWriteInterval, 30);
    // The text waits for the first setting operation.
    EXPECT_EQ(com.GetStrComConfig(), L"No com. config.");
    EXPECT_EQ(Notifications(), 0u);
}

TEST_F(KalvoNewComObjectTest, TheHardwareDefaultWatchesCtsAndDsr) {
    OpenOn("", 1);
    const DCB now = line->LineSetting();
    EXPECT_TRUE(now.fOutxCtsFlow);
    EXPECT_TRUE(now.fOutxDsrFlow);
    EXPECT_FALSE(now.fOutX);
}

TEST_F(KalvoNewComObjectTest, OpeningRequiresTheFrameAndTheWindow) {
    Printer("");
    EXPECT_MYTHROW(ui, com.InitKalvoNewComObject(&window, nullptr, L"", L"a.log", L"SIM1", 0, 0));
    EXPECT_EQ(ui.Last().check, L"1) InitKalvoNewComObject(..)");
    EXPECT_EQ(ui.Last().className, L"CKalvoNewComObject");
    EXPECT_EQ(ui.Last().sourceFile, L"KalvoNewComObject");
    EXPECT_MYTHROW(ui, com.InitKalvoNewComObject(nullptr, &frame, L"", L"a.log", L"SIM1", 0, 0));
    EXPECT_EQ(ui.Last().check, L"2) InitKalvoNewComObject(..)");
    EXPECT_FALSE(line->IsOpen());
}

TEST_F(KalvoNewComObjectTest, APortThatCannotBeOpenedIsLoggedAndShown) {
    Printer("");
    DWORD error = 0;
    auto holder = line->Open(error);  // another program has the port
    ui->Answer(IDOK);
    EXPECT_FALSE(Open());
    EXPECT_TRUE(Logged("\nINVALID_HANDLE_VALUE -> Error number: 16 su SIM1. "));
    EXPECT_EQ(ui.Last().text, L"Impossibile inizializzare la porta di comunicazione");
    EXPECT_EQ(ui.Last().caption, L"Errore");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(ui.Last().owner, &window);
    EXPECT_FALSE(com.Get_m_CComPortInit());

    ui->Answer(IDOK);
    EXPECT_FALSE(Open(0, L"/nonexistent/ttyX"));
    EXPECT_TRUE(Logged("Error number: 2 su /nonexistent/ttyX. "));
}

// A log that cannot be written is said once; the port is no less usable.
TEST_F(KalvoNewComObjectTest, AFailingLogIsOneBoxAndThePortStillOpens) {
    Printer("");
    ui->Answer(IDOK);
    EXPECT_TRUE(com.InitKalvoNewComObject(&window, &frame, CString::FromUtf8(dir.path() + "/no/such/"), L"a.log",
                                          L"SIM1", 0, 0));
    EXPECT_TRUE(line->IsOpen());
    ASSERT_EQ(ui->Count(), 1u);
    EXPECT_EQ(ui.Last().text.Find(L"Impossibile inizializzare il file di log"), 1);
}

TEST_F(KalvoNewComObjectTest, EachFailureOfTheDefaultConfigurationHasItsCodeAndMessage) {
    struct Case {
        Op op;
        int after;
        DWORD code;
        const char* message;
    };
    const Case cases[] = {
        {Op::GetCommState, 0, 32,
         "\nGetDefaultConfig() Errore: ERROR_GET_DEFAULT_DCB impossibile caricare i Device Control Block di default"},
        {Op::GetCommState, 1, 32,
         "\nGetDefaultConfig() Errore: ERROR_INIT_DCB impossibile caricare i Device Control Block di default"},
        {Op::SetCommState, 0, 32,
         "\nGetDefaultConfig() Errore: ERROR_SET_DCB impossibile impostare i valori desiderati per il Device Control "
         "Block"},
        {Op::GetCommProperties, 0, 35, "\nGetDefaultConfig() Errore: ERROR_GET_DEFAULT_CMMP impossibile caricare i CMMP."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Printer("");
        line->Fail(c.op, EIO, 1, c.after);
        ui->Answer(IDOK);
        EXPECT_FALSE(Open());
        EXPECT_EQ(ui.Last().text, CString::FromUtf8(c.message));
        EXPECT_EQ(ui.Last().caption, L"GetDefaultConfig()");
        EXPECT_TRUE(Logged(c.message));
        EXPECT_TRUE(Logged("\nGetDefaultConfig() -> Errore numero: " + std::to_string(c.code) + " su COM1"));
        // The port is closed again, with the setting it had.
        EXPECT_FALSE(com.Get_m_CComPortInit());
        EXPECT_EQ(com.GetPortHandle(), nullptr);
        EXPECT_FALSE(line->IsOpen());
        EXPECT_EQ(line->LineSetting().BaudRate, 2400u);
    }
    // And it opens once the fault is gone.
    EXPECT_TRUE(com.InitComPort(0));
}

TEST_F(KalvoNewComObjectTest, UnreadableSystemTimeoutsAreShownButDoNotStopTheOpening) {
    Printer("");
    line->Fail(Op::GetCommTimeouts, EIO);
    ui->Answer(IDOK);
    EXPECT_TRUE(Open());
    EXPECT_EQ(ui.Last().text,
              L"\nGetDefaultConfig() Errore: ERROR_GET_DEFAULT_TIMEOUT impossibile caricare valori di timeout di "
              L"default.");
    DWORD code = 0;
    line->Fail(Op::SetCommTimeouts, EIO);
    ui->Answer(IDOK);
    EXPECT_TRUE(com.GetDefaultConfig(0, &code));
    EXPECT_EQ(code, 31u);
    EXPECT_EQ(ui.Last().text,
              L"\nGetDefaultConfig() Errore: ERROR_INIT_TIMEOUT impossibile caricare i valori di timeout dell' "
              L"applicazione.");
}

TEST_F(KalvoNewComObjectTest, ConfigurationBytesDecodeIntoTheLineSetting) {
    OpenOn("");
    struct Case {
        BYTE config;
        const wchar_t* text;
        DWORD baud;
        BYTE bits;
        BYTE parity;
    };
    const Case cases[] = {
        {0x84, L"SIM1, 9600, n, 8, 1, H", 9600, 8, NOPARITY},
        {0x24, L"SIM1, 9600, e, 8, 1, S", 9600, 8, EVENPARITY},
        {0x13, L"SIM1, 4800, n, 7, 1, S", 4800, 7, NOPARITY},
        {0x41, L"SIM1, 1200, o, 8, 1, S", 1200, 8, ODDPARITY},
        {0xB6, L"SIM1, 38400, e, 7, 1, H", 38400, 7, EVENPARITY},
        {0x05, L"SIM1, 19200, n, 8, 1, S", 19200, 8, NOPARITY},
        {0x02, L"SIM1, 2400, n, 8, 1, S", 2400, 8, NOPARITY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.config);
        EXPECT_TRUE(com.SetComPort(c.config));
        EXPECT_EQ(com.GetStrComConfig(), c.text);
        EXPECT_EQ(Notifications(), 1u);
        const DCB d = line->LineSetting();
        EXPECT_EQ(d.BaudRate, c.baud);
        EXPECT_EQ(d.ByteSize, c.bits);
        EXPECT_EQ(d.Parity, c.parity);
        EXPECT_EQ(d.StopBits, ONESTOPBIT);
        EXPECT_EQ(d.fOutxCtsFlow, (c.config & 0x80) ? 1u : 0u);
        EXPECT_EQ(d.fOutX, (c.config & 0x80) ? 0u : 1u);
        EXPECT_TRUE(d.fOutxDsrFlow);
    }
    EXPECT_TRUE(Logged("\nSetComPort() -> Baud rate = 9600\nSetComPort() -> numero byte = 8\nSetComPort() -> "
                       "NOPARITY\nSetComPort() Controllo di flusso Hardware"));
    EXPECT_TRUE(Logged("\nSetComPort() -> EVENPARITY\nSetComPort() Controllo di flusso Xon/Xoff"));
}

TEST_F(KalvoNewComObjectTest, InvalidBytesChangeMemoryOnlyAndReturnFalse) {
    OpenOn("");
    ASSERT_TRUE(com.SetComPort(0xB3));  // 4800 7E1 hardware, applied
    window.TakeAll();
    for (const BYTE config : {BYTE(0x00), BYTE(0x07)}) {
        EXPECT_FALSE(com.SetComPort(config));
        EXPECT_EQ(com.m_dcb.BaudRate, 9600u);
        EXPECT_EQ(com.m_dcb.ByteSize, 7);  // untouched
        EXPECT_EQ(com.m_dcb.Parity, EVENPARITY);
        EXPECT_TRUE(com.m_dcb.fOutxCtsFlow);
        EXPECT_EQ(line->LineSetting().BaudRate, 4800u);  // unapplied
    }
    EXPECT_TRUE(Logged("\nSetComPort() DEFAULT CASE -> Baud rate = 9600"));

    // Parity bits 11: rate and data bits change in memory, nothing is applied.
    EXPECT_FALSE(com.SetComPort(0x75));
    EXPECT_EQ(com.m_dcb.BaudRate, 19200u);
    EXPECT_EQ(com.m_dcb.ByteSize, 7);
    EXPECT_EQ(com.m_dcb.Parity, NOPARITY);
    EXPECT_TRUE(com.m_dcb.fOutxCtsFlow);
    EXPECT_EQ(line->LineSetting().BaudRate, 4800u);
    EXPECT_EQ(line->LineSetting().Parity, EVENPARITY);
    EXPECT_TRUE(Logged("\nSetComPort() CASE DEFAULT -> NOPARITY"));
    EXPECT_EQ(com.GetStrComConfig(), L"SIM1, 4800, e, 7, 1, H");
    EXPECT_EQ(Notifications(), 0u);
}

TEST_F(KalvoNewComObjectTest, RateChangesKeepTheTextAndTheWriteTimeout) {
    OpenOn("baud 38400\n");
    ASSERT_TRUE(com.SetComPort(0x06));
    EXPECT_EQ(com.m_CT.dwWriteByteTimeout, 300u);
    ASSERT_TRUE(com.SetBaudRate(19200));
    EXPECT_EQ(line->LineSetting().BaudRate, 19200u);
    EXPECT_EQ(com.GetStrComConfig(), L"SIM1, 38400, n, 8, 1, S");
    EXPECT_EQ(Notifications(), 1u);
    ASSERT_TRUE(com.SetBaudRate(38400));

    // A write held by a switched-off printer (DSR flow on, DTR wiring not
    // declared, so no code 12) gives up after exactly 300 ms at 38400 too.
    line->SetPower(false);
    const auto before = Now();
    DWORD code = 0;
    ui->Answer(IDOK);
    EXPECT_FALSE(com.WriteBite('A', &code));
    EXPECT_EQ(Now() - before, 300ms);
    EXPECT_EQ(code, ERROR_IO_PENDING);
    EXPECT_EQ(ui.Last().text, L"\nWriteBite() CASO DEFAULT -> Errore: ERROR_IO_PENDING");
    EXPECT_EQ(ui.Last().caption, L"WriteToCom()");

    line->Fail(Op::SetCommState, EIO);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.SetBaudRate(9600));
    EXPECT_EQ(ui.Last().caption, L"GetDefaultConfig()");
}

TEST_F(KalvoNewComObjectTest, TheDefaultSettingComesBackWithItsText) {
    OpenOn("");
    ASSERT_TRUE(com.SetComPort(0xB5));
    DWORD code = 99;
    EXPECT_TRUE(com.SetDefaultComConfig(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(com.GetStrComConfig(), L"SIM1, 9600, n, 8, 1, S");
    EXPECT_EQ(Notifications(), 2u);
    line->Fail(Op::SetCommState, EIO);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.SetDefaultComConfig(&code));
    EXPECT_EQ(code, 32u);
}

TEST_F(KalvoNewComObjectTest, OnlyTheNotifyingFormOfTheTextSetterPosts) {
    com.SetStrComConfig(L"quiet");
    EXPECT_EQ(Notifications(), 0u);  // no window yet, and nothing to post anyway
    OpenOn("");
    com.SetStrComConfig(L"Autodetecting...");
    EXPECT_EQ(Notifications(), 0u);
    EXPECT_TRUE(com.Set_m_StringComConfig(CString(L"Autodetecting...")));
    EXPECT_EQ(com.GetStrComConfig(), L"Autodetecting...");
    EXPECT_EQ(Notifications(), 1u);
    // The text follows whatever is in m_dcb, including changes made in place.
    com.LPm_dcb()->BaudRate = 57600;
    com.LPm_dcb()->fOutxCtsFlow = 1;
    EXPECT_TRUE(com.Set_m_StringComConfig());
    EXPECT_EQ(com.GetStrComConfig(), L"SIM1, 57600, n, 8, 1, H");
    EXPECT_EQ(Notifications(), 1u);
}

TEST_F(KalvoNewComObjectTest, DsrIsLookedAtOnlyWhenThePrinterWiresDtr) {
    OpenOn("");
    line->SetPower(false);
    DWORD code = 99;
    EXPECT_TRUE(com.Get_DSR_StatusLine(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(com.GetDCEPowerOn(&code));

    com.m_fDTRpresent = TRUE;
    EXPECT_FALSE(com.Get_DSR_StatusLine(&code));
    EXPECT_EQ(code, 12u);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.GetDCEPowerOn(&code));
    EXPECT_EQ(code, 12u);
    EXPECT_EQ(ui.Last().text, L"Verify if the printer is tourn-on or the data cable is lacking DTR/DSR line");
    EXPECT_EQ(ui.Last().caption, L"GetDCEPowerOn() error");

    // A write is refused before it starts, without waiting.
    const auto before = Now();
    EXPECT_FALSE(com.WriteBite('A', &code));
    EXPECT_EQ(code, 12u);
    EXPECT_EQ(Now(), before);

    line->SetPower(true);
    EXPECT_TRUE(com.GetDCEPowerOn(&code));
    line->Fail(Op::GetCommModemStatus, EIO, 2);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.GetDCEPowerOn(&code));
    EXPECT_EQ(code, 11u);
    EXPECT_EQ(ui.Last().text, L"Serious error in the comunication phase. Error: ERROR_COM_DEVICE_ON_DSR");
    EXPECT_FALSE(com.Get_CTS_StatusLine(&code));
    EXPECT_EQ(code, 10u);
}

TEST_F(KalvoNewComObjectTest, ADsrDropDuringTheWaitIsReportedOnlyWithDtrWiring) {
    OpenOn("");
    com.m_fDTRpresent = TRUE;
    com.m_GenericOpzioni.fCheckDsr = FALSE;  // so the write itself meets the low DSR
    line->SetPower(false);
    DWORD code = 0;
    EXPECT_FALSE(com.WriteBite('A', &code));
    EXPECT_EQ(code, 12u);
    EXPECT_EQ(Now(), 300ms);
}

TEST_F(KalvoNewComObjectTest, ABusyPrinterStopsTheNextByteWithHardwareFlow) {
    OpenOn("buffer 8\nbusy-at 3\nready-at 1\nprint-rate 0\nflow hardware\n");
    ASSERT_TRUE(com.SetComPort(0x84));
    DWORD code = 0;
    EXPECT_TRUE(com.WriteBite('a', &code));
    EXPECT_TRUE(com.WriteBite('b', &code));
    EXPECT_TRUE(com.WriteBite('c', &code));
    EXPECT_FALSE(com.WriteBite('d', &code));
    EXPECT_EQ(code, 13u);
    EXPECT_EQ(line->Received(), (std::vector<BYTE>{'a', 'b', 'c'}));
}

TEST_F(KalvoNewComObjectTest, XoffHoldsTransmissionUntilXon) {
    OpenOn("");
    DWORD code = 0;
    line->SendFromPrinter({0x13});
    line->GetClock().SleepFor(2ms);
    EXPECT_FALSE(com.WriteBite('a', &code));
    EXPECT_EQ(code, 39u);
    line->SendFromPrinter({0x11});
    line->GetClock().SleepFor(2ms);
    EXPECT_TRUE(com.WriteBite('a', &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(line->Received(), (std::vector<BYTE>{'a'}));

    // A full buffer raises XOFF by itself; printing lowers it again.
    OpenOn("buffer 16\nxoff-at 4\nxon-at 1\nprint-rate 100\nflow xonxoff\n");
    int refused = 0;
    for (int i = 0; i < 12; ++i) {
        if (!com.WriteBite('x', &code)) {
            EXPECT_EQ(code, 39u);
            ++refused;
            line->GetClock().SleepFor(10ms);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_EQ(line->Received().size() + static_cast<std::size_t>(refused), 12u);
}

TEST_F(KalvoNewComObjectTest, WriteFailuresOfThePortBecomeErrorCodes) {
    OpenOn("");
    DWORD code = 0;
    line->Fail(Op::WriteWait, ERROR_OPERATION_ABORTED);
    EXPECT_FALSE(com.WriteBite('a', &code));
    EXPECT_EQ(code, 995u);
    // Plain system errors must not pass for codes 10 to 16.
    line->Fail(Op::WriteWait, ENOMEM);
    EXPECT_FALSE(com.WriteBite('a', &code));
    EXPECT_EQ(code, 16u);
    line->Fail(Op::WriteStart, EIO);
    code = 0;
    EXPECT_FALSE(com.WriteBite('a', &code));
    EXPECT_EQ(code, 16u);

    // Timed out, with the port's error state unreadable: the last system
    // error decides, and the transmit side is purged.
    line->SetPower(false);
    line->Fail(Op::ClearCommError, EIO, 1, 1);
    line->Fail(Op::PurgeComm, EIO);
    ui->Answer(IDOK);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.WriteBite('a', &code));
    EXPECT_EQ(code, 16u);
    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"\nWriteBite() CASO DEFAULT -> Errore: GetLastError() = 5 ");
    EXPECT_EQ(boxes[1].text, L"PurgeComm fallita!!");
    EXPECT_EQ(boxes[1].caption, L"PurgeComm fallita!!");
}

TEST_F(KalvoNewComObjectTest, ReadTimeoutsScaleWithTheCountAndTheRate) {
    OpenOn("");
    ASSERT_TRUE(com.SetComPort(0x04));
    BYTE buf[100];
    for (const auto& [count, wait] : {std::pair{1u, 255}, std::pair{100u, 770}}) {
        DWORD n = count;
        DWORD code = 0;
        const auto before = Now();
        EXPECT_TRUE(com.ReadBytes(buf, &n, &code));
        EXPECT_EQ(code, 41u);
        EXPECT_EQ(n, 0u);
        // The wait, then 5 ms to let the purge settle.
        EXPECT_EQ(Now() - before, std::chrono::milliseconds(wait + 5));
        EXPECT_TRUE(Logged("\ndwTimeout = " + std::to_string(wait)));
    }
    EXPECT_TRUE(Logged("\nErrore: ERROR_READ_TIMEOUT a causa di erore di sistema: 997"));
}

TEST_F(KalvoNewComObjectTest, ReadsAreCompleteShortOrTimedOut) {
    Printer("reply \"?\" -> \"OK\"\nreply \"!\" -> \"ABCD\"\n");
    line->SetPortTimeouts(COMMTIMEOUTS{});
    ASSERT_TRUE(Open());
    DWORD code = 0;
    BYTE buf[8] = {};
    ASSERT_TRUE(com.WriteBite('!', &code));
    DWORD n = 4;
    EXPECT_TRUE(com.ReadBytes(buf, &n, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(std::string(buf, buf + n), "ABCD");

    // Two of four bytes before the time-out: success with code 41, and the
    // count says what is really in the buffer.
    ASSERT_TRUE(com.WriteBite('?', &code));
    n = 4;
    EXPECT_TRUE(com.ReadBytes(buf, &n, &code));
    EXPECT_EQ(code, 41u);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(buf, buf + n), "OK");

    // The port's own total time-out ends the read first: short, code 40.
    COMMTIMEOUTS t;
    t.ReadTotalTimeoutConstant = 50;
    ASSERT_TRUE(com.GetPortHandle()->SetCommTimeouts(t));
    ASSERT_TRUE(com.WriteBite('?', &code));
    n = 4;
    EXPECT_FALSE(com.ReadBytes(buf, &n, &code));
    EXPECT_EQ(code, 40u);
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(Logged("\nSystem error: 0. Errore: ERROR_NO_COMPLETE_READ. Letti 2 bytes su 4"));
}

TEST_F(KalvoNewComObjectTest, ReadFailuresOfThePortAreDeviceErrors) {
    OpenOn("");
    BYTE buf[4];
    DWORD n = 4;
    DWORD code = 0;
    line->Fail(Op::ReadStart, EIO);
    EXPECT_FALSE(com.ReadBytes(buf, &n, &code));
    EXPECT_EQ(code, 16u);
    EXPECT_TRUE(Logged("\nGrave errore sulla porta di comunicazione selezionata. Operazione di Read su 4 bytes."));
    line->Fail(Op::ReadWait, EIO);
    n = 4;
    EXPECT_FALSE(com.ReadBytes(buf, &n, &code));
    EXPECT_EQ(code, 16u);
    EXPECT_TRUE(Logged("\nErrore: ERROR_COM_DEVICE a causa di erore di sistema: 5"));
    EXPECT_FALSE(com.ReadBytes(buf, nullptr, &code));
    n = 0;
    EXPECT_TRUE(com.ReadBytes(nullptr, &n, &code));
}

// Ten thousand writes and reads while the printer misbehaves at random
// (busy, XOFF, power off, garbled or silent answers, port calls failing):
// every operation ends within its time-out with one of its codes, and the
// object works normally afterwards.
TEST_F(KalvoNewComObjectTest, RandomFaultsNeverOutlastATimeOutNorBreakTheObject) {
    OpenOn("reply \"?\" -> \"OK\"\nbuffer 64\nxoff-at 48\nxon-at 8\nprint-rate 4000\n");
    ASSERT_TRUE(com.SetComPort(0x04));
    const auto writeBound = std::chrono::milliseconds(com.m_CT.dwWriteByteTimeout) + 10ms;
    const std::set<DWORD> writeCodes = {0, 12, 13, 16, 39, 995, 996, 997};
    const std::set<DWORD> readCodes = {0, 16, 40, 41};
    std::mt19937 gen(13);
    std::map<DWORD, int> seen;
    for (int op = 0; op < 10000; ++op) {
        // The second half with hardware flow control, where busy is CTS.
        if (op == 5000) {
            ASSERT_TRUE(com.SetComPort(0x84));
        }
        const unsigned phase = gen() % 16;
        switch (phase) {
            case 0: line->SetBusy(true); break;
            case 1: line->SendFromPrinter({0x13}); break;  // XOFF
            case 2: line->SetPower(false); break;
            case 3: line->SendFromPrinter({static_cast<BYTE>(gen()), static_cast<BYTE>(gen())}); break;
            case 4: line->Fail(Op::WriteWait, gen() % 2 ? EIO : ERROR_OPERATION_ABORTED); break;
            case 5: line->Fail(Op::WriteStart, EIO); break;
            case 6: line->Fail(Op::ReadWait, EIO); break;
            default:  // a quiet, healthy printer
                line->SetBusy(false);
                line->SetPower(true);
                line->SendFromPrinter({0x11});
                break;
        }
        DWORD code = 0xFFFF;
        const auto before = Now();
        if (gen() % 3 != 0) {
            com.WriteBite(gen() % 4 ? BYTE{'x'} : BYTE{'?'}, &code);
            ASSERT_LE(Now() - before, writeBound) << "write " << op;
            ASSERT_TRUE(writeCodes.count(code)) << "write " << op << " code " << code;
        } else {
            BYTE buf[16];
            DWORD n = 1 + gen() % 16;
            const DWORD asked = n;
            const bool ok = com.ReadBytes(buf, &n, &code);
            ASSERT_LE(Now() - before, std::chrono::milliseconds(asked * 10000 / 9600 * com.m_CT.dwReadMultiplier +
                                                               com.m_CT.dwReadConstant + 50 + 10))
                << "read " << op;
            ASSERT_TRUE(readCodes.count(code)) << "read " << op << " code " << code;
            ASSERT_LE(n, asked);
            ASSERT_EQ(ok, code == 0 || code == 41);
        }
        ++seen[code];
        ui->Clear();  // failures the log shows in boxes are part of the run
    }
    EXPECT_GE(seen.size(), 6u);  // the faults really happened
    EXPECT_GT(seen[13], 0);

    line->SetBusy(false);
    line->SetPower(true);
    line->SendFromPrinter({0x11});
    line->GetClock().SleepFor(1s);
    BYTE drain[64];
    DWORD n = sizeof drain;
    DWORD code = 0;
    com.ReadBytes(drain, &n, &code);
    ASSERT_TRUE(com.WriteBite('?', &code)) << code;
    n = 2;
    BYTE buf[2] = {};
    EXPECT_TRUE(com.ReadBytes(buf, &n, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(std::string(buf, buf + n), "OK");
}

TEST_F(KalvoNewComObjectTest, ReleasingPutsBackWhatWasFoundAndTellsTheWindow) {
    OpenOn("");
    ASSERT_TRUE(com.SetComPort(0x86));
    com.LPm_toutSystem()->ReadTotalTimeoutConstant = 1;
    Notifications();
    EXPECT_TRUE(com.CloseComPort());
    EXPECT_FALSE(line->IsOpen());
    EXPECT_EQ(line->LineSetting().BaudRate, 2400u);
    EXPECT_EQ(line->LineSetting().ByteSize, 7);
    EXPECT_FALSE(com.Get_m_CComPortInit());
    EXPECT_EQ(com.GetStrComConfig(), L"Default port: SIM1");
    EXPECT_EQ(Notifications(), 1u);
    DWORD error = 0;
    auto again = line->Open(error);
    ASSERT_TRUE(again);
    COMMTIMEOUTS t;
    ASSERT_TRUE(again->GetCommTimeouts(t));
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 5000u);
    again.reset();

    // Released already: the public form does nothing, the plain one fails.
    EXPECT_FALSE(com.PublicSetOldConfCom());
    ui->Answer(IDOK);
    EXPECT_FALSE(com.CloseComPort());
    EXPECT_EQ(ui.Last().text,
              L"Impossibile impostare dati iniziali di comunicazione per COMM 1. Errore numero: 9");
    EXPECT_EQ(ui.Last().caption, L"SetOldConfCom()");
    EXPECT_EQ(Notifications(), 0u);

    // Opened again through InitComPort.
    EXPECT_TRUE(com.InitComPort(0));
    EXPECT_TRUE(com.PublicSetOldConfCom());
}

TEST_F(KalvoNewComObjectTest, AFailedReleaseLeavesThePortOpen) {
    OpenOn("");
    line->Fail(Op::SetCommState, EIO);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.CloseComPort());
    EXPECT_EQ(ui.Last().text, L"Impossibile impostare dati iniziali di comunicazione per COMM 1. Errore numero: 5");
    EXPECT_TRUE(com.Get_m_CComPortInit());
    EXPECT_TRUE(line->IsOpen());

    line->Fail(Op::SetCommTimeouts, EIO);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.CloseComPort());
    EXPECT_EQ(ui.Last().text,
              L"\nSetOldConfCom() Errore: ERROR_SET_DEFAULT_TIMEOUT impossibile caricare i valori di timeout dell' "
              L"applicazione.");
    EXPECT_TRUE(line->IsOpen());

    line->Fail(Op::Close, EIO);
    ui->Answer(IDOK);
    EXPECT_FALSE(com.CloseComPort());
    EXPECT_EQ(ui.Last().text, L"\nImpossibile chiudere la risorsa COM1. Errore numero: 5");
    EXPECT_EQ(Notifications(), 0u);
}

}  // namespace
