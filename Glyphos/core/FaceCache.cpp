#include "FaceCache.h"

#include "CString.h"
#include "AtomicFile.h"
#include "FileUtil.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <utility>

namespace face_cache {
namespace {

constexpr std::string_view kHeader = "glyphos faces 2";
// Enough for every font a user imports in a while; the oldest go first.
constexpr std::size_t kMaxFaces = 64;
// Inode times come from the kernel's coarse clock, up to a tick behind.
constexpr long long kClockSlackNs = 20'000'000;

// What fontconfig reads besides its files: where it looks for them and the
// languages it prefers. (The program's name, which rules may test too, is
// part of each request, so that the editor and glyphos-cli share the file.)
constexpr const char* kEnvironment[] = {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "HOME",
                                        "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "FC_LANG",
                                        "LC_ALL", "LC_CTYPE", "LANG"};

bool Plain(std::string_view s) { return s.find_first_of("\t\n") == std::string_view::npos; }

std::string Environment() {
    std::string out;
    for (const char* name : kEnvironment) {
        const char* v = std::getenv(name);
        out += "env ";
        out += name;
        out += v ? "=" : " unset";
        if (v) out += v;
        out += '\n';
    }
    return out;
}

long long Ns(const timespec& t) { return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

// A path's state as one word: "-" when it is not there.
std::string State(const std::string& path, long long* changedNs = nullptr) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "-";
    if (changedNs) *changedNs = Ns(st.st_ctim);
    return std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) + ':' +
           std::to_string(Ns(st.st_mtim)) + ':' + std::to_string(Ns(st.st_ctim));
}

std::vector<std::string_view> Split(std::string_view line, char sep) {
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t at = line.find(sep);
        out.push_back(line.substr(0, at));
        if (at == std::string_view::npos) return out;
        line.remove_prefix(at + 1);
    }
}

template <typename T>
bool Number(std::string_view s, T& v) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// "face \t request \t file \t index \t named \t embolden oblique hinting
// autohint \t xx xy yx yy \t families..."
std::string FaceLine(const std::string& request, const CachedFace& f) {
    std::string line = "face\t" + request + '\t' + f.file + '\t' + std::to_string(f.index) + '\t' +
                       std::to_string(f.named) + '\t';
    for (const bool b : {f.embolden, f.oblique, f.hinting, f.autohint}) line += b ? '1' : '0';
    line += '\t';
    for (int i = 0; i < 4; ++i) {
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, f.matrix[i]);
        line.append(buf, r.ptr);
        line += i < 3 ? ' ' : '\t';
    }
    for (std::size_t i = 0; i < f.families.size(); ++i) line += (i ? "\t" : "") + f.families[i];
    return line;
}

bool ParseFace(std::string_view line, std::string& request, CachedFace& f) {
    const std::vector<std::string_view> p = Split(line, '\t');
    if (p.size() < 8 || p[0] != "face" || p[5].size() != 4) return false;
    request = p[1];
    f.file = p[2];
    if (!Number(p[3], f.index) || !Number(p[4], f.named)) return false;
    bool* flags[] = {&f.embolden, &f.oblique, &f.hinting, &f.autohint};
    for (std::size_t i = 0; i < 4; ++i) *flags[i] = p[5][i] == '1';
    const std::vector<std::string_view> m = Split(p[6], ' ');
    if (m.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (!Number(m[i], f.matrix[i])) return false;
    }
    if (p.size() > 8 || !p[7].empty()) f.families.assign(p.begin() + 7, p.end());
    return !f.file.empty() && f.named < static_cast<int>(f.families.size());
}

struct Loaded {
    bool read = false;
    // The answers, oldest first, kept while the stamp below still holds.
    std::vector<std::pair<std::string, CachedFace>> faces;
};

std::mutex g_mutex;
Loaded g_loaded;

// Reads the cache file once: its answers count only when the environment
// and every watched path are as they were when it was written.
void Load() {
    if (g_loaded.read) return;
    g_loaded.read = true;
    const std::string path = Path();
    std::vector<unsigned char> bytes;
    std::string why;
    if (path.empty() || !ReadSmallTextFile(CString::FromUtf8(path), bytes, why)) return;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string env = Environment();
    if (text.substr(0, kHeader.size() + 1) != std::string(kHeader) + '\n' ||
        text.substr(kHeader.size() + 1, env.size()) != env)
        return;
    std::vector<std::pair<std::string, CachedFace>> faces;
    for (const std::string_view line : Split(text.substr(kHeader.size() + 1 + env.size()), '\n')) {
        if (line.empty()) continue;
        if (line.substr(0, 6) == "watch ") {
            const std::size_t space = line.find(' ', 6);
            if (space == std::string_view::npos) return;
            if (State(std::string(line.substr(space + 1))) != line.substr(6, space - 6)) return;
        } else {
            std::pair<std::string, CachedFace> face;
            if (!ParseFace(line, face.first, face.second)) return;
            faces.push_back(std::move(face));
        }
    }
    g_loaded.faces = std::move(faces);
}

// Each request is kept under the program's name too: rules may test it.
std::string Key(const std::string& request) { return std::string(program_invocation_short_name) + ' ' + request; }

}  // namespace

std::string Path() {
    // Only a folder that does not depend on the current one.
    const std::string cache = UserCacheDir();
    return cache.empty() || cache[0] != '/' ? std::string() : cache + "/glyphos/faces";
}

std::optional<CachedFace> Find(const std::string& request) {
    const std::string key = Key(request);
    std::lock_guard lock(g_mutex);
    Load();
    for (const auto& [known, face] : g_loaded.faces) {
        if (known == key) return face;
    }
    return std::nullopt;
}

void Remember(const std::string& request, const CachedFace& answer, const std::vector<std::string>& watched,
              const timespec& askedAt) {
    const std::string key = Key(request);
    if (!Plain(key) || !Plain(answer.file) ||
        !std::all_of(answer.families.begin(), answer.families.end(), [](const std::string& s) { return Plain(s); }))
        return;
    std::string text = std::string(kHeader) + '\n' + Environment();
    if (std::count(text.begin(), text.end(), '\n') != static_cast<long>(std::size(kEnvironment)) + 1) return;
    for (const std::string& path : watched) {
        long long changed = 0;
        const std::string state = State(path, &changed);
        if (changed >= Ns(askedAt) - kClockSlackNs || path.find('\n') != std::string::npos) return;
        text += "watch " + state + ' ' + path + '\n';
    }
    const std::string path = Path();
    if (path.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    // Read again under the file's lock, so that the answers another program
    // kept since this one started are kept too. A cache that cannot be
    // written only costs the next run its time.
    FileLock fileLock;
    if (!fileLock.Acquire(CString::FromUtf8(path))) return;
    std::lock_guard lock(g_mutex);
    g_loaded = Loaded{};
    Load();
    auto& faces = g_loaded.faces;
    faces.erase(std::remove_if(faces.begin(), faces.end(), [&](const auto& f) { return f.first == key; }), faces.end());
    faces.emplace_back(key, answer);
    if (faces.size() > kMaxFaces) faces.erase(faces.begin(), faces.end() - kMaxFaces);
    for (const auto& [known, face] : faces) text += FaceLine(known, face) + '\n';
    WriteFileAtomically(CString::FromUtf8(path), text.data(), text.size());
}

void ForgetLoaded() {
    std::lock_guard lock(g_mutex);
    g_loaded = Loaded{};
}

}  // namespace face_cache
