#include "CliRunner.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
