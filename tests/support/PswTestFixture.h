// A fixture for tests of the PSW readers: the scripted UI, a temporary folder
// and an enabled debug object whose log file the test can read back.
#pragma once

#include "KalvoNewDebugObject.h"
#include "PswBuilder.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <string>

class PswReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(log.InitCKalvoNewDebugObject(nullptr, nullptr, Dir(), L"psw.log", L"test", 0), 1);
    }
    // Empties the log file.
    void ResetLog() { log.InitCKalvoNewDebugObject(nullptr, nullptr, Dir(), L"psw.log", L"test", 0); }
    CString Dir() const { return CString::FromUtf8(dir.path() + "/"); }
    CString Path(const std::string& name = "file.psw") const { return CString::FromUtf8(dir.File(name)); }
    CString Write(const pswtest::Bytes& bytes, const std::string& name = "file.psw") {
        pswtest::WriteBytes(dir.File(name), bytes);
        return Path(name);
    }
    std::string Log() const { return ReadText(dir.File("psw.log")); }
    std::string FileBytes(const std::string& name = "file.psw") const { return ReadText(dir.File(name)); }

    ScopedScriptedUi ui;
    TempDir dir;
    CKalvoNewDebugObject log{nullptr, nullptr, CString(), L"psw.log", L"test", 1};
};

// The assertion dialog's check and class of the last box.
#define EXPECT_LAST_ASSERTION(ui, checkText, classText)       \
    do {                                                      \
        const auto last_box_ = (ui).Last();                   \
        EXPECT_TRUE(last_box_.assertion);                     \
        EXPECT_EQ(last_box_.check, CString(checkText));       \
        EXPECT_EQ(last_box_.className, CString(classText));   \
    } while (0)
