// Installs the scripted UI provider for the lifetime of a test and fails the
// test on any box it did not expect, or on answers it queued and never used.
#pragma once

#include "FileUtil.h"
#include "UiServices.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// Readable CString values in assertion failures.
inline void PrintTo(const CString& s, std::ostream* os) { *os << '"' << s.ToUtf8() << '"'; }

class ScopedScriptedUi {
public:
    ScopedScriptedUi() { m_previous = UiServices::Install(&m_ui); }
    ~ScopedScriptedUi();
    ScopedScriptedUi(const ScopedScriptedUi&) = delete;
    ScopedScriptedUi& operator=(const ScopedScriptedUi&) = delete;

    ScriptedUiServices* operator->() { return &m_ui; }
    ScriptedUiServices& ui() { return m_ui; }
    // The last box shown; fails the test when there was none.
    ScriptedUiServices::Box Last() const;

private:
    ScriptedUiServices m_ui;
    UiServices* m_previous = nullptr;
};

// Expects exactly one assertion dialog and the integer 0 thrown by `body`.
#define EXPECT_MYTHROW(ui, body)                          \
    do {                                                  \
        (ui)->Answer(IDOK);                               \
        EXPECT_THROW(body, int);                          \
    } while (0)

// A fresh directory under the build's temporary area, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    // path() + "/" + name
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

// While it lives, one step of every replace-in-one-step write fails as a
// failing disk would make it fail: the piece written at `index`, the flush
// or the rename.
class ScopedWriteFault {
public:
    ScopedWriteFault(AtomicWriteStep step, std::size_t index);
    ~ScopedWriteFault();
    ScopedWriteFault(const ScopedWriteFault&) = delete;
    ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;
};

// While it lives, the programs a test starts load the write-fault shim
// (tests/shim): their first replace-in-one-step write fails with `fault`
// ("ENOSPC", "EIO"), or the program gets the signal named ("SIGTERM" ...)
// while its temporary file exists; with `folder`, only a file replaced in
// that folder counts.
class ScopedProgramWriteFault {
public:
    explicit ScopedProgramWriteFault(const std::string& fault, const std::string& folder = {});
    ~ScopedProgramWriteFault();
    ScopedProgramWriteFault(const ScopedProgramWriteFault&) = delete;
    ScopedProgramWriteFault& operator=(const ScopedProgramWriteFault&) = delete;
};

// A Unix socket bound at `path`, so that a file of the socket kind stands
// there; its descriptor, or -1.
int BindSocketFile(const std::string& path);

// The names in a folder other than `keep`: what a failed write left behind.
std::vector<std::string> OtherFiles(const std::string& dir, const std::vector<std::string>& keep);
