#include "SerialPortList.h"
#include "TestUi.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// A fake root with dev/ and sys/ as the kernel lays them out; device nodes
// are plain files, which is enough for a listing.
class SerialPortListTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* n : {"ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB1", "ttyUSB0", "ttyACM0", "ttyUSBx",
                              "tty5", "ttyprintk", "lp0", "usb/lp1"}) {
            Touch("dev/" + std::string(n));
        }
        // ttyS0 and ttyS10 have a 16550A behind them, ttyS1 nothing; ttyS2
        // has no type attribute and is not a serial device at all.
        Type("ttyS0", "4\n");
        Type("ttyS1", "0\n");
        Type("ttyS10", "4\n");
        fs::create_directories(dir.File("dev/serial/by-id"));
        fs::create_symlink("../../ttyUSB0", dir.File("dev/serial/by-id/usb-FTDI_FT232R_A600-if00-port0"));
    }
    void Touch(const std::string& rel) {
        fs::create_directories(fs::path(dir.File(rel)).parent_path());
        WriteText(dir.File(rel), "");
    }
    void Type(const std::string& port, const std::string& text) {
        fs::create_directories(dir.File("sys/class/tty/" + port));
        WriteText(dir.File("sys/class/tty/" + port + "/type"), text);
    }
    std::vector<std::string> List(bool serialOnly) {
        std::vector<CString> names;
        EXPECT_TRUE(EnumSerialPorts(dir.path(), serialOnly, names));
        std::vector<std::string> out;
        for (const CString& n : names) out.push_back(n.ToUtf8());
        return out;
    }

    TempDir dir;
};

TEST_F(SerialPortListTest, ListsUartsUsbAndStableNamesInNaturalOrder) {
    const std::vector<std::string> serial = {"/dev/ttyS0",   "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyUSB1",
                                             "/dev/ttyACM0", "/dev/serial/by-id/usb-FTDI_FT232R_A600-if00-port0"};
    EXPECT_EQ(List(true), serial);

    std::vector<std::string> all = serial;
    all.push_back("/dev/lp0");
    all.push_back("/dev/usb/lp1");
    EXPECT_EQ(List(false), all);
}

TEST_F(SerialPortListTest, UnreadableTypeCountsAsNoUart) {
    Type("ttyS2", "garbage");
    const auto names = List(true);
    EXPECT_EQ(std::count(names.begin(), names.end(), "/dev/ttyS2"), 0);
}

TEST_F(SerialPortListTest, MissingDevFolderIsAFailure) {
    std::vector<CString> names{L"stale"};
    EXPECT_FALSE(EnumSerialPorts(dir.File("nowhere"), true, names));
    EXPECT_TRUE(names.empty());
}

}  // namespace
