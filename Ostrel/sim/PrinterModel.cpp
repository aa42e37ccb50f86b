#include "PrinterModel.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxWindow = 64;
constexpr std::size_t kMaxReceivedLog = std::size_t(1) << 24;

BYTE Mask(BYTE bits) { return static_cast<BYTE>((1u << std::clamp<unsigned>(bits, 5, 8)) - 1); }

}  // namespace

PrinterModel::PrinterModel(PrinterScript script) : m_script(std::move(script)), m_power(m_script.power), m_leverUp(m_script.leverUp) {}

DCB PrinterModel::Setting() const {
    DCB d;
    d.BaudRate = m_script.baud;
    d.ByteSize = m_script.byteSize;
    d.Parity = m_script.parity;
    d.StopBits = ONESTOPBIT;
    return d;
}

std::optional<BYTE> PrinterModel::Carry(BYTE byte, const DCB& from, const DCB& to) {
    if (from.BaudRate == 0 || to.BaudRate == 0) return std::nullopt;
    const DWORD lo = std::min(from.BaudRate, to.BaudRate);
    const DWORD hi = std::max(from.BaudRate, to.BaudRate);
    if (hi >= 3ull * lo || from.Parity != to.Parity) return std::nullopt;
    const BYTE fromMask = Mask(from.ByteSize);
    const BYTE toMask = Mask(to.ByteSize);
    BYTE v = byte & fromMask;
    // At the wrong rate the receiver samples the bits in the wrong places:
    // a slower one sees them shifted up, a faster one shifted down.
    if (hi != lo) {
        const unsigned shifted = to.BaudRate < from.BaudRate ? (v << 1) | 1u : (v >> 1) | 0x80u;
        return static_cast<BYTE>(shifted & toMask);
    }
    if (fromMask < toMask) return static_cast<BYTE>(v | (toMask & ~fromMask));
    if (fromMask > toMask) {
        const unsigned stopBit = (v >> std::clamp<unsigned>(to.ByteSize, 5, 8)) & 1u;
        if (!stopBit) return std::nullopt;
        v &= toMask;
    }
    return v;
}

PrinterModel::Time PrinterModel::CharacterTime(const DCB& dcb) {
    if (dcb.BaudRate == 0) return std::chrono::milliseconds(1);
    return Time(1'000'000'000LL * BitsPerCharacter(dcb) / dcb.BaudRate);
}

PrinterModel::Time PrinterModel::NsPerPrintedByte() const {
    return Time(std::max<long long>(1, 1'000'000'000LL / std::max<long>(1, m_script.printRate)));
}

void PrinterModel::Queue(BYTE byte, Time at, bool urgent) {
    const Time charTime = CharacterTime(Setting());
    if (urgent) {
        at += charTime;
    } else {
        at = std::max(at, m_lineFreeAt) + charTime;
        m_lineFreeAt = at;
    }
    const auto pos = std::upper_bound(m_out.begin(), m_out.end(), at,
                                      [](Time t, const Output& o) { return t < o.at; });
    m_out.insert(pos, Output{byte, at});
}

void PrinterModel::CheckThresholds(Time t) {
    if (WantsXonXoff() && m_script.xoffAt != PrinterScript::kNever && !m_xoffSent && m_level >= m_script.xoffAt) {
        Queue(static_cast<BYTE>(ASCII_XOFF), t, true);
        m_xoffSent = true;
        ++m_xoffCount;
    }
    if (WantsCts() && m_script.busyAt != PrinterScript::kNever && m_level >= m_script.busyAt) m_busyByLevel = true;
}

void PrinterModel::AdvanceTo(Time t) {
    if (t <= m_now) return;
    m_now = t;
    ProtocolAdvance(t);
    if (!m_leverUp && m_script.printRate != 0 && m_level > 0) {
        // A printer without a rate prints what the lever held back at once.
        const bool instant = m_script.printRate == PrinterScript::kUnlimited;
        const Time ns = instant ? Time(0) : NsPerPrintedByte();
        if (instant) m_lastPrint = t;
        const auto k = instant ? m_level
                               : static_cast<std::size_t>(std::min<long long>(
                                     static_cast<long long>(m_level), (t - m_lastPrint).count() / ns.count()));
        if (k > 0) {
            const std::size_t left = m_level - k;
            if (m_xoffSent && left <= m_script.xonAt) {
                const auto drained = static_cast<long long>(m_level - m_script.xonAt);
                Queue(static_cast<BYTE>(ASCII_XON), m_lastPrint + ns * drained, true);
                m_xoffSent = false;
                ++m_xonCount;
            }
            if (m_busyByLevel && left <= m_script.readyAt) m_busyByLevel = false;
            m_level = left;
            m_lastPrint += ns * static_cast<long long>(k);
            m_printed += k;
        }
    }
    if (m_level == 0) m_lastPrint = t;
}

void PrinterModel::Receive(BYTE byte, const DCB& host, Time t) {
    AdvanceTo(t);
    if (!m_power) {
        ++m_lost;
        return;
    }
    const auto got = Carry(byte, host, Setting());
    if (!got) {
        ++m_garbled;
        return;
    }
    const BYTE b = *got;
    ++m_receivedCount;
    if (m_received.size() < kMaxReceivedLog) m_received.push_back(b);
    auto crc = [b](std::uint32_t& c) {
        for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (0xEDB88320u & (0u - ((c ^ (b >> bit)) & 1u)));
    };
    crc(m_crc);
    crc(m_dataCrc);
    ++m_dataCount;
    if (m_script.printRate == PrinterScript::kUnlimited && !m_leverUp) {
        ++m_printed;
    } else if (m_level < m_script.bufferSize) {
        if (m_level == 0) m_lastPrint = t;
        ++m_level;
    } else {
        ++m_lost;
        return;
    }
    CheckThresholds(t);

    const Time latency = std::chrono::milliseconds(m_script.latencyMs);
    if (m_script.echo) Queue(b, t + latency, false);
    m_window.push_back(b);
    if (m_window.size() > kMaxWindow) m_window.erase(m_window.begin());
    ProtocolText(b);
    for (const auto& r : m_script.replies) {
        if (r.trigger.size() > m_window.size() ||
            !std::equal(r.trigger.rbegin(), r.trigger.rend(), m_window.rbegin()))
            continue;
        for (const int a : r.answer)
            Queue(a == PrinterScript::kModelByte ? m_script.model : static_cast<BYTE>(a), t + latency, false);
        m_busyUntil = std::max(m_busyUntil, t + std::chrono::milliseconds(r.busyMs));
        DataStartsHere();
        ProtocolCommandDone(r.trigger.size());
        m_window.clear();
        return;
    }
    ProtocolMatch(t);
}

std::vector<PrinterModel::Output> PrinterModel::TakeOutput(Time upTo) {
    std::vector<Output> out;
    while (!m_out.empty() && m_out.front().at <= upTo) {
        out.push_back(m_out.front());
        m_out.pop_front();
    }
    return out;
}

std::optional<PrinterModel::Time> PrinterModel::NextEvent() const {
    std::optional<Time> next;
    auto consider = [&](Time t) {
        if (!next || t < *next) next = t;
    };
    if (!m_out.empty()) consider(m_out.front().at);
    if (!m_leverUp && m_script.printRate == PrinterScript::kUnlimited && m_level > 0) consider(m_now);
    if (!m_leverUp && m_script.printRate > 0 && m_level > 0) {
        const Time ns = NsPerPrintedByte();
        if (m_xoffSent && m_level > m_script.xonAt)
            consider(m_lastPrint + ns * static_cast<long long>(m_level - m_script.xonAt));
        if (m_busyByLevel && m_level > m_script.readyAt)
            consider(m_lastPrint + ns * static_cast<long long>(m_level - m_script.readyAt));
    }
    if (m_busyUntil > m_now) consider(m_busyUntil);
    if (m_nextSetting) consider(m_settingAt);
    return next;
}

void PrinterModel::SetLever(bool up, Time t) {
    AdvanceTo(t);
    if (m_leverUp && !up) m_lastPrint = std::max(t, m_now);
    m_leverUp = up;
    if (!up) PrintHeldLines();
    AdvanceTo(std::max(t, m_now) + Time(1));
}

bool PrinterModel::Cts() const { return m_power && !m_forcedBusy && !m_busyByLevel && m_now >= m_busyUntil; }

bool PrinterModel::Dsr() const { return m_power; }

void PrinterModel::SetPower(bool on, Time t) {
    AdvanceTo(t);
    if (!on) {
        m_out.clear();
        m_heldLines.clear();
        m_level = 0;
        m_xoffSent = false;
        m_busyByLevel = false;
        m_busyUntil = Time(0);
        m_window.clear();
    }
    m_power = on;
    m_lineFreeAt = t;
}

void PrinterModel::Send(const std::vector<BYTE>& bytes, Time t) {
    AdvanceTo(t);
    for (const BYTE b : bytes) Queue(b, t, false);
}
