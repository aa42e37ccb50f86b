// Runs a built program of ours (glyphos-cli by default) as a separate
// process and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

struct CliRun {
    int exitCode = -1;
    bool signalled = false;
    std::string out, err;
};

// The folder of the built programs: GLYPHOS_BIN_DIR (set by ctest) or the
// build tree's bin folder.
std::string BuiltProgram(const std::string& name);

// Runs the program with the arguments; stdout and stderr go through files
// in `scratchDir`. Standard input is the file `stdinPath` when given.
CliRun RunProgram(const std::string& program, std::vector<std::string> args, const std::string& scratchDir,
                  const std::string& stdinPath = {});
