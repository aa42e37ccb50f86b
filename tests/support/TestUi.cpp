#include "TestUi.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

ScopedScriptedUi::~ScopedScriptedUi() {
    UiServices::Install(m_previous);
    for (const auto& b : m_ui.Boxes()) {
        if (!b.expected) {
            ADD_FAILURE() << "unexpected " << (b.assertion ? "assertion dialog" : "message box") << ": caption \""
                          << b.caption.ToUtf8() << "\", text \"" << b.text.ToUtf8() << "\""
                          << (b.assertion ? " check \"" + b.check.ToUtf8() + "\"" : std::string());
        }
    }
    EXPECT_EQ(m_ui.PendingAnswers(), 0u) << "answers queued for boxes that never appeared";
}

ScriptedUiServices::Box ScopedScriptedUi::Last() const {
    const auto boxes = m_ui.Boxes();
    if (boxes.empty()) {
        ADD_FAILURE() << "no box was shown";
        return {};
    }
    return boxes.back();
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/glyphos-test-XXXXXX";
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

namespace {
AtomicWriteStep g_faultStep;
std::size_t g_faultIndex;
bool FailTheChosenStep(AtomicWriteStep step, std::size_t index) {
    return step == g_faultStep && index == g_faultIndex;
}
}  // namespace

ScopedWriteFault::ScopedWriteFault(AtomicWriteStep step, std::size_t index) {
    g_faultStep = step;
    g_faultIndex = index;
    SetAtomicWriteFault(FailTheChosenStep);
}

ScopedWriteFault::~ScopedWriteFault() { SetAtomicWriteFault(nullptr); }

ScopedProgramWriteFault::ScopedProgramWriteFault(const std::string& fault, const std::string& folder) {
    ::setenv("WRITE_FAULT", fault.c_str(), 1);
    if (!folder.empty()) ::setenv("WRITE_FAULT_IN", folder.c_str(), 1);
    ::setenv("LD_PRELOAD", WRITE_FAULT_SHIM, 1);
    // A sanitized build wants its runtime first; the shim comes before it.
    const char* asan = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", ((asan && *asan ? std::string(asan) + ":" : std::string()) + "verify_asan_link_order=0").c_str(), 1);
}

ScopedProgramWriteFault::~ScopedProgramWriteFault() {
    ::unsetenv("WRITE_FAULT");
    ::unsetenv("WRITE_FAULT_IN");
    ::unsetenv("LD_PRELOAD");
}

std::vector<std::string> OtherFiles(const std::string& dir, const std::vector<std::string>& keep) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (std::find(keep.begin(), keep.end(), name) == keep.end()) out.push_back(name);
    }
    return out;
}

int BindSocketFile(const std::string& path) {
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (sock < 0 || path.size() >= sizeof addr.sun_path) return -1;
    path.copy(addr.sun_path, path.size());
    if (::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(sock);
        return -1;
    }
    return sock;
}
