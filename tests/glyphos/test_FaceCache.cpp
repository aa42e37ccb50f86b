// fontconfig's answers kept between runs: an answer comes back only while
// every path it depends on is as it was, and a damaged cache file is no
// answer at all.
#include "FaceCache.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

namespace {

class FaceCacheTest : public ::testing::Test {
protected:
    FaceCacheTest() {
        ::setenv("XDG_CACHE_HOME", dir.path().c_str(), 1);
        face_cache::ForgetLoaded();
        face.file = "/fonts/a.ttf";
        face.index = 2;
        face.embolden = true;
        face.matrix[1] = 0.2;
        face.autohint = true;
        face.families = {"A Family", "Another Name"};
        face.named = 1;
        clock_gettime(CLOCK_REALTIME_COARSE, &later);
        later.tv_sec += 5;  // read after every change the test makes
    }
    ~FaceCacheTest() override {
        ::unsetenv("XDG_CACHE_HOME");
        face_cache::ForgetLoaded();
    }
    std::optional<CachedFace> FindAfresh(const std::string& request) {
        face_cache::ForgetLoaded();
        return face_cache::Find(request);
    }
    TempDir dir;
    CachedFace face;
    timespec later{};
};

TEST_F(FaceCacheTest, AnAnswerLastsWhileWhatItWatchesIsUnchanged) {
    const std::string conf = dir.File("fonts.conf");
    const std::string absent = dir.File("user.conf");
    WriteText(conf, "<fontconfig/>");
    face_cache::Remember("400 0 0 16 A Family", face, {conf, absent}, later);
    ASSERT_EQ(face_cache::Path(), dir.File("glyphos/faces"));
    EXPECT_EQ(FindAfresh("400 0 0 16 A Family"), face);
    EXPECT_EQ(FindAfresh("400 0 0 17 A Family"), std::nullopt);

    WriteText(absent, "<fontconfig/>");  // a file that appears
    EXPECT_EQ(FindAfresh("400 0 0 16 A Family"), std::nullopt);
    face_cache::Remember("400 0 0 16 A Family", face, {conf, absent}, later);
    WriteText(conf, "<fontconfig></fontconfig>");  // a file that changes
    EXPECT_EQ(FindAfresh("400 0 0 16 A Family"), std::nullopt);

    // Not kept: a path changed after fontconfig began to read, a request
    // the file cannot hold.
    timespec before{};
    clock_gettime(CLOCK_REALTIME_COARSE, &before);
    before.tv_sec -= 5;
    face_cache::Remember("400 0 0 16 A Family", face, {conf}, before);
    face_cache::Remember("400 0 0 16 Tab\tFamily", face, {}, later);
    EXPECT_EQ(FindAfresh("400 0 0 16 A Family"), std::nullopt);
    EXPECT_EQ(FindAfresh("400 0 0 16 Tab\tFamily"), std::nullopt);
}

TEST_F(FaceCacheTest, ADamagedCacheFileIsNoAnswer) {
    face_cache::Remember("r", face, {}, later);
    const std::string good = ReadText(face_cache::Path());
    ASSERT_EQ(FindAfresh("r"), face);
    const std::string line = good.substr(good.find("face\t"));
    const std::vector<std::string> damaged = {
        "",
        "glyphos faces 9\n" + good.substr(good.find('\n') + 1),
        good.substr(0, good.size() - line.size()) + "face\tr\t/a.ttf\tx\t0\t0000\t1 0 0 1\tA\n",
        good.substr(0, good.size() - line.size()) + "face\tr\t/a.ttf\t0\t5\t0000\t1 0 0 1\tA\n",
        good.substr(0, good.size() - line.size()) + "face\tr\t/a.ttf\t0\t0\t0000\t1 0 0\tA\n",
        good.substr(0, good.size() - line.size()) + "watch\n" + line,
        good.substr(0, good.find("env ") + 10),
        std::string(5000, '\t'),
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        WriteText(face_cache::Path(), damaged[i]);
        EXPECT_EQ(FindAfresh("r"), std::nullopt) << "variant " << i;
    }
    // The next answer replaces the damaged file.
    face_cache::Remember("r", face, {}, later);
    EXPECT_EQ(FindAfresh("r"), face);
}

}  // namespace
