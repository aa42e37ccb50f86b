// Every input a fuzz target once failed on, kept under fuzz/regressions/
// <target>/, runs again here through the same target body; the seeds run
// too, so a target that breaks on ordinary input fails without a fuzzer.
// A crash or a sanitizer report fails the run; MYThrow's integer is caught
// inside the targets.
#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzRegressionTest, KeptInputsRunThroughTheirTargetsAgain) {
    const std::filesystem::path root = std::filesystem::path(GLYPHOS_SOURCE_DIR) / "fuzz" / "regressions";
    ASSERT_TRUE(std::filesystem::is_directory(root));
    std::size_t inputs = 0;
    for (const auto& dir : std::filesystem::directory_iterator(root)) {
        if (!dir.is_directory()) continue;
        const std::string target = dir.path().filename().string();
        const fuzz::Input run = fuzz::Find(target);
        ASSERT_NE(run, nullptr) << "no target named " << target;
        for (const auto& file : std::filesystem::directory_iterator(dir.path())) {
            SCOPED_TRACE(file.path().string());
            const auto bytes = ReadAll(file.path());
            run(bytes.data(), bytes.size());
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0u);
}

TEST(FuzzRegressionTest, EveryTargetTakesItsSeedsAndNothingAtAll) {
    for (const fuzz::Seed& s : fuzz::Seeds()) {
        SCOPED_TRACE(s.target + "/" + s.name);
        const fuzz::Input run = fuzz::Find(s.target);
        ASSERT_NE(run, nullptr);
        run(s.bytes.data(), s.bytes.size());
    }
    for (const fuzz::Target& t : fuzz::Targets()) t.run(nullptr, 0);
}

}  // namespace
