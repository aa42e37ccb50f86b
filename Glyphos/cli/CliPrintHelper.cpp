// glyphos-cli print in the program without Qt: the printed page is drawn
// with QtGui, which only the helper program glyphos-cli-print (the same
// commands plus print; beside glyphos-cli in the build tree, in the
// package's libexec folder when installed) loads. Running it for
// this one command keeps every other command from loading the Qt GUI
// libraries at start-up.
#include "CliCommon.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

int CliPrint(const std::vector<std::string>& args) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw CliFailure("cannot find the folder of glyphos-cli: " + ec.message());
    std::string helper = (self.parent_path() / "glyphos-cli-print").string();
    if (::access(helper.c_str(), X_OK) != 0) helper = GLYPHOS_CLI_HELPER_DIR "/glyphos-cli-print";
    std::vector<std::string> all = {helper, "print"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(helper.c_str(), argv.data());
    throw CliFailure("cannot run " + helper + ": " + std::strerror(errno));
}
