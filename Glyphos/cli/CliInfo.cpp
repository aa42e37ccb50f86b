// glyphos-cli info FILE [--json]: what the headers of a PSW or PSW2 file say.
#include "CliCommon.h"
#include "CliJson.h"
#include "CliText.h"
#include "PswInfo.h"

#include <cstdio>
#include <string>

namespace {

Json Numbers(const auto& values) {
    Json a = Json::Array();
    for (const auto v : values) a.Push(Json(static_cast<long long>(v)));
    return a;
}

std::string Letter(wchar_t c) { return CString(std::wstring(1, c)).ToUtf8(); }

// Text of the file as the terminal may show it.
std::string Shown(const CString& text) { return TerminalSafe(text.ToUtf8()); }

Json ToJson(const PswInfo& info) {
    Json j = Json::Object();
    j.Set("generation", info.generation);
    j.Set("printer", info.printer);
    j.Set("hw_release", info.hwRelease);
    j.Set("sw_release", info.swRelease);
    j.Set("date", info.date);
    j.Set("scramble_byte", info.scrambleByte);
    j.Set("gsi_model", info.gsiModel);
    j.Set("init_bank", info.initBank);
    j.Set("port_type", info.portType);
    j.Set("header_size", info.headerSize);
    j.Set("binary_size", info.binarySize);
    if (info.generation == 1) {
        j.Set("banks", info.banks);
        j.Set("bank_size", info.bankSize);
        j.Set("sums", Numbers(info.sums));
        j.Set("software_banks", Numbers(info.softwareBanks));
        j.Set("logos", info.logos);
    } else {
        j.Set("software_module_release", info.softwareModuleRelease);
        Json printers = Json::Array();
        for (const auto& p : info.supportedPrinters) {
            Json o = Json::Object();
            o.Set("number", p.number);
            o.Set("printer", p.printer);
            o.Set("hw_release", p.hwRelease);
            o.Set("sw_release", p.swRelease);
            o.Set("date", p.date);
            o.Set("gsi_model", p.gsiModel);
            printers.Push(std::move(o));
        }
        j.Set("supported_printers", std::move(printers));
        Json modules = Json::Array();
        for (const auto& m : info.modules) {
            Json o = Json::Object();
            o.Set("type", Letter(m.type));
            o.Set("number", m.number);
            o.Set("count", m.count);
            o.Set("address", m.address);
            o.Set("size", m.size);
            modules.Push(std::move(o));
        }
        j.Set("modules", std::move(modules));
        j.Set("prop_fonts", info.propFonts);
    }
    Json fonts = Json::Array();
    for (const auto& f : info.fonts) {
        Json o = Json::Object();
        o.Set("number", f.number);
        o.Set("width", f.width);
        o.Set("height", f.height);
        o.Set("first", f.first);
        o.Set("last", f.last);
        o.Set("orientation", Letter(f.orientation));
        o.Set("margins", Numbers(f.margins));
        o.Set("byte_order", f.byteOrder);
        o.Set("offset", f.offset);
        o.Set("block_size", f.blockSize);
        fonts.Push(std::move(o));
    }
    j.Set("fonts", std::move(fonts));
    return j;
}

void PrintSummary(const std::string& path, const PswInfo& info) {
    const auto line = [](const char* label, const std::string& value) {
        std::printf("%-20s %s\n", label, value.c_str());
    };
    const auto hex = [](int v) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFF);
        return std::string(buf);
    };
    line("File:", TerminalSafe(path));
    line("Generation:", info.generation == 1 ? "1 (PSW)" : "2 (PSW2)");
    const auto quoted = [](const std::string& s) { return std::string(1, '"').append(s).append(1, '"'); };
    line("Printer:", quoted(Shown(info.printer)));
    line("Releases:", "hardware " + quoted(Shown(info.hwRelease)) + ", software " + quoted(Shown(info.swRelease)));
    line("Date:", quoted(Shown(info.date)));
    line("Scramble byte:", hex(info.scrambleByte));
    line("GSI model:", hex(info.gsiModel));
    line("Initial-data bank:", std::to_string(info.initBank));
    line("Port type:", std::to_string(info.portType));
    line("Header size:", std::to_string(info.headerSize) + " bytes");
    line("Binary size:", std::to_string(info.binarySize) + " bytes");
    if (info.generation == 1) {
        line("Banks:", std::to_string(info.banks) + " of " + std::to_string(info.bankSize) + " bytes");
        std::string banks;
        for (int b : info.softwareBanks) banks += (banks.empty() ? "" : ", ") + std::to_string(b);
        line("Software banks:", banks.empty() ? "none" : banks);
        line("Sums:", hex(info.sums[0]) + " " + hex(info.sums[1]) + " " + hex(info.sums[2]) + " " + hex(info.sums[3]));
        line("Logos:", std::to_string(info.logos));
    } else {
        line("Software module:", info.softwareModuleRelease.IsEmpty() ? "none" : Shown(info.softwareModuleRelease));
        line("Supported printers:", std::to_string(info.supportedPrinters.size()));
        for (const auto& p : info.supportedPrinters) {
            std::printf("  %d) \"%s\" hardware \"%s\", software \"%s\", date \"%s\", GSI model %s\n", p.number,
                        Shown(p.printer).c_str(), Shown(p.hwRelease).c_str(), Shown(p.swRelease).c_str(),
                        Shown(p.date).c_str(), hex(p.gsiModel).c_str());
        }
        line("Modules:", std::to_string(info.modules.size()));
        for (const auto& m : info.modules) {
            std::printf("  %s %d of %d at %u, %u bytes\n", TerminalSafe(Letter(m.type)).c_str(), m.number, m.count,
                        static_cast<unsigned>(m.address), static_cast<unsigned>(m.size));
        }
        line("Proportional fonts:", std::to_string(info.propFonts));
    }
    line("Fonts:", std::to_string(info.fonts.size()));
    for (const auto& f : info.fonts) {
        std::printf("  %d) %d x %d, characters %d..%d, orientation %s, margins %d %d %d %d, byte order %d, "
                    "data at %u (%u bytes)\n",
                    f.number, f.width, f.height, f.first, f.last, TerminalSafe(Letter(f.orientation)).c_str(), f.margins[0],
                    f.margins[1], f.margins[2], f.margins[3], f.byteOrder, static_cast<unsigned>(f.offset),
                    static_cast<unsigned>(f.blockSize));
    }
}

}  // namespace

int CliInfo(const std::vector<std::string>& args) {
    const CliArgs a(args, {"--json"});
    a.ExpectPositional(1, 1);
    const std::string& path = a.Positional()[0];
    auto log = MakeCliLog();
    PswInfo info;
    std::string error;
    if (!ReadPswInfo(CString::FromUtf8(path), log.get(), info, error)) throw CliFailure(error);
    if (a.Has("--json")) {
        std::printf("%s\n", ToJson(info).Dump().c_str());
    } else {
        PrintSummary(path, info);
    }
    return kExitOk;
}
