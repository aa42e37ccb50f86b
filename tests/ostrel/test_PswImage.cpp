#include "CrittoPswFile.h"
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "PswImage.h"
#include "PswTestFixture.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <functional>

using pswtest::Bytes;

namespace {

// Counts the times a file is opened, as the kernel sees them.
class OpenCounter {
public:
    explicit OpenCounter(const std::string& path) : m_fd(inotify_init1(IN_NONBLOCK)) {
        if (m_fd >= 0) inotify_add_watch(m_fd, path.c_str(), IN_OPEN);
    }
    ~OpenCounter() {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool Ready() const { return m_fd >= 0; }
    int Opens() {
        alignas(inotify_event) char buf[4096];
        ssize_t n;
        while ((n = ::read(m_fd, buf, sizeof buf)) > 0) {
            for (char* p = buf; p < buf + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->mask & IN_OPEN) ++m_opens;
                p += sizeof(inotify_event) + e->len;
            }
        }
        return m_opens;
    }

private:
    int m_fd;
    int m_opens = 0;
};

class PswImageTest : public PswReaderTest {
protected:
    CString WritePsw2() {
        pswtest::Psw2Builder b;
        b.printer.name = "KP410";
        b.printer.scrByte = 0x34;
        b.supported.push_back({.name = "KP411", .gsiModel = 0x21});
        b.software.data = Bytes(16, 0x11);
        b.bootLoader = pswtest::PayloadSpec{.carried3 = {1, 2, 3}, .carried1 = 4, .data = Bytes(8, 0x22)};
        b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
        b.AddFont({.width = 8, .height = 16});
        b.AddSoftwareModule("1x23");
        return Write(b.Build());
    }
    CString WritePsw1() {
        pswtest::Psw1Builder b;
        b.printer.name = "KP300";
        b.printer.scrByte = 0x35;
        b.AddBank(0);
        b.AddBank(1);
        b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
        return Write(b.Build());
    }
};

TEST_F(PswImageTest, LoadingTheHeadersOfAFileOpensItOnce) {
    struct Case {
        const char* what;
        bool secondGeneration;
        std::function<int(const CString&, CKalvoNewDebugObject*)> load;
    };
    const Case cases[] = {
        {"first-generation headers", false,
         [](const CString& p, CKalvoNewDebugObject* d) { return CHeaderPsw(d).Init(p); }},
        {"second-generation headers", true,
         [](const CString& p, CKalvoNewDebugObject* d) { return CHeaderPsw2(d).Init(p); }},
        // Both generations' headers and the scramble byte, as the editor's
        // save does before writing a font back.
        {"the scrambler's check of a PSW2 file", true,
         [](const CString& p, CKalvoNewDebugObject* d) { return CCrittoPswFile(p).InitCCrittoPswFile(d); }},
        {"the scrambler's byte alone", true,
         [](const CString& p, CKalvoNewDebugObject*) { return CCrittoPswFile(p).InitCCrittoPswFile(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CString path = c.secondGeneration ? WritePsw2() : WritePsw1();
        OpenCounter counter(path.ToUtf8());
        ASSERT_TRUE(counter.Ready());
        EXPECT_EQ(c.load(path, &log), 1);
        EXPECT_EQ(counter.Opens(), 1);
    }
}

TEST_F(PswImageTest, ReadersInAScopeDecodeTheImageEvenWhenTheFileChangesMeanwhile) {
    const CString path = WritePsw2();
    const PswImageScope scope(path);
    // Another program replaces the file with something else entirely.
    Write(Bytes(40, 0x00));
    CHeaderPsw first(&log);
    ASSERT_EQ(first.Init(path), 1);
    EXPECT_TRUE(first.IsPSWII());
    CHeaderPsw2 second(&log);
    ASSERT_EQ(second.Init(path), 1);
    EXPECT_EQ(second.Get_cHeaderFontPsw2()->GetNumTotFont(), 2);
    EXPECT_EQ(second.GetSoftwareModuleRelease(), L"1.23");
}

// Derived readers may still hand the record and block helpers an open file.
struct FileFedReaders : CHeaderFontPsw, CHeaderPsw2 {
    explicit FileFedReaders(CKalvoNewDebugObject* d) : CHeaderFontPsw(d), CHeaderPsw2(d) {}
    using CHeaderFontPsw::LoadStruct;
    using CHeaderPsw2::m_bfFound;
    using CHeaderPsw2::m_Position;
    using CHeaderPsw2::SearchHeader;
};

TEST_F(PswImageTest, RecordAndBlockHelpersStillTakeAnOpenFile) {
    pswtest::Psw1Builder one;
    one.AddBank(0);
    one.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
    const CString psw1 = Write(one.Build(), "one.psw");
    const CString psw2 = WritePsw2();
    FileFedReaders readers(&log);

    BinaryFile f;
    ASSERT_TRUE(f.Open(psw1, BinaryFile::Mode::Read));
    ASSERT_TRUE(f.Seek(one.BlockOffset('F')));
    _headerFont r{};
    readers.LoadStruct(f, r);
    EXPECT_EQ(r.Tag, 'F');
    EXPECT_EQ(r.Width, 12);
    EXPECT_EQ(r.Height, 24);
    EXPECT_EQ(f.Position(), one.BlockOffset('F') + 16u);  // the file stands after the record

    BinaryFile g;
    ASSERT_TRUE(g.Open(psw2, BinaryFile::Mode::Read));
    readers.SearchHeader(g, 3);  // the font block
    EXPECT_EQ(readers.m_bfFound[3], 1);
    EXPECT_GT(readers.m_Position[3], 0u);
}

TEST(PswImageReaderTest, ReadsStopAtTheEndOfTheImage) {
    ScopedScriptedUi ui;
    TempDir dir;
    pswtest::WriteBytes(dir.File("short.psw"), Bytes{1, 2, 3, 4, 5});
    psw::ImageReader r;
    ASSERT_TRUE(r.Open(CString::FromUtf8(dir.File("short.psw"))));
    EXPECT_EQ(r.Length(), 5);
    unsigned char buf[8] = {};
    ASSERT_TRUE(r.Seek(3));
    EXPECT_EQ(r.Read(buf, sizeof buf), 2u);
    EXPECT_EQ(buf[0], 4);
    EXPECT_EQ(buf[1], 5);
    // Past the end a seek succeeds, as on a file, and a read gets nothing.
    ASSERT_TRUE(r.Seek(100));
    EXPECT_EQ(r.Read(buf, 1), 0u);
    EXPECT_FALSE(psw::ImageReader().Open(CString::FromUtf8(dir.File("missing.psw"))));
}

}  // namespace
