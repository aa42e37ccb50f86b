// The inputs the programs take from users, each as one function from bytes
// to an outcome: a libFuzzer target wraps one of them, and the regression
// test runs every kept input through the same function. An integer thrown
// by MYThrow is an accepted outcome (the programs catch it at their command
// boundaries); anything else (a crash, a sanitizer report, a hang, memory
// running away) is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

using Input = void (*)(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;
    Input run;
};

const std::vector<Target>& Targets();
Input Find(const std::string& name);

// Seed inputs for each target, made by the PSW builder and from the
// documents themselves: {target name, file name, bytes}.
struct Seed {
    std::string target, name;
    std::vector<std::uint8_t> bytes;
};
std::vector<Seed> Seeds();

}  // namespace fuzz
