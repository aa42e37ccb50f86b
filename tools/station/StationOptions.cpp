#include "StationOptions.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

const char* const kStationUsage =
    "usage: ostrel-station [--port DEV] [--printers DIR] [--model NAME] [--testers FILE]\n"
    "                      [--reports DIR] [--pdf FILE] [--log FILE] [--once]\n"
    "\n"
    "A production test station for one printer at a time: the tester logs in with his\n"
    "password, enters the test record, chooses port and model, and the station finds the\n"
    "printer's line setting, checks its model and release, runs the flow-control test,\n"
    "asks for the operator's judgement, prints the summary on the printer and the report\n"
    "file on a system printer. Every printer operation runs on a worker thread; Stop ends\n"
    "a transfer before its next byte.\n"
    "  --port DEV      the serial port (a path, COMn or a pseudo-terminal); else a dialog asks\n"
    "  --printers DIR  folder of printers configuration files, one model per *.cfg file\n"
    "                  (default: the current folder)\n"
    "  --model NAME    the model to test (its file name without .cfg); else a dialog asks\n"
    "  --testers FILE  the testers database made with ostrel-testers\n"
    "                  (default: ~/.local/share/ostrel-station/testers.dat)\n"
    "  --reports DIR   folder of the report files and of the debug log\n"
    "                  (default: ~/.local/share/ostrel-station/reports, made when missing)\n"
    "  --pdf FILE      save the reports as PDF instead of showing the print dialog: each in\n"
    "                  FILE's folder, named after its report file\n"
    "  --log FILE      the library's debug log (default: ostrel-station.log in the reports folder)\n"
    "  --once          start the test at once, test one printer and exit with its outcome\n"
    "  --version       print the version and exit\n"
    "\n"
    "Exit status: 0 done (with --once: the printer passed), 1 failed, 2 wrong arguments.\n";

namespace {

fs::path DataHome() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return fs::path(data);
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share";
}

// Qt's options that take a value; they and their value are Qt's.
bool IsQtOptionWithValue(const std::string& a) {
    static const char* const withValue[] = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                            "-qwindowgeometry", "-qwindowicon", "-qwindowtitle", "-display",
                                            "-style", "-stylesheet", "-geometry", "-title", "-session"};
    return std::any_of(std::begin(withValue), std::end(withValue), [&](const char* o) { return a == o; });
}

}  // namespace

StationOptions ParseStationOptions(const std::vector<std::string>& args) {
    StationOptions o;
    std::optional<std::string> printers, testers, reports;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        if (a.size() > 1 && a[0] == '-' && a[1] != '-') {
            if (IsQtOptionWithValue(a)) ++i;
            continue;
        }
        if (a.size() < 3 || a[0] != '-') throw StationUsageError{"unexpected argument \"" + a + "\""};
        std::optional<std::string> inlineValue;
        if (const auto eq = a.find('='); eq != std::string::npos) {
            inlineValue = a.substr(eq + 1);
            a = a.substr(0, eq);
        }
        auto value = [&]() -> std::string {
            std::string v;
            if (inlineValue) v = *inlineValue;
            else if (i + 1 < args.size()) v = args[++i];
            else throw StationUsageError{a + " wants a value"};
            if (v.empty()) throw StationUsageError{a + " wants a value"};
            return v;
        };
        if (a == "--port") o.port = value();
        else if (a == "--printers") printers = value();
        else if (a == "--model") o.model = value();
        else if (a == "--testers") testers = value();
        else if (a == "--reports") reports = value();
        else if (a == "--pdf") o.pdf = value();
        else if (a == "--log") o.log = value();
        else if (a == "--once" && !inlineValue) o.once = true;
        else throw StationUsageError{"unknown option " + a};
    }
    o.printers = printers ? fs::path(*printers) : fs::current_path();
    o.testers = testers ? fs::path(*testers) : DataHome() / "ostrel-station" / "testers.dat";
    o.reports = reports ? fs::path(*reports) : DataHome() / "ostrel-station" / "reports";
    if (o.log.empty()) o.log = o.reports / "ostrel-station.log";
    o.printers = fs::absolute(o.printers);
    o.testers = fs::absolute(o.testers);
    o.reports = fs::absolute(o.reports);
    o.log = fs::absolute(o.log);
    if (!o.pdf.empty()) o.pdf = fs::absolute(o.pdf);
    return o;
}

std::vector<StationModel> ListStationModels(const fs::path& folder) {
    std::error_code ec;
    std::vector<StationModel> models;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() == ".cfg" && it->is_regular_file(ec)) models.push_back({p.stem().string(), p});
    }
    if (ec) throw StationFailure{"cannot read the printers folder " + folder.string() + ": " + ec.message()};
    if (models.empty()) throw StationFailure{"no printers configuration file (*.cfg) in " + folder.string()};
    std::sort(models.begin(), models.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return models;
}

void CheckStationOptions(const StationOptions& o) {
    const auto models = ListStationModels(o.printers);
    if (!o.model.empty() &&
        std::none_of(models.begin(), models.end(), [&](const StationModel& m) { return m.name == o.model; }))
        throw StationFailure{"no model " + o.model + " (" + o.model + ".cfg) in " + o.printers.string()};
    std::error_code ec;
    if (!fs::is_regular_file(o.testers, ec))
        throw StationFailure{"no testers database " + o.testers.string() +
                             " (make one with: ostrel-testers FILE add FIRST LAST)"};
    fs::create_directories(o.reports, ec);
    if (!fs::is_directory(o.reports, ec)) throw StationFailure{"cannot make the reports folder " + o.reports.string()};
    if (!o.pdf.empty() && !fs::is_directory(o.pdf.parent_path(), ec))
        throw StationFailure{"no folder " + o.pdf.parent_path().string() + " for " + o.pdf.filename().string()};
}
