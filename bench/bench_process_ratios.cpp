// Whole processes against their floors: each glyphos-cli command and the
// smallest program that does the same work at the least (floor_freetype,
// floor_ostrel) run pair by pair, one after the other, so that both see the
// same load; the CPU time of each finished child (user + system, from
// wait4) is taken and the medians compared. Start-up (loading and
// relocating libraries) is most of a short command's time, which a
// benchmark inside one process never sees.
//
//   bench_process_ratios [PAIRS]   (default 15; other arguments are ignored)
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The CPU time of one run of the program, in ms; negative when it failed.
double RunCpuMs(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2);
}

struct Pair {
    std::string name;
    std::vector<std::string> command;
    std::vector<std::string> floor;
    double goal;  // the ratio to stay under
};

std::string FontFile(const std::string& family) {
    std::string out;
    const std::string cmd = "fc-match -f '%{file}' '" + family + "'";
    if (std::FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        while (const std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        pclose(p);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    int pairs = argc > 1 ? std::atoi(argv[1]) : 15;
    if (pairs < 9) pairs = 15;  // benchmark options or nonsense: the default
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string cli = (bin / "glyphos-cli").string();
    const std::string demo = std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw";
    const fs::path tmp = fs::temp_directory_path() / ("bench-ratios-" + std::to_string(getpid()));
    fs::create_directories(tmp);
    const std::string kfn = (tmp / "render.kfn").string();
    const std::string font = FontFile("DejaVu Sans Mono");

    const std::vector<std::string> render = {cli,     "render",     "DejaVu Sans Mono", "54", kfn, "--width", "64",
                                             "--height", "96",       "--first",          "0x20", "--last", "0xFF"};
    if (RunCpuMs(render) < 0) {
        std::fprintf(stderr, "bench_process_ratios: glyphos-cli render failed\n");
        return 1;
    }
    const std::string logDir = tmp.string();
    const std::vector<Pair> list = {
        {"render 224 glyphs 64x96 / FreeType floor", render, {(bin / "floor_freetype").string(), font, "72"}, 1.5},
        {"info demo.psw / libostrel floor", {cli, "info", demo}, {(bin / "floor_ostrel").string(), demo}, 1.5},
        {"fonts demo.psw / libostrel floor",
         {cli, "fonts", demo, "--log-dir", logDir},
         {(bin / "floor_ostrel").string(), demo},
         1.5},
        {"show render.kfn 65 / libostrel floor", {cli, "show", kfn, "65"}, {(bin / "floor_ostrel").string(), kfn}, 1.5},
    };
    int failures = 0;
    std::printf("whole processes, median CPU time (user + system) of %d pairs\n", pairs);
    std::printf("%-44s %10s %10s %7s %6s\n", "command / floor", "ours ms", "floor ms", "ratio", "goal");
    for (const Pair& p : list) {
        std::vector<double> ours, floor;
        bool failed = false;
        for (int i = 0; i < pairs && !failed; ++i) {
            const double a = RunCpuMs(p.command);
            const double b = RunCpuMs(p.floor);
            failed = a < 0 || b < 0;
            ours.push_back(a);
            floor.push_back(b);
        }
        if (failed) {
            std::printf("%-44s failed to run\n", p.name.c_str());
            ++failures;
            continue;
        }
        const double mo = Median(ours), mf = Median(floor);
        const double ratio = mf > 0 ? mo / mf : 0;
        std::printf("%-44s %10.2f %10.2f %7.2f %6.2f%s\n", p.name.c_str(), mo, mf, ratio, p.goal,
                    ratio <= p.goal ? "" : "  (above the goal)");
    }
    std::error_code ec;
    fs::remove_all(tmp, ec);
    return failures ? 1 : 0;
}
