#include "CliRunner.h"

#include "TestUi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

std::string BuiltProgram(const std::string& name) {
    const char* dir = std::getenv("GLYPHOS_BIN_DIR");
#ifdef GLYPHOS_BINARY_DIR
    const std::string fallback = GLYPHOS_BINARY_DIR "/bin";
#else
    const std::string fallback = "bin";
#endif
    return (dir && *dir ? std::string(dir) : fallback) + "/" + name;
}

CliRun RunProgram(const std::string& program, std::vector<std::string> args, const std::string& scratchDir,
                  const std::string& stdinPath) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outPath = scratchDir + "/run.stdout", errPath = scratchDir + "/run.stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdinPath.empty()) posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    CliRun r;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ADD_FAILURE() << "cannot run " << argv[0];
        return r;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.signalled = WIFSIGNALED(status);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadText(outPath);
    r.err = ReadText(errPath);
    return r;
}
