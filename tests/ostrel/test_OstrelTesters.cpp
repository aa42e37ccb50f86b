#include "CliRunner.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
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
        {{"list"}, "", 0, "Anna Rossi\nBruno Bianchi\n", ""},
        {{"check"}, "pw2\r\n", 0, "Bruno Bianchi\n", ""},
        {{"check"}, "PW2\n", 1, "", "ostrel-testers: error: Invalid password\n"},
        {{"remove", "Anna", "Rossi"}, "", 0, "", ""},
        {{"remove", "Anna", "Rossi"}, "", 1, "", "ostrel-testers: error: no tester named Anna Rossi\n"},
        {{"list"}, "", 0, "Bruno Bianchi\n", ""},
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

TEST_F(OstrelTestersTest, PasswordTypedAtATerminalIsNotEchoed) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd < 3; ++fd) posix_spawn_file_actions_addopen(&actions, fd, slave.c_str(), O_RDWR, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    std::string program = BuiltProgram("ostrel-testers"), file = db, add = "add", first = "Anna", last = "Rossi";
    char* argv[] = {program.data(), file.data(), add.data(), first.data(), last.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], &actions, &attr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);

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

}  // namespace
