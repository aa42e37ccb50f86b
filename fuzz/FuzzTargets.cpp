#include "FuzzTargets.h"

#include "Archive.h"
#include "DBCollaudatori.h"
#include "FileUtil.h"
#include "FontConverter.h"
#include "KalvoNewCfgFileObject.h"
#include "LoadInfoFile.h"
#include "GlyphosDocCore.h"
#include "LoadGlyphosCfgFileApp.h"
#include "PrinterScript.h"
#include "PswBuilder.h"
#include "PswInfo.h"
#include "UiServices.h"
#include "BdfFile.h"
#include "PsfFile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace fuzz {
namespace {

// The readers take paths: each input is written to one scratch file per
// process, rewritten for every input.
const std::string& ScratchDir() {
    static const std::string dir = [] {
        std::string d = std::filesystem::temp_directory_path().string() + "/glyphos-fuzz-" + std::to_string(::getpid());
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

CString WriteScratch(const std::uint8_t* data, std::size_t size, const char* name) {
    const std::string path = ScratchDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return CString::FromUtf8(path);
}

// Boxes answer their default button without a window and are forgotten
// after each input, so a long run keeps flat memory.
ScriptedUiServices& Quiet() {
    static ScriptedUiServices* ui = [] {
        auto* s = new ScriptedUiServices;
        UiServices::Install(s);
        return s;
    }();
    ui->Clear();
    return *ui;
}

struct TakeFirst : IDocChoices {
    int SelectFont(const std::vector<FontChoice>& c) override { return c.empty() ? -1 : 0; }
};

CGlyphosDocCore& Document() {
    static CGlyphosDocCore* doc = [] {
        auto* d = new CGlyphosDocCore;
        d->SetLogDir(CString::FromUtf8(ScratchDir()));
        return d;
    }();
    return *doc;
}

template <typename F>
void Guard(F&& f) {
    Quiet();
    try {
        f();
    } catch (int) {
        // MYThrow's stop: the accepted end of a damaged file.
    }
}

void PswHeaders(const std::uint8_t* d, std::size_t n) {
    const CString path = WriteScratch(d, n, "headers.psw");
    Guard([&] {
        PswInfo info;
        std::string error;
        ReadPswInfo(path, nullptr, info, error);
    });
}

void PswFonts(const std::uint8_t* d, std::size_t n) {
    const CString path = WriteScratch(d, n, "fonts.psw");
    Guard([&] {
        std::vector<FontChoice> fonts;
        Document().ListPswFonts(path, fonts);
        TakeFirst first;
        Document().OpenFromPsw(path, first);
    });
}

// Saving the document's font into a damaged file must refuse or write a
// whole file, never fault.
void PswReplace(const std::uint8_t* d, std::size_t n) {
    const CString path = WriteScratch(d, n, "replace.psw");
    Guard([&] {
        CGlyphosDocCore doc;
        doc.SetLogDir(CString::FromUtf8(ScratchDir()));
        TakeFirst first;
        doc.SaveIntoPsw(path, first);
    });
}

void Kfn(const std::uint8_t* d, std::size_t n) {
    Guard([&] {
        CGlyphosDocCore doc;
        if (doc.LoadKfn(d, n)) doc.StoreKfn();
    });
}

void AppCfg(const std::uint8_t* d, std::size_t n) {
    WriteScratch(d, n, "Glyphos.cfg");
    Guard([&] {
        LoadGlyphosCfgFileApp cfg(nullptr, WithTrailingSlash(CString::FromUtf8(ScratchDir())), L"Glyphos.cfg");
        cfg.LoadFileAppCfgInfo();
    });
}

// A production tool's view of the printers configuration: its loader is
// protected, as the tools derive from the class.
struct CfgReader : CKalvoNewCfgFileObject {
    using CKalvoNewCfgFileObject::LoadCfgFile;
    using CKalvoNewCfgFileObject::m_strFolder;
    using CKalvoNewCfgFileObject::m_strPathCfg;
};

void PrintersCfg(const std::uint8_t* d, std::size_t n) {
    const CString path = WriteScratch(d, n, "model.cfg");
    Guard([&] {
        CfgReader cfg;
        cfg.m_strFolder = WithTrailingSlash(CString::FromUtf8(ScratchDir()));
        cfg.m_strPathCfg = path;
        cfg.LoadCfgFile(path);
    });
}

void InfoFile(const std::uint8_t* d, std::size_t n) {
    WriteScratch(d, n, "printer.inf");
    Guard([&] {
        CLoadInfoFile info;
        info.InitInfoFile(WithTrailingSlash(CString::FromUtf8(ScratchDir())), L"printer.inf", L"BeginInfo",
                          L"EndInfo");
        if (info.LoadInfoFile()) {
            CString value;
            info.GetInfoLoadFromFile(L"Model", &value);
        }
    });
}

// Whatever the testers database loads, it must store again so that the
// stored file loads back to the same testers: a tester that changed on the
// way would no longer log in with his own password.
void TestersDb(const std::uint8_t* d, std::size_t n) {
    const CString path = WriteScratch(d, n, "testers.dat");
    Guard([&] {
        CDBCollaudatori db(path);
        if (!db.LoadDBaseFromFile()) return;
        CString nome, cognome;
        if (db.Get_m_uiNumTesters() > 0) db.GetDataTester(db.GetTester(0).strPassword, &nome, &cognome);
        CArchive out;
        db.Serialize(out);
        CArchive in(out.Bytes().data(), out.Bytes().size());
        CDBCollaudatori back(path);
        back.Serialize(in);
        back.Set_m_bDirty(FALSE);  // nothing of this goes back to disk
        bool same = !in.Failed() && in.Remaining() == 0 && back.Get_m_uiNumTesters() == db.Get_m_uiNumTesters();
        for (UINT i = 0; same && i < db.Get_m_uiNumTesters(); ++i) {
            const _Collaudatore &a = db.GetTester(i), &b = back.GetTester(i);
            same = a.strNome == b.strNome && a.strCognome == b.strCognome && a.strPassword == b.strPassword;
        }
        if (!same) {
            std::fprintf(stderr, "testers database: the stored file does not load back to the same testers\n");
            std::abort();
        }
    });
}

void SimScript(const std::uint8_t* d, std::size_t n) {
    Guard([&] {
        std::string error;
        PrinterScript::Parse(std::string_view(reinterpret_cast<const char*>(d), n), &error);
    });
}

void ConsoleFonts(const std::uint8_t* d, std::size_t n) {
    Guard([&] {
        const std::vector<unsigned char> bytes(d, d + n);
        BitmapFont font;
        std::string error;
        if (PsfFile::IsPsf(bytes)) {
            PsfFile::Read(bytes, font, error);
        } else {
            BdfFile::Read(bytes, font, error);
        }
    });
}

std::vector<std::uint8_t> Text(std::string_view s) { return {s.begin(), s.end()}; }

}  // namespace

const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"psw_headers", PswHeaders}, {"psw_fonts", PswFonts}, {"psw_replace", PswReplace}, {"kfn", Kfn},
        {"app_cfg", AppCfg},         {"sim_script", SimScript}, {"console_fonts", ConsoleFonts},
        {"printers_cfg", PrintersCfg}, {"info_file", InfoFile}, {"testers_db", TestersDb},
    };
    return targets;
}

Input Find(const std::string& name) {
    for (const Target& t : Targets()) {
        if (name == t.name) return t.run;
    }
    return nullptr;
}

std::vector<Seed> Seeds() {
    using pswtest::Psw1Builder;
    using pswtest::Psw2Builder;
    std::vector<Seed> seeds;
    Psw1Builder one;
    one.printer.scrByte = 0x35;
    one.AddBank(0);
    one.AddLogo({});
    one.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    one.AddFont({.width = 12, .height = 4, .first = 65, .last = 66, .marginLeft = 1});
    Psw2Builder two;
    two.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    two.AddSoftwareModule("1x00");
    two.supported.push_back({});
    two.propFonts.push_back({});
    two.genericData.push_back({});
    for (const char* t : {"psw_headers", "psw_fonts", "psw_replace"}) {
        seeds.push_back({t, "first.psw", one.Build()});
        seeds.push_back({t, "second.psw", two.Build()});
    }
    CGlyphosDocCore doc;
    doc.GetFont().SetPixel(65, 0, 0);
    const std::vector<unsigned char> kfn = doc.StoreKfn();
    seeds.push_back({"kfn", "default.kfn", {kfn.begin(), kfn.end()}});
    seeds.push_back({"app_cfg", "Glyphos.cfg",
                     Text("BeginAppCfg\n$Nameavifile=a.avi\n$DirLog=/tmp/\n$HelpFile=h.html\n$EndAppCfg\n")});
    seeds.push_back({"printers_cfg", "model.cfg",
                     Text("Printer model file\n#BeginFile\n$Firmware = fw/main.psw\n#EndFile\n#BeginOption\n"
                          "$Cutter = No\n$RXBUFDIM = 4096\n$Cassetto = O ^Is the drawer fitted?^\n#EndOption\n"
                          "#BeginCommand\n$Cut&2\xA3" "0%1B,40\n$Model&3\xA3" "1%1d,49,01\n#EndCommand\n"
                          "#BeginDefaultConfig\n$Cut&2\xA3" "0%1B,40\n#EndDefaultConfig\n")});
    seeds.push_back({"info_file", "printer.inf", Text("header\n#BeginInfo\n$Model = KP300\n$Port=COM1\n#EndInfo\n")});
    {
        // One tester in the long length form, one with a character beyond
        // ASCII; then the single-byte string form older files use.
        CDBCollaudatori db{CString()};
        db.AddCollaudatore(L"Anna", CString(300, L'x'), L"pw");
        db.AddCollaudatore(L"Bruno", L"Bianchi", L"p\u00e8");
        CArchive ar;
        db.Serialize(ar);
        db.Set_m_bDirty(FALSE);
        seeds.push_back({"testers_db", "two.dat", {ar.Bytes().begin(), ar.Bytes().end()}});
        seeds.push_back({"testers_db", "narrow.dat", {1, 0, 0, 0, 1, 0xBE, 2, 0xBE, 0x7B, 1, 0xBE}});
    }
    seeds.push_back({"sim_script", "printer.sim", Text("baud 19200\nbits 7\nparity even\nmodel 0x2A\nreply 1D 49 01 -> model\n"
                          "reply \"PING\" -> \"PO\\x4eG\\n\" busy 150\nbuffer 512\nprint-rate 800\n")});
    seeds.push_back({"console_fonts", "a.bdf",
                     Text("STARTFONT 2.1\nFONT a\nSIZE 8 75 75\nFONTBOUNDINGBOX 8 2 0 0\nCHARS 1\nSTARTCHAR A\n"
                          "ENCODING 65\nBBX 8 2 0 0\nBITMAP\nFF\n81\nENDCHAR\nENDFONT\n")});
    return seeds;
}

}  // namespace fuzz
