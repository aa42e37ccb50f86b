#include "CliRunner.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/resource.h>
#include <termios.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

class OstrelTestersTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string db = dir.File("testers.dat");

    CliRun Run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), db);
        WriteText(dir.File("stdin"), input);
        return RunProgram(BuiltProgram("ostrel-testers"), std::move(args), dir.path(), dir.File("stdin"));
    }
};

TEST_F(OstrelTestersTest, AddListCheckAndRemoveWorkOnOneFile) {
    struct Step {
        std::vector<std::string> args;
        std::string input;
        int exit;
        std::string out, err;
    } const steps[] = {
        {{"list"}, "", 1, "", "ostrel-testers: error: " + db + ": no such testers database\n"},
        {{"add", "Anna", "Rossi"}, "pw1\n", 0, "", ""},
        {{"add", "Bruno", "Bianchi"}, "pw1\n", 1, "", "ostrel-testers: error: Password already in use\n"},
        {{"add", "Bruno", "Bianchi"}, "", 1, "", "ostrel-testers: error: Do no insert a empty field!\n"},
        {{"add", "Bruno", "Bianchi"}, "pw2", 0, "", ""},
        {{"add", "Carla", "Verdi"}, "\xc5\x82\n", 1, "",
         "ostrel-testers: error: the password holds a character the testers database cannot store\n"},
        {{"list"}, "", 0, "Anna\tRossi\nBruno\tBianchi\n", ""},
        {{"check"}, "pw2\r\n", 0, "Bruno Bianchi\n", ""},
        {{"check"}, "PW2\n", 1, "", "ostrel-testers: error: Invalid password\n"},
        {{"remove", "Anna", "Rossi"}, "", 0, "", ""},
        {{"remove", "Anna", "Rossi"}, "", 1, "", "ostrel-testers: error: no tester named Anna Rossi\n"},
        {{"list"}, "", 0, "Bruno\tBianchi\n", ""},
    };
    for (const auto& s : steps) {
        const CliRun r = Run(s.args, s.input);
        EXPECT_EQ(r.exitCode, s.exit) << s.args[0] << " " << s.input;
        EXPECT_EQ(r.out, s.out) << s.args[0];
        EXPECT_EQ(r.err, s.err) << s.args[0];
    }
}

TEST_F(OstrelTestersTest, NamesReachTheTerminalWithControlCharactersEscaped) {
    ASSERT_EQ(Run({"add", "An\x1B[2Jna", "Ro\nssi"}, "pw\n").exitCode, 0);
    for (const char* command : {"list", "check"}) {
        const CliRun r = Run({command}, "pw\n");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("An\\x1B[2Jna"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Ro\\x0Assi"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
    }
}

TEST_F(OstrelTestersTest, WrongUsageExitsTwoAndADamagedFileOne) {
    EXPECT_EQ(Run({"frob"}).exitCode, 2);
    EXPECT_EQ(Run({"list", "extra"}).exitCode, 2);
    EXPECT_EQ(Run({"add", "OnlyFirst"}).exitCode, 2);
    const CliRun help = RunProgram(BuiltProgram("ostrel-testers"), {"--help"}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: ostrel-testers DB.dat COMMAND"), std::string::npos);

    WriteText(db, std::string("\x05\0\0\0\x01", 5));
    const CliRun r = Run({"list"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "ostrel-testers: error: " + db + ": No file data base testers not load!\n");
    EXPECT_EQ(ReadText(db), std::string("\x05\0\0\0\x01", 5));
}

// A FIFO would hold every command until something wrote into it; it, a
// folder and a file of gigabytes are refused at once, named for what they
// are, and left alone.
TEST_F(OstrelTestersTest, AFifoAFolderOrAHugeFileIsRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(dir.File("fifo.dat").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("folder.dat"));
    WriteText(dir.File("huge.dat"), "");
    std::filesystem::resize_file(dir.File("huge.dat"), std::uint64_t{2} << 30);
    const std::pair<std::string, std::string> cases[] = {
        {"fifo.dat", "it is a FIFO, not a file"},
        {"folder.dat", "it is a directory, not a file"},
        {"huge.dat", "2147483648 bytes is far more than a testers database holds"}};
    for (const auto& [name, why] : cases) {
        db = dir.File(name);
        for (const char* command : {"list", "add"}) {
            SCOPED_TRACE(name + " " + command);
            const auto start = std::chrono::steady_clock::now();
            const CliRun r = command == std::string("add") ? Run({command, "Anna", "Rossi"}, "pw\n") : Run({command});
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(r.err, "ostrel-testers: error: " + db + ": " + why + "\n");
        }
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo.dat")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("folder.dat")));
    EXPECT_EQ(std::filesystem::file_size(dir.File("huge.dat")), std::uint64_t{2} << 30);
}

// Reads the pseudo-terminal until `needle` has appeared (or the program
// has gone); everything read so far is kept in `seen`.
bool ReadUntil(int master, const std::string& needle, std::string& seen) {
    while (seen.find(needle) == std::string::npos) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return false;
        char buf[256];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) return false;
        seen.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

// ostrel-testers DB ARGS... in a session of its own whose terminal is a
// pseudo-terminal; `master` is the other end. False when it cannot start.
bool StartOnTerminal(const std::string& db, std::vector<std::string> args, int& master, pid_t& pid) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return false;
    const std::string slave = ::ptsname(master);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd < 3; ++fd) posix_spawn_file_actions_addopen(&actions, fd, slave.c_str(), O_RDWR, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    args.insert(args.begin(), {BuiltProgram("ostrel-testers"), db});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const bool started = ::posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return started;
}

TEST_F(OstrelTestersTest, PasswordTypedAtATerminalIsNotEchoed) {
    int master = -1;
    pid_t pid = 0;
    ASSERT_TRUE(StartOnTerminal(db, {"add", "Anna", "Rossi"}, master, pid));
    std::string seen;
    // Each prompt is written after echo is off, so typing after it is safe.
    EXPECT_TRUE(ReadUntil(master, "Password: ", seen)) << seen;
    EXPECT_EQ(::write(master, "s3cret\n", 7), 7);
    EXPECT_TRUE(ReadUntil(master, "Password again: ", seen)) << seen;
    EXPECT_EQ(::write(master, "s3cret\n", 7), 7);
    ReadUntil(master, "\x04", seen);  // to the end of the program's output
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    EXPECT_EQ(seen.find("s3cret"), std::string::npos) << seen;
    EXPECT_EQ(Run({"check"}, "s3cret\n").out, "Anna Rossi\n");
}

// "--" ends the options, and a list line keeps first and last name apart.
TEST_F(OstrelTestersTest, NamesAfterTheDoubleDashAndListLinesAreTakenAsTheyAre) {
    ASSERT_EQ(Run({"add", "--", "--help", "Rossi"}, "p1\n").exitCode, 0);
    ASSERT_EQ(Run({"add", "Anna Maria", "Rossi"}, "p2\n").exitCode, 0);
    ASSERT_EQ(Run({"add", "Anna", "Maria Rossi"}, "p3\n").exitCode, 0);
    EXPECT_EQ(Run({"list"}).out, "--help\tRossi\nAnna Maria\tRossi\nAnna\tMaria Rossi\n");
    EXPECT_EQ(Run({"remove", "--", "--help", "Rossi"}).exitCode, 0);
    EXPECT_EQ(Run({"list"}).out, "Anna Maria\tRossi\nAnna\tMaria Rossi\n");
}

// Two administrators adding at once: every tester is kept.
TEST_F(OstrelTestersTest, TwoProgramsAddingAtOnceKeepEveryTester) {
    constexpr int kAdds = 25;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> writers;
    int failures[2] = {0, 0};
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            const std::string scratch = dir.File(std::string("w").append(std::to_string(w)));
            std::filesystem::create_directory(scratch);
            for (int i = 0; i < kAdds; ++i) {
                const std::string id = std::to_string(w) + "-" + std::to_string(i);
                WriteText(scratch + "/stdin", "pw" + id + "\n");
                const CliRun r =
                    RunProgram(BuiltProgram("ostrel-testers"), {db, "add", "T" + id, "S"}, scratch, scratch + "/stdin");
                if (r.exitCode != 0) ++failures[w];
            }
        });
    }
    for (auto& t : writers) t.join();
    std::printf("[ measured ] 2 x %d adds at once took %lld ms\n", kAdds,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
    EXPECT_EQ(failures[0] + failures[1], 0);
    const std::string list = Run({"list"}).out;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 2 * kAdds) << list;
}

// A full disk, an interrupted add or a read-only file: the old file stays
// byte for byte, the reason is named, and nothing is left beside it.
TEST_F(OstrelTestersTest, AFailedAddLeavesTheOldFileAndNothingBesideIt) {
    // A signal's default action may dump core; no core file in the folder.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ASSERT_EQ(Run({"add", "Anna", "Rossi"}, "pw\n").exitCode, 0);
    const std::string old = ReadText(db);
    const struct {
        const char* fault;
        bool readOnly;
        bool signal;
        const char* reason;
    } cases[] = {
        {"ENOSPC", false, false, "No space left on device"}, {"", true, false, "the file is read-only"},
        {"SIGINT", false, true, ""},  {"SIGTERM", false, true, ""},
        {"SIGHUP", false, true, ""},  {"SIGQUIT", false, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ::chmod(db.c_str(), c.readOnly ? 0444 : 0600);
        CliRun r;
        {
            ScopedProgramWriteFault fault(c.fault);
            r = Run({"add", "Bruno", "Bianchi"}, "pw2\n");
        }
        if (c.signal) {
            EXPECT_TRUE(r.signalled);
        } else {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        }
        EXPECT_EQ(ReadText(db), old);
        EXPECT_EQ(OtherFiles(dir.path(), {"testers.dat", "stdin", "run.stdout", "run.stderr"}),
                  std::vector<std::string>{});
    }
}

// The reader refuses a file beyond its cap unread, so an add that would
// make one is refused before anything is written.
TEST_F(OstrelTestersTest, AnAddThatWouldOutgrowTheReaderIsRefused) {
    // One tester whose first name is 9 MiB in the single-byte form: a save
    // writes the wide form, twice as large.
    const std::uint32_t length = 9u << 20;
    std::string file("\x01\0\0\0\xff\xff\xff", 7);
    for (int i = 0; i < 4; ++i) file += static_cast<char>((length >> (8 * i)) & 0xFF);
    file += std::string(length, '\xBE') + "\x01\xBE\x01\xBE";
    WriteText(db, file);
    const CliRun r = Run({"add", "Bruno", "Bianchi"}, "pw2\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("more than the 16777216 a testers database may hold"), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(db), file);
}

// A signal at the password prompt, whichever, gives the terminal its echo
// back before the program ends.
TEST_F(OstrelTestersTest, EverySignalAtThePromptGivesTheTerminalItsEchoBack) {
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM}) {
        SCOPED_TRACE(sig);
        WriteText(db, std::string("\0\0\0\0", 4));
        int master = -1;
        pid_t pid = 0;
        ASSERT_TRUE(StartOnTerminal(db, {"check"}, master, pid));
        std::string seen;
        ASSERT_TRUE(ReadUntil(master, "Password: ", seen)) << seen;
        termios t{};
        ASSERT_EQ(::tcgetattr(master, &t), 0);
        EXPECT_EQ(t.c_lflag & ECHO, 0u);
        ::kill(pid, sig);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
        ASSERT_EQ(::tcgetattr(master, &t), 0);
        EXPECT_NE(t.c_lflag & ECHO, 0u);
        ::close(master);
    }
}

}  // namespace
