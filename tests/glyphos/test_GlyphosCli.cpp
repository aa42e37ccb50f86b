// End-to-end: the built glyphos-cli run on files made by the PSW builder.
#include "CliRunner.h"
#include "JsonReader.h"
#include "PswBuilder.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>

using pswtest::Bytes;
using pswtest::Psw1Builder;
using pswtest::Psw2Builder;
using testjson::Value;

namespace {

class GlyphosCliTest : public ::testing::Test {
protected:
    CliRun Run(std::vector<std::string> args) {
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    }
    Value Json(const std::string& file) {
        const CliRun r = Run({"info", file, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Value::Parse(r.out);
    }
    std::string Write(const Bytes& bytes, const std::string& name = "file.psw") {
        pswtest::WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    // Fails unless the run ended with `code` by itself, with one error line
    // on stderr that contains `text`.
    void ExpectError(const CliRun& r, int code, const std::string& text) {
        EXPECT_FALSE(r.signalled);
        EXPECT_EQ(r.exitCode, code) << r.err;
        const std::size_t at = r.err.find("glyphos-cli: error: ");
        ASSERT_NE(at, std::string::npos) << r.err;
        const std::string line = r.err.substr(at, r.err.find('\n', at) - at);
        EXPECT_NE(line.find(text), std::string::npos) << line;
        EXPECT_EQ(r.err.find("glyphos-cli: error: ", at + 1), std::string::npos) << "one error line: " << r.err;
        EXPECT_EQ(r.out, "");
    }

    TempDir dir;
};

std::vector<std::string> Keys(const Value& v) { return v.Keys(); }

TEST_F(GlyphosCliTest, FirstGenerationJsonReportsEveryField) {
    Psw1Builder b;
    b.printer = {.name = "KP300", .hwRelease = "A1", .swRelease = "205", .date = "311224", .initBank = 2,
                 .gsiModel = 0x12, .portType = 3, .scrByte = 0x35, .sums = {0x12, 0x34, 0xAB, 0xCD}};
    b.bankSize = 0x200;
    b.AddBank(4);
    b.AddBank(5);
    b.AddBank(6);
    b.AddLogo({.colours = 1, .data = Bytes(40, 1)});
    b.AddLogo({.colours = 2, .data = Bytes(24, 2)});
    b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
    b.AddFont({.width = 8, .height = 8, .first = 0, .last = 255, .orientation = 'V', .marginLeft = -2,
               .marginRight = 3, .marginUp = -4, .marginBottom = 5, .byteOrder = 1});
    b.AddFont({.width = 16, .height = 16, .first = 'A', .last = 'Z'});
    const Value j = Json(Write(b.Build()));

    EXPECT_EQ(Keys(j), (std::vector<std::string>{"generation", "printer", "hw_release", "sw_release", "date",
                                                  "scramble_byte", "gsi_model", "init_bank", "port_type",
                                                  "header_size", "binary_size", "banks", "bank_size", "sums",
                                                  "software_banks", "logos", "fonts"}));
    EXPECT_EQ(j["generation"].Int(), 1);
    EXPECT_EQ(j["printer"].String(), "KP300   ");
    EXPECT_EQ(j["hw_release"].String(), "A1");
    EXPECT_EQ(j["sw_release"].String(), "205");
    EXPECT_EQ(j["date"].String(), "311224");
    EXPECT_EQ(j["scramble_byte"].Int(), 0x35);
    EXPECT_EQ(j["gsi_model"].Int(), 0x12);
    EXPECT_EQ(j["init_bank"].Int(), 2);
    EXPECT_EQ(j["port_type"].Int(), 3);
    EXPECT_EQ(j["header_size"].Int(), 32 * (3 + 2 + 3 + 1) + 8);
    EXPECT_EQ(j["binary_size"].Int(), b.BinarySize());
    EXPECT_EQ(j["banks"].Int(), 3);
    EXPECT_EQ(j["bank_size"].Int(), 0x200);
    EXPECT_EQ(j["sums"].Ints(), (std::vector<long long>{0x12, 0x34, 0xAB, 0xCD}));
    EXPECT_EQ(j["software_banks"].Ints(), (std::vector<long long>{4, 5, 6}));
    EXPECT_EQ(j["logos"].Int(), 2);

    const Value& fonts = j["fonts"];
    ASSERT_EQ(fonts.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Keys(fonts[i]), (std::vector<std::string>{"number", "width", "height", "first", "last",
                                                            "orientation", "margins", "byte_order", "offset",
                                                            "block_size"}));
        EXPECT_EQ(fonts[i]["number"].Int(), static_cast<long long>(i + 1));
        EXPECT_EQ(fonts[i]["offset"].Int(), b.FontOffset(static_cast<int>(i)));
        EXPECT_EQ(fonts[i]["block_size"].Int(), static_cast<long long>(b.Fonts()[i].BlockSize()));
    }
    EXPECT_EQ(fonts[0]["block_size"].Int(), 24 * 96 * 2);
    const Value& f = fonts[1];
    EXPECT_EQ(f["width"].Int(), 8);
    EXPECT_EQ(f["height"].Int(), 8);
    EXPECT_EQ(f["first"].Int(), 0);
    EXPECT_EQ(f["last"].Int(), 255);
    EXPECT_EQ(f["orientation"].String(), "V");
    EXPECT_EQ(f["margins"].Ints(), (std::vector<long long>{-2, 3, -4, 5}));
    EXPECT_EQ(f["byte_order"].Int(), 1);
    EXPECT_EQ(fonts[2]["orientation"].String(), "H");
}

TEST_F(GlyphosCliTest, SecondGenerationJsonReportsEveryField) {
    Psw2Builder b;
    b.printer = {.name = "KP410", .hwRelease = "B2", .swRelease = "301", .date = "150624", .initBank = 1,
                 .gsiModel = 0x77, .portType = 4, .scrByte = 0x02};
    b.supported.push_back({.name = "KP411", .hwRelease = "C3", .swRelease = "302", .date = "010724", .gsiModel = 0x21});
    b.supported.push_back({.name = "KP412", .gsiModel = 0x22});
    b.bootLoader = pswtest::PayloadSpec{.data = Bytes(8, 1)};
    b.propFonts.push_back({.data = Bytes(10, 1)});
    b.propFonts.push_back({.data = Bytes(10, 2)});
    b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
    b.AddFont({.width = 9, .height = 17, .first = 48, .last = 57, .orientation = 'V', .marginRight = -1,
               .marginBottom = 2, .byteOrder = 1});
    b.AddFont({.width = 24, .height = 24, .first = 32, .last = 32});
    b.AddSoftwareModule("1x23");
    b.AddModule({.type = 'f', .number = 1, .count = 2, .data = Bytes(20, 3)});
    b.AddModule({.type = 'f', .number = 2, .count = 2, .address = 65568u, .size = 7u});
    const Value j = Json(Write(b.Build()));

    EXPECT_EQ(Keys(j), (std::vector<std::string>{"generation", "printer", "hw_release", "sw_release", "date",
                                                  "scramble_byte", "gsi_model", "init_bank", "port_type",
                                                  "header_size", "binary_size", "software_module_release",
                                                  "supported_printers", "modules", "prop_fonts", "fonts"}));
    EXPECT_EQ(j["generation"].Int(), 2);
    EXPECT_EQ(j["printer"].String(), "KP410   ");
    EXPECT_EQ(j["hw_release"].String(), "B2");
    EXPECT_EQ(j["sw_release"].String(), "301");
    EXPECT_EQ(j["date"].String(), "150624");
    EXPECT_EQ(j["scramble_byte"].Int(), 2);
    EXPECT_EQ(j["gsi_model"].Int(), 0x77);
    EXPECT_EQ(j["init_bank"].Int(), 1);
    EXPECT_EQ(j["port_type"].Int(), 4);
    EXPECT_EQ(j["header_size"].Int(), 32 * (2 + 0 + 1 + 3 + 2 + 0 + 3 + 2) + 5);
    EXPECT_EQ(j["header_size"].Int(), b.HeaderSize());
    EXPECT_EQ(j["binary_size"].Int(), b.BinarySize());
    EXPECT_EQ(j["software_module_release"].String(), "1.23");
    EXPECT_EQ(j["prop_fonts"].Int(), 2);

    const Value& q = j["supported_printers"];
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(Keys(q[0]), (std::vector<std::string>{"number", "printer", "hw_release", "sw_release", "date",
                                                     "gsi_model"}));
    EXPECT_EQ(q[0]["number"].Int(), 1);
    EXPECT_EQ(q[0]["printer"].String(), "KP411   ");
    EXPECT_EQ(q[0]["hw_release"].String(), "C3");
    EXPECT_EQ(q[0]["sw_release"].String(), "302");
    EXPECT_EQ(q[0]["date"].String(), "010724");
    EXPECT_EQ(q[0]["gsi_model"].Int(), 0x21);
    EXPECT_EQ(q[1]["number"].Int(), 2);
    EXPECT_EQ(q[1]["gsi_model"].Int(), 0x22);

    const Value& m = j["modules"];
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(Keys(m[0]), (std::vector<std::string>{"type", "number", "count", "address", "size"}));
    EXPECT_EQ(m[0]["type"].String(), "s");
    EXPECT_EQ(m[0]["address"].Int(), b.ModuleAddress(0));
    EXPECT_EQ(m[0]["size"].Int(), 32);
    EXPECT_EQ(m[1]["type"].String(), "f");
    EXPECT_EQ(m[1]["count"].Int(), 2);
    EXPECT_EQ(m[1]["size"].Int(), 20);
    EXPECT_EQ(m[2]["number"].Int(), 2);
    EXPECT_EQ(m[2]["address"].Int(), 65568);
    EXPECT_EQ(m[2]["size"].Int(), 7);

    const Value& fonts = j["fonts"];
    ASSERT_EQ(fonts.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fonts[i]["number"].Int(), static_cast<long long>(i + 1));
        EXPECT_EQ(fonts[i]["offset"].Int(), b.FontOffset(static_cast<int>(i)));
        EXPECT_EQ(fonts[i]["block_size"].Int(), static_cast<long long>(b.Fonts()[i].BlockSize()));
    }
    const Value& f = fonts[1];
    EXPECT_EQ(f["width"].Int(), 9);
    EXPECT_EQ(f["height"].Int(), 17);
    EXPECT_EQ(f["first"].Int(), 48);
    EXPECT_EQ(f["last"].Int(), 57);
    EXPECT_EQ(f["orientation"].String(), "V");
    EXPECT_EQ(f["margins"].Ints(), (std::vector<long long>{0, -1, 0, 2}));
    EXPECT_EQ(f["byte_order"].Int(), 1);
    EXPECT_EQ(f["block_size"].Int(), 17 * 10 * 1);
}

TEST_F(GlyphosCliTest, SecondGenerationWithoutOptionalBlocksHasEmptyLists) {
    Psw2Builder b;
    b.modules.push_back({.type = 'x', .data = Bytes(4, 0)});
    const Value j = Json(Write(b.Build()));
    EXPECT_EQ(j["supported_printers"].size(), 0u);
    EXPECT_EQ(j["fonts"].size(), 0u);
    EXPECT_EQ(j["prop_fonts"].Int(), 0);
    EXPECT_EQ(j["software_module_release"].String(), "");
    EXPECT_EQ(j["header_size"].Int(), 32 * 3 + 5);
}

TEST_F(GlyphosCliTest, PlainOutputIsAReadableSummary) {
    Psw1Builder b;
    b.printer.name = "KP300";
    b.AddBank(1);
    b.AddFont({.width = 12, .height = 24});
    const CliRun r = Run({"info", Write(b.Build())});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Generation:          1 (PSW)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"KP300   \""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1) 12 x 24, characters 32..127"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST_F(GlyphosCliTest, TextOfTheFileReachesTheTerminalEscaped) {
    Psw1Builder b;
    b.printer.name = "K\x1B[2J\r";
    b.AddBank(1);
    b.AddFont({.width = 8, .height = 8});
    const CliRun r = Run({"info", Write(b.Build())});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"K\\x1B[2J\\x0D"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

// ---- Files that cannot be read: exit 1 -----------------------------------

TEST_F(GlyphosCliTest, UnreadableFilesExitOneWithAReason) {
    ExpectError(Run({"info", dir.File("absent.psw"), "--json"}), 1, "cannot open " + dir.File("absent.psw"));
    ExpectError(Run({"info", dir.path()}), 1, dir.path() + " is a directory");
    ExpectError(Run({"info", Write({}, "empty.psw")}), 1, dir.File("empty.psw") + " is empty");
    Bytes garbage(3000);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const CliRun r = Run({"info", Write(garbage), "--json"});
    ExpectError(r, 1, "is not a readable PSW file");
    // The reader's own words are in the one error line.
    EXPECT_NE(r.err.find("non è una versione corretta"), std::string::npos) << r.err;
}

TEST_F(GlyphosCliTest, TruncatedFilesExitOneNeverWithASignal) {
    Psw1Builder first;
    first.AddBank(1);
    first.AddLogo({});
    first.AddFont({});
    const Bytes one = first.Build();
    for (std::size_t cut : {std::size_t{10}, std::size_t{40}, std::size_t{first.BlockOffset('F') + 9},
                            std::size_t{first.HeaderSize() - 2}}) {
        SCOPED_TRACE(cut);
        ExpectError(Run({"info", Write(Bytes(one.begin(), one.begin() + static_cast<long>(cut))), "--json"}), 1,
                    "reading stopped at a failed check");
    }

    Psw2Builder second;
    second.AddFont({});
    second.AddSoftwareModule("1x00");
    const Bytes two = second.Build();
    ExpectError(Run({"info", Write(Bytes(two.begin(), two.begin() + second.BlockOffset('?') + 2))}), 1,
                "is not a readable PSW2 file: a header block is damaged or cut short");
    ExpectError(Run({"info", Write(Bytes(two.begin(), two.begin() + second.BlockOffset('?')))}), 1,
                "is not a readable PSW2 file: it has no bin (\"?\") block");
}

// Files that are not what their names say end at once with exit 1 and one
// error line: no blocking on a FIFO, no walk through gigabytes of a sparse
// file, no font made of a record of zeros.
TEST_F(GlyphosCliTest, FilesThatAreNotWhatTheyClaimEndPromptly) {
    ASSERT_EQ(::mkfifo(dir.File("fifo.psw").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo.kfn").c_str(), 0600), 0);
    const auto sparse = [&](const Bytes& head, const std::string& name) {
        const std::string p = Write(head, name);
        std::filesystem::resize_file(p, std::uint64_t{2} << 30);
        return p;
    };
    Psw1Builder first;
    first.AddBank(1);
    first.AddFont({});
    const Bytes one = first.Build();
    Psw2Builder second;
    second.AddFont({});
    second.AddSoftwareModule("1x00");
    const Bytes two = second.Build();
    const std::string big1 = sparse(Bytes(one.begin(), one.begin() + 32), "big1.psw");
    const std::string big2 = sparse(Bytes(two.begin(), two.begin() + second.BlockOffset('?')), "big2.psw");
    const std::string bigKfn = sparse({}, "big.kfn");
    const std::string zeroKfn = Write(Bytes(21, 0), "zero.kfn");
    const std::string log = "--log-dir=" + dir.path();
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"info", dir.File("fifo.psw")}, dir.File("fifo.psw") + " is a FIFO, not a PSW file"},
        {{"fonts", dir.File("fifo.psw"), log}, "fifo.psw: it is a FIFO, not a file"},
        {{"show", dir.File("fifo.kfn"), "65"}, "fifo.kfn: it is a FIFO, not a file"},
        {{"show", zeroKfn, "0"}, "cannot read the font file " + zeroKfn},
        {{"export", "asm", zeroKfn, dir.File("t.asm"), "--items", "8"}, "cannot read the font file " + zeroKfn},
        {{"show", bigKfn, "65"}, "cannot read the font file " + bigKfn},
        {{"info", big1}, "big1.psw is not a readable PSW file: its headers could not be read"},
        {{"fonts", big1, log}, "cannot read the fonts of"},
        {{"info", big2}, "it has no bin (\"?\") block"},
        {{"extract", big2, "1", dir.File("x.kfn"), log}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[c.args[0] == "export" ? 2 : 1]);
        const auto start = std::chrono::steady_clock::now();
        const CliRun r = Run(c.args);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        ExpectError(r, 1, c.error);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.asm")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.kfn")));
}

// ---- Wrong arguments: exit 2 -------------------------------------------

TEST_F(GlyphosCliTest, WrongArgumentsExitTwo) {
    const std::string file = Write(Psw1Builder().Build());
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"info"}, "missing argument"},
        {{"info", file, file}, "unexpected argument"},
        {{"info", file, "--jsn"}, "unknown option --jsn"},
        {{"info", file, "--json=yes"}, "option --json takes no value"},
        {{"fonts-of-everything", file}, "unknown command \"fonts-of-everything\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const CliRun r = Run(c.args);
        ExpectError(r, 2, c.message);
    }
    const CliRun none = Run({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("usage: glyphos-cli"), std::string::npos);
}

TEST_F(GlyphosCliTest, HelpListsTheCommands) {
    const CliRun r = Run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("info FILE [--json]"), std::string::npos) << r.out;
    const CliRun info = Run({"info", "--help"});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.out.find("usage: glyphos-cli info FILE [--json]"), std::string::npos) << info.out;
    // After "--" it is a file name like any other.
    ExpectError(Run({"info", "--", "--help"}), 1, "cannot open --help");
}

}  // namespace
