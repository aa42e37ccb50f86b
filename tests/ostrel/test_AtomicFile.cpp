#include "FileUtil.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool Replace(const std::string& path, const std::string& text, std::string* error) {
    return WriteFileAtomically(CString::FromUtf8(path), text.data(), text.size(), error);
}

// What a replaced path is afterwards: its links, its mode, its contents.
TEST(AtomicFileTest, TheReplacedFileKeepsWhatItIs) {
    struct Case {
        const char* what;
        // Prepares the folder; returns the path handed to the writer.
        std::function<std::string(const TempDir&)> setUp;
        const char* error;  // part of the refusal, or nullptr when written
        std::function<void(const TempDir&)> check;
    };
    const Case cases[] = {
        {"read-only",
         [](const TempDir& d) {
             WriteText(d.File("f"), "old");
             ::chmod(d.File("f").c_str(), 0444);
             return d.File("f");
         },
         "the file is read-only", [](const TempDir& d) { EXPECT_EQ(ReadText(d.File("f")), "old"); }},
        {"hard-linked",
         [](const TempDir& d) {
             WriteText(d.File("f"), "old");
             fs::create_hard_link(d.File("f"), d.File("g"));
             return d.File("f");
         },
         "the file has 2 hard links",
         [](const TempDir& d) {
             EXPECT_EQ(ReadText(d.File("f")), "old");
             EXPECT_TRUE(fs::equivalent(d.File("f"), d.File("g")));
         }},
        {"link to a file in another folder",
         [](const TempDir& d) {
             fs::create_directory(d.File("real"));
             WriteText(d.File("real/f"), "old");
             ::chmod(d.File("real/f").c_str(), 0640);
             fs::create_symlink("real/f", d.File("link"));
             return d.File("link");
         },
         nullptr,
         [](const TempDir& d) {
             EXPECT_TRUE(fs::is_symlink(d.File("link")));
             EXPECT_EQ(ReadText(d.File("real/f")), "new");
             EXPECT_EQ(fs::status(d.File("real/f")).permissions(), fs::perms(0640));
             EXPECT_EQ(OtherFiles(d.File("real"), {"f"}), std::vector<std::string>{});
         }},
        {"link to a file not made yet",
         [](const TempDir& d) {
             fs::create_symlink("later", d.File("link"));
             return d.File("link");
         },
         nullptr,
         [](const TempDir& d) {
             EXPECT_TRUE(fs::is_symlink(d.File("link")));
             EXPECT_EQ(ReadText(d.File("later")), "new");
         }},
        {"a loop of links",
         [](const TempDir& d) {
             fs::create_symlink("b", d.File("a"));
             fs::create_symlink("a", d.File("b"));
             return d.File("a");
         },
         "Too many levels of symbolic links", [](const TempDir& d) { EXPECT_TRUE(fs::is_symlink(d.File("a"))); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = c.setUp(dir);
        std::string error;
        EXPECT_EQ(Replace(path, "new", &error), c.error == nullptr) << error;
        if (c.error) {
            EXPECT_NE(error.find(path + ": " + c.error), std::string::npos) << error;
        }
        c.check(dir);
        // No temporary file and no lock file is left in the folder.
        for (const auto& e : fs::directory_iterator(dir.path()))
            EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
    }
}

TEST(AtomicFileTest, NewFilesFollowTheUmaskAndTheRequestedMode) {
    TempDir dir;
    const struct {
        mode_t umask;
        int requested;
        unsigned mode;
    } cases[] = {{022, -1, 0644}, {077, -1, 0600}, {002, -1, 0664}, {022, 0600, 0600}, {0, 0640, 0640}};
    int i = 0;
    for (const auto& c : cases) {
        const std::string path = dir.File("new" + std::to_string(i++));
        const mode_t old = ::umask(c.umask);
        std::string error;
        EXPECT_TRUE(WriteFileAtomically(CString::FromUtf8(path), "x", 1, &error, c.requested)) << error;
        ::umask(old);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.mode) << std::oct << c.umask << " " << c.requested;
    }
}

// Root adding a tester must not leave the station user's file owned by root.
TEST(AtomicFileTest, RootKeepsTheOwnerAndGroupOfAReplacedFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file away";
    TempDir dir;
    const std::string path = dir.File("f");
    WriteText(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    ::chmod(path.c_str(), 0660);
    std::string error;
    ASSERT_TRUE(Replace(path, "new", &error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 0777, 0660u);
}

// A second writer waits for the lock (here not at all) and then fails
// naming the file; the lock is re-entrant for its holder and gone once
// released.
TEST(AtomicFileTest, AWriterWaitsForTheLockAndThenFailsNamingTheFile) {
    TempDir dir;
    const std::string path = dir.File("db.dat");
    WriteText(path, "old");
    const auto wait = FileLockTimeout();
    SetFileLockTimeout(std::chrono::milliseconds(0));
    {
        // Another program's lock: a descriptor of its own on the lock file.
        const int other = ::open(dir.File(".db.dat.lock").c_str(), O_RDWR | O_CREAT, 0644);
        ASSERT_GE(other, 0);
        ASSERT_EQ(::flock(other, LOCK_EX), 0);
        std::string error;
        EXPECT_FALSE(Replace(path, "new", &error));
        EXPECT_EQ(error, path + " is in use by another program (waited 0 ms for it)");
        FileLock mine;
        EXPECT_FALSE(mine.Acquire(CString::FromUtf8(path)));
        ::close(other);
    }
    EXPECT_EQ(ReadText(path), "old");
    {
        FileLock mine;
        ASSERT_TRUE(mine.Acquire(CString::FromUtf8(path)));
        std::string error;
        EXPECT_TRUE(Replace(path, "new", &error)) << error;
        EXPECT_TRUE(fs::exists(dir.File(".db.dat.lock")));
    }
    SetFileLockTimeout(wait);
    EXPECT_EQ(ReadText(path), "new");
    EXPECT_EQ(OtherFiles(dir.path(), {"db.dat"}), std::vector<std::string>{});
}

}  // namespace
