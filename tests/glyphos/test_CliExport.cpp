// End-to-end: glyphos-cli export on a font file written by the document.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"
#include "GlyphosDocCore.h"
#include "TestFonts.h"
#include "TestUi.h"

namespace {

class CliExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        CGlyphosDocCore doc;
        MakeTinyFont(doc);
        ASSERT_EQ(doc.SaveKfnFile(CString::FromUtf8(kfn)), 1);
    }
    CliRun Cli(std::vector<std::string> args) {
        args.insert(args.begin(), "export");
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    }
    std::string Expected(const std::string& name) {
        return ReadText(std::string(GLYPHOS_SOURCE_DIR) + "/tests/glyphos/tables/" + name);
    }

    ScopedScriptedUi ui;
    TempDir dir;
    const std::string kfn = dir.File("tiny.kfn");
};

TEST_F(CliExportTest, WritesTheTablesOfTheGeneratorDialog) {
    CliRun r = Cli({"c", kfn, dir.File("t.c"), "--items", "3", "--note", "two letters"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadText(dir.File("t.c")), Expected("tiny_c_bytes_3.c"));

    r = Cli({"asm", kfn, dir.File("t.asm"), "--items", "2", "--size", "word", "--comment", "star", "--dialect", "mcuez",
             "--note", "two letters"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadText(dir.File("t.asm")), Expected("tiny_asm_mcuez_star_words_2.asm"));
}

TEST_F(CliExportTest, GeneratorRefusalsFailWithTheirMessageAndWriteNothing) {
    CliRun r = Cli({"c", kfn, dir.File("t.c"), "--items", "0"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "glyphos-cli: error: Insert appropriate number of columns data table!\n");
    r = Cli({"asm", kfn, dir.File("t.txt"), "--items", "-4"});
    EXPECT_EQ(r.exitCode, 1);
    r = Cli({"asm", kfn, dir.File("t.txt"), "--items", "4"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "glyphos-cli: error: The exension file selected isn't correct!\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.c")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.txt")));
}

TEST_F(CliExportTest, WrongArgumentsAreUsageErrors) {
    const std::string out = dir.File("t.asm");
    EXPECT_EQ(Cli({"asm", kfn, out}).exitCode, 2);  // --items is required
    EXPECT_EQ(Cli({"asm", kfn, out, "--items", "3", "--size", "dword"}).exitCode, 2);
    EXPECT_EQ(Cli({"c", kfn, out, "--items", "3", "--dialect", "mcuez"}).exitCode, 2);
    EXPECT_EQ(Cli({"pas", kfn, out, "--items", "3"}).exitCode, 2);
    EXPECT_EQ(Cli({"asm", kfn, out, "--items", "3", "--comment", "hash"}).exitCode, 2);
    EXPECT_EQ(Cli({"asm", kfn, out, "--items", "3", "--note", std::string(77, 'n')}).exitCode, 2);
    EXPECT_EQ(Cli({"asm", dir.File("none.kfn"), out, "--items", "3"}).exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
