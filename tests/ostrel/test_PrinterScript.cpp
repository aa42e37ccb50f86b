#include "PrinterScript.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

namespace {

TEST(PrinterScriptTest, ReadsEverySettingOfACommentedScript) {
    std::string error;
    const auto s = PrinterScript::Parse(
        "# a receipt printer\n"
        "baud 19200\n"
        "bits 7\n"
        "parity even   # as configured by its DIP switches\n"
        "model 0x2A\n"
        "reply 1D 49 01 -> model\n"
        "reply \"PING\" -> \"PO\\x4eG\\n\" busy 150\n"
        "echo on\n"
        "buffer 512\n"
        "print-rate 300\n"
        "flow hardware\n"
        "power off\n"
        "latency 7\n",
        &error);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->baud, 19200u);
    EXPECT_EQ(s->byteSize, 7);
    EXPECT_EQ(s->parity, 2);
    EXPECT_EQ(s->model, 0x2A);
    ASSERT_EQ(s->replies.size(), 2u);
    EXPECT_EQ(s->replies[0].trigger, (std::vector<BYTE>{0x1D, 0x49, 0x01}));
    EXPECT_EQ(s->replies[0].answer, (std::vector<int>{PrinterScript::kModelByte}));
    EXPECT_EQ(s->replies[1].trigger, (std::vector<BYTE>{'P', 'I', 'N', 'G'}));
    EXPECT_EQ(s->replies[1].answer, (std::vector<int>{'P', 'O', 'N', 'G', '\n'}));
    EXPECT_EQ(s->replies[1].busyMs, 150u);
    EXPECT_TRUE(s->echo);
    EXPECT_EQ(s->printRate, 300);
    EXPECT_EQ(s->flow, PrinterScript::Flow::Hardware);
    EXPECT_FALSE(s->power);
    EXPECT_EQ(s->latencyMs, 7u);
    // Thresholds follow the buffer unless given.
    EXPECT_EQ(s->xoffAt, 448u);
    EXPECT_EQ(s->xonAt, 128u);
    EXPECT_EQ(s->busyAt, 448u);
    EXPECT_EQ(s->readyAt, 128u);
}

TEST(PrinterScriptTest, ExplicitThresholdsWinAndOffDisablesXoff) {
    const auto s = PrinterScript::Parse("buffer 100\nxoff-at off\nbusy-at 90\nready-at 5\nprint-rate unlimited\n",
                                        nullptr);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->xoffAt, PrinterScript::kNever);
    EXPECT_EQ(s->busyAt, 90u);
    EXPECT_EQ(s->readyAt, 5u);
    EXPECT_EQ(s->printRate, PrinterScript::kUnlimited);
}

TEST(PrinterScriptTest, ErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"baud 9600\nspeed 3\n", "line 2: unknown setting \"speed\""},
        {"model 123\n", "line 1: \"model\" wants one byte in hex"},
        {"reply 1B 40\n", "line 1: \"reply\" is: reply BYTES -> BYTES [busy MS]"},
        {"reply -> 06\n", "line 1: a reply is triggered by 1 to 64 bytes"},
        {"reply 1B -> model model 4G\n", "line 1: \"4G\" is not a byte in hex, a \"string\" or model"},
        {"reply \"abc -> 06\n", "line 1: unterminated string"},
        {"reply 1B -> 06 busy\n", "line 1: \"reply\" ends with: busy MS"},
        {"buffer 0\n", "line 1: the buffer holds at least one byte"},
        {"baud 9600 8\n", "line 1: \"baud\" takes one value"},
        {"bits 9\n", "line 1: \"bits\" wants a number up to 8"},
        {"echo yes\n", "line 1: \"echo\" is on or off"},
        {"\n\nlatency -1\n", "line 3: \"latency\" wants a number up to 60000"},
        {"buffer 64\nxoff-at 80\n", "xon-at must be below xoff-at, and xoff-at at most the buffer size"},
        {"feed\n", "line 1: \"feed\" wants 1 to 64 bytes"},
        {"command 1B -> 06\n", "line 1: \"command\" takes bytes only"},
        {"clear 1X\n", "line 1: \"1X\" is not a byte in hex or a \"string\""},
        {"setting 1D 28 -> 06 busy\n", "line 1: \"setting\" is: setting BYTES [-> BYTES] [busy MS]"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(PrinterScript::Parse(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(PrinterScriptTest, ApplyChangesNothingWhenTheLineIsBad) {
    PrinterScript s;
    std::string error;
    ASSERT_TRUE(s.Apply("baud 2400", &error));
    EXPECT_FALSE(s.Apply("baud 0x", &error));
    EXPECT_EQ(s.baud, 2400u);
    ASSERT_TRUE(s.Apply("buffer 80", &error));
    EXPECT_EQ(s.xoffAt, 70u);
}

TEST(PrinterScriptTest, GarbageNeverCrashesTheParser) {
    std::mt19937 rng(7);
    const std::string alphabet = "reply->\"\\x0123456789abcdefABXYZ #\n\t busy model buffer xoff-at 0x";
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        const int n = static_cast<int>(rng() % 80);
        for (int k = 0; k < n; ++k) text += alphabet[rng() % alphabet.size()];
        std::string error;
        const auto s = PrinterScript::Parse(text, &error);
        if (!s) {
            EXPECT_FALSE(error.empty()) << text;
        }
    }
}

// The simulator takes its script by name at start-up, where a FIFO would
// hold it for ever; whatever cannot be read is named with the reason.
TEST(PrinterScriptTest, LoadReadsOnlyRegularFilesAndSaysWhyNot) {
    TempDir dir;
    WriteText(dir.File("ok.sim"), "baud 2400\n");
    ASSERT_EQ(::mkfifo(dir.File("fifo.sim").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {dir.File("ok.sim"), ""},
        {dir.File("fifo.sim"), ": it is a FIFO, not a file"},
        {dir.path(), ": it is a directory, not a file"},
        {dir.File("none.sim"), ": No such file or directory"},
    };
    for (const auto& [path, why] : cases) {
        std::string error;
        const auto s = PrinterScript::Load(path, &error);
        EXPECT_EQ(s.has_value(), why.empty()) << path;
        EXPECT_EQ(error, why.empty() ? "" : "cannot read " + path + why);
    }
    EXPECT_EQ(PrinterScript::Load(dir.File("ok.sim"), nullptr)->baud, 2400u);
}

}  // namespace
