// End-to-end: what glyphos-cli's writing commands leave when the disk is
// full, the program is interrupted, the target is read-only, or two of them
// write into one PSW file at once.
#include "CliRunner.h"
#include "PswBuilder.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using pswtest::Bytes;

class CliFileSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Two fonts of 8 x 8 with different dots: each goes into its own slot.
        pswtest::Psw1Builder b;
        b.AddBank(0);
        for (const std::uint8_t pattern : {0xAA, 0x55}) {
            pswtest::FontSpec f{.width = 8, .height = 8, .first = 32, .last = 40};
            f.data = Bytes(f.BlockSize(), pattern);
            b.AddFont(f);
        }
        b.Write(src.File("fonts.psw"));
        pswtest::Psw1Builder blank;
        blank.AddBank(0);
        blank.AddFont({.width = 8, .height = 8, .first = 32, .last = 40, .data = Bytes(72, 0)});
        blank.AddFont({.width = 8, .height = 8, .first = 32, .last = 40, .data = Bytes(72, 0)});
        blank.Write(src.File("blank.psw"));
        ASSERT_EQ(Cli({"extract", src.File("fonts.psw"), "1", kfnA}).exitCode, 0);
        ASSERT_EQ(Cli({"extract", src.File("fonts.psw"), "2", kfnB}).exitCode, 0);
        // A signal's default action may dump core: no core file anywhere.
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
    }

    CliRun Cli(std::vector<std::string> args, const std::string& scratch = {}) {
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), scratch.empty() ? src.path() : scratch);
    }
    std::vector<std::string> WithLog(std::vector<std::string> args) {
        args.insert(args.end(), {"--log-dir", logs.path()});
        return args;
    }

    // Each writing command, writing `target` in the folder `out`.
    struct Command {
        const char* name;
        std::string target;
        std::vector<std::string> args;
    };
    std::vector<Command> Commands(const std::string& out) {
        const std::string psw = out + "/t.psw";
        return {
            {"print", out + "/t.pdf", {"print", kfnA, out + "/t.pdf"}},
            {"replace", psw, WithLog({"replace", psw, kfnA, "--font", "1"})},
            {"export", out + "/t.c", {"export", "c", kfnA, out + "/t.c", "--items", "8"}},
            {"convert", out + "/t.bdf", WithLog({"convert", kfnA, out + "/t.bdf"})},
            {"render", out + "/t.kfn", {"render", "DejaVu Sans Mono", "12", out + "/t.kfn"}},
        };
    }
    // The target as a user had it before the command.
    std::string OldContents(const Command& c) {
        return c.name == std::string("replace") ? ReadText(src.File("blank.psw")) : "the user's old file\n";
    }

    TempDir src, out, logs;
    const std::string kfnA = src.File("a.kfn"), kfnB = src.File("b.kfn");
};

std::string Name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

TEST_F(CliFileSafetyTest, AFullDiskASignalOrAReadOnlyFileLeavesTheOldFileAndNothingBesideIt) {
    const struct {
        const char* fault;
        bool readOnly;
        const char* reason;  // nullptr: the program ends by the signal
    } cases[] = {
        {"ENOSPC", false, "No space left on device"},
        {"", true, "the file is read-only"},
        {"SIGINT", false, nullptr},
        {"SIGTERM", false, nullptr},
        {"SIGHUP", false, nullptr},
        {"SIGQUIT", false, nullptr},
    };
    for (const Command& c : Commands(out.path())) {
        for (const auto& k : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + k.fault);
            const std::string old = OldContents(c);
            ::chmod(c.target.c_str(), 0644);
            WriteText(c.target, old);
            if (k.readOnly) ::chmod(c.target.c_str(), 0444);
            CliRun r;
            {
                // The fault is for the user's file, not the face cache
                // render may write first.
                ScopedProgramWriteFault fault(k.fault, out.path());
                r = Cli(c.args);
            }
            if (k.reason) {
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_NE(r.err.find(k.reason), std::string::npos) << r.err;
                EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            } else {
                EXPECT_TRUE(r.signalled) << r.err;
            }
            EXPECT_EQ(ReadText(c.target), old);
            EXPECT_EQ(OtherFiles(out.path(), {Name(c.target)}), std::vector<std::string>{});
        }
        std::filesystem::remove(c.target);
    }
}

// The same on a real full disk: a small tmpfs, where the tests may mount one.
TEST_F(CliFileSafetyTest, EveryWriterFailsOnAFullDiskWithTheSystemsReason) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    if (::mount("tmpfs", out.path().c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } const unmount{out.path()};
    for (const Command& c : Commands(out.path())) {
        SCOPED_TRACE(c.name);
        const std::string old = OldContents(c);
        WriteText(c.target, old);
        // Fill the disk to its last byte.
        const int fill = ::open((out.path() + "/fill").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fill, 0);
        const std::string block(4096, 'x');
        for (std::size_t n = block.size(); n > 0;) {
            if (::write(fill, block.data(), n) < 0) n /= 2;
        }
        ::close(fill);
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
        EXPECT_EQ(ReadText(c.target), old);
        EXPECT_EQ(OtherFiles(out.path(), {Name(c.target), "fill"}), std::vector<std::string>{});
        std::filesystem::remove(c.target);
        std::filesystem::remove(out.path() + "/fill");
    }
}

// Two replaces into one PSW file at once, each into its own slot: the lock
// makes the second wait for the first, so both fonts are there afterwards.
TEST_F(CliFileSafetyTest, TwoReplacesAtOnceIntoOnePswFileKeepBothFonts) {
    const std::string psw = out.File("t.psw");
    const std::string rowA = Cli({"show", kfnA, "32"}).out, rowB = Cli({"show", kfnB, "32"}).out;
    ASSERT_NE(rowA, rowB);
    TempDir scratchA, scratchB;
    constexpr int kRounds = 20;
    int kept = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        WriteText(psw, ReadText(src.File("blank.psw")));
        RunningProgram a(BuiltProgram("glyphos-cli"), WithLog({"replace", psw, kfnA, "--font", "1"}), scratchA.path());
        RunningProgram b(BuiltProgram("glyphos-cli"), WithLog({"replace", psw, kfnB, "--font", "2"}), scratchB.path());
        const auto ra = a.Wait(std::chrono::seconds(60)), rb = b.Wait(std::chrono::seconds(60));
        ASSERT_TRUE(ra && rb);
        EXPECT_EQ(ra->exitCode, 0) << ra->err;
        EXPECT_EQ(rb->exitCode, 0) << rb->err;
        ASSERT_EQ(Cli(WithLog({"extract", psw, "1", out.File("1.kfn")})).exitCode, 0);
        ASSERT_EQ(Cli(WithLog({"extract", psw, "2", out.File("2.kfn")})).exitCode, 0);
        kept += Cli({"show", out.File("1.kfn"), "32"}).out == rowA && Cli({"show", out.File("2.kfn"), "32"}).out == rowB;
    }
    std::printf("[ measured ] %d rounds of two replaces at once: %d kept both fonts, %lld ms\n", kRounds, kept,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
    EXPECT_EQ(kept, kRounds);
    EXPECT_EQ(OtherFiles(out.path(), {"t.psw", "1.kfn", "2.kfn"}), std::vector<std::string>{});
}

}  // namespace
