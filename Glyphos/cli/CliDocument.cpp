#include "CliDocument.h"

#include "CliText.h"
#include "FileUtil.h"
#include "GlyphosSystemSettings.h"
#include "LoadGlyphosCfgFileApp.h"
#include "UiServices.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::optional<CString> EditorLogDir() {
    // The installation the editor would use, found the way the editor finds it.
    const auto path = GlyphosSystemSettings::ProgramPath();
    if (!path) return std::nullopt;
    const CString dir = WithTrailingSlash(*path);
    if (!FileExists(dir + L"Glyphos.cfg")) return std::nullopt;
    // The reader reports problems in boxes; here they only mean "use the
    // fallback", so they are kept quiet.
    ScriptedUiServices quiet;
    UiServices* previous = UiServices::Install(&quiet);
    LoadGlyphosCfgFileApp cfg(nullptr, dir, L"Glyphos.cfg");
    const int ok = cfg.LoadFileAppCfgInfo();
    UiServices::Install(previous);
    if (!ok || cfg.Get_m_DirLogFile().IsEmpty() || !IsDirectory(cfg.Get_m_DirLogFile())) return std::nullopt;
    return cfg.Get_m_DirLogFile();
}

CString CacheLogDir() {
    const std::string cache = UserCacheDir();
    const std::string dir = (cache.empty() ? std::string("/tmp") : cache) + "/glyphos/logs";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return CString::FromUtf8(dir);
}

}  // namespace

CString CliPath(const std::string& arg) { return CString::FromUtf8(arg); }

CString CliLogDir(const CliArgs& args) {
    if (const auto dir = args.Value("--log-dir")) {
        if (!IsDirectory(CliPath(*dir))) throw CliUsageError("--log-dir: no such folder: " + *dir);
        return CliPath(*dir);
    }
    if (const auto dir = EditorLogDir()) return *dir;
    return CacheLogDir();
}

void PrepareCliDocument(CGlyphosDocCore& doc, const CliArgs& args) { doc.SetLogDir(CliLogDir(args)); }

int CliFontChoice::SelectFont(const std::vector<FontChoice>& choices) {
    if (m_position) {
        for (std::size_t i = 0; i < choices.size(); ++i) {
            if (choices[i].position == *m_position) return static_cast<int>(i);
        }
        m_refusal = "font " + std::to_string(*m_position) + " is not among the fonts offered";
        return -1;
    }
    if (choices.size() == 1) return 0;
    m_refusal = "several fonts fit; choose one with --font N:";
    for (const auto& c : choices) m_refusal += "\n  " + TerminalSafe(c.line.ToUtf8());
    return -1;
}
