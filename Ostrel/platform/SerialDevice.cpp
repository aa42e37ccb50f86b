#include "SerialDevice.h"

#include "TermiosSerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <map>
#include <mutex>

namespace {

struct Registry {
    std::mutex lock;
    std::map<std::wstring, SerialPortFactory> factories;
};

Registry& TheRegistry() {
    static Registry r;
    return r;
}

}  // namespace

std::string SerialPortPath(const CString& name) {
    const std::string utf8 = name.ToUtf8();
    if (!utf8.empty() && utf8[0] == '/') return utf8;
    // "COM1" .. "COM256": the on-board ports, counted from 1 as on the
    // systems whose configuration files name them so.
    if (name.GetLength() > 3 && name.Left(3).Upper() == L"COM") {
        const CString digits = name.Mid(3);
        bool allDigits = digits.GetLength() <= 3;
        for (int i = 0; allDigits && i < digits.GetLength(); ++i) allDigits = std::iswdigit(digits[i]) != 0;
        if (allDigits) {
            const int n = std::stoi(digits.ToUtf8());
            if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
        }
    }
    return "/dev/" + utf8;
}

std::unique_ptr<SerialDevice> OpenSerialPort(const CString& name, DWORD& error, std::string* message) {
    SerialPortFactory factory;
    {
        Registry& r = TheRegistry();
        std::lock_guard lock(r.lock);
        const auto it = r.factories.find(name.str());
        if (it != r.factories.end()) factory = it->second;
    }
    if (factory) {
        error = 0;
        auto device = factory(error);
        if (!device && error == 0) error = ENODEV;
        if (!device && message) {
            *message = error == EBUSY ? "port busy: " + name.ToUtf8() + " is already open"
                                      : "cannot open " + name.ToUtf8();
        }
        return device;
    }
    if (name.IsEmpty()) {
        error = ENOENT;
        if (message) *message = "no port name";
        return nullptr;
    }
    auto opened = TermiosSerialDevice::Open(SerialPortPath(name));
    error = opened.error;
    if (message) *message = opened.message;
    return std::move(opened.device);
}

void RegisterSerialPort(const CString& name, SerialPortFactory factory) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.lock);
    r.factories[name.str()] = std::move(factory);
}

void UnregisterSerialPort(const CString& name) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.lock);
    r.factories.erase(name.str());
}

DWORD BitsPerCharacter(const DCB& dcb) {
    const DWORD data = dcb.ByteSize >= 5 && dcb.ByteSize <= 8 ? dcb.ByteSize : 8;
    const DWORD parity = dcb.Parity == NOPARITY ? 0 : 1;
    const DWORD stop = dcb.StopBits == ONESTOPBIT ? 1 : 2;
    return 1 + data + parity + stop;
}

ReadTimeoutRule ReadTimeoutRule::For(const COMMTIMEOUTS& t, DWORD count) {
    ReadTimeoutRule r;
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
        r.returnAtOnce = true;
        return r;
    }
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
        t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < MAXDWORD) {
        r.firstByteEnds = true;
        r.total = std::chrono::milliseconds(t.ReadTotalTimeoutConstant);
        return r;
    }
    if (t.ReadTotalTimeoutMultiplier || t.ReadTotalTimeoutConstant) {
        r.total = std::chrono::milliseconds(static_cast<long long>(t.ReadTotalTimeoutMultiplier) * count +
                                            t.ReadTotalTimeoutConstant);
    }
    if (t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD)
        r.interval = std::chrono::milliseconds(t.ReadIntervalTimeout);
    return r;
}

WritePacingRule WritePacingRule::For(const DCB& dcb) {
    const unsigned long long baud = dcb.BaudRate ? dcb.BaudRate : CBR_9600;
    const unsigned long long bits = BitsPerCharacter(dcb);
    WritePacingRule r;
    r.character = std::chrono::nanoseconds(1'000'000'000ULL * bits / baud);
    // Characters in the lead time: baud x lead / bits. A USB adapter holds
    // up to 16 more in its own FIFO that no count shows, which still go
    // after a hold: queued here and there stay within kMaxInFlight.
    constexpr DWORD kUnseen = 16;
    r.inFlight = static_cast<DWORD>(
        std::clamp<unsigned long long>(baud * kLeadMs / (1000 * bits), kMinInFlight, kMaxInFlight - kUnseen));
    return r;
}

std::chrono::nanoseconds WritePacingRule::Recheck(DWORD queued) const {
    const DWORD low = std::max<DWORD>(1, inFlight / 4);
    const DWORD excess = queued > low ? queued - low : 1;
    return std::clamp<std::chrono::nanoseconds>(character * excess, std::chrono::microseconds(50),
                                                std::chrono::milliseconds(20));
}

std::chrono::nanoseconds WritePacingRule::DrainLimit(DWORD queued) const {
    return character * (2 * static_cast<long long>(queued)) + std::chrono::milliseconds(20);
}

COMMPROP BasicCommProperties(DWORD rxQueue) {
    COMMPROP p;
    p.wPacketLength = sizeof(COMMPROP);
    p.wPacketVersion = 2;
    p.dwServiceMask = SP_SERIALCOMM;
    p.dwMaxRxQueue = rxQueue;
    p.dwMaxBaud = BAUD_USER;
    p.dwProvSubType = PST_RS232;
    p.dwProvCapabilities = PCF_DTRDSR | PCF_RTSCTS | PCF_RLSD | PCF_XONXOFF | PCF_TOTALTIMEOUTS | PCF_INTTIMEOUTS;
    p.dwSettableParams = SP_PARITY | SP_BAUD | SP_DATABITS | SP_STOPBITS | SP_HANDSHAKING;
    p.dwSettableBaud = BAUD_300 | BAUD_600 | BAUD_1200 | BAUD_2400 | BAUD_4800 | BAUD_9600 | BAUD_19200 | BAUD_38400 |
                       BAUD_57600 | BAUD_115200 | BAUD_USER;
    p.wSettableData = DATABITS_8;
    p.wSettableStopParity = STOPBITS_10 | PARITY_NONE;
    p.dwCurrentRxQueue = rxQueue;
    return p;
}
